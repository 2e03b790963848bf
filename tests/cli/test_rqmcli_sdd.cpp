// The SDD commands of the program against the stand-in, on SDD files the
// tests generate: the path the driver names, the dump, the power table
// under both SDD versions the start-up record can carry, the frequency
// offset, and every way the path answer can fail, each with the whole file
// compared before and after. Then, in-process, the SDD version query and
// the SDD download against the SDD the driver has in use.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "api/rqm_api.h"
#include "api/rqm_sdd.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "sim/sim_util.h"
#include "tests/support/cli_run.h"
#include "tests/support/rows.h"
#include "tests/support/sdd_builder.h"
#include "tests/support/sim_fixture.h"
#include "transport/adapter.h"
#include "transport/vormac_adapter.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

const std::string kCmdOk = "Sending CMD OK!\n";
const std::string kCmdError = "Sending CMD error!\n";

// Tables of the two power elements that tell the versions apart: read under
// the wrong rule they give other numbers.
const std::vector<uint16_t> kOldTable = {208, 208, 200, 200, 200, 200, 200, 200, 200, 200, 176, 0};
const std::vector<uint16_t> kNewTable = {96, 96, 120, 120, 120, 120, 120, 120, 120, 120, 64, 0};

// The record of a session whose SDD is version v (x 10), all else zero.
Bytes record_with_version(uint16_t v) {
    Bytes r(CLI_DRIVER_DATA_SIZE, 0);
    hi_wr16(r.data() + 2 * CLI_WORD_SDD_VERSION, v);
    return r;
}

// Offset of the first byte of the data of the first element with the id.
size_t data_offset(const Bytes& f, uint8_t id) {
    for (size_t off = 0; off + 2 <= f.size(); off += 2 + f[off + 1])
        if (f[off] == id)
            return off + 2;
    ADD_FAILURE() << "no element " << int(id);
    return 0;
}

Bytes with_le16(Bytes f, size_t off, std::initializer_list<uint16_t> values) {
    for (uint16_t v : values) {
        f[off++] = static_cast<uint8_t>(v);
        f[off++] = static_cast<uint8_t>(v >> 8);
    }
    return f;
}

Bytes read_file(const std::string& path) {
    Bytes b;
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return b;
    int c;
    while ((c = fgetc(f)) != EOF)
        b.push_back(static_cast<uint8_t>(c));
    fclose(f);
    return b;
}

bool write_file(const std::string& path, const Bytes& b) {
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool ok = fwrite(b.data(), 1, b.size(), f) == b.size();
    return fclose(f) == 0 && ok;
}

// Version 2.3 or 2.5, a filler, the frequency offset 16, and both power
// elements.
Bytes both_tables(uint8_t minor) {
    SddBuilder b;
    b.version(2, minor).filler(5).freq_offset(16).power(0xE3, kOldTable).filler(3).power(0xB0, kNewTable);
    return b.bytes;
}

class SddRun : public WithSim {
protected:
    void SetUp() override {
        WithSim::SetUp();
        ASSERT_TRUE(dir_.ok());
        path_ = dir_.path() + "/a.sdd";
        ASSERT_LE(path_.size(), SDD_PATH_MAX);
        ctl("set connected 1");
        ctl("set sddpath " + path_);
        version(23);
    }
    void version(uint16_t v) { ctl("set record " + sim_hex(record_with_version(v))); }
    void file(const Bytes& b) { ASSERT_TRUE(write_file(path_, b)); }
    CliRun run(std::vector<std::string> words, int timeout_ms = 10000) {
        return run_on_sim(RQMCLI_SIM_PATH, std::move(words), Settings::None, timeout_ms);
    }
    std::string path_line() { return "sdd_path = " + path_ + "\n"; }

    TempDir dir_;
    std::string path_;
};

// ---- get_sdd_file ----

