// The tone generator: one request whose four words carry the mode, the
// pulse timing and both tones in the firmware's steps.
#include <cstdio>

#include "rqm_api.h"
#include "rqm_request.h"
#include "tone_request.h"

int RQM_SetPulsedToneGen(RqmApiContext* ctx, uint32_t eTMode, double dFreq_hz, double dAmp_db,
                         double dFreq2_hz, double dAmp2_db, uint32_t frameLen, uint32_t delay) {
    printf(
        "RQM_SetPulsedToneGen:eTMode=%d\ndFreq_hz=%lf\ndAmp_db=%lf\ndFreq2_hz=%lf\ndAmp2_db=%lf\nframeLen=%"
        "d\n"
        "delay=%d\n",
        static_cast<int>(eTMode), dFreq_hz, dAmp_db, dFreq2_hz, dAmp2_db, static_cast<int>(frameLen),
        static_cast<int>(delay));
    int result = RQM_NO_CONTEXT;
    if (ctx != nullptr) {
        const ToneGenRequest w =
            rqm_tone_request(eTMode, dFreq_hz, dAmp_db, dFreq2_hz, dAmp2_db, frameLen, delay);
        result = RQM_SendReqToFw_InpFourWords(ctx, HI_TONE_GEN_REQ_ID, w.Word1, w.Word2, w.Word3, w.Word4);
    }
    return reported(ctx, result, "RQM_SetPulsedToneGen");
}

int RQM_SetToneGen(RqmApiContext* ctx, uint32_t eTMode, double dFreq_hz, double dAmp_db, double dFreq2_hz,
                   double dAmp2_db) {
    return RQM_SetPulsedToneGen(ctx, eTMode, dFreq_hz, dAmp_db, dFreq2_hz, dAmp2_db, 0, 0);
}
