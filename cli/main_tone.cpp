// The tone generator's commands: a single or dual tone on, and off again.
#include <array>
#include <cstdio>

#include "cli/cli_variant.h"
#include "main.h"
#include "main_phy.h"

const char* const ToneMode[TONE_MODE_COUNT] = {
    "DISABLE_TONE", "SINGLE_TONE_QUAD", "SINGLE_TONE_REAL", "SINGLE_TONE_IMAG", "DUAL_TONE_QUAD",
};

// -2.0 to 1.75 dB in steps of 0.25.
const float amp_val[16] = {-2.0f, -1.75f, -1.5f, -1.25f, -1.0f, -0.75f, -0.5f, -0.25f,
                           0.0f,  0.25f,  0.5f,  0.75f,  1.0f,  1.25f,  1.5f,  1.75f};

// 312500 Hz times 1 to 32, then 0, which is never offered.
const int32_t frq_val[33] = {
    312500,  625000,  937500,  1250000, 1562500, 1875000, 2187500, 2500000, 2812500, 3125000,  3437500,
    3750000, 4062500, 4375000, 4687500, 5000000, 5312500, 5625000, 5937500, 6250000, 6562500,  6875000,
    7187500, 7500000, 7812500, 8125000, 8437500, 8750000, 9062500, 9375000, 9687500, 10000000, 0,
};

namespace {

constexpr std::span<const int32_t> OFFERED_FREQUENCIES = std::span(frq_val).first<32>();
constexpr int32_t DEFAULT_FREQUENCY = 5000000;

constexpr std::array TONE_ROWS{
    CliOption{.Letter = 'a',
              .pchLong = "amplitude_1",
              .Kind = CLI_FLOAT,
              .Dest = &CliSettings::amplitude_1,
              .Floats = amp_val,
              .pchDone = "\nTone amplitude_1 is %.2f!\n",
              .pchRefused = "Tone amplitude_1 should be one of below:",
              .Reset = 0.0,
              .pchListItem = "%.2f ",
              .ListPerLine = 16},
    CliOption{.Letter = 'b',
              .pchLong = "amplitude_2",
              .Kind = CLI_FLOAT,
              .Dest = &CliSettings::amplitude_2,
              .Floats = amp_val,
              .pchDone = "\nTone amplitude_2 is %.2f!\n",
              .pchRefused = "Tone amplitude_2 should be one of below:",
              .Reset = 0.0,
              .pchListItem = "%.2f ",
              .ListPerLine = 16},
    CliOption{.Letter = 'd',
              .pchLong = "pulse_delay",
              .Dest = &CliSettings::pulse_delay,
              .pchDone = "Tone pulse_delay is %d!\n"},
    CliOption{.Letter = 'f',
              .pchLong = "frequency_1",
              .Dest = &CliSettings::frequency_1,
              .Ints = OFFERED_FREQUENCIES,
              .pchDone = "\nTone frequency_1 is %d!\n",
              .pchRefused = "Tone frequency_1 should be one of below:",
              .Reset = DEFAULT_FREQUENCY,
              .pchListItem = "%8d ",
              .ListPerLine = 16},
    CliOption{.Letter = 'g',
              .pchLong = "frequency_2",
              .Dest = &CliSettings::frequency_2,
              .Ints = OFFERED_FREQUENCIES,
              .pchDone = "\nTone frequency_2 is %d!\n",
              .pchRefused = "Tone frequency_2 should be one of below:",
              .Reset = DEFAULT_FREQUENCY,
              .pchListItem = "%8d ",
              .ListPerLine = 16},
    // 0 is refused without a line of its own.
    CliOption{.Letter = 'l',
              .pchLong = "pulse_length",
              .Dest = &CliSettings::pulse_length,
              .bNonzero = true,
              .pchDone = "Tone pulse_length is %d!\n",
              .Reset = 0},
    // 0 is accepted, although the refusal names 1 to 4.
    CliOption{.Letter = 'm',
              .pchLong = "tone_mode",
              .Dest = &CliSettings::tone_mode,
              .Min = 0,
              .Max = TONE_MODE_COUNT - 1,
              .Names = ToneMode,
              .pchDone = "Tone tone_mode is %s!\n",
              .pchRefused = "Tone mode should be 1 to 4!",
              .Reset = 0,
              .pchListItem = "%d : %s!\n",
              .ListFirst = 1},
};
static_assert(cli_rows_valid(TONE_ROWS));
constexpr auto TONE_GETOPT = cli_getopt_tables(TONE_ROWS);
constexpr const option* long_tone_options = TONE_GETOPT.Long.data();

}  // namespace

