// The command table, the dispatcher's word matching, the help pages and the
// tool-state defaults, in-process and without a driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "cli/kept_record.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"

namespace {

struct WordCase {
    const char* word;
    const char* selects;  // nullptr: no row
};

class Prefix : public testing::TestWithParam<WordCase> {};

TEST_P(Prefix, FirstRowTheWordBegins) {
    const int row = CMD_Find(GetParam().word);
    if (GetParam().selects == nullptr) {
        EXPECT_EQ(row, -1);
    } else {
        ASSERT_GE(row, 0) << GetParam().word;
        EXPECT_STREQ(command[row].pchName, GetParam().selects) << GetParam().word;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Words, Prefix,
    testing::Values(WordCase{"", "connect"}, WordCase{"c", "connect"}, WordCase{"conn", "connect"},
                    WordCase{"d", "disconnect"}, WordCase{"dis", "disconnect"}, WordCase{"e", "enable_phy"},
                    WordCase{"p", "phy_mode"}, WordCase{"r", "rate"}, WordCase{"re", "read_mem"},
                    WordCase{"rec", "reconnect"}, WordCase{"reg", "regulatory"}, WordCase{"t", "tx"},
                    WordCase{"to", "tone"}, WordCase{"tx_", "tx_stop"}, WordCase{"s", "subchannel"},
                    WordCase{"se", "set_mac"}, WordCase{"set", "set_mac"}, WordCase{"set_s", "set_sdd_power"},
                    WordCase{"set_c", "set_cca"}, WordCase{"sd", "sdd_config"}, WordCase{"g", "get_mac"},
                    WordCase{"get_s", "get_sdd_power"}, WordCase{"h", "help"}, WordCase{"he", "help"},
                    WordCase{"hw", "hw_write_reg"}, WordCase{"w", "write_mem"}, WordCase{"l", "load_reg"},
                    WordCase{"txx", nullptr}, WordCase{"Connect", nullptr}, WordCase{"connect_", nullptr}));

TEST(Dispatch, EveryFullWordSelectsItsOwnRow) {
    for (int row = 0; row < COMMAND_COUNT; ++row)
        EXPECT_EQ(CMD_Find(command[row].pchName), row) << command[row].pchName;
    EXPECT_EQ(command[COMMAND_COUNT].pchName, nullptr);
}

std::string banner() {
    testing::internal::CaptureStdout();
    print_help_msg(-2);  // no such row: the banner and the closing newline
    std::string out = testing::internal::GetCapturedStdout();
    return out.substr(0, out.size() - 1);
}

TEST(Dispatch, UnknownWordRunsIntoTheBanner) {
    char prog[] = "rqmcli", word[] = "txx";
    char* argv[] = {prog, word, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(CMD_Interpret(2, argv), 1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("unknown cmd!RQM version: 2.0.9  ", 0), 0u) << out;
}

TEST(Dispatch, Banner) {
    const std::string b = banner();
    EXPECT_EQ(b.rfind("RQM version: 2.0.9  ", 0), 0u);
    EXPECT_EQ(b.substr(b.size() - 2), "\n\n");
}

struct RowCase {
    int which;
    std::string body;  // what follows the banner, before the closing newline
};

class HelpRows : public testing::TestWithParam<RowCase> {};

TEST_P(HelpRows, PrintsTheRowOrNothing) {
    const std::string head = banner();
    testing::internal::CaptureStdout();
    print_help_msg(GetParam().which);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), head + GetParam().body + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HelpRows,
    testing::Values(
        RowCase{1,
                "connect\t\t\t\t\t\tbefore sending any other cmds,send this cmd first to download "
                "firmware!\t\n"},
        RowCase{4, "reconnect\t\t\t\t\t\t\n"},
        RowCase{7, "help\t\t[-options]\t\t\tShow this help msg, add options for details\n"},
        RowCase{32, "hw_read_reg\t[address]\t\t\taddress is hex data, should start with '0x'\n"},
        RowCase{36,
                "write_efuse\t[CHIPID/DCXO_TRIM/POUT_CAL/MAC/USER_AREA]\t[param]\t\tOnly support writting "
                "MAC address right now !\n"},
        RowCase{37, ""}, RowCase{38, ""}, RowCase{1000, ""}, RowCase{-3, ""}));

TEST(HelpTable, RowsAreNumberedAndKinded) {
    int general = 0;
    for (int row = 1; row < HELP_ROWS - 1; ++row) {
        EXPECT_EQ(help_msg[row].Id, row);
        EXPECT_TRUE(help_msg[row].Kind == 'g' || help_msg[row].Kind == 'd') << row;
        EXPECT_NE(help_msg[row].pchColumn[0], nullptr);
        EXPECT_EQ(help_msg[row].pchColumn[4], nullptr);
        general += help_msg[row].Kind == 'g';
    }
    EXPECT_EQ(general, 21);
    EXPECT_EQ(help_msg[HELP_ROWS - 1].pchColumn[0], nullptr);
}

struct HelpCase {
    std::vector<const char*> args;  // after the program name
    int result;
    std::string out;  // exact, or empty to skip
};

class HelpCommand : public testing::TestWithParam<HelpCase> {};

TEST_P(HelpCommand, OptionsAndWords) {
    std::vector<char*> argv;
    std::vector<std::string> storage = {"rqmcli"};
    for (const char* a : GetParam().args)
        storage.emplace_back(a);
    for (auto& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(Help_Handler(static_cast<int>(storage.size()), argv.data()), GetParam().result);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, HelpCommand,
    testing::Values(
        HelpCase{
            {"help", "-t", "tx"}, 1, "\nhelp tx msg:\n\t-l\t[value]\t\tlength\n\t-n\t[value]\t\tnumber\n"},
        HelpCase{
            {"help", "tx"},
            1,
            "\nhelp tx msg:\n\t-l\t[value]\t\tlength\n\t-n\t[value]\t\tnumber\n\t-c\t[value]\t\tcontinuous\n"
            "\t-g\t[value]\t\tguard_interval\n\t-u\t[value]\t\tsubchannel\n\t-w\t[value]\t\tbandwidth\n"},
        HelpCase{
            {"help", "rate"}, 1, "\nhelp rate msg:\n\t-m\t[value]\t\ttx_mode\n\t-r\t[value]\t\ttx_rate\n"},
        HelpCase{{"help", "--help_set_mac"},
                 1,
                 "\nhelp set mac "
                 "msg:\n\t-s\t[XX:XX:XX:XX:XX:XX]\t\tsource_addr\n\t-d\t[XX:XX:XX:XX:XX:XX]\t\tdest_addr\n"
                 "\t-t\t[XX:XX:XX:XX:XX:XX]\t\tBSSID\n"},
        HelpCase{{"help", "set_mac"},
                 1,
                 "\nhelp setmac "
                 "msg:\n\t-s\t[value]\t\tsource_addr\n\t-d\t[value]\t\tdest_addr\n\t-t\t[value]\t\tBSSID\n"},
        HelpCase{{"help", "-o"},
                 1,
                 "\nhelp tone "
                 "msg:\n\t-a\t[value]\t\tamplitude_1\n\t-b\t[value]\t\tamplitude_2\n\t-d\t[value]\t\tpulse_"
                 "delay\n\t-f\t[value]\t\tfrequency_1\n\t-g\t[value]\t\tfrequency_2\n\t-l\t[value]\t\tpulse_"
                 "length\n"
                 "\t-m\t[value]\t\ttone_mode\n"},
        HelpCase{{"help", "-z"}, -1, "Params set error!\n"},
        HelpCase{
            {"help", "-r", "-z"},
            -1,
            "\nhelp rate msg:\n\t-m\t[value]\t\ttx_mode\n\t-r\t[value]\t\ttx_rate\nParams set error!\n"}));

TEST(HelpCommandPages, LongPagesAndWords) {
    struct {
        std::vector<std::string> args;
        size_t lines;  // lines after the head
        const char* head;
    } cases[] = {
        {{"rqmcli", "help", "-T"}, 19, "\nhelp tx msg:\n"},
        {{"rqmcli", "help", "memory"}, 8, "\nhelp memory msg:\n"},
        {{"rqmcli", "help", "--help_read_mem"}, 8, "\nhelp memory msg:\n"},
    };
    for (auto& c : cases) {
        std::vector<char*> argv;
        for (auto& s : c.args)
            argv.push_back(s.data());
        testing::internal::CaptureStdout();
        EXPECT_EQ(Help_Handler(static_cast<int>(argv.size()), argv.data()), 1);
        const std::string out = testing::internal::GetCapturedStdout();
        ASSERT_EQ(out.rfind(c.head, 0), 0u) << out;
        const std::string rows = out.substr(strlen(c.head));
        EXPECT_EQ(static_cast<size_t>(std::count(rows.begin(), rows.end(), '\n')), c.lines) << c.args[2];
    }
}

TEST(HelpCommandPages, AllAndUnknownWords) {
    const std::string head = banner();
    std::string all_rows, general_rows;
    for (int row = 1; row < HELP_ROWS - 1; ++row) {
        testing::internal::CaptureStdout();
        print_single_msg(&help_msg[row]);
        const std::string line = testing::internal::GetCapturedStdout();
        all_rows += line;
        if (help_msg[row].Kind == 'g')
            general_rows += line;
    }
    std::string a0 = "rqmcli", a1 = "help", a2 = "all", a3 = "bogus";
    char* all[] = {a0.data(), a1.data(), a2.data(), nullptr};
    char* bogus[] = {a0.data(), a1.data(), a3.data(), nullptr};
    char* none[] = {a0.data(), a1.data(), nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(Help_Handler(3, all), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "All cmds list below!\n" + head + all_rows + "\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(Help_Handler(3, bogus), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Invalid params input!Please check again!\n" + head + general_rows + "\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(Help_Handler(2, none), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), head + general_rows + "\n");
}

TEST(DriverData, DefaultsKeepTheFetchedWords) {
    CliDriverData d{};
    for (unsigned i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
        d.Word[i] = static_cast<uint16_t>(0xA000 + i);
    driver_data_init(&d);
    const uint16_t want[CLI_DRIVER_DATA_WORDS] = {
        16, 0, 2, 7, 1,      1, 0,      1,      1,      1000,   0,      0,     0xA00C,
        0,  0, 0, 1, 0xA011, 0, 0xA013, 0xA014, 0xA015, 0xA016, 0xA017, 0xA018};
    for (unsigned i = 0; i < CLI_DRIVER_DATA_WORDS; ++i)
        EXPECT_EQ(d.Word[i], want[i]) << "word " << i;
}

struct VersionCase {
    uint32_t word;
    int accepted;
};

class DriverVersion : public testing::TestWithParam<VersionCase> {};

TEST_P(DriverVersion, KeepsStateFrom112) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckVersion(GetParam().word, 0), GetParam().accepted);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

INSTANTIATE_TEST_SUITE_P(Words, DriverVersion,
                         testing::Values(VersionCase{0x01010002, 1}, VersionCase{0x01020000, 1},
                                         VersionCase{0x02000000, 1}, VersionCase{0xF1F1FF02, 1},
                                         VersionCase{0x01010001, 0}, VersionCase{0x01000009, 0},
                                         VersionCase{0x00FF00FF, 0}, VersionCase{0x01010102, 1},
                                         VersionCase{0x10010002, 0}));

TEST(DriverVersion, BannerWhenVerbose) {
    const std::string stars(73, '*');
    const std::string blank = "*" + std::string(71, ' ') + "*";
    testing::internal::CaptureStdout();
    EXPECT_EQ(CheckVersion(0x01010001, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              stars + "\n" + blank + "\n" +
                  "*    Your Adapter version is too low, 1.1.2 or above is recommended.    *\n" + blank +
                  "\n" + stars + "\n");
}

TEST(Callback, StartupIndicationOnly) {
    uint8_t msg[8] = {};
    hi_set_msg_len(msg, 8);
    hi_set_msg_id(msg, HI_STARTUP_IND_ID);
    testing::internal::CaptureStdout();
    RQM_CallBack_C(nullptr, msg);
    hi_set_msg_id(msg, HI_TRACE_IND_ID);
    RQM_CallBack_C(nullptr, msg);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RQM fw is running!!\n\n");
}

}  // namespace
