// The layouts of the receive requests and their answers.
#include "rx_request.h"

#include <cstring>

void rqm_encode_rx_packets(RqmReqBuilder& Req, uint32_t Command) {
    Req.start(HI_RX_PACKETS_REQ_ID, RX_WORDS_MSG_LEN);
    Req.put32(RX_PACKETS_CMD_OFF, Command);
}

int rqm_decode_rx_words(const RqmCnfReader& Cnf, uint32_t* const pOut[], uint32_t Count) {
    for (uint32_t i = 0; i < Count; ++i)
        if (pOut[i] != nullptr)
            *pOut[i] = Cnf.get32(RX_WORDS_OUT_OFF + 4 * i);
    return Cnf.status();
}

int rqm_decode_rx_status(const RqmCnfReader& Cnf, uint32_t* const pOut[RX_STATUS_FIELDS]) {
    // Byte 15 is the 8-bit field's padding.
    const uint32_t fields[RX_STATUS_FIELDS] = {Cnf.get32(8),  Cnf.get16(12), Cnf.get8(14), Cnf.get32(16),
                                               Cnf.get32(20), Cnf.get32(24), Cnf.get32(28)};
    for (uint32_t i = 0; i < RX_STATUS_FIELDS; ++i)
        if (pOut[i] != nullptr)
            *pOut[i] = fields[i];
    return Cnf.status();
}

void rqm_encode_rx_typed(RqmReqBuilder& Req, uint16_t MsgId, uint32_t Type) {
    Req.start(MsgId, RX_TYPED_REQ_LEN);
    Req.put32(RX_TYPED_TYPE_OFF, Type);
}

int rqm_decode_get_rx(const RqmCnfReader& Cnf, RxDataHead* pHead, uint8_t* pData, uint32_t Room,
                      uint32_t* pDataLen) {
    const int status = Cnf.status();
    if (status != RQM_SUCCESS)
        return status;
    if (Cnf.whole(RX_DATA_HEAD_SIZE) != RQM_SUCCESS)
        return RQM_NO_CONFIRMATION;
    // The data are what arrived after the head, and the caller's buffer
    // bounds them.
    uint32_t len = Cnf.avail(RX_DATA_HEAD_SIZE);
    if (len > Room)
        len = Room;
    if (pHead != nullptr) {
        pHead->MsgLen = Cnf.get16(HI_MSG_LEN_OFF);
        pHead->MsgId = Cnf.get16(HI_MSG_ID_OFF);
        pHead->Status = Cnf.get32(HI_MSG_STATUS_OFF);
        for (uint32_t i = 0; i < 3; ++i)
            pHead->Word[i] = Cnf.get32(HI_MSG_PARAM_OFF + 4 * i);
    }
    if (pData != nullptr)
        Cnf.copy(RX_DATA_HEAD_SIZE, pData, len);
    if (pDataLen != nullptr)
        *pDataLen = len;
    return RQM_SUCCESS;
}

void rqm_decode_rx_frame_info(const RqmCnfReader& Cnf, uint32_t Off, RxFrameInfo* pInfo) {
    pInfo->Tsf = Cnf.get32(Off + RX_INFO_TSF_OFF);
    pInfo->FrameLength = Cnf.get16(Off + RX_INFO_LENGTH_OFF);
    pInfo->Rate = Cnf.get8(Off + RX_INFO_RATE_OFF);
    pInfo->Byte7 = Cnf.get8(Off + RX_INFO_BYTE7_OFF);
    pInfo->StartStatus0 = Cnf.get32(Off + RX_INFO_START_STATUS0_OFF);
    pInfo->EndStatus0 = Cnf.get32(Off + RX_INFO_END_STATUS0_OFF);
    pInfo->EndStatus1 = Cnf.get32(Off + RX_INFO_END_STATUS1_OFF);
    pInfo->PhyErrorStatus = Cnf.get32(Off + RX_INFO_PHY_ERROR_OFF);
    pInfo->BufferAddress = Cnf.get32(Off + RX_INFO_BUF_ADDR_OFF);
    memset(pInfo->Unread, 0, sizeof pInfo->Unread);
    Cnf.copy(Off + RX_INFO_UNREAD_OFF, pInfo->Unread, sizeof pInfo->Unread);
}

int rqm_decode_rx_frame(const RqmCnfReader& Cnf, RxFrameInfo* pInfo, uint8_t* pData,
                        RxFrameTrailer* pTrailer) {
    const int status = Cnf.status();
    if (status != RQM_SUCCESS)
        return status;
    if (Cnf.whole(RX_FRAME_CNF_SIZE) != RQM_SUCCESS)
        return RQM_NO_CONFIRMATION;
    rqm_decode_rx_frame_info(Cnf, RX_FRAME_INFO_OFF, pInfo);
    if (pData != nullptr) {
        memset(pData, 0, RX_FRAME_DATA_SIZE);
        Cnf.copy(RX_FRAME_DATA_OFF, pData, RX_FRAME_DATA_SIZE);
    }
    if (pTrailer != nullptr) {
        pTrailer->PacketIdLessOne = Cnf.get32(RX_FRAME_TRAILER_OFF);
        memset(pTrailer->Unread, 0, sizeof pTrailer->Unread);
        Cnf.copy(RX_FRAME_TRAILER_OFF + 4, pTrailer->Unread, sizeof pTrailer->Unread);
    }
    return RQM_SUCCESS;
}