const CliOptionTable tone_options = {TONE_ROWS, TONE_GETOPT.Short.data(), long_tone_options,
                                     "Please add param!!", nullptr};

int Tone_Settings_Interpret(char option, const char* pchArg) {
    return cli_option_apply(tone_options, option, pchArg, &setting, nullptr);
}

namespace {

// The sites the failure lines name.
constexpr int SITE_TONE_TX_STOP = 1993;
constexpr int SITE_TONE_CHANNEL = 1999;
constexpr int SITE_TONE_TX_START = 2005;
constexpr int SITE_STOP_TX_STOP = 2071;
constexpr int SITE_STOP_CHANNEL = 2078;

constexpr uint32_t TONE_OFF = 0;  // DISABLE_TONE

// The class picks a row of the class tables. One from the record or the
// settings file that has no row fails the re-tune; it is refused before
// the transmitter is touched, so that a refused command leaves the chip as
// it was. The line is the re-tune's own.
bool tone_class_known(int site) {
    if (setting.regulatory_class < REG_CLASS_COUNT)
        return true;
    printf("set channel error!--%d", site);
    return false;
}

// A transmission started the usual way, so that the stop that follows
// finds one to stop. It gets a vector of its own, which its parse reads
// from the start: the tone's options and words never reach it.
void tone_tx_run() {
    char program[] = "rqm";
    char word[] = "tx";
    char* argv[] = {program, word, nullptr};
    proc_tx(2, argv);
}

// What tone does before it sets the generator: the transmitter brought to
// a known state, running, with the radio one channel below the stored
// one. What earlier runs chose for the transmitter comes back first, with
// the packet length that suits the mode. 0, or the first failed step's
// result after its line.
int tone_prepare() {
    const RqmKeptState& kept = g_cli_variant.Kept;
    if (kept.pfnToneRestore())
        tx_default_length();
    if (!tone_class_known(SITE_TONE_CHANNEL))
        return -1;
    if (!kept.pfnTxRecordedRunning())
        tone_tx_run();
    int r = proc_tx_stop(0, nullptr);
    if (r != 0) {
        printf("proc tx stop error!--%d", SITE_TONE_TX_STOP);
        return r;
    }
    r = set_channel(setting.channel, setting.regulatory_class, 1);
    if (r != 0) {
        printf("set channel error!--%d", SITE_TONE_CHANNEL);
        return r;
    }
    r = tx_start(g_iGnModeForce);
    if (r != 0) {
        printf("proc tx error!--%d", SITE_TONE_TX_START);
        return r;
    }
    return 0;
}

}  // namespace

int tone_send(uint32_t mode) {
    return RQM_SetPulsedToneGen(cli_api(), mode, setting.frequency_1, setting.amplitude_1,
                                setting.frequency_2, setting.amplitude_2, setting.pulse_length,
                                setting.pulse_delay) == RQM_SUCCESS
               ? 0
               : -1;
}

int tone_off() {
    return tone_send(TONE_OFF);
}

int tone_retuned(uint32_t mode) {
    const int r = tone_prepare();
    return r != 0 ? r : tone_send(mode);
}

// Without a record nothing of an earlier run is known: the settings name
// the channel, and a transmission may be running unrecorded.
int tone_stop_retuned() {
    const RqmKeptState& kept = g_cli_variant.Kept;
    const bool restored = kept.pfnToneChannelRestore();
    if (!tone_class_known(SITE_STOP_CHANNEL))
        return -1;
    if (tone_off() != 0)
        return -1;
    if (!restored || kept.pfnTxRecordedRunning()) {
        const int r = proc_tx_stop(0, nullptr);
        if (r != 0) {
            printf("proc tx stop error!--%d", SITE_STOP_TX_STOP);
            return r;
        }
    }
    const int r = set_channel(setting.channel, setting.regulatory_class, 0);
    if (r != 0)
        printf("set channel error!--%d", SITE_STOP_CHANNEL);
    return r;
}

int proc_tone(int argc, char** argv) {
    if (cli_parse_options(argc, argv, tone_options) != 0)
        return -1;
    return g_cli_variant.pfnTone(setting.tone_mode);
}

int proc_tone_stop(int, char**) {
    return g_cli_variant.pfnToneStop();
}
