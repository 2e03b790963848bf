#include "main.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "api/rqm_api.h"
#include "cli/cli_variant.h"
#include "cli/get_settings.h"
#include "common/hi_msg.h"
#include "transport/adapter.h"
#include "transport/rqm_transport.h"

RqmConfig g_rqm_config{};

const HelpEntry help_msg[HELP_ROWS] = {
    {0, 0, {"", nullptr, nullptr, nullptr, nullptr}},
    {'g',
     1,
     {"connect\t", "\t\t\t", "before sending any other cmds,send this cmd first to download firmware!", "",
      nullptr}},
    {'g', 2, {"disconnect", "\t\t\t", "send this cmd after all of other cmds!", "", nullptr}},
    {'g',
     3,
     {"enable_phy", "\t\t\t", "default is ENABLE,include set mode,channel,pwr level", nullptr, nullptr}},
    {'d', 4, {"reconnect", "\t\t\t", "", "", nullptr}},
    {'d', 5, {"soft_reset", "\t\t\t", "", "", nullptr}},
    {'d', 6, {"sdd_config", "\t\t\t", "", "", nullptr}},
    {'g', 7, {"help\t", "[-options]\t\t", "Show this help msg, add options for details", nullptr, nullptr}},
    {'g', 8, {"tx\t", "[-options]", "[param]\t", "for detail: help tx", nullptr}},
    {'g', 9, {"tx_stop\t", "\t\t\t", "stop continuous tx", "", nullptr}},
    {'g', 10, {"rx\t", "\t\t\t", "to recieve packets", "", nullptr}},
    {'g', 11, {"rx_stop\t", "\t\t\t", "stop recieving packets", "", nullptr}},
    {'g', 12, {"tone\t", "[-options]", "[param]\t", "single tone functions,for detail: help tone", nullptr}},
    {'g', 13, {"tone_stop", "\t\t\t", "stop single tone operation", "", nullptr}},
    {'g',
     14,
     {"phy_mode", "[OFDM_2GHZ/DSSS_2GHZ/2GHZ]", "default is 2GHZ, and 5GHZ is not support yet!", nullptr,
      nullptr}},
    {'g',
     15,
     {"channel\t", "[OFDM_2GHZ/DSSS_2GHZ/2GHZ]", "[channelNum]\t",
      "here phy mode param is only for channel check!", nullptr}},
    {'g', 16, {"rate\t", "[-options]", "[param]\t", "for detail: help rate", nullptr}},
    {'g', 17, {"get_mac\t", "\t\t\t", "to get the mac addresses right now", "", nullptr}},
    {'g', 18, {"set_mac\t", "[-options]", "[param]\t", "set mac address,for detail: help set_mac", nullptr}},
    {'g', 19, {"power_level", "[2~120]\t\t\t", "set the tx pwr level", nullptr, nullptr}},
    {'g', 20, {"get_antifuse", "\t\t\t", "get the antifuse bits right now", "", nullptr}},
    {'d', 21, {"regulatory", "[1~12]\t\t\t", "use in 5GHZ mode", nullptr, nullptr}},
    {'d', 22, {"read_mem", "[-options]", "[param]\t", "for detail: help memory", nullptr}},
    {'d',
     23,
     {"write_mem", "[address]", "[value]\t", "address and value are hex data, should start with '0x'",
      nullptr}},
    {'d', 24, {"read_reg", "\t\t\t", "not support yet", "", nullptr}},
    {'d', 25, {"calibration", "\t\t\t", "get calibration values", "", nullptr}},
    {'d', 26, {"gain", "\t\t\t\t", "get the analog and digital register values", "", nullptr}},
    {'d', 27, {"tx_status", "\t\t\t", "get the txstatus register values", "", nullptr}},
    {'d', 28, {"tx_cfg", "\t\t\t\t", "get the current tx frames count", "", nullptr}},
    {'g', 29, {"bandwidth", "[40M/20M]\t\t", "auto set to 20M if invalid input detected", "", nullptr}},
    {'g',
     30,
     {"subchannel", "[LOWER/UPPER]\t\t", "auto set to UPPER if invalid input detected", "", nullptr}},
    {'d',
     31,
     {"hw_write_reg", "[address]", "[value]\t", "address and value are hex data, should start with '0x'",
      nullptr}},
    {'d', 32, {"hw_read_reg", "[address]", "\t", "address is hex data, should start with '0x'", nullptr}},
    {'d', 33, {"load_reg", "[-options]", "[param]\t", "for detail: help memory", nullptr}},
    {'d', 34, {"save_reg", "[-options]", "[param]\t", "for detail: help memory", nullptr}},
    {'g',
     35,
     {"read_efuse", "[CHIPID/DCXO_TRIM/POUT_CAL/MAC/USER_AREA]", "[param]\t",
      "When reading user_area, please input start_bit and len!", nullptr}},
    {'g',
     36,
     {"write_efuse", "[CHIPID/DCXO_TRIM/POUT_CAL/MAC/USER_AREA]", "[param]\t",
      "Only support writting MAC address right now !", nullptr}},
    {0, 37, {nullptr, nullptr, nullptr, nullptr, nullptr}},
};

