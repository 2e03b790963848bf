// How the API builds its HI requests and reads their confirmations. Internal
// to the API (its files and its tests); not part of rqm_api.h.
//
// Building: an RqmRequest<N> (a zeroed buffer of N bytes with its builder),
// or an RqmReqBuilder over a buffer of one's own, is started with the
// message id and MsgLen and then written at the request's named offsets.
// A write that would pass the message's end (which never lies past the
// buffer) is refused and remembered: nothing is written, and ok() stays
// false until the next start(). A refused build is never sent:
// rqm_exchange answers it with RQM_INVALID_PARAMETER before the broker is
// asked.
//
// Answers that repeat fields of their request (a kind, an address, a
// register write) say so with echo(): the broker then takes only a
// confirmation that carries those bytes as the answer, so a duplicate or
// late answer to an earlier request with the same id is not taken for it.
//
// Reading: an RqmCnfReader over the confirmation buffer sees only the
// bytes that arrived (MsgLen, never more than the buffer). status() is the
// word at +4, or RQM_NO_CONFIRMATION when fewer than 8 bytes arrived; a
// field that did not arrive whole reads 0 (has() tells the two apart), and
// copies take only what arrived.
//
// Whole answers only: an answer that ends before a field its function
// reads is no answer (RQM_NO_CONFIRMATION), exactly as one that never
// came, and nothing is taken from it. Each request states next to its
// layout how far its answer must reach (its "need"), and rqm_exchange
// holds every answer to it. Where that depends on the answer itself, the
// rest is checked by the reader before any field is read: whole() for a
// need that the status decides, counted() for data the answer counts.
//
// A request with a layout of its own has its encoder here and, where its
// answer carries more than a status, its decoder: pure functions over a
// builder or a reader that need no transport.
//
//     RqmRequest<SLEEP_REQ_LEN> req;
//     rqm_encode_sleep(req, Mode, Param);
//     int result = rqm_status_exchange<SLEEP_CNF_SIZE>(ctx, req);
//
//     RqmCnf<MAC_CNF_SIZE> cnf;
//     int result = rqm_exchange(ctx, req, cnf, MAC_CNF_NEED);
//     if (result == RQM_SUCCESS)
//         result = rqm_decode_get_mac(cnf.reader(), pMac);
#pragma once

#include <array>
#include <cstdint>

#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "common/rqm_context.h"
#include "rqm_api.h"

// Reports a nonzero result through RQM_ErrorCheck under the function's
// name and hands it back: the last step of nearly every API function.
int reported(RqmApiContext* pRqmApiContext, int Result, const char* pFuncName);

// ---- Building ----

class RqmReqBuilder {
public:
    RqmReqBuilder(uint8_t* pBuf, uint32_t Capacity) : pBuf_(pBuf), Capacity_(Capacity) {}
    RqmReqBuilder(const RqmReqBuilder&) = delete;
    RqmReqBuilder& operator=(const RqmReqBuilder&) = delete;

    // Clears the whole buffer and begins a message of MsgLen bytes with the
    // id. A length the buffer cannot hold, past the largest HI message, or
    // shorter than a header refuses the build.
    void start(uint16_t MsgId, uint32_t MsgLen);
    void put8(uint32_t Off, uint8_t Value);
    void put16(uint32_t Off, uint16_t Value);
    void put32(uint32_t Off, uint32_t Value);
    void put32_be(uint32_t Off, uint32_t Value);  // most significant byte first
    void put_bytes(uint32_t Off, const void* pSrc, uint32_t Count);
    // The answer repeats the Count request bytes at Off (at most
    // RQM_ECHO_MAX, within the message, else the build is refused), as
    // they stand when the request is sent.
    void echo(uint32_t Off, uint32_t Count);

    bool ok() const { return Len_ != 0 && !bRefused_; }  // started, nothing refused
    uint32_t len() const { return Len_; }
    uint32_t echo_off() const { return EchoOff_; }
    uint32_t echo_len() const { return EchoLen_; }  // 0: the id alone tells
    uint8_t* msg() { return pBuf_; }
    const uint8_t* msg() const { return pBuf_; }

private:
    uint8_t* claim(uint32_t Off, uint32_t Count);  // null, and the build refused, past the end

    uint8_t* pBuf_;
    uint32_t Capacity_;
    uint32_t Len_ = 0;
    uint32_t EchoOff_ = 0;
    uint32_t EchoLen_ = 0;
    bool bRefused_ = false;
};

template <uint32_t N>
struct RqmRequestBytes {
    std::array<uint8_t, N> Bytes{};
};

