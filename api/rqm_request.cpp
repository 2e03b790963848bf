// The request builder and the confirmation reader. Nothing here touches the
// transport, so every layout built and read with them can be checked, and
// fuzzed, on bytes alone.
#include "rqm_request.h"

#include <cstring>

void RqmReqBuilder::start(uint16_t MsgId, uint32_t MsgLen) {
    memset(pBuf_, 0, Capacity_);
    Len_ = 0;
    EchoOff_ = 0;
    EchoLen_ = 0;
    bRefused_ = MsgLen < HI_MSG_HEADER_SIZE || MsgLen > Capacity_ || MsgLen > HI_MSG_MAX_LEN;
    if (bRefused_)
        return;
    Len_ = MsgLen;
    hi_set_msg_len(pBuf_, static_cast<uint16_t>(MsgLen));
    hi_set_msg_id(pBuf_, MsgId);
}

uint8_t* RqmReqBuilder::claim(uint32_t Off, uint32_t Count) {
    if (Off > Len_ || Count > Len_ - Off) {
        bRefused_ = true;
        return nullptr;
    }
    return pBuf_ + Off;
}

void RqmReqBuilder::put8(uint32_t Off, uint8_t Value) {
    if (uint8_t* p = claim(Off, 1))
        *p = Value;
}

void RqmReqBuilder::put16(uint32_t Off, uint16_t Value) {
    if (uint8_t* p = claim(Off, 2))
        hi_wr16(p, Value);
}

void RqmReqBuilder::put32(uint32_t Off, uint32_t Value) {
    if (uint8_t* p = claim(Off, 4))
        hi_wr32(p, Value);
}

void RqmReqBuilder::put32_be(uint32_t Off, uint32_t Value) {
    if (uint8_t* p = claim(Off, 4)) {
        p[0] = static_cast<uint8_t>(Value >> 24);
        p[1] = static_cast<uint8_t>(Value >> 16);
        p[2] = static_cast<uint8_t>(Value >> 8);
        p[3] = static_cast<uint8_t>(Value);
    }
}

void RqmReqBuilder::put_bytes(uint32_t Off, const void* pSrc, uint32_t Count) {
    uint8_t* p = claim(Off, Count);
    if (p != nullptr && Count != 0)
        memcpy(p, pSrc, Count);
}

void RqmReqBuilder::echo(uint32_t Off, uint32_t Count) {
    if (Count > RQM_ECHO_MAX || claim(Off, Count) == nullptr)
        bRefused_ = true;
    if (bRefused_)
        return;
    EchoOff_ = Off;
    EchoLen_ = Count;
}

RqmCnfReader::RqmCnfReader(const uint8_t* pCnf, uint32_t Room) : p_(pCnf), Got_(0) {
    if (Room >= HI_MSG_HEADER_SIZE) {
        const uint32_t len = hi_msg_len(pCnf);
        Got_ = len < Room ? len : Room;
    }
}

int RqmCnfReader::status_at(uint32_t Off) const {
    return has(Off, 4) ? static_cast<int>(hi_rd32(p_ + Off)) : RQM_NO_CONFIRMATION;
}

uint8_t RqmCnfReader::get8(uint32_t Off) const {
    return has(Off, 1) ? p_[Off] : 0;
}

uint16_t RqmCnfReader::get16(uint32_t Off) const {
    return has(Off, 2) ? hi_rd16(p_ + Off) : 0;
}

uint32_t RqmCnfReader::get32(uint32_t Off) const {
    return has(Off, 4) ? hi_rd32(p_ + Off) : 0;
}

uint32_t RqmCnfReader::copy(uint32_t Off, void* pDst, uint32_t Count) const {
    const uint32_t n = Count < avail(Off) ? Count : avail(Off);
    if (n != 0)
        memcpy(pDst, p_ + Off, n);
    return n;
}

int RqmCnfReader::counted(uint32_t CountOff, uint32_t DataOff, uint32_t Max, uint32_t* pCount) const {
    const uint32_t count = get32(CountOff);
    *pCount = count < Max ? count : Max;
    return has(CountOff, 4) && has(DataOff, *pCount) ? RQM_SUCCESS : RQM_NO_CONFIRMATION;
}
