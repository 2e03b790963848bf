// The tone generator's values in the firmware's steps, and the words of
// its request.
#include "tone_request.h"

#include <cmath>

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
    if (amp > RQM_TONE_AMP_MAX_DB)
        amp = RQM_TONE_AMP_MAX_DB;
    // Not a number compares false too: the quietest tone is the safe one.
    if (!(amp >= RQM_TONE_AMP_MIN_DB))
        amp = RQM_TONE_AMP_MIN_DB;
    const auto code = static_cast<int32_t>(std::floor(amp / 0.25 + 0.5));
    return static_cast<uint32_t>(code) & 0xFFu;
}

ToneGenRequest rqm_tone_request(uint32_t eTMode, double dFreq_hz, double dAmp_db, double dFreq2_hz,
                                double dAmp2_db, uint32_t frameLen, uint32_t delay) {
    const uint32_t len = frameLen > RQM_TONE_FRAME_LEN_MAX ? RQM_TONE_FRAME_LEN_MAX : frameLen;
    return {(eTMode & 0xFu) | len << 4, rqm_tone_freq_index(dFreq_hz) | rqm_tone_freq_index(dFreq2_hz) << 16,
            rqm_tone_amp_code(dAmp_db) | rqm_tone_amp_code(dAmp2_db) << 16, delay};
}