// A request in a buffer of its own, on the caller's stack. The bytes come
// first, so they are zeroed before the builder writes its header.
template <uint32_t N>
class RqmRequest : private RqmRequestBytes<N>, public RqmReqBuilder {
public:
    RqmRequest() : RqmReqBuilder(this->Bytes.data(), N) {}
    // Started at once; MsgLen is the whole buffer unless given.
    explicit RqmRequest(uint16_t MsgId, uint32_t MsgLen = N) : RqmRequest() { start(MsgId, MsgLen); }
};

// ---- Reading ----

class RqmCnfReader {
public:
    // pCnf holds Room bytes: the largest confirmation the request accepts.
    RqmCnfReader(const uint8_t* pCnf, uint32_t Room);

    uint32_t got() const { return Got_; }  // bytes that arrived
    bool has(uint32_t Off, uint32_t Count) const { return Off <= Got_ && Count <= Got_ - Off; }
    uint32_t avail(uint32_t Off) const { return Off < Got_ ? Got_ - Off : 0; }
    int status() const { return status_at(HI_MSG_STATUS_OFF); }
    // The status word of the answers that keep it elsewhere; no status
    // arrived, no confirmation.
    int status_at(uint32_t Off) const;
    uint8_t get8(uint32_t Off) const;  // 0 unless the field arrived whole
    uint16_t get16(uint32_t Off) const;
    uint32_t get32(uint32_t Off) const;
    // Copies what arrived of the Count bytes at Off; returns how many.
    uint32_t copy(uint32_t Off, void* pDst, uint32_t Count) const;
    // 0 when the answer reaches Need bytes, else RQM_NO_CONFIRMATION.
    int whole(uint32_t Need) const { return has(0, Need) ? RQM_SUCCESS : RQM_NO_CONFIRMATION; }
    // For data the answer counts itself: the 32-bit count at CountOff, at
    // most Max, in *pCount; 0 when that many bytes arrived from DataOff,
    // else RQM_NO_CONFIRMATION (the answer was cut inside what it counts).
    int counted(uint32_t CountOff, uint32_t DataOff, uint32_t Max, uint32_t* pCount) const;

private:
    const uint8_t* p_;
    uint32_t Got_;
};

// ---- Sending ----

// How far the answers reach that are read for their status alone, and
// the header that an answer read for nothing at all still is.
inline constexpr uint32_t STATUS_CNF_NEED = HI_MSG_PARAM_OFF;
inline constexpr uint32_t HEADER_CNF_NEED = HI_MSG_HEADER_SIZE;

// Sends a finished build through the broker and waits for a confirmation
// of at most Room bytes into pCnf, which holds Room zero bytes. The
// broker's code, or RQM_NO_CONFIRMATION for an answer that ends before
// Need bytes; on 0, RqmCnfReader(pCnf, Room) reads the answer.
int rqm_exchange(RqmApiContext* pRqmApiContext, RqmReqBuilder& Req, uint8_t* pCnf, uint32_t Room,
                 uint32_t Need);

// The confirmation buffer of a request that accepts at most N bytes.
template <uint32_t N>
struct RqmCnf {
    std::array<uint8_t, N> Bytes{};
    RqmCnfReader reader() const { return RqmCnfReader(Bytes.data(), N); }
};

template <uint32_t N>
int rqm_exchange(RqmApiContext* pRqmApiContext, RqmReqBuilder& Req, RqmCnf<N>& Cnf, uint32_t Need) {
    return rqm_exchange(pRqmApiContext, Req, Cnf.Bytes.data(), N, Need);
}

// The broker's code when it is not 0, else the confirmation's status: the
// result of most requests.
template <uint32_t N>
int rqm_status_exchange(RqmApiContext* pRqmApiContext, RqmReqBuilder& Req) {
    RqmCnf<N> cnf;
    const int result = rqm_exchange(pRqmApiContext, Req, cnf, STATUS_CNF_NEED);
    return result != RQM_SUCCESS ? result : cnf.reader().status();
}

// ---- Requests ----

// Generic word requests: a reserved word, then up to four input words; the
// confirmation's output words follow its status.
inline constexpr uint32_t WORD_REQ_IN_OFF = HI_MSG_PARAM_OFF;
inline constexpr uint32_t WORD_REQ_MAX_WORDS = 4;
inline constexpr uint32_t WORD_REQ_MAX_LEN = WORD_REQ_IN_OFF + 4 * WORD_REQ_MAX_WORDS;
inline constexpr uint32_t WORD_CNF_MAX_SIZE = 24;
inline constexpr uint32_t WORD_CNF_OUT_OFF = HI_MSG_PARAM_OFF;
void rqm_encode_words(RqmReqBuilder& Req, uint16_t MsgId, const uint32_t* pWords, uint32_t Count);

