// Output power: set and read in raw units, in dBm per power index, and in
// dBm through the firmware's automatic setting; the user power the SDD
// holds; the power-control loop, power measurement, PA detector, transmit
// AGC and ADC correction readings.
#include <cstdio>
#include <cstdlib>

#include "api_variant.h"
#include "common/driver_data.h"
#include "phy_request.h"
#include "rqm_api.h"
#include "rqm_request.h"
#include "sdd_request.h"

float rqm_user_power_to_dbm(uint16_t Entry) {
    const double offset = driver_data_sdd_version() < 25 ? 3.0 : 0.0;
    return static_cast<float>(Entry / 16.0 - offset);
}

namespace {

bool index_ok(uint8_t Index) {
    return Index < RQM_POWER_INDEXES;
}

template <class T>
void give(T* p, uint32_t Word) {
    if (p != nullptr)
        *p = static_cast<T>(Word);
}

// A reading whose request is zeros as long as its answer, which must come
// whole. True with the status in *pResult and the answer's words from +8
// once it came; else false with the broker's code. pCnf holds Len zero
// bytes.
bool fixed_query(RqmApiContext* ctx, uint16_t id, uint32_t len, uint8_t* pCnf, uint32_t* pWords,
                 int* pResult) {
    RqmRequest<FIXED_QUERY_MAX_LEN> req(id, len);
    *pResult = rqm_exchange(ctx, req, pCnf, len, len);
    if (*pResult != RQM_SUCCESS)
        return false;
    const RqmCnfReader answer(pCnf, len);
    *pResult = answer.status();
    for (uint32_t i = 0; i < (len - FIXED_QUERY_OUT_OFF) / 4; ++i)
        pWords[i] = answer.get32(FIXED_QUERY_OUT_OFF + 4 * i);
    return true;
}

}  // namespace

int RQM_SetOpPwr_Raw(RqmApiContext* ctx, uint32_t A, uint32_t B, uint8_t Index) {
    if (A >= RQM_RAW_POWER_LIMIT || B >= RQM_RAW_POWER_LIMIT || !index_ok(Index))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetOpPwr_Raw");
    return reported(ctx, RQM_SendReqToFw_InpThreeWords(ctx, HI_SET_OP_PWR_RAW_REQ_ID, A, B, Index),
                    "RQM_SetOpPwr_Raw");
}

int RQM_SetOpPwrAuto_Raw(RqmApiContext* ctx, uint32_t A, uint32_t B) {
    if (A >= RQM_RAW_POWER_LIMIT || B >= RQM_RAW_POWER_LIMIT)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetOpPwrAuto_Raw");
    return reported(ctx, RQM_SendReqToFw_InpTwoWords(ctx, HI_SET_OP_PWR_AUTO_RAW_REQ_ID, A, B),
                    "RQM_SetOpPwrAuto_Raw");
}

int RQM_GetOpPwr_Raw(RqmApiContext* ctx, uint8_t Index, uint32_t* pA, uint32_t* pB) {
    if (!index_ok(Index))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetOpPwr_Raw");
    return reported(ctx,
                    RQM_SendReqToFw_InpOneWords_OutTwoWords(ctx, HI_GET_OP_PWR_RAW_REQ_ID, Index, pA, pB),
                    "RQM_GetOpPwr_Raw");
}

int RQM_SetOpPwr_Dbm(RqmApiContext* ctx, float Dbm, uint8_t Index) {
    uint32_t word = 0;
    if (!index_ok(Index) || !rqm_dbm_to_fw(Dbm, &word))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetOpPwr_Dbm");
    return reported(ctx, RQM_SendReqToFw_InpTwoWords(ctx, HI_SET_OP_PWR_DBM_REQ_ID, word, Index),
                    "RQM_SetOpPwr_Dbm");
}

int RQM_SetOpPwrAuto_Dbm(RqmApiContext* ctx, float Dbm) {
    uint32_t word = 0;
    if (!rqm_dbm_to_fw(Dbm, &word))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetOpPwrAuto_Dbm");
    return reported(ctx, RQM_SendReqToFw_InpOneWord(ctx, HI_SET_OP_PWR_AUTO_DBM_REQ_ID, word),
                    "RQM_SetOpPwrAuto_Dbm");
}

int RQM_GetOpPwr_Dbm(RqmApiContext* ctx, uint8_t Index, double* pDbm) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetOpPwr_Dbm");
    if (pDbm == nullptr || !index_ok(Index))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetOpPwr_Dbm");
    // The word is unsigned to this reading; without an answer it is 0.
    uint32_t word = 0;
    const int result = RQM_SendReqToFw_InpOneWord_OutOneWord(ctx, HI_GET_OP_PWR_DBM_REQ_ID, Index, &word);
    *pDbm = static_cast<double>(static_cast<float>(word) / 16.0f);
    return reported(ctx, result, "RQM_GetOpPwr_Dbm");
}

