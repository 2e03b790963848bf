// The SDD file access of the test API.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "common/sdd_elements.h"

struct RqmApiContext;

inline constexpr unsigned SDD_USER_POWER_ENTRIES = 12;  // 1/16 dB each
inline constexpr unsigned SDD_USER_POWER_BYTES = 2 * SDD_USER_POWER_ENTRIES;
inline constexpr unsigned SDD_PATH_MAX = 64;  // path buffers hold one more for the NUL
inline constexpr uint16_t SDD_FREQ_OFFSET_MAX = 127;
// Far above any chip's SDD: a longer file is not one, and is not read.
inline constexpr uint32_t RQM_SDD_FILE_MAX = 1u << 20;

struct SddElement {
    uint8_t Id;
    uint8_t Length;
    const uint8_t* pData;
};

struct SddUserPower {
    uint16_t Entry[SDD_USER_POWER_ENTRIES];
};

// The byte offset of the first element with the id, or the bytes walked;
// the outputs are written only when it is found whole inside Count bytes.
int rqm_get_sdd_param(const uint8_t* pFile, int Count, uint8_t Id, const uint8_t** ppData, uint8_t* pLength);
// The path length (1 to 64) into a buffer of at least 65 bytes, or a code.
int RQM_GetSddPatch(RqmApiContext* pRqmApiContext, char* pPath);
void RQM_sddShow(const uint8_t* pData, int Count);
int RQM_ReadSdd(int Show, const char* pchPath, uint8_t* pBuffer, int Size);
int RQM_ModifySdd(const uint8_t* pData, int Length, int Offset, const char* pchPath);
int RQM_GetSddPower(RqmApiContext* pRqmApiContext, uint8_t Id, uint16_t* pTable);
int RQM_SetSddPower(RqmApiContext* pRqmApiContext, uint8_t Id, const uint16_t* pTable);
int RQM_GetSddFreqOffset(RqmApiContext* pRqmApiContext);
int RQM_SetSddFreqOffset(RqmApiContext* pRqmApiContext, uint16_t Value);
int RQM_GetSddVeresion(RqmApiContext* pRqmApiContext, uint8_t* pVersion);
int RQM_DownloadSdd(RqmApiContext* pRqmApiContext, const char* pchSddFilePath, int bWriteSDD, int Reserved);

// Asks the driver where the SDD file lies: true with the terminated path
// in a buffer of 65 bytes, false with the failure code in *pResult.
bool rqm_sdd_path_query(RqmApiContext* pRqmApiContext, char* pPath, int* pResult);
// An SDD file read whole: one buffer of the file's size, which the loader
// bounds by RQM_SDD_FILE_MAX, freed with the record.
struct RqmSddFile {
    uint8_t* pBytes = nullptr;
    uint32_t Size = 0;

    RqmSddFile() = default;
    RqmSddFile(const RqmSddFile&) = delete;
    RqmSddFile& operator=(const RqmSddFile&) = delete;
    ~RqmSddFile() { free(pBytes); }
};

// The whole file, up to RQM_SDD_FILE_MAX bytes; false after the line that
// tells why it cannot be opened or read (not a regular file, too large).
// pFile must be empty.
bool rqm_read_sdd_file(const char* pchPath, RqmSddFile* pFile);
