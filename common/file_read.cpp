#include "common/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "common/rqm_context.h"

int rqm_open_regular(const char* pchPath, int Flags, RqmFileStatus* pStatus, uint64_t* pSize) {
    const int fd = pchPath != nullptr ? open(pchPath, Flags | O_NONBLOCK | O_CLOEXEC) : -1;
    if (fd < 0) {
        *pStatus = RQM_FILE_NO_OPEN;
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        *pStatus = RQM_FILE_NOT_REGULAR;
        return -1;
    }
    *pStatus = RQM_FILE_OK;
    if (pSize != nullptr)
        *pSize = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    return fd;
}

// Reads exactly count bytes; a file that shrank since it was measured reads
// short, and half a file is no file.
static bool read_exactly(int fd, uint8_t* dst, uint32_t count) {
    uint32_t got = 0;
    while (got < count) {
        const ssize_t n = read(fd, dst + got, count - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += static_cast<uint32_t>(n);
    }
    return true;
}

RqmFileStatus rqm_load_file(const char* pchPath, uint32_t Headroom, uint32_t MaxSize, uint8_t** ppBuffer,
                            uint32_t* pSize) {
    *ppBuffer = nullptr;
    RqmFileStatus status = RQM_FILE_OK;
    uint64_t fileSize = 0;
    const int fd = rqm_open_regular(pchPath, O_RDONLY, &status, &fileSize);
    if (fd < 0)
        return status;
    if (fileSize > MaxSize) {
        close(fd);
        return RQM_FILE_TOO_LARGE;
    }
    const auto size = static_cast<uint32_t>(fileSize);
    // Counted in 64 bits: on the 32-bit board headroom and size together
    // may exceed what malloc can be asked for.
    uint64_t total = uint64_t{Headroom} + size;
    if (total == 0)
        total = 1;
    auto* buffer = total <= SIZE_MAX ? static_cast<uint8_t*>(malloc(static_cast<size_t>(total))) : nullptr;
    if (buffer == nullptr) {
        close(fd);
        return RQM_FILE_NO_MEMORY;
    }
    if (pSize != nullptr)
        *pSize = size;
    const bool read = read_exactly(fd, buffer + Headroom, size);
    close(fd);
    if (!read) {
        free(buffer);
        return RQM_FILE_READ_FAILED;
    }
    *ppBuffer = buffer;
    return RQM_FILE_OK;
}

void rqm_put_file_refusal(const char* pchPath, RqmFileStatus Status, uint32_t MaxSize) {
    switch (Status) {
    case RQM_FILE_NOT_REGULAR:
        printf("\"%s\" is not a regular file!\n", pchPath);
        break;
    case RQM_FILE_TOO_LARGE:
        printf("\"%s\" is larger than %u bytes!\n", pchPath, MaxSize);
        break;
    case RQM_FILE_READ_FAILED:
    case RQM_FILE_NO_MEMORY:
        printf("read \"%s\" is failure!\n", pchPath);
        break;
    case RQM_FILE_OK:
    case RQM_FILE_NO_OPEN:
        break;
    }
}

uint8_t* rqm_read_whole_file(RqmApiContext* ctx, const char* pchPath, uint32_t Headroom, uint32_t MaxSize,
                             const char* pchNoMemory, uint32_t* pSize) {
    uint8_t* buffer = nullptr;
    switch (rqm_load_file(pchPath, Headroom, MaxSize, &buffer, pSize)) {
    case RQM_FILE_OK:
        return buffer;
    case RQM_FILE_NO_OPEN:
        RQM_UI_Printf(ctx, "Cannot open file %s\n", pchPath != nullptr ? pchPath : "");
        return nullptr;
    case RQM_FILE_NO_MEMORY:
        RQM_UI_Printf(ctx, "%s", pchNoMemory);
        return nullptr;
    case RQM_FILE_NOT_REGULAR:
    case RQM_FILE_TOO_LARGE:
    case RQM_FILE_READ_FAILED:
        break;
    }
    RQM_UI_Printf(ctx, "Image file error\n");
    return nullptr;
}