void print_single_msg(const HelpEntry* pRow) {
    printf("%s", pRow->pchColumn[0]);
    for (int col = 1; col < 5; ++col)
        if (pRow->pchColumn[col] != nullptr)
            printf("\t%s", pRow->pchColumn[col]);
    printf("\n");
}

namespace {

void print_banner() {
    if (g_cli_variant.pchFixedBanner != nullptr) {
        puts(g_cli_variant.pchFixedBanner);
        return;
    }
    printf("RQM version: %d.%d.%d  %s %s\n\n", RQM_VERSION_MAJOR, RQM_VERSION_MINOR, RQM_VERSION_PATCH,
           __DATE__, __TIME__);
}

}  // namespace

void print_help_msg(int which) {
    print_banner();
    if (which == 0 || which == -1) {
        for (int row = 1; help_msg[row].pchColumn[0] != nullptr; ++row)
            if (which == -1 || help_msg[row].Kind == 'g')
                print_single_msg(&help_msg[row]);
    } else if (which >= 1 && which < HELP_ROWS - 1) {
        print_single_msg(&help_msg[which]);
    }
    printf("\n");
}

namespace {

// A help page, and what shows it: a help option, the word after "help", or
// both.
struct HelpPage {
    char Letter;
    const char* pchLong;
    const char* pchWord;
    const char* pchHead;           // put as a line first, or nullptr
    const CliOptionTable* pTable;  // its rows, or nullptr for the full help list
    size_t Rows;                   // the first so many rows; 0: all
    const char* pchValue;
};

constexpr char VALUE[] = "[value]";

constexpr HelpPage HELP_PAGES[] = {
    {'a', "help_all", nullptr, nullptr, nullptr, 0, nullptr},
    {0, nullptr, "all", "All cmds list below!", nullptr, 0, nullptr},
    {'m', "help_set_mac", nullptr, "\nhelp set mac msg:", &mac_options, 0, "[XX:XX:XX:XX:XX:XX]"},
    {0, nullptr, "set_mac", "\nhelp setmac msg:", &mac_options, 0, VALUE},
    {'M', "help_read_mem", "memory", "\nhelp memory msg:", &mem_options, 0, VALUE},
    {'o', "help_tone", "tone", "\nhelp tone msg:", &tone_options, 0, VALUE},
    {'r', "help_rate", "rate", "\nhelp rate msg:", &rate_options, 0, VALUE},
    {'t', "help_tx", nullptr, "\nhelp tx msg:", &tx_options, 2, VALUE},
    {0, nullptr, "tx", "\nhelp tx msg:", &tx_options, 6, VALUE},
    {'T', "help_tx_all", nullptr, "\nhelp tx msg:", &tx_options, 0, VALUE},
};

constexpr size_t help_letters() {
    size_t n = 0;
    for (const HelpPage& page : HELP_PAGES)
        n += page.Letter != 0;
    return n;
}

// Each help option hands its page's number to the help command.
constexpr std::array<CliOption, help_letters()> help_rows() {
    std::array<CliOption, help_letters()> rows{};
    size_t k = 0;
    for (size_t i = 0; i < std::size(HELP_PAGES); ++i) {
        if (HELP_PAGES[i].Letter == 0)
            continue;
        rows[k++] = CliOption{.Letter = HELP_PAGES[i].Letter,
                              .pchLong = HELP_PAGES[i].pchLong,
                              .ShortArg = CLI_ARG_NONE,
                              .LongArg = CLI_ARG_NONE,
                              .Kind = CLI_SET,
                              .Dest = CliLocal{},
                              .Value = static_cast<int32_t>(i)};
    }
    return rows;
}

constexpr std::array HELP_OPTION_ROWS = help_rows();
static_assert(cli_rows_valid(HELP_OPTION_ROWS));
constexpr auto HELP_GETOPT = cli_getopt_tables(HELP_OPTION_ROWS);
constexpr const char* short_help_options = HELP_GETOPT.Short.data();
constexpr const option* long_help_options = HELP_GETOPT.Long.data();

void print_help_page(const HelpPage& page) {
    if (page.pchHead != nullptr)
        puts(page.pchHead);
    if (page.pTable == nullptr) {
        print_help_msg(-1);
        return;
    }
    const std::span<const CliOption> rows = page.pTable->Rows;
    const size_t count = page.Rows == 0 ? rows.size() : std::min(page.Rows, rows.size());
    for (size_t i = 0; i < count; ++i)
        printf("\t-%c\t%s\t\t%s\n", rows[i].Letter, page.pchValue, rows[i].pchLong);
}

}  // namespace

