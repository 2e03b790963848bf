// How the tone generator's request is made: the frequencies and
// amplitudes in the firmware's steps and the four words that carry them.
// Internal to the API (its tone module and its tests).
#pragma once

#include <cstdint>

#include "rqm_tone.h"

inline constexpr uint16_t HI_TONE_GEN_REQ_ID = 739;

// The four words behind the header of request 739.
struct ToneGenRequest {
    uint32_t Word1;  // mode in bits 0-3, frame length from bit 4
    uint32_t Word2;  // frequency indices of tone 1 (bits 0-6) and tone 2 (bits 16-22)
    uint32_t Word3;  // amplitude codes of tone 1 (bits 0-7) and tone 2 (bits 16-23)
    uint32_t Word4;  // delay
};

// The step of 40 MHz / 128 nearest the frequency, less one, modulo 128:
// 312500 x k Hz is k - 1. A frequency that is not a number or infinite
// goes out as 0 Hz would (127).
uint32_t rqm_tone_freq_index(double dFreq_hz);
// The amplitude cut to -2.0..1.75 dB, in quarter dB rounded half up, as
// its low 8 bits: -2.0 is 0xF8, 1.75 is 7. Not a number is the lowest.
uint32_t rqm_tone_amp_code(double dAmp_db);
ToneGenRequest rqm_tone_request(uint32_t eTMode, double dFreq_hz, double dAmp_db, double dFreq2_hz,
                                double dAmp2_db, uint32_t frameLen, uint32_t delay);
