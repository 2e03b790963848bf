// The front end: the command table and its dispatcher, the help pages,
// the start and end of the API context and the driver channel, and what the
// command handlers share. The handlers live by family: main_connect
// (connection and MAC), main_rate, main_channel, main_phy, main_tx, rx_cli,
// main_tone, main_memory, main_efuse and main_sdd.
#pragma once

#include <cstdint>

#include "api/rqm_api.h"
#include "cli/commands.h"
#include "cli/options.h"

// The line of a word or value a command does not take.
inline constexpr char INVALID_PARAMS[] = "Invalid params input!Please check again!";

inline constexpr int RQM_VERSION_MAJOR = 2;
inline constexpr int RQM_VERSION_MINOR = 0;
inline constexpr int RQM_VERSION_PATCH = 9;
static_assert(CliVersion == ((RQM_VERSION_MAJOR << 24) | (RQM_VERSION_MINOR << 16) | RQM_VERSION_PATCH));

inline constexpr char HELP_HINT[] = "Input [help] for help message.Add options for more details!";

struct HelpEntry {
    char Kind;  // 'g' on the general page, 'd' only in the full list
    int32_t Id;
    const char* pchColumn[5];
};

inline constexpr int HELP_ROWS = 38;
extern const HelpEntry help_msg[HELP_ROWS];

struct RqmConfig {
    RqmApiContext* pRqmApiContext;
    uint32_t ConnectionType;
    RqmRxIndMsgsCb pfnRxIndMsgsCb;
    uint32_t SddConfigArg;
};

extern RqmConfig g_rqm_config;

// The API context of the run, which every handler passes first to every
// API call; nullptr before Init_Cli and after Exit_Cli.
RqmApiContext* cli_api();

// The options of the commands that take options, each with its command's
// family; the help pages list their rows in table order.
extern const CliOptionTable tx_options;
extern const CliOptionTable tone_options;
extern const CliOptionTable rate_options;
extern const CliOptionTable mac_options;
extern const CliOptionTable mem_options;
extern const CliOptionTable help_options;

// One option of a command into `setting`: 0 when applied, -1 after the
// option's own lines.
int Tx_Settings_Interpret(char option, const char* pchArg);
int Tone_Settings_Interpret(char option, const char* pchArg);
int Rate_Settings_Interpret(char option, const char* pchArg);
int Memory_Settings_Interpret(char option, const char* pchArg);
// read_efuse's user-area options into the element.
int Read_Efuse_Settings_Interpret(char option, const char* pchArg, EfuseElement* pElement);
// The element a read_efuse asks for: 0, or -1 after its own lines.
int read_efuse_prepare(int argc, char** argv, EfuseElement* pElement);

// Transmit modes by number, and the rates by position: in Mbit/s, by name,
// and the row of the SDD user-power table that holds each one's power.
inline constexpr int TX_MODE_COUNT = 6;
inline constexpr int TX_RATE_COUNT = 20;
extern const char* const TxMode[TX_MODE_COUNT];
extern const float TxRate[TX_RATE_COUNT];
extern const char* const TxRateName[TX_RATE_COUNT];
extern const int32_t PwrRegNum[TX_RATE_COUNT];
// The position in TxRate of the last rate option, and the power row of the
// rate chosen.
extern int g_iRateIndex;
extern int pwrRegN;
// tx -f: the transmission is started in the forced form (mirrors word 1 of
// the tool-state record).
extern int g_iGnModeForce;
// The transmit sequence over `setting`, and a start of it, forced (the
// longest packets, no acknowledgement, no delay) or not, recorded as
// running on success: 0 or -1. The tone commands run them as tx does.
int Tx_Packets();
int tx_start(int force);
// The packet length that suits setting.mode (-l and settings.ini aside).
void tx_default_length();

// Tone modes by number, and the amplitudes (dB) and frequencies (Hz) a tone
// may have; only the first 32 frequencies are offered.
inline constexpr int TONE_MODE_COUNT = RQM_TONE_MODE_MAX + 1;
extern const char* const ToneMode[TONE_MODE_COUNT];
extern const float amp_val[16];
extern const int32_t frq_val[33];
// The tone generator set to the mode with the settings' tones and pulse
// timing, and turned off: 0 or -1.
int tone_send(uint32_t mode);
int tone_off();
// rqmcli's tone and tone_stop: the transmitter brought to a known state
// and the radio tuned one channel below the stored one around the
// generator (the profile's tone operations).
int tone_retuned(uint32_t mode);
int tone_stop_retuned();

int CMD_Interpret(int argc, char** argv);
// The command row a typed word selects: the first row the word begins (the
// second build: the row it equals), or -1.
int CMD_Find(const char* word);
void print_help_msg(int which);
void print_single_msg(const HelpEntry* pRow);
int Help_Handler(int argc, char** argv);
int Help_Settings_Interpret(char option);
int Init_Cli();
void Exit_Cli();
void RQM_CallBack_C(void* pUserCB_Context, uint8_t* pMsg);
int lockfile(int fd);
int already_running();

// One run of the program: the command word and its arguments in argv.
int rqm_main(int argc, char** argv);

// Names of the SDD power table's entries, and their display rows.
extern const char* const modulation[12];
extern const char* const modulationShow[12];