const CliOptionTable help_options = {HELP_OPTION_ROWS, short_help_options, long_help_options, nullptr,
                                     nullptr};

int Help_Settings_Interpret(char option) {
    CliOptionOut out{};
    if (cli_option_apply(help_options, option, nullptr, nullptr, &out) != 0)
        return -1;
    print_help_page(HELP_PAGES[out.Value]);
    return 0;
}

int Help_Handler(int argc, char** argv) {
    CliOptionWalk walk = cli_options_begin(argc, argv, help_options);
    int given = 0;
    while (cli_options_next(&walk)) {
        if (Help_Settings_Interpret(static_cast<char>(walk.Letter)) != 0) {
            puts("Params set error!");
            return -1;
        }
        ++given;
    }
    if (given > 0)
        return 1;

    const char* word = argc >= 3 ? argv[2] : nullptr;
    if (word == nullptr) {
        print_help_msg(0);
        return 1;
    }
    for (const HelpPage& page : HELP_PAGES) {
        if (page.pchWord != nullptr && strcmp(page.pchWord, word) == 0) {
            print_help_page(page);
            return 1;
        }
    }
    puts(INVALID_PARAMS);
    print_help_msg(0);
    return 1;
}

namespace {

bool dispatched(const char* name) {
    for (const char* w : g_cli_variant.CommandWords)
        if (strcmp(w, name) == 0)
            return true;
    return false;
}

}  // namespace

int CMD_Find(const char* word) {
    const size_t len = strlen(word);
    for (int row = 0; command[row].pchName != nullptr; ++row) {
        if (!dispatched(command[row].pchName))
            continue;
        const bool match = g_cli_variant.bExactWords ? strcmp(command[row].pchName, word) == 0
                                                     : strncmp(command[row].pchName, word, len) == 0;
        if (match)
            return row;
    }
    return -1;
}

