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
// The layouts live with their modules: each module of the API has one
// internal header, <module>_request.h (device_request.h, tx_request.h,
// ...), with its request ids, named offsets and needs, and the encoders and
// decoders of the requests that have a layout of their own: pure functions
// over a builder or a reader, defined in <module>_request.cpp, that need no
// transport. The sleep request of device_request.h, for one:
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
