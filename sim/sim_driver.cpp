#include "sim/sim_driver.h"

#include <algorithm>

#include "sim/sim_boot.h"
#include "sim/sim_model.h"
#include "sim/sim_util.h"

// A driver that has loaded the chip runs it on an SDD and knows the file
// it came from; a file of the stand-in's own is put back as it was, one of
// the user's is taken as it stands (none in use when it cannot be read).
static void start_sdd(SimDriver* d) {
    d->sdd = sim_boot_sdd();
    if (d->start_sdd_path.empty()) {
        d->sdd_path = SIM_DEFAULT_SDD_PATH;
        return;
    }
    d->sdd_path = d->start_sdd_path;
    if (d->start_sdd_own) {
        sim_write_file(d->sdd_path, d->sdd);
        return;
    }
    std::vector<uint8_t> file;
    d->sdd = drv_read_sdd_file(*d, &file) == RQM_FILE_OK ? std::move(file) : std::vector<uint8_t>{};
}

void drv_reset(SimDriver* d) {
    d->connected = false;
    d->wifi_on = false;
    d->boot_ind = true;
    for (auto& space : d->reg_spaces)
        space.clear();
    d->fw_download = SimDownload{};
    d->sdd_download = SimDownload{};
    d->record.fill(0);
    d->params.fill(0);
    d->sdd_path_len_forced = false;
    d->sdd_path_len = 0;
    start_sdd(d);
    d->sdd_live = false;
    d->have_sdd54 = false;
    d->sdd54.clear();
    d->version = SIM_DEFAULT_DRIVER_VERSION;
    d->min_tool_version = SIM_DEFAULT_MIN_TOOL_VERSION;
    d->cli_len = SIM_RECORD_SIZE;
}

std::vector<uint8_t> drv_boot_ind(uint32_t state, uint32_t res) {
    std::vector<uint8_t> m(BOOT_IND_SIZE, 0);
    hi_set_msg_len(m.data(), BOOT_IND_SIZE);
    hi_set_msg_id(m.data(), HI_BOOT_IND_ID);
    hi_wr32(m.data() + BOOT_IND_STATE_OFF, state);
    hi_wr32(m.data() + BOOT_IND_RES_OFF, res);
    return m;
}

// Answered in any state: the tool asks it before it connects, to learn
// whether a firmware is already up.
void drv_api_context(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    std::vector<uint8_t> c = sim_cnf(rq.id, API_CTX_CNF_SIZE, 0);
    c[API_CTX_FW_RUNNING_OFF] = m->drv.connected ? 1 : 0;
    hi_wr32(c.data() + API_CTX_MIB_BASE_OFF, m->fw.mib_base);
    hi_wr16(c.data() + API_CTX_API_VER_OFF, m->fw.api_ver);
    ans->msgs.push_back(std::move(c));
}

// A 12-byte request carries the tool's version word; an older tool sends
// none and the driver lets it in.
static bool tool_too_old(const SimModel& m, const SimRequest& rq) {
    return rq.msg.size() >= CONNECT_REQ_SIZE &&
           hi_rd32(rq.msg.data() + CONNECT_REQ_VERSION_OFF) < m.drv.min_tool_version;
}

// The firmware comes up from its boot loader: test mode holds and the
// firmware is awake.
static void firmware_up(SimModel* m) {
    m->drv.connected = true;
    m->fw.asleep = false;
}

// The firmware drops to its boot loader: test mode ends, numbering stops,
// and a download in progress is abandoned.
static void firmware_down(SimModel* m) {
    m->drv.connected = false;
    m->fw.numbering = false;
    m->fw.asleep = false;
    m->drv.fw_download.active = false;
    m->drv.sdd_download.active = false;
}

// The boot loader reports before the firmware announces itself, so the tool
// has seen both by the time its handshake ends.
void drv_connect(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    if (m->drv.connected) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_ALREADY_CONNECTED));
        return;
    }
    if (tool_too_old(*m, rq)) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_TOOL_TOO_OLD));
        return;
    }
    // Test mode and the chip's ordinary Wi-Fi mode exclude each other.
    if (m->drv.wifi_on) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_WIFI_ON));
        return;
    }
    firmware_up(m);
    if (m->drv.boot_ind)
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_LOADER_READY, 0));
    ans->msgs.push_back(fw_startup_ind(m->fw, m->fw.window));
}