int CMD_Interpret(int argc, char** argv) {
    if (argc < 2 || argv[1] == nullptr) {
        print_help_msg(0);
        return 1;
    }
    const int row = CMD_Find(argv[1]);
    if (row >= 0)
        return command[row].pfnHandler(argc, argv);
    if (g_cli_variant.bUnknownCmdOwnLine)
        puts("unknown cmd!");
    else
        printf("unknown cmd!");
    print_help_msg(0);
    return 1;
}

void RQM_CallBack_C(void*, uint8_t* pMsg) {
    if (hi_msg_id(pMsg) == HI_STARTUP_IND_ID)
        puts("RQM fw is running!!\n");
}

int Init_Cli() {
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    if (ctx == nullptr)
        return -1;
    g_rqm_config.pRqmApiContext = ctx;
    g_rqm_config.ConnectionType = RQM_CONNECTION_CLI;
    g_rqm_config.pfnRxIndMsgsCb = RQM_CallBack_C;
    g_rqm_config.SddConfigArg = 0;
    RQM_SetCallbackFunction(ctx, g_rqm_config.pfnRxIndMsgsCb);
    RQM_SetConnectionType(ctx, g_rqm_config.ConnectionType);
    if (adapter_connect() != 0) {
        puts("Driver exception!Please check!!");
        return -1;
    }
    Adapter_Init(ctx);
    ctx->FwRunning = 0;
    return RQM_GetAPIContext(ctx) != RQM_SUCCESS ? -1 : 0;
}

RqmApiContext* cli_api() {
    return g_rqm_config.pRqmApiContext;
}

void Exit_Cli() {
    if (g_rqm_config.pRqmApiContext != nullptr)
        RQM_Stop(g_rqm_config.pRqmApiContext);
    g_rqm_config.pRqmApiContext = nullptr;
    adapter_disconnect();
}

int lockfile(int fd) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return fcntl(fd, F_SETLK, &fl);
}

int already_running() {
    static constexpr char LOCKFILE[] = "./rqmcli.pid";
    const int fd = open(LOCKFILE, O_RDWR | O_CREAT, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    if (fd < 0) {
        printf("can't open %s: %s!\n", LOCKFILE, strerror(errno));
        syslog(LOG_ERR, "can't open %s: %s!\n", LOCKFILE, strerror(errno));
        exit(1);
    }
    if (lockfile(fd) < 0) {
        if (errno == EACCES || errno == EAGAIN) {
            close(fd);
            return 1;
        }
        printf("can't lock %s!: %s\n", LOCKFILE, strerror(errno));
        syslog(LOG_ERR, "can't lock %s!: %s\n", LOCKFILE, strerror(errno));
        exit(1);
    }
    return 0;
}

int rqm_main(int argc, char** argv) {
    const char* word = argc >= 2 ? argv[1] : nullptr;
    if (word == nullptr) {
        print_help_msg(0);
        puts(HELP_HINT);
        return 0;
    }
    if (strcmp(word, "help") == 0) {
        Help_Handler(argc, argv);
        puts(HELP_HINT);
        return 0;
    }
    InitSettings(&setting);
    // A settings file that is there but cannot be taken (a FIFO, a device,
    // one far too large) fails the command before the driver is touched.
    if (GetSettings(CLI_SETTINGS_FILE, &setting) != 0) {
        puts("Sending CMD error!");
        return 0;
    }
    if (Init_Cli() != 0) {
        puts("Init error!");
        // Released although the process ends: a clean exit keeps leak
        // checkers quiet about a run that only failed to start.
        Exit_Cli();
        return -1;
    }
    // Whatever the driver keeps for this run comes before the command and
    // goes back after it, as the program keeps it.
    g_cli_variant.Kept.pfnRunFetch(word);
    const int result = CMD_Interpret(argc, argv);
    if (result == 0)
        puts("Sending CMD OK!");
    else if (result == 1)
        puts(HELP_HINT);
    else
        puts("Sending CMD error!");
    g_cli_variant.Kept.pfnRunPush(word, result);
    Exit_Cli();
    return 0;
}
