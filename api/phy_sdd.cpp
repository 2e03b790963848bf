// The SDD file: the chip's configuration file of tagged elements. The
// driver tells where it lies; the tool reads it, dumps it, and edits the
// user power table and the crystal frequency offset in place.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/file_read.h"
#include "common/hi_msg.h"
#include "rqm_api.h"
#include "rqm_sdd.h"
#include "sdd_request.h"
#include "transport/adapter.h"

bool rqm_sdd_path_query(RqmApiContext* ctx, char* path, int* pResult) {
    RqmRequest<SDD_PATH_REQ_LEN> req(HI_GET_SDD_PATH_REQ_ID);
    RqmCnf<SDD_PATH_CNF_SIZE> cnf;
    uint32_t len = 0;
    int result = rqm_exchange(ctx, req, cnf, SDD_PATH_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = rqm_decode_sdd_path(cnf.reader(), path, &len);
    if (result != RQM_SUCCESS) {
        *pResult = result;
        return false;
    }
    if (len == 0) {
        puts("get sdd path error!");
        *pResult = RQM_STEP_FAILED;
        return false;
    }
    *pResult = static_cast<int>(len);
    return true;
}

// The line that tells why an SDD file could not be used.
static void put_file_failure(const char* path, RqmFileStatus status, uint32_t maxSize) {
    if (status == RQM_FILE_NO_OPEN)
        printf("open \"%s\" is failure!\n", path);
    rqm_put_file_refusal(path, status, maxSize);
}

// The whole file, up to RQM_SDD_FILE_MAX bytes; false after the line that
// tells why when it cannot be opened or read.
bool rqm_read_sdd_file(const char* path, RqmSddFile* file) {
    uint32_t size = 0;
    const RqmFileStatus status = rqm_load_file(path, 0, RQM_SDD_FILE_MAX, &file->pBytes, &size);
    if (status != RQM_FILE_OK) {
        put_file_failure(path, status, RQM_SDD_FILE_MAX);
        return false;
    }
    file->Size = size;
    return true;
}

namespace {

// The path query that opens every file operation: a failure is reported
// as the query's own, then ends the operation with -1 under its name.
bool sdd_path_for(RqmApiContext* ctx, char* path, const char* name) {
    int result = 0;
    if (!rqm_sdd_path_query(ctx, path, &result)) {
        reported(ctx, result, "RQM_GetSddPatch");
        reported(ctx, RQM_STEP_FAILED, name);
        return false;
    }
    printf("sdd_path = %s\n", path);
    return true;
}

struct Element {
    int Offset;  // of the id byte; -1 when absent
    const uint8_t* pData;
    uint8_t Length;
};

// The first element with the id; one of length 0 counts as absent.
Element find_element(const RqmSddFile& file, uint8_t id) {
    const uint8_t* data = nullptr;
    uint8_t len = 0;
    const int offset = rqm_get_sdd_param(file.pBytes, static_cast<int>(file.Size), id, &data, &len);
    if (data == nullptr || len == 0)
        return {-1, nullptr, 0};
    return {offset, data, len};
}

}  // namespace

int RQM_GetSddPatch(RqmApiContext* ctx, char* pPath) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetSddPatch");
    if (pPath == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetSddPatch");
    int result = 0;
    if (!rqm_sdd_path_query(ctx, pPath, &result))
        return reported(ctx, result, "RQM_GetSddPatch");
    return result;
}

// Each row is formatted whole and written at once: a megabyte's dump
// would otherwise be a printf per byte.
void RQM_sddShow(const uint8_t* pData, int Count) {
    printf("sddLength = %d\n", Count);
    static constexpr char HEX[] = "0123456789abcdef";
    // A line end, the row label "%08xh:  " and 16 cells of "%02x  ".
    char line[1 + 11 + 16 * 4 + 1];
    for (int row = 0; row * 16 < Count; ++row) {
        int n = snprintf(line, sizeof line, "%s%08xh:  ", row != 0 ? "\n" : "", static_cast<unsigned>(row));
        const int end = Count - row * 16 < 16 ? Count : row * 16 + 16;
        for (int i = row * 16; i < end; ++i) {
            line[n++] = HEX[pData[i] >> 4];
            line[n++] = HEX[pData[i] & 0xF];
            line[n++] = ' ';
            line[n++] = ' ';
        }
        fwrite(line, 1, static_cast<size_t>(n), stdout);
    }
    printf("\n");
}

int RQM_ReadSdd(int Show, const char* pchPath, uint8_t* pBuffer, int Size) {
    RqmFileStatus status = RQM_FILE_OK;
    const int fd = rqm_open_regular(pchPath, O_RDONLY, &status);
    if (fd < 0) {
        put_file_failure(pchPath, status, 0);
        return -1;
    }
    const ssize_t n = Size > 0 ? read(fd, pBuffer, static_cast<size_t>(Size)) : 0;
    close(fd);
    if (n < 0)
        return -1;
    if (Show)
        RQM_sddShow(pBuffer, static_cast<int>(n));
    return static_cast<int>(n);
}

int RQM_ModifySdd(const uint8_t* pData, int Length, int Offset, const char* pchPath) {
    RqmFileStatus status = RQM_FILE_OK;
    const int fd = rqm_open_regular(pchPath, O_RDWR, &status);
    if (fd < 0) {
        put_file_failure(pchPath, status, 0);
        return -1;
    }
    // The edit counts only when every byte reached the file.
    bool ok = lseek(fd, Offset + 2, SEEK_SET) == Offset + 2 &&
              write(fd, pData, static_cast<size_t>(Length)) == static_cast<ssize_t>(Length) && fsync(fd) == 0;
    lseek(fd, 0, SEEK_SET);
    ok = close(fd) == 0 && ok;
    return ok ? 0 : -1;
}

int RQM_GetSddPower(RqmApiContext* ctx, uint8_t Id, uint16_t* pTable) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetSddPower");
    if (pTable == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetSddPower");
    char path[SDD_PATH_MAX + 1];
    if (!sdd_path_for(ctx, path, "RQM_GetSddPower"))
        return RQM_STEP_FAILED;
    RqmSddFile file;
    const Element e = rqm_read_sdd_file(path, &file) ? find_element(file, Id) : Element{-1, nullptr, 0};
    if (e.Offset < 0) {
        puts("Power_ies not found!");
        return reported(ctx, RQM_STEP_FAILED, "RQM_GetSddPower");
    }
    uint8_t table[SDD_USER_POWER_BYTES] = {};
    memcpy(table, e.pData, e.Length < SDD_USER_POWER_BYTES ? e.Length : SDD_USER_POWER_BYTES);
    for (unsigned i = 0; i < SDD_USER_POWER_ENTRIES; ++i)
        pTable[i] = hi_rd16(table + 2 * i);
    return RQM_SUCCESS;
}

int RQM_SetSddPower(RqmApiContext* ctx, uint8_t Id, const uint16_t* pTable) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetSddPower");
    if (pTable == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetSddPower");
    char path[SDD_PATH_MAX + 1];
    if (!sdd_path_for(ctx, path, "RQM_SetSddPower"))
        return RQM_STEP_FAILED;
    RqmSddFile file;
    const Element e = rqm_read_sdd_file(path, &file) ? find_element(file, Id) : Element{-1, nullptr, 0};
    // Nothing to write is a failure, as it is for the read.
    if (e.Offset < 0) {
        puts("Power_ies not found!");
        return reported(ctx, RQM_STEP_FAILED, "RQM_SetSddPower");
    }
    const unsigned bytes = e.Length < SDD_USER_POWER_BYTES ? e.Length : SDD_USER_POWER_BYTES;
    uint8_t table[SDD_USER_POWER_BYTES] = {};
    memcpy(table, e.pData, bytes);
    for (unsigned i = 0; i < SDD_USER_POWER_ENTRIES; ++i)
        if (pTable[i] != 0)
            hi_wr16(table + 2 * i, pTable[i]);
    const int result = RQM_ModifySdd(table, static_cast<int>(bytes), e.Offset, path);
    return reported(ctx, result, "RQM_SetSddPower");
}

int RQM_GetSddFreqOffset(RqmApiContext* ctx) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetSddFreqOffset");
    char path[SDD_PATH_MAX + 1];
    if (!sdd_path_for(ctx, path, "RQM_GetSddFreqOffset"))
        return RQM_STEP_FAILED;
    RqmSddFile file;
    if (!rqm_read_sdd_file(path, &file) || file.Size == 0) {
        puts("Failed to read the SDD file!");
        return reported(ctx, RQM_STEP_FAILED, "RQM_GetSddFreqOffset");
    }
    const Element e = find_element(file, SDD_ELEMENT_FREQ_OFFSET);
    unsigned value = 0;
    if (e.Offset < 0)
        puts("sdd freq offset not found!");
    else
        value = e.Length >= 2 ? hi_rd16(e.pData) : e.pData[0];
    printf("sdd_freq_offset = %d\n", value);
    return RQM_SUCCESS;
}

