#include "kept_record.h"

#include "cli/get_settings.h"
#include "common/driver_data.h"
#include "main.h"

void record_rate_restore() {
    if (g_ver_support == 0)
        return;
    setting.Tx_bandwidth = g_driver_data.Word[CLI_WORD_BANDWIDTH];
    setting.Tx_subchannel = g_driver_data.Word[CLI_WORD_SUBCHANNEL];
    setting.channel = g_driver_data.Word[CLI_WORD_CHANNEL];
    setting.mode = g_driver_data.Word[CLI_WORD_TX_MODE];
}

// A refused rate still leaves its position for the next run.
void record_rate_index(int index) {
    g_driver_data.Word[CLI_WORD_RATE_INDEX] = static_cast<uint16_t>(index);
}

// Mode and rate reach the record only once the rate command has set them.
void record_mode_chosen(uint16_t, uint16_t) {}

// The command fails: nothing of it is pushed.
void record_rate_fallback(int, uint16_t) {}

void record_rate_channel_again(uint16_t channel) {
    g_driver_data.Word[CLI_WORD_CHANNEL] = channel;
}

void record_rate_done() {
    g_driver_data.Word[CLI_WORD_TX_MODE] = setting.mode;
    g_driver_data.Word[CLI_WORD_RATE] = setting.rate;
}

void record_channel_set(uint16_t channel, uint16_t regClass) {
    g_driver_data.Word[CLI_WORD_CHANNEL] = channel;
    g_driver_data.Word[CLI_WORD_REG_CLASS] = regClass;
}

void record_bandwidth_set(uint16_t bandwidth, uint16_t subchannel) {
    g_driver_data.Word[CLI_WORD_BANDWIDTH] = bandwidth;
    g_driver_data.Word[CLI_WORD_SUBCHANNEL] = subchannel;
}

void record_subchannel_set(uint16_t subchannel) {
    g_driver_data.Word[CLI_WORD_SUBCHANNEL] = subchannel;
}

// What earlier runs chose (the rate command's mode, bandwidth and
// sub-channel, and -f).
void record_tx_restore() {
    if (g_ver_support == 0)
        return;
    g_iGnModeForce = g_driver_data.Word[CLI_WORD_FORCED_MODE];
    setting.mode = g_driver_data.Word[CLI_WORD_TX_MODE];
    setting.Tx_bandwidth = g_driver_data.Word[CLI_WORD_BANDWIDTH];
    setting.Tx_subchannel = g_driver_data.Word[CLI_WORD_SUBCHANNEL];
}

// -f lasts beyond the run in word 1.
void record_force_chosen(int force) {
    g_driver_data.Word[CLI_WORD_FORCED_MODE] = static_cast<uint16_t>(force);
}

// tx_stop ends a forced form for this run and the next ones: the whole
// record is pushed, so the word is simply cleared.
void record_tx_stop_force() {
    g_iGnModeForce = 0;
    g_driver_data.Word[CLI_WORD_FORCED_MODE] = 0;
}