TEST_F(SddRun, FileOf17BytesDumpedInRowsOf16) {
    file({0xC0, 0x02, 0x02, 0x03, 0x21, 0x0B, 0x00, 0x01, 0x7F, 0x80, 0xFF, 0x10, 0xAB, 0xCD, 0xEF, 0x09,
          0x5A});
    const CliRun r = run({"get_sdd_file"});
    EXPECT_EQ(r.exit_code, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out, path_line() +
                         "sddLength = 17\n"
                         "00000000h:  c0  02  02  03  21  0b  00  01  7f  80  ff  10  ab  cd  ef  09  \n"
                         "00000001h:  5a  \n" +
                         kCmdOk);
}

TEST_F(SddRun, FileOf3KDumpedWhole) {
    SddBuilder b;
    b.version(2, 3).fill_to(3072);
    const Bytes f = b.bytes;
    ASSERT_EQ(f.size(), 3072u);
    file(f);
    const CliRun r = run({"get_sdd_file"});
    ASSERT_EQ(r.out.rfind(kCmdOk), r.out.size() - kCmdOk.size()) << r.out;
    EXPECT_EQ(r.out.find(path_line() + "sddLength = 3072\n00000000h:  c0  02  02  03  "), 0u);
    // The last row is row 191 (0xbf) and holds the file's last 16 bytes.
    std::string last = "000000bfh:  ";
    char cell[8];
    for (size_t i = 3072 - 16; i < 3072; ++i) {
        snprintf(cell, sizeof cell, "%02x  ", f[i]);
        last += cell;
    }
    EXPECT_NE(r.out.find("\n" + last + "\n" + kCmdOk), std::string::npos) << r.out.substr(r.out.size() - 200);
    size_t rows = 0;
    for (size_t p = r.out.find("h:  "); p != std::string::npos; p = r.out.find("h:  ", p + 1))
        ++rows;
    EXPECT_EQ(rows, 192u);
}

// ---- the power table ----

struct PowerGetCase {
    const char* name;
    uint16_t version;
    std::vector<std::string> words;
    std::string lines;  // between the path line and the closing line
};

void PrintTo(const PowerGetCase& c, std::ostream* os) {
    *os << c.name;
}

const PowerGetCase kPowerGets[] = {
    {"OldLevels", 23, {"get_sdd_power"}, "sdd user power:\n  11b:  42\n  11gn: 40\n  MCS7: 34\n"},
    {"OldDb",
     23,
     {"get_sdd_power", "dB"},
     "sdd user power:\n   11b: 10.0 dB\n  11gn: 9.5 dB\n  MCS7: 8.0 dB\n"},
    {"NewLevels", 25, {"get_sdd_power"}, "sdd user power:\n  11b:  26\n  11gn: 32\n  MCS7: 18\n"},
    {"NewDbShortFlag",
     25,
     {"get_sdd_power", "-d"},
     "sdd user power:\n   11b: 6.0 dB\n  11gn: 7.5 dB\n  MCS7: 4.0 dB\n"},
    {"OldAllDb",
     23,
     {"get_sdd_power", "all", "dB"},
     "sdd user power:\n  modulation   rate       power\n"
     "  DSSS         1,2      : 10.0dB\n  CCK          5.5,11   : 10.0dB\n"
     "  BPSK_1_2     6,6.5    : 9.5dB\n  BPSK_3_4     9        : 9.5dB\n"
     "  QPSK_1_2     12, 13   : 9.5dB\n  QPSK_3_4     18, 19.5 : 9.5dB\n"
     "  16QAM_1_2    24,26    : 9.5dB\n  16QAM_3_4    36,39    : 9.5dB\n"
     "  64QAM_2_3    48,52    : 9.5dB\n  64QAM_3_4    54, 58.5 : 9.5dB\n"
     "  64QAM_5_6    65       : 8.0dB\n  null         null     : 0.0dB\n"},
    {"NewAllLevels",
     25,
     {"get_sdd_power", "all"},
     "sdd user power:\n  modulation   rate       power\n"
     "  DSSS         1,2      : 26\n  CCK          5.5,11   : 26\n"
     "  BPSK_1_2     6,6.5    : 32\n  BPSK_3_4     9        : 32\n"
     "  QPSK_1_2     12, 13   : 32\n  QPSK_3_4     18, 19.5 : 32\n"
     "  16QAM_1_2    24,26    : 32\n  16QAM_3_4    36,39    : 32\n"
     "  64QAM_2_3    48,52    : 32\n  64QAM_3_4    54, 58.5 : 32\n"
     "  64QAM_5_6    65       : 18\n  null         null     : 0\n"},
};

