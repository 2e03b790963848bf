// The receive requests, and the last fetched frame's RSSI and RCPI kept in
// the context.
#include <cstdlib>
#include <cstring>

#include "rqm_api.h"
#include "rqm_request.h"
#include "rx_codec.h"

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

int rqm_decode_rx_frame(const RqmCnfReader& Cnf, RxFrameInfo* pInfo, uint8_t* pData, RxFrameTrailer* pTrailer,
                        bool* pHaveEndStatus1) {
    *pHaveEndStatus1 = false;
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
    *pHaveEndStatus1 = Cnf.has(RX_FRAME_INFO_OFF + RX_INFO_END_STATUS1_OFF, 4);
    return RQM_SUCCESS;
}

namespace {

void update_measurements(RqmApiContext* ctx, uint32_t EndStatus1) {
    ctx->LastRxEndStatus1 = EndStatus1;
    ctx->LastRxValid = 1;
}

// A request of one word whose value is checked first.
int one_word(RqmApiContext* ctx, uint16_t id, uint32_t value, bool inRange, const char* name) {
    if (!inRange)
        return reported(ctx, RQM_INVALID_PARAMETER, name);
    return reported(ctx, RQM_SendReqToFw_InpOneWord(ctx, id, value), name);
}

}  // namespace

int RQM_ReceivePackets_Extended(RqmApiContext* ctx, uint32_t Command, uint32_t* pOut1, uint32_t* pOut2,
                                uint32_t* pOut3, uint32_t* pOut4) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_ReceivePackets_Extended");
    RqmRequest<RX_WORDS_MSG_LEN> req;
    rqm_encode_rx_packets(req, Command);
    RqmCnf<RX_WORDS_MSG_LEN> cnf;
    int result = rqm_exchange(ctx, req, cnf, RX_WORDS_MSG_LEN);
    if (result == RQM_SUCCESS) {
        uint32_t* const out[RX_WORDS_OUT_COUNT] = {pOut1, pOut2, pOut3, pOut4};
        result = rqm_decode_rx_words(cnf.reader(), out, RX_WORDS_OUT_COUNT);
        // A new reception: no frame of it has been fetched yet.
        if (Command == RX_CMD_START)
            ctx->LastRxValid = 0;
    }
    return reported(ctx, result, "RQM_ReceivePackets_Extended");
}

int RQM_ReceivePackets(RqmApiContext* ctx, uint32_t Command, uint32_t* pOut1, uint32_t* pOut2,
                       uint32_t* pOut3) {
    return RQM_ReceivePackets_Extended(ctx, Command, pOut1, pOut2, pOut3, nullptr);
}

int RQM_ReceivePackets_Start(RqmApiContext* ctx) {
    return reported(ctx, RQM_ReceivePackets_Extended(ctx, RX_CMD_START, nullptr, nullptr, nullptr, nullptr),
                    "RQM_ReceivePackets_Start");
}

int RQM_ReceivePackets_Stop(RqmApiContext* ctx, uint32_t* pTotal, uint32_t* pErrors, uint32_t* pCrcErrors) {
    return reported(ctx, RQM_ReceivePackets_Extended(ctx, RX_CMD_STOP, pTotal, pErrors, pCrcErrors, nullptr),
                    "RQM_ReceivePackets_Stop");
}

int RQM_GetRxStatus(RqmApiContext* ctx, uint32_t* pOut1, uint32_t* pOut2, uint32_t* pOut3, uint32_t* pOut4,
                    uint32_t* pOut5, uint32_t* pOut6, uint32_t* pOut7) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetRxStatus");
    RqmRequest<RX_STATUS_REQ_LEN> req(HI_RX_STATUS_REQ_ID);
    RqmCnf<RX_STATUS_CNF_SIZE> cnf;
    int result = rqm_exchange(ctx, req, cnf, RX_STATUS_CNF_SIZE);
    if (result == RQM_SUCCESS) {
        uint32_t* const out[RX_STATUS_FIELDS] = {pOut1, pOut2, pOut3, pOut4, pOut5, pOut6, pOut7};
        result = rqm_decode_rx_status(cnf.reader(), out);
    }
    return reported(ctx, result, "RQM_GetRxStatus");
}

int RQM_GetRx(RqmApiContext* ctx, uint32_t Type, RxDataHead* pHead, uint8_t* pData, uint32_t* pDataLen) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetRx");
    if (!rx_type_known(Type))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetRx");
    RqmRequest<RX_TYPED_REQ_LEN> req;
    rqm_encode_rx_typed(req, HI_GET_RX_REQ_ID, Type);
    auto* cnf = static_cast<uint8_t*>(calloc(GET_RX_CNF_SIZE, 1));
    if (cnf == nullptr)
        return reported(ctx, RQM_OUT_OF_MEMORY, "RQM_GetRx");
    int result = rqm_exchange(ctx, req, cnf, GET_RX_CNF_SIZE, STATUS_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = rqm_decode_get_rx(RqmCnfReader(cnf, GET_RX_CNF_SIZE), pHead, pData, RX_DATA_BUFFER_SIZE,
                                   pDataLen);
    free(cnf);
    return reported(ctx, result, "RQM_GetRx");
}

