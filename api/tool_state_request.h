// How the driver's records are asked for: the API context it keeps of the
// firmware (1016), and the tool-state record it keeps for the tool between
// runs (993 fetch, 994 push). Internal to the API, its tests and the
// second program's value-by-value forms of 993 and 994.
#pragma once

#include <cstdint>

#include "common/driver_data.h"
#include "rqm_request.h"

// API context from the driver (1016).
inline constexpr uint16_t HI_GET_API_CONTEXT_REQ_ID = 1016;
inline constexpr uint32_t API_CONTEXT_REQ_LEN = 8;
inline constexpr uint32_t API_CONTEXT_CNF_SIZE = 148;
inline constexpr uint32_t API_CONTEXT_FW_RUNNING_OFF = 8;  // 8-bit
inline constexpr uint32_t API_CONTEXT_MIB_BASE_OFF = 12;
inline constexpr uint32_t API_CONTEXT_API_VER_OFF = 144;  // 16-bit
inline constexpr uint32_t API_CONTEXT_CNF_NEED = API_CONTEXT_API_VER_OFF + 2;
// The status; whatever it says, the context takes the firmware facts (the
// answer reaches API_CONTEXT_CNF_NEED).
int rqm_decode_api_context(const RqmCnfReader& Cnf, RqmApiContext* pRqmApiContext);

// Tool state kept by the driver: fetch (993) and push (994). Both carry
// the record's length at +8, the tool's or the driver's version at +12 and
// the record from +16.
inline constexpr uint16_t HI_GET_CLI_PARAM_REQ_ID = 993;
inline constexpr uint16_t HI_SET_CLI_PARAM_REQ_ID = 994;
inline constexpr uint32_t CLI_PARAM_LEN_OFF = 8;
inline constexpr uint32_t CLI_PARAM_VERSION_OFF = 12;
inline constexpr uint32_t CLI_PARAM_RECORD_OFF = 16;
inline constexpr uint32_t CLI_PARAM_FETCH_LEN = 16;
inline constexpr uint32_t CLI_PARAM_FETCH_CNF_SIZE = 68;
inline constexpr uint32_t CLI_PARAM_FETCH_CNF_NEED = CLI_PARAM_RECORD_OFF;  // then the record it counts
inline constexpr uint32_t CLI_PARAM_PUSH_LEN = 68;  // the record and two bytes to spare
static_assert(CLI_PARAM_PUSH_LEN >= CLI_PARAM_RECORD_OFF + CLI_DRIVER_DATA_SIZE);
inline constexpr uint32_t CLI_PARAM_PUSH_CNF_SIZE = 8;
void rqm_encode_cli_param_fetch(RqmReqBuilder& Req);
// The record bytes the answer counts, bounded by the record; the words
// beyond the count read 0. No confirmation, and the record left alone,
// when the answer is cut inside the bytes it counts.
int rqm_decode_cli_record(const RqmCnfReader& Cnf, CliDriverData* pData);
void rqm_encode_cli_param_push(RqmReqBuilder& Req, const CliDriverData& Data);