class PowerGet : public SddRun, public testing::WithParamInterface<PowerGetCase> {};

TEST_P(PowerGet, LinesForTheVersionsElement) {
    const PowerGetCase& c = GetParam();
    version(c.version);
    const Bytes f = both_tables(static_cast<uint8_t>(c.version % 10));
    file(f);
    const CliRun r = run(c.words);
    EXPECT_EQ(r.exit_code, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out, path_line() + c.lines + kCmdOk);
    EXPECT_EQ(read_file(path_), f);
}

INSTANTIATE_TEST_SUITE_P(Forms, PowerGet, testing::ValuesIn(kPowerGets),
                         [](const auto& info) { return std::string(info.param.name); });

struct PowerSetCase {
    const char* name;
    uint16_t version;
    size_t fill;  // filler bytes before the tables
    uint8_t element;
    uint16_t entry;
};

void PrintTo(const PowerSetCase& c, std::ostream* os) {
    *os << c.name;
}

const PowerSetCase kPowerSets[] = {
    {"Old", 23, 0, 0xE3, 208},
    {"New", 25, 0, 0xB0, 160},
    {"OldPast1024In3K", 23, 1100, 0xE3, 208},
    {"NewPast1024In3K", 25, 1100, 0xB0, 160},
};

class PowerSet : public SddRun, public testing::WithParamInterface<PowerSetCase> {};

// Only entries 0 and 1 of the version's element change, the record goes
// back to the driver, and the file keeps its size.
TEST_P(PowerSet, WritesOnlyTheTwo11bEntries) {
    const PowerSetCase& c = GetParam();
    version(c.version);
    SddBuilder b;
    b.version(2, static_cast<uint8_t>(c.version % 10));
    if (c.fill != 0)
        b.fill_to(c.fill);
    b.freq_offset(16).power(0xE3, kOldTable).filler(3).power(0xB0, kNewTable);
    if (c.fill != 0)
        b.fill_to(3072);
    const Bytes before = b.bytes;
    const size_t at = data_offset(before, c.element);
    if (c.fill != 0) {
        ASSERT_GT(at, 1024u);
    }
    file(before);
    const CliRun r = run({"set_sdd_power", "11b", "42"});
    EXPECT_EQ(r.exit_code, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out, path_line() + kCmdOk);
    EXPECT_EQ(read_file(path_), with_le16(before, at, {c.entry, c.entry}));
    EXPECT_EQ(driver_requests(r.wire), (std::vector<unsigned>{1016, 993, 994}));
    EXPECT_EQ(get("record"), sim_hex(record_with_version(c.version)));
}

INSTANTIATE_TEST_SUITE_P(Versions, PowerSet, testing::ValuesIn(kPowerSets),
                         [](const auto& info) { return std::string(info.param.name); });

struct AbsentCase {
    const char* name;
    std::vector<std::string> words;
    std::string lines;
};

void PrintTo(const AbsentCase& c, std::ostream* os) {
    *os << c.name;
}

const AbsentCase kAbsent[] = {
    {"PowerGet", {"get_sdd_power"}, "Power_ies not found!\nRQM_GetSddPower failed (-1:unknown error)\n"},
    {"PowerSet",
     {"set_sdd_power", "11b", "42"},
     "Power_ies not found!\nRQM_SetSddPower failed (-1:unknown error)\nset user power error\n"},
    {"FreqSet", {"set_sdd_freq_offset", "100"}, "sdd freq offset not found!\n"},
};