void drv_disconnect(SimModel* m, const SimRequest&, SimAnswer* ans) {
    if (!m->drv.connected) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_NOT_CONNECTED));
        return;
    }
    firmware_down(m);
    ans->msgs.push_back(drv_boot_ind(BOOT_STATE_DISCONNECTED, 0));
}

// The firmware is restarted behind a live connection: the tool sees the
// boot loader come up and then a fresh startup, which restarts numbering.
// The longer form is the API's request, which awaits a confirmation whose
// word at 8 is its result; the header-only form is the transport's own
// restart signal and awaits the startup alone.
void drv_reconnect(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    if (!m->drv.connected) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_NOT_CONNECTED));
        return;
    }
    if (tool_too_old(*m, rq)) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_REFUSED, BOOT_RES_TOOL_TOO_OLD));
        return;
    }
    firmware_up(m);
    ans->msgs.push_back(drv_boot_ind(BOOT_STATE_LOADER_READY, 0));
    ans->msgs.push_back(fw_startup_ind(m->fw, m->fw.window));
    if (rq.msg.size() > HI_MSG_HEADER_SIZE)
        ans->msgs.push_back(sim_cnf(rq.id, DRIVER_RESULT_CNF_SIZE, 0));
}

// Honoured in any state: the firmware drops back to its boot loader, so the
// tool has to connect again before anything reaches it. In test mode it is
// the tool's soft reset, which awaits a confirmation; outside test mode it
// is how the transport reaches the boot loader before a download, and
// nobody awaits more than the boot loader's report.
void drv_reboot(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const bool soft_reset = m->drv.connected;
    firmware_down(m);
    ans->msgs.push_back(drv_boot_ind(BOOT_STATE_LOADER_READY, 0));
    if (soft_reset)
        ans->msgs.push_back(sim_cnf(rq.id, DRIVER_RESULT_CNF_SIZE, 0));
}

// The tool fetches its state before it connects as well as after, so both
// requests are the driver's own business and answered in any state. Neither
// looks at the tool's version word; only a connect enforces the minimum.
// The length tells the two tools' forms apart, as it does for the driver:
// a header alone asks for the values kept one by one, 16 bytes or more for
// the record.
void drv_cli_fetch(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    if (rq.msg.size() == CLI_PARAM_FETCH_REQ_SIZE) {
        std::vector<uint8_t> c = sim_cnf(rq.id, CLI_PARAM_FETCH_CNF_SIZE, 0);
        hi_wr32(c.data() + CLI_PARAM_FETCH_COUNT_OFF, CLI_PARAM_FETCH_CNF_SIZE - CLI_PARAM_FETCH_WORDS_OFF);
        unsigned off = CLI_PARAM_FETCH_WORDS_OFF;
        for (uint32_t id = 0; id < CLI_PARAM_IDS; ++id) {
            if (id == CLI_PARAM_UNUSED_ID)
                continue;
            hi_wr32(c.data() + off, m->drv.params[id]);
            off += 4;
        }
        ans->msgs.push_back(std::move(c));
        return;
    }
    if (rq.msg.size() < CLI_FETCH_REQ_SIZE) {
        ans->msgs.push_back(sim_unmodelled_cnf(rq.id));
        return;
    }
    std::vector<uint8_t> c = sim_cnf(rq.id, CLI_FETCH_CNF_SIZE, 0);
    hi_wr32(c.data() + CLI_LEN_OFF, m->drv.cli_len);
    hi_wr32(c.data() + CLI_VERSION_OFF, m->drv.version);
    std::copy(m->drv.record.begin(), m->drv.record.end(), c.begin() + CLI_RECORD_OFF);
    ans->msgs.push_back(std::move(c));
}

// The record is opaque to the driver: it keeps the 50 bytes whatever the
// length word says. A 16-byte push keeps one value by id; an id the driver
// does not know is refused and keeps nothing.
void drv_cli_push(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    if (rq.msg.size() == CLI_PARAM_PUSH_REQ_SIZE) {
        const uint32_t id = hi_rd32(rq.msg.data() + CLI_PARAM_ID_OFF);
        const bool known = id < CLI_PARAM_IDS;
        if (known)
            m->drv.params[id] = hi_rd32(rq.msg.data() + CLI_PARAM_VALUE_OFF);
        ans->msgs.push_back(sim_cnf(rq.id, CLI_PARAM_PUSH_CNF_SIZE, known ? 0 : SIM_STATUS_REFUSED));
        return;
    }
    if (rq.msg.size() < CLI_PUSH_REQ_MIN_SIZE) {
        ans->msgs.push_back(sim_unmodelled_cnf(rq.id));
        return;
    }
    std::copy_n(rq.msg.begin() + CLI_RECORD_OFF, SIM_RECORD_SIZE, m->drv.record.begin());
    ans->msgs.push_back(sim_cnf(rq.id, CLI_PUSH_CNF_SIZE, 0));
}

