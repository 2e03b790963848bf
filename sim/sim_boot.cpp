#include "sim/sim_boot.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "common/sdd_elements.h"
#include "sim/sim_control.h"

namespace {

// The user power of each modulation row in half dB: DSSS 18, CCK 17.5,
// BPSK 1/2 17 and so on down to 64QAM 5/6 at 13 dBm; the twelfth row is
// unused. Every row differs, so a row read from its neighbour shows.
constexpr std::array<unsigned, 12> kPowerHalfDb = {36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 0};

// The older element holds 16 x (dBm + 3), the newer 16 x dBm.
void push_power_element(std::vector<uint8_t>* sdd, uint8_t id, unsigned offset_db) {
    sdd->push_back(id);
    sdd->push_back(static_cast<uint8_t>(2 * kPowerHalfDb.size()));
    for (unsigned half_db : kPowerHalfDb) {
        const unsigned entry = half_db == 0 ? 0 : 8 * half_db + 16 * offset_db;
        sdd->push_back(static_cast<uint8_t>(entry));
        sdd->push_back(static_cast<uint8_t>(entry >> 8));
    }
}

}  // namespace

std::vector<uint8_t> sim_boot_sdd() {
    std::vector<uint8_t> sdd = {
        SDD_ELEMENT_VERSION,     2, SIM_BOOT_SDD_VERSION / 10, SIM_BOOT_SDD_VERSION % 10,
        SDD_ELEMENT_FREQ_OFFSET, 2, SIM_BOOT_FREQ_OFFSET,      0,
    };
    push_power_element(&sdd, SDD_ELEMENT_USER_POWER_OLD, 3);
    push_power_element(&sdd, SDD_ELEMENT_USER_POWER, 0);
    return sdd;
}

const char* sim_file_status_text(RqmFileStatus s) {
    switch (s) {
    case RQM_FILE_NOT_REGULAR:
        return ": not a regular file";
    case RQM_FILE_READ_FAILED:
    case RQM_FILE_TOO_LARGE:
    case RQM_FILE_NO_MEMORY:
        return ": a read failed";
    case RQM_FILE_OK:
    case RQM_FILE_NO_OPEN:
        break;
    }
    return "";
}

RqmFileStatus sim_read_file(const std::string& path, size_t max, std::vector<uint8_t>* bytes) {
    RqmFileStatus status;
    const int fd = rqm_open_regular(path.c_str(), O_RDONLY, &status);
    if (fd < 0)
        return status;
    std::vector<uint8_t> buf(max);
    size_t got = 0;
    while (got < buf.size()) {
        const ssize_t n = read(fd, buf.data() + got, buf.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            status = RQM_FILE_READ_FAILED;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (status != RQM_FILE_OK)
        return status;
    buf.resize(got);
    *bytes = std::move(buf);
    return RQM_FILE_OK;
}

// Only the stand-in's own file is written. What stood at its path goes
// first, and O_EXCL opens only the file this call made, so a FIFO put
// there cannot hold the open.
bool sim_write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    unlink(path.c_str());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return close(fd) == 0 && done == bytes.size();
}

bool sim_private_dir_make(std::string* dir, std::string* sdd_path, std::string* err) {
    const std::string tail = std::string("/rqmsim.XXXXXX/") + SIM_BOOT_SDD_NAME;
    std::string base = "/tmp";
    // The tool's buffer holds no longer path than the driver keeps.
    if (const char* t = getenv("TMPDIR");
        t != nullptr && *t == '/' && strlen(t) + tail.size() <= SIM_SDD_PATH_MAX)
        base = t;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    std::string tmpl = base + "/rqmsim.XXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) {
        *err = "cannot make a directory like " + tmpl + ": " + strerror(errno);
        return false;
    }
    *dir = tmpl;
    *sdd_path = tmpl + "/" + SIM_BOOT_SDD_NAME;
    return true;
}

void sim_private_dir_remove(const std::string& dir, const std::string& sdd_path) {
    unlink(sdd_path.c_str());
    rmdir(dir.c_str());
}