class Absent : public SddRun, public testing::WithParamInterface<AbsentCase> {};

// Version 2.3 looks for 0xE3: a file with only 0xB0 has no power table.
TEST_P(Absent, ElementMissingFailsAndWritesNothing) {
    const AbsentCase& c = GetParam();
    SddBuilder b;
    b.version(2, 3).filler(4).power(0xB0, kNewTable);
    file(b.bytes);
    const CliRun r = run(c.words);
    EXPECT_EQ(r.exit_code, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out, path_line() + c.lines + kCmdError);
    EXPECT_EQ(read_file(path_), b.bytes);
    EXPECT_EQ(driver_requests(r.wire), (std::vector<unsigned>{1016, 993}))
        << "nothing pushed after a failure";
}

INSTANTIATE_TEST_SUITE_P(Commands, Absent, testing::ValuesIn(kAbsent),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SddRun, FreqOffsetAbsentReadsAsZero) {
    SddBuilder b;
    b.version(2, 3).filler(4);
    file(b.bytes);
    const CliRun r = run({"get_sdd_freq_offset"});
    EXPECT_EQ(r.out, path_line() + "sdd freq offset not found!\nsdd_freq_offset = 0\n" + kCmdOk);
}

// ---- the frequency offset ----

struct FreqCase {
    const char* name;
    size_t length;  // of the element
    uint16_t stored;
    std::string value;  // typed
    Bytes written;      // the element's data afterwards
};

void PrintTo(const FreqCase& c, std::ostream* os) {
    *os << c.name;
}

const FreqCase kFreq[] = {
    {"TwoBytes", 2, 0x1234, "100", {100, 0}},
    {"TopValue", 2, 5, "127", {127, 0}},
    {"Zero", 2, 5, "0", {0, 0}},
    {"OneByteElement", 1, 0x33, "100", {100}},
    {"LongerElementKeepsTheRest", 3, 0x0201, "100", {100, 0, 0}},
};

class Freq : public SddRun, public testing::WithParamInterface<FreqCase> {};

TEST_P(Freq, ReadWriteReadBack) {
    const FreqCase& c = GetParam();
    SddBuilder b;
    b.version(2, 3).filler(6).freq_offset(c.stored, c.length).filler(2);
    const Bytes before = b.bytes;
    file(before);
    const unsigned shown = c.length == 1 ? c.stored & 0xFF : c.stored;
    CliRun r = run({"get_sdd_freq_offset"});
    EXPECT_EQ(r.out, path_line() + "sdd_freq_offset = " + std::to_string(shown) + "\n" + kCmdOk);
    r = run({"set_sdd_freq_offset", c.value});
    EXPECT_EQ(r.out, path_line() + kCmdOk);
    Bytes after = before;
    const size_t at = data_offset(before, 0xC9);
    std::copy(c.written.begin(), c.written.end(), after.begin() + static_cast<std::ptrdiff_t>(at));
    if (c.length == 3)
        after[at + 2] = before[at + 2];
    EXPECT_EQ(read_file(path_), after);
    r = run({"get_sdd_freq_offset"});
    EXPECT_EQ(r.out, path_line() + "sdd_freq_offset = " + c.value + "\n" + kCmdOk);
}

INSTANTIATE_TEST_SUITE_P(Elements, Freq, testing::ValuesIn(kFreq),
                         [](const auto& info) { return std::string(info.param.name); });

class FreqRefused : public SddRun, public testing::WithParamInterface<std::vector<std::string>> {};

// Refused before the driver is asked where the file lies.
TEST_P(FreqRefused, NothingSentBeyondStartUp) {
    SddBuilder b;
    b.version(2, 3).freq_offset(5);
    file(b.bytes);
    const CliRun r = run(GetParam());
    EXPECT_EQ(r.out, "proc_set_sdd_freq_offset:Invalid params input!Please check again!\n" + kCmdError);
    EXPECT_FALSE(r.wire.has(995));
    EXPECT_EQ(read_file(path_), b.bytes);
}