int RQM_SetSddFreqOffset(RqmApiContext* ctx, uint16_t Value) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_SetSddFreqOffset");
    // Out of range before the driver is asked anything.
    if (Value > SDD_FREQ_OFFSET_MAX)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetSddFreqOffset");
    char path[SDD_PATH_MAX + 1];
    if (!sdd_path_for(ctx, path, "RQM_SetSddFreqOffset"))
        return RQM_STEP_FAILED;
    RqmSddFile file;
    if (!rqm_read_sdd_file(path, &file) || file.Size == 0) {
        puts("Failed to read the SDD file!");
        return RQM_STEP_FAILED;
    }
    const Element e = find_element(file, SDD_ELEMENT_FREQ_OFFSET);
    if (e.Offset < 0) {
        puts("sdd freq offset not found!");
        return RQM_STEP_FAILED;
    }
    uint8_t bytes[2];
    hi_wr16(bytes, Value);
    const int result = RQM_ModifySdd(bytes, e.Length >= 2 ? 2 : 1, e.Offset, path);
    return reported(ctx, result, "RQM_SetSddFreqOffset");
}

int RQM_GetSddVeresion(RqmApiContext* ctx, uint8_t* pVersion) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetSddVeresion");
    if (pVersion == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetSddVeresion");
    RqmRequest<SDD_ELEMENT_REQ_LEN> req;
    rqm_encode_sdd_element(req, SDD_ELEMENT_VERSION);
    auto* cnf = static_cast<uint8_t*>(calloc(SDD_ELEMENT_CNF_SIZE, 1));
    if (cnf == nullptr)
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_GetSddVeresion");
    int result = rqm_exchange(ctx, req, cnf, SDD_ELEMENT_CNF_SIZE, SDD_ELEMENT_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = rqm_decode_sdd_version(RqmCnfReader(cnf, SDD_ELEMENT_CNF_SIZE), pVersion);
    free(cnf);
    return reported(ctx, result, "RQM_GetSddVeresion");
}

int RQM_DownloadSdd(RqmApiContext* ctx, const char* pchSddFilePath, int bWriteSDD, int Reserved) {
    RQM_UI_Printf(ctx, "RQM_DownloadSdd(%s)\n", pchSddFilePath != nullptr ? pchSddFilePath : "");
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_DownloadSdd");
    if (Reserved != 0 || pchSddFilePath == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_DownloadSdd");

    uint8_t* file = nullptr;  // owned when read from disk
    const uint8_t* data = nullptr;
    uint32_t n = 0;
    uint8_t trailer = static_cast<uint8_t>(bWriteSDD);
    if (pchSddFilePath[0] == '\0') {
        trailer = 2;
    } else if (pchSddFilePath[0] == '^') {
        data = reinterpret_cast<const uint8_t*>(pchSddFilePath);
        n = static_cast<uint32_t>(strlen(pchSddFilePath) + 1);
        RQM_Debug_PrintOutput0(
            ctx,
            "SDD file is on the remote device. SDD data not in message, Remove Server must intercept!\n");
    } else {
        file = rqm_read_whole_file(ctx, pchSddFilePath, 0, RQM_SDD_FILE_MAX,
                                   "cannot allocate memory for file contents\n", &n);
        if (file == nullptr)
            return reported(ctx, RQM_FILE_ERROR, "RQM_DownloadSdd");
        data = file;
    }
    // The whole file travels in one message: one the channel or the
    // firmware cannot take is refused here, not half sent.
    const uint32_t msgLen = n + SDD_DOWNLOAD_OVERHEAD;
    if (msgLen > rqm_largest_message(ctx)) {
        free(file);
        return reported(ctx, RQM_MESSAGE_TOO_LARGE, "RQM_DownloadSdd");
    }
    auto* msg = static_cast<uint8_t*>(malloc(msgLen));
    if (msg == nullptr) {
        free(file);
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_DownloadSdd");
    }
    RqmReqBuilder req(msg, msgLen);
    rqm_encode_sdd_download(req, data, n, trailer);
    const int result = rqm_status_exchange<SDD_DOWNLOAD_CNF_SIZE>(ctx, req);
    free(msg);
    free(file);
    return reported(ctx, result, "RQM_DownloadSdd");
}
