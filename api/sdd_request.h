// How the driver's SDD requests are laid out: the path of the SDD file in
// use (995), one of its elements (1017), and the download of an SDD (54).
// Internal to the API and its tests.
#pragma once

#include <cstdint>

#include "rqm_request.h"

// SDD path from the driver (995): the answer's length word and path bytes,
// without a NUL.
inline constexpr uint16_t HI_GET_SDD_PATH_REQ_ID = 995;
inline constexpr uint32_t SDD_PATH_REQ_LEN = 16;
inline constexpr uint32_t SDD_PATH_CNF_SIZE = 76;
inline constexpr uint32_t SDD_PATH_CNF_LEN_OFF = 8;
inline constexpr uint32_t SDD_PATH_CNF_PATH_OFF = 12;
inline constexpr uint32_t SDD_PATH_CNF_NEED = SDD_PATH_CNF_PATH_OFF;  // then the path it counts
// The path's length (1 to 64) with the path and a NUL in pPath (65 bytes),
// or 0 when the answer names no path, or one longer than a path can be.
// No confirmation, with pPath untouched, when the answer is cut inside
// the path it counts.
int rqm_decode_sdd_path(const RqmCnfReader& Cnf, char* pPath, uint32_t* pLength);

// One element of the SDD in use (1017): the element id at +5; the answer
// holds the element's length and data.
inline constexpr uint16_t HI_GET_SDD_ELEMENT_REQ_ID = 1017;
inline constexpr uint32_t SDD_ELEMENT_REQ_LEN = 6;
inline constexpr uint32_t SDD_ELEMENT_REQ_ID_OFF = 5;
inline constexpr uint32_t SDD_ELEMENT_CNF_SIZE = 1036;
inline constexpr uint32_t SDD_ELEMENT_CNF_LEN_OFF = 8;
inline constexpr uint32_t SDD_ELEMENT_CNF_DATA_OFF = 12;
inline constexpr uint32_t SDD_ELEMENT_CNF_NEED = SDD_ELEMENT_CNF_DATA_OFF;  // then the data it counts
void rqm_encode_sdd_element(RqmReqBuilder& Req, uint8_t ElementId);
// The element's length as the answer counts it (at most the data an
// answer holds); no confirmation when the answer is cut inside the data
// it counts. Every reader of an element answer asks this first.
int rqm_sdd_element_length(const RqmCnfReader& Cnf, uint32_t* pLength);
// The status, whatever it is, with the version (10 x major + minor) stored
// when the element carries both its bytes. An element without them leaves
// the version alone: with status 0 the result is -1, as the answer said it
// had one; otherwise the status says why there is none. No confirmation
// for an answer cut inside its element.
int rqm_decode_sdd_version(const RqmCnfReader& Cnf, uint8_t* pVersion);
// The user-power entry Row of the element in the answer; false when the
// element claims less than its twelve entries or its row did not arrive.
bool rqm_decode_user_power_entry(const RqmCnfReader& Cnf, int Row, uint16_t* pEntry);

// SDD download (54): the data straight after MsgId, then the trailer byte
// and three zero bytes.
inline constexpr uint16_t HI_SDD_DOWNLOAD_MSG_ID = 54;
inline constexpr uint32_t SDD_DOWNLOAD_DATA_OFF = 4;
inline constexpr uint32_t SDD_DOWNLOAD_OVERHEAD = 8;  // header and trailer
inline constexpr uint32_t SDD_DOWNLOAD_CNF_SIZE = 8;
void rqm_encode_sdd_download(RqmReqBuilder& Req, const uint8_t* pData, uint32_t Count, uint8_t Trailer);
