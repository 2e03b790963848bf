// The start request: the body of the Target's start, SDD and boot-loader
// requests. An 8-byte head (Type, Size) and Size bytes of data: a file's
// bytes (Type 0), or a file name that began with '^' with its NUL (Type 8).
// The Target request's data length is the head and the data together.
// MakeTargetStartRequest (adapter.h) builds one; TargetCli_Request reads it.
#pragma once

#include <cstdint>

#include "common/hi_bytes.h"

inline constexpr unsigned START_REQ_TYPE_OFF = 0;  // 32-bit
inline constexpr unsigned START_REQ_SIZE_OFF = 4;  // 32-bit
inline constexpr unsigned START_REQ_DATA_OFF = 8;
inline constexpr uint32_t START_REQ_TYPE_CONTENT = 0;
inline constexpr uint32_t START_REQ_TYPE_NAME = 8;  // also the bit the download chunks test
// The largest file a start request carries: head and data stay countable
// in the 32-bit data length.
inline constexpr uint32_t START_REQ_MAX_DATA = 0x7FFFFFFF;
typedef uint8_t TargetStartRequest;

inline void start_request_set_head(TargetStartRequest* pReq, uint32_t Type, uint32_t Size) {
    hi_wr32(pReq + START_REQ_TYPE_OFF, Type);
    hi_wr32(pReq + START_REQ_SIZE_OFF, Size);
}

inline uint32_t start_request_size(const TargetStartRequest* pReq) {
    return hi_rd32(pReq + START_REQ_SIZE_OFF);
}

// The data length to hand to Target_Request with the request.
inline uint32_t start_request_length(const TargetStartRequest* pReq) {
    return START_REQ_DATA_OFF + start_request_size(pReq);
}

// Reads a start request of DataLen bytes as far as that length covers. No
// request (null, or shorter than the head) reads as one without data; false
// when the request claims more data than it holds.
inline bool start_request_parse(const void* pData, uint32_t DataLen, uint32_t* pType, uint32_t* pSize,
                                const uint8_t** ppBytes) {
    if (pData == nullptr || DataLen < START_REQ_DATA_OFF)
        return true;
    const auto* req = static_cast<const uint8_t*>(pData);
    *pType = hi_rd32(req + START_REQ_TYPE_OFF);
    *pSize = hi_rd32(req + START_REQ_SIZE_OFF);
    *ppBytes = req + START_REQ_DATA_OFF;
    return *pSize <= DataLen - START_REQ_DATA_OFF;
}
