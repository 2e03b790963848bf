#include "kept_record.h"

#include <cstdio>
#include <cstring>

#include "api/rqm_api.h"
#include "cli/get_settings.h"
#include "main.h"

int g_ver_support = 0;

namespace {

// The sites the failure lines name.
constexpr int SITE_FETCH = 3517;
constexpr int SITE_PUSH = 3543;

// The words a connect leaves to the driver: 12, 17 and 19 to 24.
constexpr struct {
    unsigned word;
    uint16_t value;
} DEFAULTS[] = {
    {CLI_WORD_RATE_INDEX, 16},
    {CLI_WORD_FORCED_MODE, 0},
    {2, 2},
    {CLI_WORD_CHANNEL, 7},
    {CLI_WORD_TX_MODE, 1},
    {CLI_WORD_RATE, 1},
    {CLI_WORD_BANDWIDTH, 0},
    {CLI_WORD_SUBCHANNEL, 1},
    {8, 1},
    {9, 1000},
    {10, 0},
    {11, 0},
    {CLI_WORD_TX_RUNNING, 0},
    {14, 0},
    {CLI_WORD_REG_CLASS, 0},
    {16, 1},
    {CLI_WORD_CHIP_VARIANT, 0},
};

bool kept() {
    return g_ver_support != 0;
}

uint16_t word(CliDriverWord w) {
    return g_driver_data.Word[w];
}

}  // namespace

void driver_data_init(CliDriverData* pData) {
    for (const auto& d : DEFAULTS)
        pData->Word[d.word] = d.value;
}

// ---- around the command ----

// connect and disconnect, typed in full, take nothing from the driver:
// the one starts the record afresh, the other ends the session. Only
// enable_phy says that the fetch failed.
void record_run_fetch(const char* command) {
    if (strcmp(command, "connect") == 0 || strcmp(command, "disconnect") == 0)
        return;
    const int verbose = strcmp(command, "enable_phy") == 0 ? 1 : 0;
    if (RQM_Get_Cli_Param(cli_api(), &g_driver_data, &g_ver_support, verbose) != RQM_SUCCESS && verbose)
        printf("[cli error]:Failed to get global variable!--%d\n", SITE_FETCH);
}

// After a connect the driver's copy starts from the defaults, with the
// chip-variant flag the handshake has just set. A refused connect must
// leave the driver's record alone: it holds the transmit-running and
// chip-variant flags of the session in progress. A failed command pushes
// nothing, and neither does disconnect.
void record_run_push(const char* command, int result) {
    if (strcmp(command, "connect") == 0 && result == 0) {
        const uint16_t chipVariant = word(CLI_WORD_CHIP_VARIANT);
        result = RQM_Get_Cli_Param(cli_api(), &g_driver_data, &g_ver_support, 0);
        driver_data_init(&g_driver_data);
        g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = chipVariant;
    }
    if (result == 0 && strcmp(command, "disconnect") != 0 && kept()) {
        if (RQM_SetParamToDrive(cli_api(), &g_driver_data) != RQM_SUCCESS)
            printf("[cli error]:Failed to set global variable!--%d\n", SITE_PUSH);
    }
}

// ---- rate, channel, bandwidth and sub-channel ----

void record_rate_restore() {
    if (!kept())
        return;
    setting.Tx_bandwidth = word(CLI_WORD_BANDWIDTH);
    setting.Tx_subchannel = word(CLI_WORD_SUBCHANNEL);
    setting.channel = word(CLI_WORD_CHANNEL);
    setting.mode = word(CLI_WORD_TX_MODE);
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

// ---- transmission ----

// What earlier runs chose (the rate command's mode, bandwidth and
// sub-channel, and -f).
void record_tx_restore() {
    if (!kept())
        return;
    g_iGnModeForce = word(CLI_WORD_FORCED_MODE);
    setting.mode = word(CLI_WORD_TX_MODE);
    setting.Tx_bandwidth = word(CLI_WORD_BANDWIDTH);
    setting.Tx_subchannel = word(CLI_WORD_SUBCHANNEL);
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

// A transmission outlives the run that starts it: the transmit-running
// word tells a later run's tx_stop and tone commands that one is under way.
void record_tx_started() {
    g_driver_data.Word[CLI_WORD_TX_RUNNING] = 1;
}

// Always, unless the record says that no transmission runs. The word is
// cleared on the way; it reaches the driver only when the stop succeeds.
bool record_tx_stop_needed() {
    if (!kept())
        return true;
    if (word(CLI_WORD_TX_RUNNING) == 0)
        return false;
    g_driver_data.Word[CLI_WORD_TX_RUNNING] = 0;
    return true;
}

// ---- the tone's re-tune ----

// Everything the transmitter had from earlier runs, for the start the tone
// makes.
bool record_tone_restore() {
    if (!kept())
        return false;
    g_iRateIndex = word(CLI_WORD_RATE_INDEX);
    g_iGnModeForce = word(CLI_WORD_FORCED_MODE);
    setting.regulatory_class = word(CLI_WORD_REG_CLASS);
    setting.channel = word(CLI_WORD_CHANNEL);
    setting.rate = word(CLI_WORD_RATE);
    setting.Tx_bandwidth = word(CLI_WORD_BANDWIDTH);
    setting.Tx_subchannel = word(CLI_WORD_SUBCHANNEL);
    setting.mode = word(CLI_WORD_TX_MODE);
    return true;
}

bool record_tone_channel_restore() {
    if (!kept())
        return false;
    setting.regulatory_class = word(CLI_WORD_REG_CLASS);
    setting.channel = word(CLI_WORD_CHANNEL);
    return true;
}

// As the record has it, kept or not: without a fetch it holds what the run
// wrote.
bool record_tx_recorded_running() {
    return word(CLI_WORD_TX_RUNNING) != 0;
}

// ---- the SDD in use ----
//
// The API reads these words too: both read them through the same accessors
// (common/driver_data.h).

uint16_t record_sdd_version() {
    return driver_data_sdd_version();
}

void record_sdd_version_set(uint16_t version) {
    g_driver_data.Word[CLI_WORD_SDD_VERSION] = version;
}

bool record_chip_variant() {
    return driver_data_chip_variant();
}
