// The option rows of the commands through the one interpreter, in-process:
// what each kind of row stores, accepts, refuses and prints, the order the
// options act in, what the parser leaves over, and getopt starting afresh.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli/get_settings.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "tests/support/rows.h"

namespace {

// words: the command word and its arguments; check: the fields afterwards.
struct ParseCase {
    const char* name;
    const CliOptionTable* table;
    const char* words;
    int result;
    std::string out;
    void (*check)() = nullptr;
    std::string err = "";
};

const std::string kRefused = "Params set error!\n";
const std::string kAmplitudes =
    "-2.00 -1.75 -1.50 -1.25 -1.00 -0.75 -0.50 -0.25 0.00 0.25 0.50 0.75 1.00 1.25 1.50 1.75 \n";
const std::string kFrequencies =
    "  312500   625000   937500  1250000  1562500  1875000  2187500  2500000  2812500  3125000  3437500  "
    "3750000  4062500  4375000  4687500  5000000 \n"
    " 5312500  5625000  5937500  6250000  6562500  6875000  7187500  7500000  7812500  8125000  8437500  "
    "8750000  9062500  9375000  9687500 10000000 \n";
const std::string kStartThread = "We will start reading thread!\n";

const ParseCase kParseCases[] = {
    // ---- tx: decimals with the 16-bit cut, booleans, words ----
    {"HugeNumberSaturates", &tx_options, "tx -l 99999999999", 0, "packet length is:65535!\n",
     [] { EXPECT_EQ(setting.packet_length, 0xFFFF); }},
    {"LaterOptionWins", &tx_options, "tx -n 50 --continuous=2", 0, "frame cnt is:50!\nTX continuous!\n",
     [] { EXPECT_EQ(setting.continuous, 1); }},
    {"FirstRefusalStops", &tx_options, "tx -p 5 -l 9", -1, "packet ID should be 1 to 4 !\n" + kRefused,
     [] {
         EXPECT_EQ(setting.frame_buf, 1);
         EXPECT_EQ(setting.packet_length, 500);
     }},
    {"BooleanZeroText", &tx_options, "tx -a 0 -C 7", 0, "not expect ack!\nuse CRC!\n",
     [] {
         EXPECT_EQ(setting.expect_ack, 0);
         EXPECT_EQ(setting.CRC, 1);
     }},
    {"GuardIntervalZero", &tx_options, "tx -g 0", 0, "Tx guard interval set to RQM_GUARD_INTERVAL_LONG !\n",
     [] { EXPECT_EQ(setting.Tx_guard_interval, 0); }},
    {"GuardIntervalTwo", &tx_options, "tx -g 2", -1, "Tx guard interval should be 0 or 1 !\n" + kRefused,
     [] { EXPECT_EQ(setting.Tx_guard_interval, 0xFFFF); }},
    {"BandwidthWord", &tx_options, "tx -w 10M", 0, "Tx bandwidth set to RQM_CHANNEL_BANDWIDTH_10MHz !\n",
     [] { EXPECT_EQ(setting.Tx_bandwidth, 1); }},
    {"BandwidthUnknownWord", &tx_options, "tx -w 40m", -1,
     "Tx bandwidth should be \"10M\", \"20M\", \"40M\" !\n" + kRefused,
     [] { EXPECT_EQ(setting.Tx_bandwidth, 0xFFFF); }},
    {"ForceGoesToTheRecord", &tx_options, "tx -f 3", 0, "",
     [] {
         EXPECT_EQ(g_iGnModeForce, 1);
         EXPECT_EQ(g_driver_data.Word[CLI_WORD_FORCED_MODE], 1);
     }},
    {"MissingArgument", &tx_options, "tx -l", -1, kRefused, nullptr,
     "tx: option requires an argument -- 'l'\n"},
    {"ExtraWordsWarned", &tx_options, "tx one -l 9 two", 0, "packet length is:9!\n", nullptr,
     "tx: ignoring extra argument -- one\ntx: ignoring extra argument -- two\n"},
    // ---- tone: lists of floats and numbers, names ----
    {"AmplitudeFromTheList", &tone_options, "tone -a -0.25", 0, "\nTone amplitude_1 is -0.25!\n",
     [] { EXPECT_EQ(setting.amplitude_1, -0.25f); }},
    {"AmplitudeNotRounded", &tone_options, "tone -b 1.8", -1,
     "Tone amplitude_2 should be one of below:\n" + kAmplitudes + kRefused,
     [] { EXPECT_EQ(setting.amplitude_2, 0.0f); }},
    {"FrequencyNotOffered", &tone_options, "tone -f 0", -1,
     "Tone frequency_1 should be one of below:\n" + kFrequencies + kRefused,
     [] { EXPECT_EQ(setting.frequency_1, 5000000u); }},
    {"PulseLengthZero", &tone_options, "tone -l 0", -1, kRefused},
    {"ModeNegative", &tone_options, "tone -m -1", -1,
     "Tone mode should be 1 to 4!\n1 : SINGLE_TONE_QUAD!\n2 : SINGLE_TONE_REAL!\n3 : SINGLE_TONE_IMAG!\n4 : "
     "DUAL_TONE_QUAD!\n" +
         kRefused,
     [] { EXPECT_EQ(setting.tone_mode, 0); }},
    {"ToneUnknownOption", &tone_options, "tone -z", -1, "Please add param!!\n" + kRefused, nullptr,
     "tone: invalid option -- 'z'\n"},
    // ---- rate: the rate checked against the mode in force ----
    {"RateOfAnotherGroup", &rate_options, "rate -m 1 -r 6.5", 0,
     "mode is _802_11_B_DSSS_LONG_PREAMBLE_\nrate is _1Mbps_DSSS_\n",
     [] {
         EXPECT_EQ(setting.rate, 0);
         EXPECT_EQ(g_iRateIndex, 0);
         EXPECT_EQ(pwrRegN, 0);
     }},
    {"ModeThreeListsModes", &rate_options, "rate -m 3", -1,
     "Tx mode should be 0,1,2,4,5\n0 : _802_11_B_DSSS_SHORT_PREAMBLE_!\n1 : "
     "_802_11_B_DSSS_LONG_PREAMBLE_!\n2 : "
     "_802_11_A_OFDM_PREAMBLE_!\n3 : ERROR_MODE!\n4 : _802_11_N_OFDM_SHORT_GREENFIELD_!\n5 : "
     "_802_11_N_OFDM_LONG_MIXED_!\n" +
         kRefused,
     [] { EXPECT_EQ(setting.mode, 1); }},
    {"RateUnknownOption", &rate_options, "rate -x 1", -1, "Please add param!\n" + kRefused, nullptr,
     "rate: invalid option -- 'x'\n"},
    // ---- memory: hex, the -r/-a order, no argument ----
    {"RegionThenAddress", &mem_options, "read_mem -r 1 -a 0x100", 0,
     "Memory region is:1!\nMemory start address set to 0x00000100!\n",
     [] { EXPECT_EQ(setting.mem_addr, 0x100u); }},
    {"AddressThenRegion", &mem_options, "read_mem -a 0x100 -r 1", 0,
     "Memory start address set to 0x00000100!\nMemory region is:1!\n",
     [] { EXPECT_EQ(setting.mem_addr, 0x8ABB801Cu); }},
    {"UpperCaseX", &mem_options, "read_mem -v 0X5", -1,
     "Value should be hex data, begin with '0x'!\n" + kRefused, [] { EXPECT_EQ(setting.mem_value, 0u); }},
    {"StartTakesNoArgument", &mem_options, "read_reg -s x", 0, kStartThread,
     [] { EXPECT_EQ(setting.mem_r_start, 1); }, "read_reg: ignoring extra argument -- x\n"},
    {"LongStartIgnoresItsArgument", &mem_options, "read_reg --start x", 0, kStartThread,
     [] { EXPECT_EQ(setting.mem_r_start, 1); }},
    {"LongStartWithoutArgument", &mem_options, "read_reg --start", -1, kRefused,
     [] { EXPECT_EQ(setting.mem_r_start, 0); }, "read_reg: option '--start' requires an argument\n"},
};

class Parse : public testing::TestWithParam<ParseCase> {};

TEST_P(Parse, StoresPrintsAndStops) {
    const ParseCase& c = GetParam();
    InitSettings(&setting);
    g_iGnModeForce = 0;
    g_iRateIndex = 16;
    pwrRegN = 0;
    g_driver_data = {};
    Argv a(c.words);
    testing::internal::CaptureStderr();
    EXPECT_EQ(printed([&] { EXPECT_EQ(cli_parse_options(a.argc(), a.argv(), *c.table), c.result); }), c.out);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
    if (c.check != nullptr)
        c.check();
}

INSTANTIATE_TEST_SUITE_P(Rows, Parse, testing::ValuesIn(kParseCases), RowName());

// Called without getopt: an option that lacks its text is never read.
struct DirectCase {
    int (*interpret)(char, const char*);
    char option;
    const char* arg;
    std::string out;
};

TEST(Interpret, MissingTextsAndUnknownLetters) {
    const DirectCase cases[] = {
        {Tone_Settings_Interpret, 'a', nullptr, "Please add param!!\n"},
        {Tone_Settings_Interpret, 'z', "1", ""},
        {Rate_Settings_Interpret, 'r', nullptr, "Please add param!\n"},
        {Rate_Settings_Interpret, 'z', "1", "Please add param!\n"},
        {Memory_Settings_Interpret, 'p', nullptr, "No file input!\n"},
        {Memory_Settings_Interpret, 'a', nullptr, ""},
        {Memory_Settings_Interpret, '?', nullptr, ""},
        {Tx_Settings_Interpret, 'l', nullptr, ""},
    };
    for (const DirectCase& c : cases)
        EXPECT_EQ(printed([&] { EXPECT_EQ(c.interpret(c.option, c.arg), -1) << c.option; }), c.out)
            << c.option;
}

// A parse that stopped inside a group of short options leaves getopt in the
// middle of it; the next parse must not go on from there.
TEST(Interpret, EachParseStartsAfresh) {
    InitSettings(&setting);
    Argv first("read_reg -sqs"), second("read_reg -l 8");
    testing::internal::CaptureStderr();
    printed([&] { EXPECT_EQ(cli_parse_options(first.argc(), first.argv(), mem_options), -1); });
    setting.mem_r_start = 0;
    EXPECT_EQ(printed([&] { EXPECT_EQ(cli_parse_options(second.argc(), second.argv(), mem_options), 0); }),
              "Memory length set to:8!\n");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(setting.mem_r_start, 0);
}

// The short options getopt gets from the rows take an argument exactly
// where the commands always did.
TEST(GetoptTables, ShortOptionsFromTheRows) {
    const std::pair<const CliOptionTable*, const char*> cases[] = {
        {&tx_options, "a:b:c:d:f:g:h:i:l:n:p:s:u:w:x:y:z:C:N:"},
        {&tone_options, "a:b:d:f:g:l:m:"},
        {&rate_options, "m:r:"},
        {&mac_options, "d:s:t:"},
        {&mem_options, "a:d:l:p:r:st:v:"},
        {&help_options, "amMortT"},
    };
    auto letters = [](const char* s) {
        std::map<char, bool> takesArg;
        for (; *s != '\0'; ++s)
            if (*s != ':')
                takesArg[*s] = s[1] == ':';
        return takesArg;
    };
    for (const auto& [table, expected] : cases) {
        EXPECT_EQ(letters(table->pchShort), letters(expected)) << expected;
        for (size_t i = 0; i < table->Rows.size(); ++i) {
            EXPECT_STREQ(table->pLong[i].name, table->Rows[i].pchLong);
            EXPECT_EQ(table->pLong[i].val, table->Rows[i].Letter);
        }
        EXPECT_EQ(table->pLong[table->Rows.size()].name, nullptr);
    }
}

}  // namespace
