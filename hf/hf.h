// What only rqmcli-hf's front end carries: its way of keeping tool state
// in the driver one value at a time, as the operations of its profile, and
// the forced g/n-mode writes. Its transport's and API's differences live in
// those layers' own profiles (transport/transport_variant_hf.cpp,
// api/api_variant_hf.cpp).
#pragma once

#include <array>
#include <cstdint>

#include "common/driver_data.h"

struct RqmApiContext;

// ---- Tool state, one value at a time ----

// The id a value is pushed with: the word of the same value in the
// tool-state record, so that both forms of the driver's store agree.
enum CliParamId : uint32_t {
    CLI_PARAM_RATE_INDEX = CLI_WORD_RATE_INDEX,    // mirror of g_iRateIndex
    CLI_PARAM_FORCED_MODE = CLI_WORD_FORCED_MODE,  // mirror of g_iGnModeForce
    CLI_PARAM_UNUSED = 2,
    CLI_PARAM_CHANNEL = CLI_WORD_CHANNEL,
    CLI_PARAM_TX_MODE = CLI_WORD_TX_MODE,
    CLI_PARAM_RATE = CLI_WORD_RATE,            // within the transmit mode
    CLI_PARAM_BANDWIDTH = CLI_WORD_BANDWIDTH,  // 0 20 MHz, 2 40 MHz
    CLI_PARAM_SUBCHANNEL = CLI_WORD_SUBCHANNEL,
};

// The saved values a short fetch brings back: every id but the unused one,
// in id order. Handlers take the low 16 bits where the setting is 16-bit.
enum CliSavedWord : unsigned {
    CLI_SAVED_RATE_INDEX,
    CLI_SAVED_FORCED_MODE,
    CLI_SAVED_CHANNEL,
    CLI_SAVED_TX_MODE,
    CLI_SAVED_RATE,
    CLI_SAVED_BANDWIDTH,
    CLI_SAVED_SUBCHANNEL,
    CLI_SAVED_WORDS,
};

struct CliSavedParams {
    std::array<uint32_t, CLI_SAVED_WORDS> Word;
};

// Zero at program start; filled by the commands that need kept settings.
extern CliSavedParams g_save_to_dev;

// Keeps one value in the driver (request 994, 16 bytes). The broker's code;
// the driver's answer is not read.
int RQM_SetParamToDev(RqmApiContext* pRqmApiContext, uint32_t Value, uint32_t Id);

// Fetches the saved values (request 993, 8 bytes). 0 only when the driver
// answered with status 0 and every word: the transport's code, the status,
// or 1 (no usable confirmation) for an answer that lacks a word. Whenever
// an answer came, the words are cleared and those that arrived are taken,
// whatever the status.
int RQM_Get_Cli_Param(RqmApiContext* pRqmApiContext, CliSavedParams* pParams);

// ---- Where the commands keep their choices (the profile's operations) ----

// The run itself exchanges nothing: each command keeps its own values.
void hf_run_fetch(const char* word);
void hf_run_push(const char* word, int result);
// rate fetches the saved bandwidth, sub-channel, channel and mode (a failed
// fetch says so, and the settings stay); -m, -r, the fall-back of a mode
// without rates, rate without words and the 20 MHz correction push what
// they change; the last step writes the forced g/n-mode words.
void hf_rate_restore();
void hf_rate_index(int index);
void hf_mode_chosen(uint16_t mode, uint16_t rate);
void hf_rate_fallback(int index, uint16_t rate);
void hf_rate_channel_again(uint16_t channel);
void hf_rate_done();
// channel, bandwidth and subchannel push what they set.
void hf_channel_set(uint16_t channel, uint16_t regClass);
void hf_bandwidth_set(uint16_t bandwidth, uint16_t subchannel);
void hf_subchannel_set(uint16_t subchannel);
// tx starts without the forced form and fetches the saved values; tx -f
// pushes the flag; tx_stop fetches it and pushes it cleared. The saved
// values are taken only from a fetch that succeeded.
void hf_tx_restore();
void hf_force_chosen(int force);
void hf_tx_stop_force();
// No transmit-running flag: tx records nothing, and tx_stop always sends
// the stop.
void hf_tx_started();
bool hf_tx_stop_needed();

// ---- Forced g/n-mode writes into the chip's transmit block ----

// After the rate command: the OFDM mode, its rate's code and the 40 MHz
// sub-channel bits (from the settings' Tx_subchannel), then the rate. The
// 802.11b modes 0 and 1 write nothing. 0, or -1 at the first failed write.
int gn_mode_rate_force(uint8_t Mode, uint8_t Rate, uint8_t Bandwidth);
// Start and stop of a forced transmission; 0, or -1 at the first failed
// write.
int gn_mode_tx_force(int Flag);
int gn_mode_tx_stop_force();
