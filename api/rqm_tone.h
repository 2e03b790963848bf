// The chip's tone generator: one or two tones, continuous or in pulses.
// Frequencies are given in Hz and amplitudes in dB; the firmware takes
// them in steps of 312500 Hz and 0.25 dB.
#pragma once

#include <cstdint>

#include "common/rqm_context.h"

// Tone modes 0 (off) to 4; the firmware takes the low four bits. A frame
// (pulse) length of 0 is a continuous tone; above 0x0FFFFFFF it is cut
// to that. Amplitudes beyond -2.0..1.75 dB are cut to the nearer end.
inline constexpr uint32_t RQM_TONE_MODE_MAX = 4;
inline constexpr uint32_t RQM_TONE_FRAME_LEN_MAX = 0x0FFFFFFF;
inline constexpr double RQM_TONE_AMP_MIN_DB = -2.0;
inline constexpr double RQM_TONE_AMP_MAX_DB = 1.75;
int RQM_SetPulsedToneGen(RqmApiContext* pRqmApiContext, uint32_t eTMode, double dFreq_hz, double dAmp_db,
                         double dFreq2_hz, double dAmp2_db, uint32_t frameLen, uint32_t delay);
int RQM_SetToneGen(RqmApiContext* pRqmApiContext, uint32_t eTMode, double dFreq_hz, double dAmp_db,
                   double dFreq2_hz, double dAmp2_db);