INSTANTIATE_TEST_SUITE_P(Values, FreqRefused,
                         testing::Values(std::vector<std::string>{"set_sdd_freq_offset", "128"},
                                         std::vector<std::string>{"set_sdd_freq_offset", "-1"},
                                         std::vector<std::string>{"set_sdd_freq_offset", "65636"},
                                         std::vector<std::string>{"set_sdd_freq_offset"}));

// ---- what the path answer can say ----

struct PathCase {
    const char* name;
    std::vector<std::string> presets;
    std::vector<std::string> words;
    std::string out;
};

void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kPathError = "get sdd path error!\n";
const std::string kNotConnected = "RQM not connect,please connect first!\n";
// The query reports its own failure before the operation's.
const std::string kPathFailed = "RQM_GetSddPatch failed (-1:unknown error)\n";
const std::string kPathRefused = "RQM_GetSddPatch failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n";

const PathCase kPathCases[] = {
    {"ZeroForTheFile",
     {"set sddpath_len 0"},
     {"get_sdd_file"},
     kPathError + "RQM_GetSddPatch failed (-1:unknown error)\n" + kCmdError},
    {"ZeroForThePower",
     {"set sddpath_len 0"},
     {"set_sdd_power", "11b", "42"},
     kPathError + kPathFailed + "RQM_SetSddPower failed (-1:unknown error)\nset user power error\n" +
         kCmdError},
    {"SeventyForTheOffset",
     {"set sddpath_len 70"},
     {"set_sdd_freq_offset", "100"},
     kPathError + kPathFailed + "RQM_SetSddFreqOffset failed (-1:unknown error)\n" + kCmdError},
    {"SeventyForTheOffsetRead",
     {"set sddpath_len 70"},
     {"get_sdd_freq_offset"},
     kPathError + kPathFailed + "RQM_GetSddFreqOffset failed (-1:unknown error)\n" + kCmdError},
    {"RefusedForThePower",
     {"fault 995 refuse 7"},
     {"set_sdd_power", "11b", "42"},
     kNotConnected + kPathRefused + "RQM_SetSddPower failed (-1:unknown error)\nset user power error\n" +
         kCmdError},
    {"RefusedForTheOffset",
     {"fault 995 refuse 7"},
     {"set_sdd_freq_offset", "100"},
     kNotConnected + kPathRefused + "RQM_SetSddFreqOffset failed (-1:unknown error)\n" + kCmdError},
    {"RefusedForTheFile",
     {"fault 995 refuse 7"},
     {"get_sdd_file"},
     kNotConnected + "RQM_GetSddPatch failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n" + kCmdError},
};

class PathAnswer : public SddRun, public testing::WithParamInterface<PathCase> {};

