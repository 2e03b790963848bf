// The front end: the command table and its dispatcher, the help pages,
// the start and end of the API context and the driver channel, and the
// command handlers.
#pragma once

#include <getopt.h>

#include <cstdint>

#include "api/rqm_api.h"
#include "cli/commands.h"

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
extern int g_ver_support;

// The defaults a connect gives the driver's tool-state record.
void driver_data_init(CliDriverData* pData);

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

// Names of the SDD power table's entries, and their display rows.
extern const char* const modulation[12];
extern const char* const modulationShow[12];
