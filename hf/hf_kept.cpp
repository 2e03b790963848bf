// rqmcli-hf keeps each choice in the driver the moment it changes, one
// value at a time, and the commands that need earlier choices fetch the
// saved values themselves: nothing is exchanged around the command. A push
// that fails changes nothing in the command's outcome; the API has
// reported it.
#include <cstdio>

#include "api/rqm_api.h"
#include "cli/get_settings.h"
#include "cli/main.h"
#include "hf/hf.h"

namespace {

// What the bandwidth command's sub-channel is kept as: the start value of
// Tx_subchannel here, whatever the command set.
constexpr uint32_t SUBCHANNEL_WITH_NEW_BANDWIDTH = 0;

void push(uint32_t value, CliParamId id) {
    RQM_SetParamToDev(cli_api(), value, id);
}

uint16_t saved16(CliSavedWord w) {
    return static_cast<uint16_t>(g_save_to_dev.Word[w]);
}

int saved_int(CliSavedWord w) {
    return static_cast<int>(g_save_to_dev.Word[w]);
}

// Values that did not come whole are no saved values: the caller then goes
// on with the settings, as on a first run.
bool fetched() {
    return RQM_Get_Cli_Param(cli_api(), &g_save_to_dev) == RQM_SUCCESS;
}

// The sites the lines name.
constexpr int SITE_RATE_RESTORED = 1561;

}  // namespace

void hf_run_fetch(const char*) {}

void hf_run_push(const char*, int) {}

void hf_rate_restore() {
    if (!fetched()) {
        puts("[ERROR]:Get bw_value value err!");
        return;
    }
    setting.Tx_bandwidth = saved16(CLI_SAVED_BANDWIDTH);
    setting.Tx_subchannel = saved16(CLI_SAVED_SUBCHANNEL);
    setting.channel = saved16(CLI_SAVED_CHANNEL);
    setting.mode = saved16(CLI_SAVED_TX_MODE);
    printf("line:%d setting.Tx_bandwidth = %d\nsetting.Tx_subchannel\n", SITE_RATE_RESTORED,
           setting.Tx_bandwidth);
}

void hf_rate_index(int index) {
    push(static_cast<uint32_t>(index), CLI_PARAM_RATE_INDEX);
}

void hf_mode_chosen(uint16_t mode, uint16_t rate) {
    push(mode, CLI_PARAM_TX_MODE);
    push(rate, CLI_PARAM_RATE);
}

void hf_rate_fallback(int index, uint16_t rate) {
    push(static_cast<uint32_t>(index), CLI_PARAM_RATE_INDEX);
    push(rate, CLI_PARAM_RATE);
}

void hf_rate_channel_again(uint16_t channel) {
    push(channel, CLI_PARAM_CHANNEL);
}

// The chip's transmit block learns the mode and rate as well; the command
// has succeeded whatever these writes give.
void hf_rate_done() {
    gn_mode_rate_force(static_cast<uint8_t>(setting.mode), static_cast<uint8_t>(setting.rate),
                       static_cast<uint8_t>(setting.Tx_bandwidth));
}

void hf_channel_set(uint16_t channel, uint16_t) {
    push(channel, CLI_PARAM_CHANNEL);
}

void hf_bandwidth_set(uint16_t bandwidth, uint16_t) {
    push(bandwidth, CLI_PARAM_BANDWIDTH);
    push(SUBCHANNEL_WITH_NEW_BANDWIDTH, CLI_PARAM_SUBCHANNEL);
}

void hf_subchannel_set(uint16_t subchannel) {
    push(subchannel, CLI_PARAM_SUBCHANNEL);
}

// The forced form is the saved one's, or none.
void hf_tx_restore() {
    g_iGnModeForce = 0;
    if (!fetched())
        return;
    g_iRateIndex = saved_int(CLI_SAVED_RATE_INDEX);
    g_iGnModeForce = saved_int(CLI_SAVED_FORCED_MODE);
    setting.rate = saved16(CLI_SAVED_RATE);
    setting.Tx_bandwidth = saved16(CLI_SAVED_BANDWIDTH);
    setting.Tx_subchannel = saved16(CLI_SAVED_SUBCHANNEL);
    setting.mode = saved16(CLI_SAVED_TX_MODE);
}

void hf_force_chosen(int force) {
    push(static_cast<uint32_t>(force), CLI_PARAM_FORCED_MODE);
}

void hf_tx_stop_force() {
    if (fetched()) {
        g_iRateIndex = saved_int(CLI_SAVED_RATE_INDEX);
        g_iGnModeForce = saved_int(CLI_SAVED_FORCED_MODE);
    }
    if (g_iGnModeForce != 0) {
        g_iGnModeForce = 0;
        push(0, CLI_PARAM_FORCED_MODE);
    }
}

void hf_tx_started() {}

bool hf_tx_stop_needed() {
    return true;
}