int RQM_GetOpPwrAuto_Dbm(RqmApiContext* ctx, int Row, float* pDbm, uint8_t ElementId) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetOpPwrAuto_Dbm");
    if (pDbm == nullptr || Row < 0 || Row >= static_cast<int>(SDD_USER_POWER_ENTRIES))
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_GetOpPwrAuto_Dbm");
    const uint8_t id =
        g_api_variant.FixedUserPowerElement != 0 ? g_api_variant.FixedUserPowerElement : ElementId;
    RqmRequest<SDD_ELEMENT_REQ_LEN> req;
    rqm_encode_sdd_element(req, id);
    RqmCnf<SDD_ELEMENT_CNF_SIZE> cnf;
    uint32_t len = 0;
    int result = rqm_exchange(ctx, req, cnf, SDD_ELEMENT_CNF_NEED);
    if (result == RQM_SUCCESS)
        result = rqm_sdd_element_length(cnf.reader(), &len);
    if (result == RQM_SUCCESS) {
        // The entry is taken whatever the status; an element short of its
        // twelve entries gives no power, and the caller must not go on
        // with one.
        const RqmCnfReader answer = cnf.reader();
        uint16_t entry = 0;
        result = answer.status();
        if (rqm_decode_user_power_entry(answer, Row, &entry)) {
            *pDbm = g_api_variant.pfnUserPowerToDbm(entry);
        } else {
            *pDbm = 0.0f;
            if (result == RQM_SUCCESS)
                result = RQM_STEP_FAILED;
        }
    }
    return reported(ctx, result, "RQM_GetOpPwrAuto_Dbm");
}

int RQM_SetTxPwrCtrlLoop(RqmApiContext* ctx, uint8_t A, uint8_t B) {
    if (A > 1 || B > 1)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_SetTxPwrCtrlLoop");
    return reported(ctx, RQM_SendReqToFw_InpTwoWords(ctx, HI_SET_TX_PWR_CTRL_LOOP_REQ_ID, A, B),
                    "RQM_SetTxPwrCtrlLoop");
}

int RQM_ArmPowerMeasurment(RqmApiContext* ctx, uint8_t Value) {
    if (Value > RQM_POWER_MEAS_MAX)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_ArmPowerMeasurment");
    return reported(ctx, RQM_SendReqToFw_InpOneWord(ctx, HI_ARM_POWER_MEAS_REQ_ID, Value),
                    "RQM_ArmPowerMeasurment");
}

int RQM_GetRawPADetReading(RqmApiContext* ctx, uint32_t* pWord1, uint32_t* pWord2, uint32_t* pWord3,
                           uint32_t* pWord4, uint32_t* pWord5, uint16_t* pAnalogue, uint16_t* pDigital) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetRawPADetReading");
    // The chip variant's detector also reports the gains it chose.
    const bool longForm = g_api_variant.bPaDetLongForm && driver_data_chip_variant();
    const uint32_t len = longForm ? PA_DET_LONG_LEN : PA_DET_LEN;
    auto* cnf = static_cast<uint8_t*>(calloc(len, 1));
    if (cnf == nullptr) {
        puts(longForm ? "P_ReqCnf_7 allocation failed" : "P_ReqCnf_5 allocation failed");
        return RQM_STEP_FAILED;
    }
    uint32_t w[FIXED_QUERY_MAX_WORDS] = {};
    int result = RQM_SUCCESS;
    if (fixed_query(ctx, HI_GET_PA_DET_REQ_ID, len, cnf, w, &result)) {
        give(pWord1, w[0]);
        give(pWord2, w[1]);
        give(pWord3, w[2]);
        give(pWord4, w[3]);
        give(pWord5, w[4]);
        if (longForm) {
            give(pAnalogue, w[5]);
            give(pDigital, w[6]);
        }
    }
    free(cnf);
    return reported(ctx, result, "RQM_GetRawPADetReading");
}

int RQM_GetTxAgcStatus(RqmApiContext* ctx, uint32_t* pWord1, uint32_t* pWord2, uint8_t* pByte3,
                       uint32_t* pWord4, uint32_t* pWord5, uint8_t* pByte6, uint8_t* pByte7) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetTxAgcStatus");
    RqmCnf<TX_AGC_LEN> cnf;
    uint32_t w[FIXED_QUERY_MAX_WORDS] = {};
    int result = RQM_SUCCESS;
    if (fixed_query(ctx, HI_GET_TX_AGC_STATUS_REQ_ID, TX_AGC_LEN, cnf.Bytes.data(), w, &result)) {
        give(pWord1, w[0]);
        give(pWord2, w[1]);
        give(pByte3, w[2]);
        give(pWord4, w[3]);
        give(pWord5, w[4]);
        give(pByte6, w[5]);
        give(pByte7, w[6]);
    }
    return reported(ctx, result, "RQM_GetTxAgcStatus");
}

int RQM_GetADCCorrectionParameters(RqmApiContext* ctx, double* pValue, uint32_t* pWord) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_GetADCCorrectionParameters");
    RqmCnf<ADC_CORRECTION_LEN> cnf;
    uint32_t w[FIXED_QUERY_MAX_WORDS] = {};
    int result = RQM_SUCCESS;
    if (fixed_query(ctx, HI_GET_ADC_CORRECTION_REQ_ID, ADC_CORRECTION_LEN, cnf.Bytes.data(), w, &result)) {
        if (pValue != nullptr)
            *pValue = w[0] / 1000.0;  // thousandths
        give(pWord, w[1]);
    }
    return reported(ctx, result, "RQM_GetADCCorrectionParameters");
}