std::map<uint32_t, uint32_t>* drv_reg_space(SimDriver* d, uint32_t type) {
    if (type < SIM_REG_TYPE_HIF || type > SIM_REG_TYPE_APB)
        return nullptr;
    return &d->reg_spaces[type - SIM_REG_TYPE_HIF];
}

bool drv_reg_address_ok(uint32_t type, uint32_t addr) {
    return type == SIM_REG_TYPE_HIF || (addr & 3) == 0;
}

// The driver reads whole 32-bit registers, so the answer carries the count
// rounded up to a word; it refuses an unknown type, an unaligned AHB or APB
// address and more than one answer can carry. Answered in any state: the
// bus belongs to the driver, not to the test firmware.
void drv_read_reg_type(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint8_t* req = rq.msg.data();
    const uint32_t type = hi_rd32(req + READ_REG_TYPE_TYPE_OFF);
    const std::map<uint32_t, uint32_t>* space = drv_reg_space(&m->drv, type);
    const uint32_t addr = hi_rd32(req + READ_REG_TYPE_ADDR_OFF);
    const uint32_t count = hi_rd32(req + READ_REG_TYPE_COUNT_OFF);
    if (space == nullptr || !drv_reg_address_ok(type, addr) || count > READ_REG_TYPE_MAX_BYTES) {
        ans->msgs.push_back(sim_cnf(rq.id, READ_REG_TYPE_CNF_HEAD, SIM_STATUS_REFUSED));
        return;
    }
    const uint32_t n = (count + 3) & ~3u;
    if (type == SIM_REG_TYPE_AHB)
        sim_ramread_before_read(m, addr, n, sim_now_ms());
    std::vector<uint8_t> c = sim_cnf(rq.id, READ_REG_TYPE_CNF_HEAD + n, 0);
    hi_wr32(c.data() + HI_MSG_PARAM_OFF, n);
    for (uint32_t off = 0; off < n; off += 4)
        hi_wr32(c.data() + READ_REG_TYPE_CNF_HEAD + off, sim_word(*space, addr + off));
    ans->msgs.push_back(std::move(c));
}

// The answer repeats the request with the status in place of its first word.
void drv_write_reg_type(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const uint8_t* req = rq.msg.data();
    const uint32_t type = hi_rd32(req + WRITE_REG_TYPE_TYPE_OFF);
    std::map<uint32_t, uint32_t>* space = drv_reg_space(&m->drv, type);
    const uint32_t addr = hi_rd32(req + WRITE_REG_TYPE_ADDR_OFF);
    const uint32_t value = hi_rd32(req + WRITE_REG_TYPE_VALUE_OFF);
    const bool valid = space != nullptr && drv_reg_address_ok(type, addr);
    // The firmware's RAM log takes the host's clears of its flag words.
    const bool ram_log = valid && type == SIM_REG_TYPE_AHB && sim_ramread_write(m, addr, value);
    if (valid && !ram_log)
        sim_put_word(space, addr, value);
    ans->msgs.push_back(sim_echo_cnf(rq, WRITE_REG_TYPE_REQ_SIZE, valid ? 0 : SIM_STATUS_REFUSED));
}