// Raw payload requests (the raw sender, the target proxy 62): a reserved
// word, then the payload.
inline constexpr uint32_t RAW_REQ_PAYLOAD_OFF = HI_MSG_PARAM_OFF;
inline constexpr uint32_t RAW_SENDER_CNF_SIZE = 8;
inline constexpr uint32_t RAW_PROXY_CNF_SIZE = 12;
void rqm_encode_raw(RqmReqBuilder& Req, uint16_t MsgId, const void* pPayload, uint32_t Length);

// Driver-level connect (1018) and reconnect (1020): the tool's version and
// the value 50, or neither in the earlier 8-byte form. Disconnect (1019)
// and soft reset (1023) are a header alone. The driver's answer to the
// last three carries the result at +8.
inline constexpr uint32_t CONNECT_REQ_VERSION_OFF = 4;
inline constexpr uint32_t CONNECT_REQ_PARAM_OFF = 8;
inline constexpr uint32_t CONNECT_REQ_PARAM = 50;
inline constexpr uint32_t CONNECT_REQ_LEN = 12;
inline constexpr uint32_t CONNECT_REQ_SHORT_LEN = 8;
inline constexpr uint32_t DRIVER_CNF_SIZE = 12;
inline constexpr uint32_t DRIVER_CNF_RESULT_OFF = 8;
inline constexpr uint32_t DRIVER_CNF_NEED = DRIVER_CNF_RESULT_OFF + 4;
void rqm_encode_connect(RqmReqBuilder& Req, uint16_t MsgId, bool bWithVersion);

// Register read by bus type (1014): the answer holds a byte count and the
// bytes; it must reach the count, and the bytes are checked against it.
inline constexpr uint32_t REG_TYPE_READ_REQ_LEN = 16;
inline constexpr uint32_t REG_TYPE_READ_TYPE_OFF = 4;
inline constexpr uint32_t REG_TYPE_READ_ADDR_OFF = 8;
inline constexpr uint32_t REG_TYPE_READ_COUNT_OFF = 12;
inline constexpr uint32_t REG_TYPE_READ_CNF_COUNT_OFF = 8;
inline constexpr uint32_t REG_TYPE_READ_CNF_DATA_OFF = 12;
inline constexpr uint32_t REG_TYPE_READ_CNF_SIZE = REG_TYPE_READ_CNF_DATA_OFF + RQM_REG_TYPE_MAX_BYTES;
inline constexpr uint32_t REG_TYPE_READ_CNF_NEED = REG_TYPE_READ_CNF_DATA_OFF;
void rqm_encode_read_reg_type(RqmReqBuilder& Req, uint32_t Type, uint32_t Address, uint32_t Count);
// The status, with the bytes the answer counts copied to pDst, never more
// than were asked for or than an answer holds (the driver rounds up to
// whole registers). No confirmation, and nothing copied, when the answer
// is cut inside the bytes it counts, or when a read it calls good brings
// fewer bytes than were asked for: those would reach the caller as
// register contents. A refusal counts what it carries, none as a rule.
int rqm_decode_read_reg_type(const RqmCnfReader& Cnf, uint32_t Asked, void* pDst);

// Register write by bus type (1015); the answer repeats the request with
// the status in place of the mark.
inline constexpr uint32_t REG_TYPE_WRITE_REQ_LEN = 20;
inline constexpr uint32_t REG_TYPE_WRITE_MARK_OFF = 4;
inline constexpr uint32_t REG_TYPE_WRITE_MARK = 0xFFFFFFFF;
inline constexpr uint32_t REG_TYPE_WRITE_TYPE_OFF = 8;
inline constexpr uint32_t REG_TYPE_WRITE_ADDR_OFF = 12;
inline constexpr uint32_t REG_TYPE_WRITE_VALUE_OFF = 16;
inline constexpr uint32_t REG_TYPE_WRITE_CNF_SIZE = 20;
void rqm_encode_write_reg_type(RqmReqBuilder& Req, uint32_t Type, uint32_t Address, uint32_t Value);

// SDD configuration (54): the 8-bit argument widened in place of the
// reserved word.
inline constexpr uint32_t SDD_CONFIG_REQ_LEN = 8;
inline constexpr uint32_t SDD_CONFIG_REQ_VALUE_OFF = 4;
inline constexpr uint32_t SDD_CONFIG_CNF_SIZE = 8;
void rqm_encode_sdd_config(RqmReqBuilder& Req, uint16_t Config);

// Sleep control (49): the mode and a 64-bit parameter, low word first.
inline constexpr uint32_t SLEEP_REQ_LEN = 24;
inline constexpr uint32_t SLEEP_REQ_MODE_OFF = 8;
inline constexpr uint32_t SLEEP_REQ_PARAM_LOW_OFF = 16;
inline constexpr uint32_t SLEEP_REQ_PARAM_HIGH_OFF = 20;
inline constexpr uint32_t SLEEP_CNF_SIZE = 8;
void rqm_encode_sleep(RqmReqBuilder& Req, uint32_t Mode, uint64_t Param);