int RQM_DownloadCSI(RqmApiContext* ctx, uint8_t* pCsi, uint32_t Type) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_DownloadCSI");
    if (pCsi == nullptr || !rx_type_known(Type))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_DownloadCSI");
    RqmRequest<RX_TYPED_REQ_LEN> req;
    rqm_encode_rx_typed(req, HI_DOWNLOAD_CSI_REQ_ID, Type);
    RqmCnf<CSI_CNF_SIZE> cnf;
    int result = rqm_exchange(ctx, req, cnf, STATUS_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = cnf.reader().status();
    // Only a good answer carries the information, and all of it.
    if (result == RQM_SUCCESS)
        result = cnf.reader().whole(CSI_CNF_SIZE);
    if (result == RQM_SUCCESS)
        cnf.reader().copy(CSI_CNF_DATA_OFF, pCsi, RX_CSI_SIZE);
    return reported(ctx, result, "RQM_DownloadCSI");
}

int RQM_GetRxStatistics_Extended(RqmApiContext* ctx, uint32_t* pOut1, uint32_t* pOut2, uint32_t* pOut3,
                                 uint32_t* pOut4) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetRxStatistics_Extended");
    RqmRequest<RX_WORDS_MSG_LEN> req(HI_RX_STATISTICS_REQ_ID);
    RqmCnf<RX_WORDS_MSG_LEN> cnf;
    int result = rqm_exchange(ctx, req, cnf, RX_WORDS_MSG_LEN);
    if (result == RQM_SUCCESS) {
        uint32_t* const out[RX_WORDS_OUT_COUNT] = {pOut1, pOut2, pOut3, pOut4};
        result = rqm_decode_rx_words(cnf.reader(), out, RX_WORDS_OUT_COUNT);
    }
    return reported(ctx, result, "RQM_GetRxStatistics_Extended");
}

int RQM_GetRxStatistics(RqmApiContext* ctx, uint32_t* pOut1, uint32_t* pOut2, uint32_t* pOut3) {
    return reported(ctx, RQM_GetRxStatistics_Extended(ctx, pOut1, pOut2, pOut3, nullptr),
                    "RQM_GetRxStatistics");
}

int RQM_GetRxFrame_Extended(RqmApiContext* ctx, RxFrameInfo* pInfo, uint8_t* pData,
                            RxFrameTrailer* pTrailer) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetRxFrame_Extended");
    if (pInfo == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetRxFrame_Extended");
    RqmRequest<RX_FRAME_REQ_LEN> req(HI_RX_FRAME_REQ_ID);
    RqmCnf<RX_FRAME_CNF_SIZE> cnf;
    int result = rqm_exchange(ctx, req, cnf, STATUS_CNF_NEED);
    if (result == RQM_SUCCESS) {
        bool haveEndStatus1 = false;
        result = rqm_decode_rx_frame(cnf.reader(), pInfo, pData, pTrailer, &haveEndStatus1);
        if (haveEndStatus1)
            update_measurements(ctx, pInfo->EndStatus1);
    }
    return reported(ctx, result, "RQM_GetRxFrame_Extended");
}

int RQM_GetRxFrame(RqmApiContext* ctx, RxFrameInfo* pInfo, uint8_t* pData) {
    return reported(ctx, RQM_GetRxFrame_Extended(ctx, pInfo, pData, nullptr), "RQM_GetRxFrame");
}

int RQM_GetLastRxMeasurements(RqmApiContext* ctx, float* pRssiRcpi) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (pRssiRcpi == nullptr)
        return RQM_INVALID_PARAMETER;
    if (ctx->LastRxValid == 0)
        return RQM_NO_CONFIRMATION;
    pRssiRcpi[0] = static_cast<float>(rx_rssi_dbm(ctx->LastRxEndStatus1));
    pRssiRcpi[1] = static_cast<float>(rx_rcpi_dbm(ctx->LastRxEndStatus1));
    return RQM_SUCCESS;
}

int RQM_EnableRxFilterChecking(RqmApiContext* ctx, uint32_t Value) {
    return one_word(ctx, HI_RX_FILTER_CHECKING_REQ_ID, Value, true, "RQM_EnableRxFilterChecking");
}

int RQM_RxFilterStoreFramesOfType(RqmApiContext* ctx, uint32_t Value) {
    return one_word(ctx, HI_RX_FILTER_STORE_REQ_ID, Value, true, "RQM_RxFilterStoreFramesOfType");
}

int RQM_SetRxAckDelay(RqmApiContext* ctx, uint32_t Delay) {
    return one_word(ctx, HI_RX_ACK_DELAY_REQ_ID, Delay, Delay <= 1023, "RQM_SetRxAckDelay");
}

int RQM_SetRxNav(RqmApiContext* ctx, uint32_t Nav) {
    return one_word(ctx, HI_RX_NAV_REQ_ID, Nav, Nav <= 1023, "RQM_SetRxNav");
}

int RQM_SetRxNavType(RqmApiContext* ctx, uint32_t NavType) {
    return one_word(ctx, HI_RX_NAV_TYPE_REQ_ID, NavType, NavType <= 3, "RQM_SetRxNavType");
}

int RQM_RxSetMonitorMode(RqmApiContext* ctx, uint32_t First, uint32_t Second, uint32_t Flag) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_RxSetMonitorMode");
    return one_word(ctx, HI_RX_MONITOR_MODE_REQ_ID, First << 16 | Flag << 4 | Second,
                    First <= 0x5556 && Second <= 7 && Flag <= 1, "RQM_RxSetMonitorMode");
}

int RQM_Configure_RxCapturePhyStats(RqmApiContext* ctx, uint32_t Type) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_Configure_RxCapturePhyStats");
    return one_word(ctx, HI_RX_CAPTURE_PHY_STATS_REQ_ID, Type, Type <= 2, "RQM_Configure_RxCapturePhyStats");
}
