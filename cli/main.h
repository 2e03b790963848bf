// The front end: the command table and its dispatcher, the help pages,
// the start and end of the API context and the driver channel, and the
// command handlers.
#pragma once

#include <getopt.h>

#include <cstdint>

#include "api/rqm_api.h"

inline constexpr int RQM_VERSION_MAJOR = 2;
inline constexpr int RQM_VERSION_MINOR = 0;
inline constexpr int RQM_VERSION_PATCH = 9;
static_assert(CliVersion == ((RQM_VERSION_MAJOR << 24) | (RQM_VERSION_MINOR << 16) | RQM_VERSION_PATCH));

inline constexpr char HELP_HINT[] = "Input [help] for help message.Add options for more details!";

typedef int (*CommandHandler)(int argc, char** argv);

struct CommandEntry {
    const char* pchName;
    CommandHandler pfnHandler;
    const char* pchHelp;
};

inline constexpr int COMMAND_COUNT = 46;
extern const CommandEntry command[COMMAND_COUNT + 1];

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
extern int g_ver_support;

// Option tables of the commands whose help pages list them. Each ends with
// a zero row, as getopt_long wants.
extern const option long_tx_options[20];
extern const option long_tone_options[8];
extern const option long_rate_options[3];
extern const option long_mac_options[4];
extern const option long_mem_options[9];
extern const option long_help_options[8];

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

// Command handlers.
int proc_connect(int argc, char** argv);
int proc_disconnect(int argc, char** argv);
int proc_enable_phy(int argc, char** argv);
int proc_phy_mode(int argc, char** argv);
int proc_channel(int argc, char** argv);
int proc_rate(int argc, char** argv);
int proc_tx(int argc, char** argv);
int proc_tx_stop(int argc, char** argv);
int proc_rx(int argc, char** argv);
int proc_rx_stop(int argc, char** argv);
int proc_tone(int argc, char** argv);
int proc_tone_stop(int argc, char** argv);
int proc_power_level(int argc, char** argv);
int proc_bandwidth(int argc, char** argv);
int proc_subchannel(int argc, char** argv);
int proc_read_mem(int argc, char** argv);
int proc_write_mem(int argc, char** argv);
int proc_set_mac(int argc, char** argv);
int proc_get_mac(int argc, char** argv);
int proc_read_efuse(int argc, char** argv);
int proc_write_efuse(int argc, char** argv);
int proc_get_sdd_power(int argc, char** argv);
int proc_set_sdd_power(int argc, char** argv);
int proc_get_sdd_file(int argc, char** argv);
int proc_get_sdd_freq_offset(int argc, char** argv);
int proc_set_sdd_freq_offset(int argc, char** argv);
int proc_get_freq_offset(int argc, char** argv);
int proc_set_freq_offset(int argc, char** argv);
int proc_reconnect(int argc, char** argv);
int proc_soft_reset(int argc, char** argv);
int proc_sdd_config(int argc, char** argv);
int proc_regulatory(int argc, char** argv);
int proc_get_antifuse(int argc, char** argv);
int proc_calibration(int argc, char** argv);
int proc_gain(int argc, char** argv);
int proc_tx_status(int argc, char** argv);
int proc_tx_cfg(int argc, char** argv);
int proc_hw_write_reg(int argc, char** argv);
int proc_hw_read_reg(int argc, char** argv);
int proc_load_reg(int argc, char** argv);
int proc_save_reg(int argc, char** argv);
int proc_read_reg(int argc, char** argv);
int proc_write_reg(int argc, char** argv);
int proc_set_cca(int argc, char** argv);
int proc_set_channel_fec(int argc, char** argv);

// Names of the SDD power table's entries, and their display rows.
extern const char* const modulation[12];
extern const char* const modulationShow[12];
