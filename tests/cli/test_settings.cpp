// The settings reader against files an engineer may leave on the board, and
// the record it fills.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

#include "cli/get_settings.h"

namespace {

const char* const kNoFile = "/nonexistent/settings.ini";

// A settings file in /tmp for the life of one test.
class TempFile {
public:
    explicit TempFile(const std::string& text) {
        int fd = mkstemp(m_path);
        if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            ADD_FAILURE() << "cannot write " << m_path;
        }
        if (fd >= 0) {
            close(fd);
        }
    }
    ~TempFile() { unlink(m_path); }
    const char* path() const { return m_path; }

private:
    char m_path[32] = "/tmp/rqm_settings_XXXXXX";
};

struct ReadCase {
    const char* name;
    std::string text;
    int result;
    const char* value;
    std::string key = "number";
    // Readable, stable test names instead of the parameter's bytes.
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class Read : public testing::TestWithParam<ReadCase> {};

TEST_P(Read, FindsValueInFirstSectionOnly) {
    const ReadCase& c = GetParam();
    TempFile file(c.text);
    std::array<char, CLI_PROFILE_VALUE_SIZE> value{};
    ASSERT_EQ(GetProfileString(file.path(), "Tx", c.key.c_str(), value), c.result);
    if (c.result == 0) {
        EXPECT_STREQ(value.data(), c.value);
    }
}

const std::string kKey31(31, 'k');
const std::string kKey32(32, 'k');

INSTANTIATE_TEST_SUITE_P(
    File, Read,
    testing::Values(
        ReadCase{"OnlyTheKey", "[Tx]\nnumber=5\n", 0, "5"},
        ReadCase{"Commented", "[Tx]\n#number=5\n", -1, ""},
        ReadCase{"IndentedComment", "[Tx]\n  #number=5\nnumber=6", 0, "6"},
        ReadCase{"RemarkStaysInValue", "[Tx]\nnumber=7 # note\n", 0, "7 # note"},
        ReadCase{"AfterOtherHeader", "[Tx]\n[Rx]\nnumber=5\n[Tx]\nnumber=6\n", -1, ""},
        ReadCase{"BeforeAnyHeader", "number=5\n[Tx]\n", -1, ""},
        ReadCase{"NoSection", "[Rx]\nnumber=5\n", -1, ""},
        ReadCase{"FirstMatchWins", "[Tx]\nnumber=5\nnumber=6\n", 0, "5"},
        ReadCase{"Crlf", "[Tx]\r\nnumber=5\r\n", 0, "5"},
        ReadCase{"HeaderWithText", "[Tx] extra\nnumber=5\n", 0, "5"},
        ReadCase{"HeaderCase", "[tx]\nnumber=5\n", -1, ""},
        ReadCase{"BlankInHeader", "[ Tx]\nnumber=5\n", -1, ""},
        ReadCase{"BlanksAroundEquals", "[Tx]\n\tnumber \t=\t 5 \t\n", 0, "5"},
        ReadCase{"KeyEndsAtBar", "[Tx]\nnumber|x=5\n", 0, "5"},
        ReadCase{"LongerKey", "[Tx]\nnumbers=5\nnumber=6\n", 0, "6"},
        ReadCase{"NoEquals", "[Tx]\nnumber 5\nnumber=6\n", 0, "6"},
        ReadCase{"EmptyValue", "[Tx]\nnumber=\n", 0, ""},
        ReadCase{"BlankValueKept", "[Tx]\nnumber=  \t\n", 0, "  \t"},
        ReadCase{"ValueAtLimit", "[Tx]\nnumber=1234567890123456789\n", 0, "1234567890123456789"},
        ReadCase{"ValueCut", "[Tx]\nnumber=12345678901234567890\n", 0, "1234567890123456789"},
        ReadCase{"CutBeforeTrim", "[Tx]\nnumber=     123456789012345\n", 0, "12345678901234"},
        ReadCase{"Key31", "[Tx]\n" + kKey31 + "=5\n", 0, "5", kKey31},
        ReadCase{"Key32", "[Tx]\n" + kKey32 + "=5\n", -1, "", kKey32},
        ReadCase{"Key32NotItsPrefix", "[Tx]\n" + kKey32 + "=5\n", -1, "", kKey31},
        // fgets pieces: a line is cut every 99 characters.
        ReadCase{"PieceIsALine", "[Tx]\n" + std::string(99, '#') + "number=5\n", 0, "5"},
        ReadCase{"KeyAcrossPieces", "[Tx]\n" + std::string(98, 'x') + "number=5\n", -1, ""},
        ReadCase{"BracketPieceEnds", "[Tx]\n" + std::string(99, 'x') + "[Rx]\nnumber=5\n", -1, ""},
        ReadCase{"LineOf99", "[Tx]\nrate=" + std::string(94, 'x') + "\nnumber=5\n", 0, "5"},
        ReadCase{"Value300Cut", "[Tx]\nnumber=" + std::string(293, '7') + "\n", 0, "7777777777777777777"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ReadFile, MissingFile) {
    std::array<char, CLI_PROFILE_VALUE_SIZE> value{};
    EXPECT_EQ(GetProfileString(kNoFile, "Tx", "number", value), -1);
}

struct NumberCase {
    const char* text;
    int i;
    uint32_t hex;
    float f;
    friend void PrintTo(const NumberCase& c, std::ostream* os) {
        *os << testing::PrintToString(std::string(c.text));
    }
};

class Number : public testing::TestWithParam<NumberCase> {};

TEST_P(Number, ReadsAsOnTheBoard) {
    const NumberCase& c = GetParam();
    TempFile file(std::string("[memory]\nv=") + c.text + "\n");
    EXPECT_EQ(GetProfileInt(file.path(), "memory", "v", 77), c.i);
    EXPECT_EQ(GetProfileHex(file.path(), "memory", "v", 77.0f), c.hex);
    EXPECT_EQ(GetProfileFloat(file.path(), "memory", "v", 77.0f), c.f);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Number,
    testing::Values(
        NumberCase{"", 0, 0, 0.0f}, NumberCase{"0", 0, 0, 0.0f}, NumberCase{"0x", 0, 0, 0.0f},
        NumberCase{"123", 123, 0x3, 123.0f}, NumberCase{"0x89000000", 0, 0x89000000, 2298478592.0f},
        NumberCase{"12345678", 12345678, 0x345678, 12345678.0f},
        NumberCase{"0xFFFFFFFF", 0, 0xFFFFFFFF, 4294967296.0f},
        NumberCase{"0xFFFFFFFFFF", 0, 0xFFFFFFFF, 1099511627776.0f},
        NumberCase{"9999999999999999999", INT_MAX, 0xFFFFFFFF, 1e19f},
        NumberCase{"0x-1", 0, 0xFFFFFFFF, 0.0f}, NumberCase{"0x-2", 0, 0xFFFFFFFE, 0.0f},
        NumberCase{"7 # note", 7, 0, 7.0f}, NumberCase{"+42x", 42, 0x2, 42.0f},
        NumberCase{"-17", -17, 0x7, -17.0f}, NumberCase{"2147483648", INT_MAX, 0x47483648, 2147483648.0f},
        NumberCase{"-2147483648", INT_MIN, 0xFFFFFFFF, -2147483648.0f},
        NumberCase{"99999999999", INT_MAX, 0xFFFFFFFF, 99999997952.0f},
        NumberCase{"-99999999999", INT_MIN, 0xFFFFFFFF, -99999997952.0f}, NumberCase{"12.5", 12, 0, 12.5f},
        NumberCase{"0.1", 0, 0x1, 0.1f}, NumberCase{"1e39", 1, 0x39, INFINITY},
        NumberCase{"-1e39", -1, 0xE39, -INFINITY}, NumberCase{"1e-50", 1, 0xFFFFFFB0, 0.0f},
        // Narrowed as IEEE rounding does: above FLT_MAX by less than half a
        // step stays FLT_MAX.
        NumberCase{"3.4028235e38", 3, 0xFFFFFFFF, FLT_MAX}, NumberCase{"-3.4028236e38", -3, 0, -INFINITY}));

struct LowBitsCase {
    const char* text;
    uint16_t channel;
    uint32_t frequency;
    friend void PrintTo(const LowBitsCase& c, std::ostream* os) { *os << c.text; }
};

class LowBits : public testing::TestWithParam<LowBitsCase> {};

TEST_P(LowBits, FieldKeepsLowBits) {
    const LowBitsCase& c = GetParam();
    TempFile file(std::string("[phy_control]\nchannel=") + c.text + "\nfrequency_1=" + c.text + "\n");
    CliSettings s;
    InitSettings(&s);
    GetSettings(file.path(), &s);
    EXPECT_EQ(s.channel, c.channel);
    EXPECT_EQ(s.frequency_1, c.frequency);
}

INSTANTIATE_TEST_SUITE_P(Values, LowBits,
                         testing::Values(LowBitsCase{"70000", 4464, 70000}, LowBitsCase{"65536", 0, 65536},
                                         LowBitsCase{"-1", 0xFFFF, 0xFFFFFFFF},
                                         LowBitsCase{"99999999999", 0xFFFF, 0x7FFFFFFF},
                                         LowBitsCase{"-99999999999", 0, 0x80000000}));

// Written apart from the reader's own table, so that a key bound to the
// wrong field, section or default shows.
struct KeyRow {
    const char* section;
    const char* key;
    char kind;  // 'i' int, 'f' float, 'h' hex
    double dflt;
    double (*get)(const CliSettings&);
    friend void PrintTo(const KeyRow& row, std::ostream* os) { *os << row.key; }
};

#define KEY(section, name, kind, dflt)                                                               \
    KeyRow {                                                                                         \
        section, #name, kind, dflt, [](const CliSettings& s) { return static_cast<double>(s.name); } \
    }

const KeyRow kKeys[] = {
    KEY("phy_control", phy_mode, 'i', 2),
    KEY("phy_control", channel, 'i', 7),
    KEY("phy_control", regulatory_class, 'i', 0),
    KEY("phy_control", power_dbm, 'f', 10.0),
    KEY("phy_control", tone_mode, 'i', 1),
    KEY("phy_control", frequency_1, 'i', 5000000),
    KEY("phy_control", amplitude_1, 'f', 0.0),
    KEY("phy_control", pulse_length, 'i', 0),
    KEY("phy_control", frequency_2, 'i', 5000000),
    KEY("phy_control", amplitude_2, 'f', 0.0),
    KEY("phy_control", pulse_delay, 'i', 0),
    KEY("Tx", continuous, 'i', 1),
    KEY("Tx", number, 'i', 100),
    KEY("Tx", packet_length, 'i', 500),
    KEY("Tx", rate, 'i', 0),
    KEY("Tx", mode, 'i', 1),
    KEY("Tx", backoff, 'i', 0),
    KEY("Tx", expect_ack, 'i', 1),
    KEY("Tx", IFS, 'i', 0),
    KEY("Tx", Tx_delay, 'i', 0),
    KEY("Tx", Tx_NAV, 'i', 0),
    KEY("Tx", PRBS, 'i', 0),
    KEY("Tx", PRBS_seed, 'i', 0),
    KEY("Tx", PRBS_length, 'i', 0),
    KEY("Tx", frame_buf, 'i', 1),
    KEY("Tx", MAC_header, 'i', 0),
    KEY("Tx", CRC, 'i', 0),
    KEY("Tx", sounding_frame, 'i', 0),
    KEY("Tx", Tx_stop, 'i', 0),
    KEY("Rx", Rx_begin, 'i', 0),
    KEY("Rx", Rx_stop, 'i', 0),
    KEY("memory", mem_addr, 'h', 0x89000000),
    KEY("memory", mem_length, 'i', 4),
    KEY("memory", mem_region, 'i', 0),
    KEY("memory", mem_type, 'i', 0),
    KEY("memory", mem_value, 'i', 0),
    KEY("memory", mem_r_start, 'i', 0),
    KEY("Tx", Tx_bandwidth, 'i', 0),
    KEY("Tx", Tx_subchannel, 'i', 1),
    KEY("Tx", Tx_guard_interval, 'i', 0),
};
#undef KEY

// Every field at its default except the one named, which must hold value.
void ExpectOnly(const CliSettings& s, const char* key, double value) {
    for (const KeyRow& row : kKeys) {
        bool bThis = key != nullptr && strcmp(row.key, key) == 0;
        EXPECT_EQ(row.get(s), bThis ? value : row.dflt) << row.key;
    }
}

class Key : public testing::TestWithParam<KeyRow> {};

TEST_P(Key, ReadFromItsOwnSectionOnly) {
    const KeyRow& row = GetParam();
    const char* text = row.kind == 'f' ? "3.25" : row.kind == 'h' ? "0x12345678" : "4660";
    double value = row.kind == 'f' ? 3.25 : row.kind == 'h' ? 0x12345678 : 4660;
    TempFile own(std::string("[") + row.section + "]\n" + row.key + "=" + text + "\n");
    CliSettings s;
    InitSettings(&s);
    GetSettings(own.path(), &s);
    ExpectOnly(s, row.key, value);

    const char* other = strcmp(row.section, "Rx") == 0 ? "Tx" : "Rx";
    TempFile elsewhere(std::string("[") + other + "]\n" + row.key + "=" + text + "\n");
    GetSettings(elsewhere.path(), &s);
    ExpectOnly(s, nullptr, 0);
}

INSTANTIATE_TEST_SUITE_P(All, Key, testing::ValuesIn(kKeys),
                         [](const testing::TestParamInfo<KeyRow>& info) { return info.param.key; });

TEST(Settings, NoFileGivesEveryDefault) {
    CliSettings s;
    memset(&s, 0xA5, sizeof s);
    InitSettings(&s);
    EXPECT_EQ(s.expect_ack, 0);
    EXPECT_EQ(s.src_path, nullptr);
    EXPECT_EQ(s.dest_path, nullptr);
    EXPECT_EQ(s.freq_offset, 0);
    s.expect_ack = 1;
    ExpectOnly(s, nullptr, 0);

    memset(&s, 0xA5, sizeof s);
    GetSettings(kNoFile, &s);
    ExpectOnly(s, nullptr, 0);
}

// docs/settings.ini is the file engineers copy: every key of the table in
// its own section, nothing else, each at the value a missing file gives.
TEST(SampleFile, HoldsEveryKeyAtItsDefault) {
    CliSettings sample, none;
    memset(&sample, 0xA5, sizeof sample);
    ASSERT_EQ(GetSettings(RQM_SETTINGS_SAMPLE, &sample), 0);
    GetSettings(kNoFile, &none);
    for (const KeyRow& row : kKeys) {
        std::array<char, CLI_PROFILE_VALUE_SIZE> value{};
        EXPECT_EQ(GetProfileString(RQM_SETTINGS_SAMPLE, row.section, row.key, value), 0) << row.key;
        EXPECT_EQ(row.get(sample), row.get(none)) << row.key;
    }
}

TEST(SampleFile, NamesOnlyTheTablesKeys) {
    std::ifstream file(RQM_SETTINGS_SAMPLE);
    ASSERT_TRUE(file.is_open());
    std::set<std::string> named;
    std::string line, section;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::string key = line.substr(0, line.find('='));
        const bool known = std::any_of(std::begin(kKeys), std::end(kKeys), [&](const KeyRow& row) {
            return section == row.section && key == row.key;
        });
        EXPECT_TRUE(known) << "[" << section << "] " << key;
        EXPECT_TRUE(named.insert(key).second) << key << " twice";
    }
    EXPECT_EQ(named.size(), std::size(kKeys));
}

struct TrimCase {
    const char* in;
    const char* l;
    const char* r;
    const char* a;
    friend void PrintTo(const TrimCase& c, std::ostream* os) {
        *os << testing::PrintToString(std::string(c.in));
    }
};

class Trim : public testing::TestWithParam<TrimCase> {};

TEST_P(Trim, StripsIsspaceSet) {
    const TrimCase& c = GetParam();
    std::array<char, 16> out;
    l_trim(out, c.in);
    EXPECT_STREQ(out.data(), c.l);
    r_trim(out, c.in);
    EXPECT_STREQ(out.data(), c.r);
    a_trim(out, c.in);
    EXPECT_STREQ(out.data(), c.a);
}

INSTANTIATE_TEST_SUITE_P(Texts, Trim,
                         testing::Values(TrimCase{"", "", "", ""}, TrimCase{" \t\r\n\v\f", "", "", ""},
                                         TrimCase{"x", "x", "x", "x"},
                                         TrimCase{"  a b  ", "a b  ", "  a b", "a b"},
                                         TrimCase{"\r\nx\r\n", "x\r\n", "\r\nx", "x"}));

TEST(TrimBounds, CutThenTrimmed) {
    std::array<char, 4> out;
    l_trim(out, "  abcdef");
    EXPECT_STREQ(out.data(), "abc");
    r_trim(out, "ab  cd");
    EXPECT_STREQ(out.data(), "ab");
    a_trim(out, " a     b");
    EXPECT_STREQ(out.data(), "a");
}

TEST(TrimBounds, BadBuffersStopTheProgram) {
    std::array<char, 8> buf{};
    EXPECT_DEATH(l_trim(buf, nullptr), "Assertion");
    EXPECT_DEATH(a_trim(std::span<char>(), "x"), "Assertion");
    EXPECT_DEATH(r_trim(buf, buf.data()), "Assertion");
}

// A settings file that is there but is no file the tool can take whole is
// refused with a line, every field keeping its default; a FIFO must not
// stop the run waiting for a writer, nor /dev/zero feed it for ever.
struct RefusalCase {
    const char* name;
    const char* special;  // made at the path: "fifo", "dir", or a link's target
    size_t size;          // else a file of this many bytes that sets number
    std::string line;     // P stands for the path
    friend void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }
};

class Refusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, OnlyRegularFilesWithinTheBound) {
    const RefusalCase& c = GetParam();
    std::string text = "[Tx]\nnumber=5\n";
    text.resize(c.size, '#');
    TempFile file(text);
    const std::string path = std::string(file.path()) + ".ini";
    if (c.special == nullptr)
        ASSERT_EQ(rename(file.path(), path.c_str()), 0);
    else if (strcmp(c.special, "fifo") == 0)
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    else if (strcmp(c.special, "dir") == 0)
        ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    else
        ASSERT_EQ(symlink(c.special, path.c_str()), 0);
    CliSettings s;
    InitSettings(&s);
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetSettings(path.c_str(), &s), c.line.empty() ? 0 : -1);
    std::string out = testing::internal::GetCapturedStdout();
    if (const size_t at = out.find(path); at != std::string::npos)
        out.replace(at, path.size(), "P");
    EXPECT_EQ(out, c.line);
    ExpectOnly(s, c.line.empty() ? "number" : nullptr, 5);
    unlink(path.c_str());
    rmdir(path.c_str());
}

const std::string kNotRegular = "\"P\" is not a regular file!\n";

INSTANTIATE_TEST_SUITE_P(Files, Refusal,
                         testing::Values(RefusalCase{"Fifo", "fifo", 0, kNotRegular},
                                         RefusalCase{"DevZero", "/dev/zero", 0, kNotRegular},
                                         RefusalCase{"Directory", "dir", 0, kNotRegular},
                                         RefusalCase{"OnePastTheLimit", nullptr, CLI_SETTINGS_MAX + 1,
                                                     "\"P\" is larger than 65536 bytes!\n"},
                                         RefusalCase{"AtTheLimit", nullptr, CLI_SETTINGS_MAX, ""}),
                         [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

}  // namespace
