// The tone generator: one request whose four words carry the mode, the
// pulse timing and both tones in the firmware's steps.
#include <cmath>
#include <cstdio>

#include "rqm_api.h"
#include "rqm_request.h"
#include "tone_codec.h"

uint32_t rqm_tone_freq_index(double dFreq_hz) {
    double steps = std::floor(dFreq_hz / 40000000.0 * 128.0 + 0.5);
    if (!std::isfinite(steps))
        steps = 0.0;
    // Only the step modulo 128 goes out. Taken in double precision it is
    // exact for any finite frequency, and no value out of an integer's
    // range is ever converted.
    double low = std::fmod(steps, 128.0);
    if (low < 0.0)
        low += 128.0;
    return (static_cast<uint32_t>(low) + 127u) & 0x7Fu;
}

uint32_t rqm_tone_amp_code(double dAmp_db) {
    double amp = dAmp_db;
    if (amp > TONE_AMP_MAX_DB)
        amp = TONE_AMP_MAX_DB;
    // Not a number compares false too: the quietest tone is the safe one.
    if (!(amp >= TONE_AMP_MIN_DB))
        amp = TONE_AMP_MIN_DB;
    const auto code = static_cast<int32_t>(std::floor(amp / 0.25 + 0.5));
    return static_cast<uint32_t>(code) & 0xFFu;
}

ToneGenRequest rqm_tone_request(uint32_t eTMode, double dFreq_hz, double dAmp_db, double dFreq2_hz,
                                double dAmp2_db, uint32_t frameLen, uint32_t delay) {
    const uint32_t len = frameLen > TONE_FRAME_LEN_MAX ? TONE_FRAME_LEN_MAX : frameLen;
    return {(eTMode & 0xFu) | len << 4, rqm_tone_freq_index(dFreq_hz) | rqm_tone_freq_index(dFreq2_hz) << 16,
            rqm_tone_amp_code(dAmp_db) | rqm_tone_amp_code(dAmp2_db) << 16, delay};
}

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
