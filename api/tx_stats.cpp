// Around transmission, outside the transmit sequence: the CCA sensitivity
// for transmitting, the firmware's transmit counters and its transmit
// configuration as it stands.
#include "rqm_api.h"
#include "rqm_request.h"
#include "tx_request.h"

namespace {

// A request of zeros as long as its answer, which must bring every word;
// each output given takes its word, whatever the status says.
int read_words(RqmApiContext* ctx, uint16_t Id, uint32_t* const pOut[], uint32_t Count) {
    const uint32_t len = TX_WORDS_OUT_OFF + 4 * Count;
    RqmRequest<TX_STATS_MSG_LEN> req(Id, len);
    RqmCnf<TX_STATS_MSG_LEN> cnf;
    const int result = rqm_exchange(ctx, req, cnf.Bytes.data(), len, len);
    if (result != RQM_SUCCESS)
        return result;
    const RqmCnfReader answer(cnf.Bytes.data(), len);
    for (uint32_t i = 0; i < Count; ++i)
        if (pOut[i] != nullptr)
            *pOut[i] = answer.get32(TX_WORDS_OUT_OFF + 4 * i);
    return answer.status();
}

}  // namespace

int RQM_SetCcaSensitiveTx(RqmApiContext* ctx, int Type) {
    if (Type < 0 || Type > RQM_CCA_TYPE_MAX)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetCcaSensitiveTx");
    return reported(ctx,
                    RQM_SendReqToFw_InpOneWord(ctx, HI_CCA_SENSITIVE_TX_REQ_ID, static_cast<uint32_t>(Type)),
                    "RQM_SetCcaSensitiveTx");
}

int RQM_GetTxStatistics(RqmApiContext* ctx, uint32_t* pSuccesses, uint32_t* pAcked, uint32_t* pFailPtcsAbort,
                        uint32_t* pFailBtAbort, uint32_t* pQueued, uint32_t* pTtcsEnd, uint32_t* pAckTtcsEnd,
                        uint32_t* pAckSuccess, uint32_t* pNtdStats, uint32_t* pFiqCount) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetTxStatistics");
    uint32_t* const out[TX_STATS_WORDS] = {pSuccesses, pAcked,      pFailPtcsAbort, pFailBtAbort, pQueued,
                                           pTtcsEnd,   pAckTtcsEnd, pAckSuccess,    pNtdStats,    pFiqCount};
    return reported(ctx, read_words(ctx, HI_TX_STATISTICS_REQ_ID, out, TX_STATS_WORDS),
                    "RQM_GetTxStatistics");
}

int RQM_GetFwTxConfig(RqmApiContext* ctx, uint32_t* pWords) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetFwTxConfig");
    uint32_t* out[RQM_FW_TX_CONFIG_WORDS] = {};
    if (pWords != nullptr)
        for (uint32_t i = 0; i < RQM_FW_TX_CONFIG_WORDS; ++i)
            out[i] = &pWords[i];
    return reported(ctx, read_words(ctx, HI_FW_TX_CONFIG_REQ_ID, out, RQM_FW_TX_CONFIG_WORDS),
                    "RQM_GetFwTxConfig");
}