// Chunks join by offset: one at offset 0 starts a download (the only chunk
// of a small file carries just the last flag), each later one must follow
// the bytes so far and agree on whether they are a name. Nothing answers a
// chunk but the last: the boot loader reports the SDD file (State 4), or
// the image and the firmware it starts (State 3, then the startup). A
// download whose chunks did not join up is kept as nothing and reported
// with the same State and Res 1.
void drv_download(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const bool image = rq.id == HI_FW_DOWNLOAD_REQ_ID;
    SimDownload& d = image ? m->drv.fw_download : m->drv.sdd_download;
    const uint32_t offset = hi_rd32(rq.msg.data() + DOWNLOAD_OFFSET_OFF);
    const uint32_t flags = hi_rd32(rq.msg.data() + DOWNLOAD_FLAGS_OFF);
    const bool name = (flags & DOWNLOAD_FLAG_NAME) != 0;
    if (offset == 0 || (flags & DOWNLOAD_FLAG_FIRST) != 0) {
        d.active = true;
        d.broken = false;
        d.name = name;
        d.part.clear();
    } else if (!d.active) {
        d.active = true;
        d.broken = true;
        d.name = name;
        d.part.clear();
    }
    if (offset != d.part.size() || name != d.name)
        d.broken = true;
    if (!d.broken)
        d.part.insert(d.part.end(), rq.msg.begin() + DOWNLOAD_HEAD, rq.msg.end());
    if ((flags & DOWNLOAD_FLAG_LAST) == 0)
        return;
    d.active = false;
    const uint32_t res = d.broken ? BOOT_RES_BAD_DOWNLOAD : 0;
    if (!d.broken) {
        d.have_done = true;
        d.done_name = d.name;
        d.done = std::move(d.part);
        // The driver hands a whole SDD file to the firmware, which then
        // runs on it; a name only says where a file lies.
        if (!image && !d.done_name)
            m->drv.sdd = d.done;
    }
    d.part.clear();
    if (!image) {
        ans->msgs.push_back(drv_boot_ind(BOOT_STATE_SDD_RESULT, res));
        return;
    }
    ans->msgs.push_back(drv_boot_ind(BOOT_STATE_LOADER_READY, res));
    if (res == 0) {
        firmware_up(m);
        ans->msgs.push_back(fw_startup_ind(m->fw, m->fw.window));
    }
}

// The answer carries the path as the driver holds it; only its length word
// can be made to lie, so a test can hand the tool a length of 0, or one
// beyond what the answer carries or the tool's buffer holds.
void drv_sdd_path(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    const std::string& path = m->drv.sdd_path;
    std::vector<uint8_t> c = sim_cnf(rq.id, SDD_PATH_CNF_PATH_OFF + static_cast<unsigned>(path.size()), 0);
    const uint32_t len =
        m->drv.sdd_path_len_forced ? m->drv.sdd_path_len : static_cast<uint32_t>(path.size());
    hi_wr32(c.data() + SDD_PATH_CNF_LEN_OFF, len);
    std::copy(path.begin(), path.end(), c.begin() + SDD_PATH_CNF_PATH_OFF);
    ans->msgs.push_back(std::move(c));
}

RqmFileStatus drv_read_sdd_file(const SimDriver& d, std::vector<uint8_t>* bytes) {
    return sim_read_file(d.sdd_path, SIM_SDD_FILE_MAX, bytes);
}

// One that runs past the end of the SDD is not handed out: its data would
// be partly invented.
bool drv_find_sdd_element(const std::vector<uint8_t>& sdd, uint8_t id, size_t* data_off, uint8_t* len) {
    size_t off = 0;
    while (off + 2 <= sdd.size()) {
        const uint8_t l = sdd[off + 1];
        if (off + 2 + l > sdd.size())
            return false;
        if (sdd[off] == id) {
            *data_off = off + 2;
            *len = l;
            return true;
        }
        off += 2 + l;
    }
    return false;
}

// The SDD in use is the driver's, so it answers whether or not a tool is
// connected. An absent element is status 1 and no data.
void drv_sdd_element(SimModel* m, const SimRequest& rq, SimAnswer* ans) {
    SimDriver& d = m->drv;
    if (d.sdd_live) {
        std::vector<uint8_t> file;
        d.sdd = drv_read_sdd_file(d, &file) == RQM_FILE_OK ? std::move(file) : std::vector<uint8_t>{};
    }
    size_t off = 0;
    uint8_t len = 0;
    if (!drv_find_sdd_element(d.sdd, rq.msg[SDD_ELEMENT_REQ_ID_OFF], &off, &len)) {
        ans->msgs.push_back(sim_cnf(rq.id, SDD_ELEMENT_CNF_DATA_OFF, SIM_STATUS_REFUSED));
        return;
    }
    std::vector<uint8_t> c = sim_cnf(rq.id, SDD_ELEMENT_CNF_DATA_OFF + len, 0);
    hi_wr32(c.data() + SDD_ELEMENT_CNF_LEN_OFF, len);
    std::copy_n(d.sdd.begin() + static_cast<std::ptrdiff_t>(off), len, c.begin() + SDD_ELEMENT_CNF_DATA_OFF);
    ans->msgs.push_back(std::move(c));
}