// MAC address read (55) and write (56): the address kind and six bytes.
// The read's answer repeats the kind, the write's the kind and address.
inline constexpr uint32_t MAC_REQ_LEN = 20;
inline constexpr uint32_t MAC_REQ_KIND_OFF = 8;
inline constexpr uint32_t MAC_REQ_ADDR_OFF = 12;
inline constexpr uint32_t MAC_ADDR_BYTES = 6;
inline constexpr uint32_t MAC_CNF_SIZE = 20;
inline constexpr uint32_t MAC_CNF_ADDR_OFF = 12;
inline constexpr uint32_t MAC_CNF_NEED = MAC_CNF_ADDR_OFF + MAC_ADDR_BYTES;  // the read's
// pMac null: the read request, whose address bytes stay 0.
void rqm_encode_mac(RqmReqBuilder& Req, uint16_t MsgId, uint32_t Kind, const uint8_t* pMac);
// The status, with the address copied out, whatever the status: the read's
// answer reaches MAC_CNF_NEED.
int rqm_decode_get_mac(const RqmCnfReader& Cnf, uint8_t* pMac);

// Hardware test (4): 16-bit test id and parameters; the encryption test
// adds its step and the value 16. The answer repeats the request, with its
// result over bytes 14 to 17: the test id and first parameter stay.
inline constexpr uint32_t HW_TEST_REQ_LEN = 32;
inline constexpr uint32_t HW_TEST_REQ_ID_OFF = 8;
inline constexpr uint32_t HW_TEST_REQ_PARAM1_OFF = 10;
inline constexpr uint32_t HW_TEST_REQ_PARAM2_OFF = 14;
inline constexpr uint32_t HW_TEST_REQ_ENC_STEP_OFF = 16;
inline constexpr uint32_t HW_TEST_REQ_ENC_VALUE_OFF = 17;
inline constexpr uint8_t HW_TEST_ENC_VALUE = 16;
inline constexpr uint32_t HW_TEST_CNF_SIZE = 32;
inline constexpr uint32_t HW_TEST_CNF_RESULT_OFF = 14;
inline constexpr uint32_t HW_TEST_CNF_NEED = HW_TEST_CNF_RESULT_OFF + 4;
// EncStep 0: not an encryption step.
void rqm_encode_hw_test(RqmReqBuilder& Req, uint16_t TestId, uint16_t Param1, uint16_t Param2,
                        uint8_t EncStep);

// Hardware id (61): a zero-word request; the answer's status word is the id.
inline constexpr uint32_t HW_ID_CNF_SIZE = 8;

// Self-test control blocks (95 read, 96 write): five opaque blocks in an
// 80-byte message, the first in the status word's place. The read's
// answer has no status and must bring all five.
struct RqmCtrlBlock {
    uint32_t Offset;
    uint32_t Size;
};
inline constexpr uint32_t CTRL_BLOCK_COUNT = 5;
inline constexpr RqmCtrlBlock CTRL_BLOCKS[CTRL_BLOCK_COUNT] = {
    {4, 12}, {16, 20}, {36, 20}, {56, 12}, {68, 12}};
inline constexpr uint32_t CTRL_BLOCK_MSG_LEN = 80;
inline constexpr uint32_t CTRL_BLOCK_READ_REQ_LEN = 8;
inline constexpr uint32_t CTRL_BLOCK_READ_CNF_NEED = CTRL_BLOCK_MSG_LEN;
inline constexpr uint32_t CTRL_BLOCK_WRITE_CNF_SIZE = 8;
// Null blocks are left 0 in the request and are not filled from an answer.
void rqm_encode_ctrl_blocks(RqmReqBuilder& Req, const uint8_t* const pBlocks[CTRL_BLOCK_COUNT]);
// Bytes the answer did not carry read 0 (the read's answer reaches
// CTRL_BLOCK_READ_CNF_NEED).
void rqm_decode_ctrl_blocks(const RqmCnfReader& Cnf, uint8_t* const pBlocks[CTRL_BLOCK_COUNT]);

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

// SDD download (54): the data straight after MsgId, then the trailer byte
// and three zero bytes.
inline constexpr uint16_t HI_SDD_DOWNLOAD_MSG_ID = 54;
inline constexpr uint32_t SDD_DOWNLOAD_DATA_OFF = 4;
inline constexpr uint32_t SDD_DOWNLOAD_OVERHEAD = 8;  // header and trailer
inline constexpr uint32_t SDD_DOWNLOAD_CNF_SIZE = 8;
void rqm_encode_sdd_download(RqmReqBuilder& Req, const uint8_t* pData, uint32_t Count, uint8_t Trailer);
