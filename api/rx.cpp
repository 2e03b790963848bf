// The receive requests, and the last fetched frame's RSSI and RCPI kept in
// the context.
#include <cstdlib>

#include "rqm_api.h"
#include "rqm_request.h"
#include "rx_request.h"

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
    if (result == RQM_SUCCESS)
        result = rqm_decode_rx_frame(cnf.reader(), pInfo, pData, pTrailer);
    if (result == RQM_SUCCESS)
        update_measurements(ctx, pInfo->EndStatus1);
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
    return one_word(ctx, HI_RX_ACK_DELAY_REQ_ID, Delay, Delay <= RQM_RX_ACK_DELAY_MAX, "RQM_SetRxAckDelay");
}

int RQM_SetRxNav(RqmApiContext* ctx, uint32_t Nav) {
    return one_word(ctx, HI_RX_NAV_REQ_ID, Nav, Nav <= RQM_RX_NAV_MAX, "RQM_SetRxNav");
}

int RQM_SetRxNavType(RqmApiContext* ctx, uint32_t NavType) {
    return one_word(ctx, HI_RX_NAV_TYPE_REQ_ID, NavType, NavType <= RQM_RX_NAV_TYPE_MAX, "RQM_SetRxNavType");
}

int RQM_RxSetMonitorMode(RqmApiContext* ctx, uint32_t First, uint32_t Second, uint32_t Flag) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_RxSetMonitorMode");
    return one_word(ctx, HI_RX_MONITOR_MODE_REQ_ID, First << 16 | Flag << 4 | Second,
                    First <= RQM_RX_MONITOR_FIRST_MAX && Second <= RQM_RX_MONITOR_SECOND_MAX && Flag <= 1,
                    "RQM_RxSetMonitorMode");
}

int RQM_Configure_RxCapturePhyStats(RqmApiContext* ctx, uint32_t Type) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_Configure_RxCapturePhyStats");
    return one_word(ctx, HI_RX_CAPTURE_PHY_STATS_REQ_ID, Type, Type <= RQM_RX_CAPTURE_TYPE_MAX,
                    "RQM_Configure_RxCapturePhyStats");
}