TEST_P(PathAnswer, NoPathNoFileTouched) {
    const PathCase& c = GetParam();
    const Bytes f = both_tables(3);
    file(f);
    for (const std::string& p : c.presets)
        ctl(p);
    const CliRun r = run(c.words);
    EXPECT_EQ(r.exit_code, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(read_file(path_), f);
}

INSTANTIATE_TEST_SUITE_P(Answers, PathAnswer, testing::ValuesIn(kPathCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A path of 64 bytes fills the answer; a length of 65 with the same 64
// bytes does not fit the tool's buffer.
TEST_F(SddRun, PathOf64BytesTakenAnd65Refused) {
    std::string longPath = dir_.path() + "/";
    longPath += std::string(64 - longPath.size() - 4, 'q') + ".sdd";
    ASSERT_EQ(longPath.size(), 64u);
    SddBuilder b;
    b.version(2, 3).freq_offset(9);
    ASSERT_TRUE(write_file(longPath, b.bytes));
    ctl("set sddpath " + longPath);
    CliRun r = run({"get_sdd_freq_offset"});
    EXPECT_EQ(r.out, "sdd_path = " + longPath + "\nsdd_freq_offset = 9\n" + kCmdOk);
    ctl("set sddpath_len 65");
    r = run({"set_sdd_freq_offset", "100"});
    EXPECT_EQ(r.out,
              kPathError + kPathFailed + "RQM_SetSddFreqOffset failed (-1:unknown error)\n" + kCmdError);
    EXPECT_EQ(read_file(longPath), b.bytes);
    unlink(longPath.c_str());
}

// The one slow case: an answer that never comes is a transport failure,
// not a length.
TEST_F(SddRun, PathNeverAnsweredTouchesNoFile) {
    const Bytes f = both_tables(3);
    file(f);
    ctl("fault 995 noanswer");
    const CliRun r = run({"set_sdd_freq_offset", "100"}, 30000);
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.out.find("sdd_path"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("RQM_SetSddFreqOffset failed"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - kCmdError.size()), kCmdError);
    EXPECT_EQ(read_file(path_), f);
}

// ---- in-process: the SDD in use ----

using SddInProcess = InProcessOn<WithSim>;

struct VersionCase {
    const char* name;
    std::string sdd;
    int result;
    uint8_t version;  // 0xEE: left alone
    std::string out;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << c.name;
}

const VersionCase kVersions[] = {
    {"TwoFive", "c0020205210301020306c90164", 0, 25, ""},
    {"TwoThree", "c0020203", 0, 23, ""},
    {"AfterOtherElements", "2102aabbc0020201", 0, 21, ""},
    {"OneByte", "c00105", -1, 0xEE, "RQM_GetSddVeresion failed (-1:unknown error)\n"},
    // The driver's own status says why there is none.
    {"Absent", "2102aabb", 1, 0xEE, failed("RQM_GetSddVeresion", 1)},
};

class SddVersion : public SddInProcess, public testing::WithParamInterface<VersionCase> {};

TEST_P(SddVersion, FromTheSddInUse) {
    const VersionCase& c = GetParam();
    open({"set sdd " + c.sdd});
    if (HasFatalFailure())
        return;
    uint8_t v = 0xEE;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddVeresion(ctx_, &v), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(v, c.version);
    EXPECT_EQ(wire(), (std::vector<Bytes>{Bytes{6, 0, 0xF9, 0x03, 0, 0xC0}}));
}

INSTANTIATE_TEST_SUITE_P(Sdds, SddVersion, testing::ValuesIn(kVersions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SddInProcess, DownloadReplacesTheSddInUse) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    SddBuilder b;
    b.version(2, 5).filler(7).freq_offset(40);
    const Bytes f = b.bytes;
    const std::string path = dir.path() + "/d.sdd";
    ASSERT_TRUE(write_file(path, f));
    open({"set sdd c0020203"});
    if (HasFatalFailure())
        return;

    // An empty path carries no SDD: the one in use stays.
    EXPECT_EQ(RQM_DownloadSdd(ctx_, "", 1, 0), RQM_SUCCESS);
    EXPECT_EQ(get("download sdd54"), "bytes 02000000");
    EXPECT_EQ(get("sdd"), "c0020203");

    EXPECT_EQ(RQM_DownloadSdd(ctx_, path.c_str(), 1, 0), RQM_SUCCESS);
    Bytes payload = f;
    payload.insert(payload.end(), {1, 0, 0, 0});
    EXPECT_EQ(get("download sdd54"), "bytes " + sim_hex(payload));
    EXPECT_EQ(get("sdd"), sim_hex(f));
    uint8_t v = 0;
    EXPECT_EQ(RQM_GetSddVeresion(ctx_, &v), RQM_SUCCESS);
    EXPECT_EQ(v, 25);

    const std::vector<Bytes> sent = wire();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (Bytes{8, 0, 54, 0, 2, 0, 0, 0}));
    Bytes full = {static_cast<uint8_t>(f.size() + 8), 0, 54, 1 << 5};
    full.insert(full.end(), payload.begin(), payload.end());
    EXPECT_EQ(sent[1], full);
}

}  // namespace
