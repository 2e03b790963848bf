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
#include "tests/support/sdd_builder.h"
#include "tests/support/sim_rows.h"
#include "transport/adapter.h"
#include "transport/vormac_adapter.h"

namespace {

using Clock = std::chrono::steady_clock;

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

// The preset that puts it with the driver.
std::string version(uint16_t v) {
    return "set record " + sim_hex(record_with_version(v));
}

// Offset of the first byte of the data of the first element with the id.
size_t data_offset(const Bytes& f, uint8_t id) {
    for (size_t off = 0; off + 2 <= f.size(); off += 2 + f[off + 1])
        if (f[off] == id)
            return off + 2;
    ADD_FAILURE() << "no element " << int(id);
    return 0;
}

// The file with data written over the data of its first element of the id.
Bytes with_data(Bytes f, uint8_t id, const Bytes& data) {
    std::copy(data.begin(), data.end(), f.begin() + static_cast<std::ptrdiff_t>(data_offset(f, id)));
    return f;
}

// The SDD file of a row, at the path the stand-in names.
Files sdd(const Bytes& b) {
    return {{"a.sdd", std::string(b.begin(), b.end())}};
}

const std::string kPathLine = "sdd_path = @/a.sdd\n";

// Version 2.3 or 2.5, a filler, the frequency offset 16, and both power
// elements.
Bytes both_tables(uint8_t minor) {
    SddBuilder b;
    b.version(2, minor).filler(5).freq_offset(16).power(0xE3, kOldTable).filler(3).power(0xB0, kNewTable);
    return b.bytes;
}

// The SDD file is a.sdd of the row's directory, version 2.3 in the record
// unless the row's presets say else.
class SddRun : public SimRows {
protected:
    void SetUp() override {
        SimRows::SetUp();
        path_ = dir_.path() + "/a.sdd";
        ASSERT_LE(path_.size(), SDD_PATH_MAX);
        ctl("set connected 1");
        ctl("set sddpath " + path_);
        ctl(version(23));
    }
    void file(const Bytes& b) { ASSERT_TRUE(dir_.write("a.sdd", std::string(b.begin(), b.end()))); }
    CliRun run(std::vector<std::string> words, int timeout_ms = 10000) {
        return run_on_sim(RQMCLI_SIM_PATH, std::move(words), Settings::None, timeout_ms);
    }
    std::string path_line() { return at_dir(kPathLine); }
    // The row's runs; its file as it was unless the row says else.
    RowRuns run_row(const RunRow& row) {
        RunRow r = row;
        if (r.files_after.empty())
            r.files_after = r.files;
        return SimRows::run_row(r, RQMCLI_SIM_PATH);
    }

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
                         kOk);
}

TEST_F(SddRun, FileOf3KDumpedWhole) {
    SddBuilder b;
    b.version(2, 3).fill_to(3072);
    const Bytes f = b.bytes;
    ASSERT_EQ(f.size(), 3072u);
    file(f);
    const CliRun r = run({"get_sdd_file"});
    ASSERT_EQ(r.out.rfind(kOk), r.out.size() - kOk.size()) << r.out;
    EXPECT_EQ(r.out.find(path_line() + "sddLength = 3072\n00000000h:  c0  02  02  03  "), 0u);
    // The last row is row 191 (0xbf) and holds the file's last 16 bytes.
    std::string last = "000000bfh:  ";
    char cell[8];
    for (size_t i = 3072 - 16; i < 3072; ++i) {
        snprintf(cell, sizeof cell, "%02x  ", f[i]);
        last += cell;
    }
    EXPECT_NE(r.out.find("\n" + last + "\n" + kOk), std::string::npos) << r.out.substr(r.out.size() - 200);
    size_t rows = 0;
    for (size_t p = r.out.find("h:  "); p != std::string::npos; p = r.out.find("h:  ", p + 1))
        ++rows;
    EXPECT_EQ(rows, 192u);
}

// ---- the power table ----

// The old element's lines (version 2.3), or the new one's (2.5).
// clang-format off
const RunRow kPowerGets[] = {
    {.name = "OldLevels", .files = sdd(both_tables(3)), .words = "get_sdd_power",
     .out = kPathLine + "sdd user power:\n  11b:  42\n  11gn: 40\n  MCS7: 34\n" + kOk},
    {.name = "OldDb", .files = sdd(both_tables(3)), .words = "get_sdd_power dB",
     .out = kPathLine + "sdd user power:\n   11b: 10.0 dB\n  11gn: 9.5 dB\n  MCS7: 8.0 dB\n" + kOk},
    {.name = "NewLevels", .presets = version(25), .files = sdd(both_tables(5)), .words = "get_sdd_power",
     .out = kPathLine + "sdd user power:\n  11b:  26\n  11gn: 32\n  MCS7: 18\n" + kOk},
    {.name = "NewDbShortFlag", .presets = version(25), .files = sdd(both_tables(5)),
     .words = "get_sdd_power -d",
     .out = kPathLine + "sdd user power:\n   11b: 6.0 dB\n  11gn: 7.5 dB\n  MCS7: 4.0 dB\n" + kOk},
    {.name = "OldAllDb", .files = sdd(both_tables(3)), .words = "get_sdd_power all dB",
     .out = kPathLine + "sdd user power:\n  modulation   rate       power\n"
         "  DSSS         1,2      : 10.0dB\n  CCK          5.5,11   : 10.0dB\n"
         "  BPSK_1_2     6,6.5    : 9.5dB\n  BPSK_3_4     9        : 9.5dB\n"
         "  QPSK_1_2     12, 13   : 9.5dB\n  QPSK_3_4     18, 19.5 : 9.5dB\n"
         "  16QAM_1_2    24,26    : 9.5dB\n  16QAM_3_4    36,39    : 9.5dB\n"
         "  64QAM_2_3    48,52    : 9.5dB\n  64QAM_3_4    54, 58.5 : 9.5dB\n"
         "  64QAM_5_6    65       : 8.0dB\n  null         null     : 0.0dB\n" + kOk},
    {.name = "NewAllLevels", .presets = version(25), .files = sdd(both_tables(5)),
     .words = "get_sdd_power all",
     .out = kPathLine + "sdd user power:\n  modulation   rate       power\n  DSSS         1,2      : 26\n"
         "  CCK          5.5,11   : 26\n  BPSK_1_2     6,6.5    : 32\n  BPSK_3_4     9        : 32\n"
         "  QPSK_1_2     12, 13   : 32\n  QPSK_3_4     18, 19.5 : 32\n  16QAM_1_2    24,26    : 32\n"
         "  16QAM_3_4    36,39    : 32\n  64QAM_2_3    48,52    : 32\n  64QAM_3_4    54, 58.5 : 32\n"
         "  64QAM_5_6    65       : 18\n  null         null     : 0\n" + kOk},
};
// clang-format on

class PowerGet : public SddRun, public testing::WithParamInterface<RunRow> {};

TEST_P(PowerGet, LinesForTheVersionsElement) {
    run_row(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Forms, PowerGet, testing::ValuesIn(kPowerGets), RowName());

// Version 2.3 or 2.5; with fill, filler bytes before the tables and after
// them to 3K.
Bytes power_file(uint16_t version, size_t fill) {
    SddBuilder b;
    b.version(2, static_cast<uint8_t>(version % 10));
    if (fill != 0)
        b.fill_to(fill);
    b.freq_offset(16).power(0xE3, kOldTable).filler(3).power(0xB0, kNewTable);
    if (fill != 0)
        b.fill_to(3072);
    return b.bytes;
}

// The file with entries 0 and 1 of the element set to entry.
Bytes with_11b(const Bytes& f, uint8_t element, uint16_t entry) {
    const auto lo = static_cast<uint8_t>(entry), hi = static_cast<uint8_t>(entry >> 8);
    return with_data(f, element, {lo, hi, lo, hi});
}

// Only entries 0 and 1 of the version's element change, the record goes
// back to the driver, and the file keeps its size. ids: the driver-level
// requests.
// clang-format off
const RunRow kPowerSets[] = {
    {.name = "Old", .files = sdd(power_file(23, 0)), .words = "set_sdd_power 11b 42", .out = kPathLine + kOk,
     .ids = {1016, 993, 994}, .after = "record=" + sim_hex(record_with_version(23)),
     .files_after = sdd(with_11b(power_file(23, 0), 0xE3, 208))},
    {.name = "New", .presets = version(25), .files = sdd(power_file(25, 0)), .words = "set_sdd_power 11b 42",
     .out = kPathLine + kOk, .ids = {1016, 993, 994}, .after = "record=" + sim_hex(record_with_version(25)),
     .files_after = sdd(with_11b(power_file(25, 0), 0xB0, 160))},
    {.name = "OldPast1024In3K", .files = sdd(power_file(23, 1100)), .words = "set_sdd_power 11b 42",
     .out = kPathLine + kOk, .ids = {1016, 993, 994}, .after = "record=" + sim_hex(record_with_version(23)),
     .files_after = sdd(with_11b(power_file(23, 1100), 0xE3, 208))},
    {.name = "NewPast1024In3K", .presets = version(25), .files = sdd(power_file(25, 1100)),
     .words = "set_sdd_power 11b 42", .out = kPathLine + kOk, .ids = {1016, 993, 994},
     .after = "record=" + sim_hex(record_with_version(25)),
     .files_after = sdd(with_11b(power_file(25, 1100), 0xB0, 160))},
};
// clang-format on

class PowerSet : public SddRun, public testing::WithParamInterface<RunRow> {};

TEST_P(PowerSet, WritesOnlyTheTwo11bEntries) {
    const RunRow& row = GetParam();
    const RowRuns r = run_row(row);
    EXPECT_EQ(driver_requests(r.wire), row.ids);
    // A 3K file has its tables past the first 1024 bytes.
    const std::string& before = row.files[0].second;
    const std::string& after = row.files_after[0].second;
    if (before.size() > 1024) {
        EXPECT_GT(std::mismatch(before.begin(), before.end(), after.begin()).first - before.begin(), 1024);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, PowerSet, testing::ValuesIn(kPowerSets), RowName());

// Version 2.3 looks for 0xE3: a file with only 0xB0 has no power table.
// Nothing is pushed after a failure.
Bytes only_new_table() {
    SddBuilder b;
    b.version(2, 3).filler(4).power(0xB0, kNewTable);
    return b.bytes;
}

// clang-format off
const RunRow kAbsent[] = {
    {.name = "PowerGet", .files = sdd(only_new_table()), .words = "get_sdd_power",
     .out = kPathLine + "Power_ies not found!\nRQM_GetSddPower failed (-1:unknown error)\n" + kError,
     .ids = {1016, 993}},
    {.name = "PowerSet", .files = sdd(only_new_table()), .words = "set_sdd_power 11b 42",
     .out = kPathLine + "Power_ies not found!\nRQM_SetSddPower failed (-1:unknown error)\n"
         "set user power error\n" + kError,
     .ids = {1016, 993}},
    {.name = "FreqSet", .files = sdd(only_new_table()), .words = "set_sdd_freq_offset 100",
     .out = kPathLine + "sdd freq offset not found!\n" + kError, .ids = {1016, 993}},
};
// clang-format on

class Absent : public SddRun, public testing::WithParamInterface<RunRow> {};

TEST_P(Absent, ElementMissingFailsAndWritesNothing) {
    EXPECT_EQ(driver_requests(run_row(GetParam()).wire), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(Commands, Absent, testing::ValuesIn(kAbsent), RowName());

TEST_F(SddRun, FreqOffsetAbsentReadsAsZero) {
    SddBuilder b;
    b.version(2, 3).filler(4);
    file(b.bytes);
    const CliRun r = run({"get_sdd_freq_offset"});
    EXPECT_EQ(r.out, path_line() + "sdd freq offset not found!\nsdd_freq_offset = 0\n" + kOk);
}

// ---- the frequency offset ----

// An element of length bytes that holds stored.
Bytes freq_file(size_t length, uint16_t stored) {
    SddBuilder b;
    b.version(2, 3).filler(6).freq_offset(stored, length).filler(2);
    return b.bytes;
}

// Read, written, read back: what the three runs print.
std::string freq_runs(unsigned shown, const std::string& value) {
    return kPathLine + "sdd_freq_offset = " + std::to_string(shown) + "\n" + kOk + kPathLine + kOk +
           kPathLine + "sdd_freq_offset = " + value + "\n" + kOk;
}

// clang-format off
const RunRow kFreq[] = {
    {.name = "TwoBytes", .files = sdd(freq_file(2, 0x1234)),
     .words = "get_sdd_freq_offset|set_sdd_freq_offset 100|get_sdd_freq_offset",
     .out = freq_runs(0x1234, "100"), .files_after = sdd(with_data(freq_file(2, 0x1234), 0xC9, {100, 0}))},
    {.name = "TopValue", .files = sdd(freq_file(2, 5)),
     .words = "get_sdd_freq_offset|set_sdd_freq_offset 127|get_sdd_freq_offset", .out = freq_runs(5, "127"),
     .files_after = sdd(with_data(freq_file(2, 5), 0xC9, {127, 0}))},
    {.name = "Zero", .files = sdd(freq_file(2, 5)),
     .words = "get_sdd_freq_offset|set_sdd_freq_offset 0|get_sdd_freq_offset", .out = freq_runs(5, "0"),
     .files_after = sdd(with_data(freq_file(2, 5), 0xC9, {0, 0}))},
    // One byte shows only the low byte of what is stored.
    {.name = "OneByteElement", .files = sdd(freq_file(1, 0x33)),
     .words = "get_sdd_freq_offset|set_sdd_freq_offset 100|get_sdd_freq_offset",
     .out = freq_runs(0x33, "100"), .files_after = sdd(with_data(freq_file(1, 0x33), 0xC9, {100}))},
    {.name = "LongerElementKeepsTheRest", .files = sdd(freq_file(3, 0x0201)),
     .words = "get_sdd_freq_offset|set_sdd_freq_offset 100|get_sdd_freq_offset",
     .out = freq_runs(0x0201, "100"), .files_after = sdd(with_data(freq_file(3, 0x0201), 0xC9, {100, 0}))},
};
// clang-format on

class Freq : public SddRun, public testing::WithParamInterface<RunRow> {};

TEST_P(Freq, ReadWriteReadBack) {
    run_row(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Elements, Freq, testing::ValuesIn(kFreq), RowName());

Bytes freq_of_5() {
    SddBuilder b;
    b.version(2, 3).freq_offset(5);
    return b.bytes;
}

const std::string kFreqRefused =
    "proc_set_sdd_freq_offset:Invalid params input!Please check again!\n" + kError;

// clang-format off
const RunRow kFreqRefusals[] = {
    {.name = "Above127", .files = sdd(freq_of_5()), .words = "set_sdd_freq_offset 128", .out = kFreqRefused},
    {.name = "Negative", .files = sdd(freq_of_5()), .words = "set_sdd_freq_offset -1", .out = kFreqRefused},
    {.name = "Beyond16Bits", .files = sdd(freq_of_5()), .words = "set_sdd_freq_offset 65636",
     .out = kFreqRefused},
    {.name = "NoValue", .files = sdd(freq_of_5()), .words = "set_sdd_freq_offset", .out = kFreqRefused},
};
// clang-format on

class FreqRefused : public SddRun, public testing::WithParamInterface<RunRow> {};

// Refused before the driver is asked where the file lies.
TEST_P(FreqRefused, NothingSentBeyondStartUp) {
    EXPECT_FALSE(run_row(GetParam()).wire.has(995));
}

INSTANTIATE_TEST_SUITE_P(Values, FreqRefused, testing::ValuesIn(kFreqRefusals), RowName());

// ---- what the path answer can say ----

const std::string kPathError = "get sdd path error!\n";
const std::string kNotConnected = "RQM not connect,please connect first!\n";
// The query reports its own failure before the operation's.
const std::string kPathFailed = "RQM_GetSddPatch failed (-1:unknown error)\n";
const std::string kPathRefused = "RQM_GetSddPatch failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n";

// No path, no file touched.
// clang-format off
const RunRow kPathCases[] = {
    {.name = "ZeroForTheFile", .presets = "set sddpath_len 0", .files = sdd(both_tables(3)),
     .words = "get_sdd_file", .out = kPathError + "RQM_GetSddPatch failed (-1:unknown error)\n" + kError},
    {.name = "ZeroForThePower", .presets = "set sddpath_len 0", .files = sdd(both_tables(3)),
     .words = "set_sdd_power 11b 42",
     .out = kPathError + kPathFailed + "RQM_SetSddPower failed (-1:unknown error)\nset user power error\n" +
         kError},
    {.name = "SeventyForTheOffset", .presets = "set sddpath_len 70", .files = sdd(both_tables(3)),
     .words = "set_sdd_freq_offset 100",
     .out = kPathError + kPathFailed + "RQM_SetSddFreqOffset failed (-1:unknown error)\n" + kError},
    {.name = "SeventyForTheOffsetRead", .presets = "set sddpath_len 70", .files = sdd(both_tables(3)),
     .words = "get_sdd_freq_offset",
     .out = kPathError + kPathFailed + "RQM_GetSddFreqOffset failed (-1:unknown error)\n" + kError},
    {.name = "RefusedForThePower", .presets = "fault 995 refuse 7", .files = sdd(both_tables(3)),
     .words = "set_sdd_power 11b 42",
     .out = kNotConnected + kPathRefused + "RQM_SetSddPower failed (-1:unknown error)\n"
         "set user power error\n" + kError},
    {.name = "RefusedForTheOffset", .presets = "fault 995 refuse 7", .files = sdd(both_tables(3)),
     .words = "set_sdd_freq_offset 100",
     .out = kNotConnected + kPathRefused + "RQM_SetSddFreqOffset failed (-1:unknown error)\n" + kError},
    {.name = "RefusedForTheFile", .presets = "fault 995 refuse 7", .files = sdd(both_tables(3)),
     .words = "get_sdd_file", .out = kNotConnected + kPathRefused + kError},
};
// clang-format on

class PathAnswer : public SddRun, public testing::WithParamInterface<RunRow> {};

TEST_P(PathAnswer, NoPathNoFileTouched) {
    run_row(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Answers, PathAnswer, testing::ValuesIn(kPathCases), RowName());

// A path of 64 bytes fills the answer; a length of 65 with the same 64
// bytes does not fit the tool's buffer.
TEST_F(SddRun, PathOf64BytesTakenAnd65Refused) {
    std::string longPath = dir_.path() + "/";
    longPath += std::string(64 - longPath.size() - 4, 'q') + ".sdd";
    ASSERT_EQ(longPath.size(), 64u);
    SddBuilder b;
    b.version(2, 3).freq_offset(9);
    ASSERT_TRUE(dir_.write(longPath.substr(dir_.path().size() + 1).c_str(),
                           std::string(b.bytes.begin(), b.bytes.end())));
    ctl("set sddpath " + longPath);
    CliRun r = run({"get_sdd_freq_offset"});
    EXPECT_EQ(r.out, "sdd_path = " + longPath + "\nsdd_freq_offset = 9\n" + kOk);
    ctl("set sddpath_len 65");
    r = run({"set_sdd_freq_offset", "100"});
    EXPECT_EQ(r.out, kPathError + kPathFailed + "RQM_SetSddFreqOffset failed (-1:unknown error)\n" + kError);
    EXPECT_EQ(file_text(longPath), std::string(b.bytes.begin(), b.bytes.end()));
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
    EXPECT_EQ(r.out.substr(r.out.size() - kError.size()), kError);
    EXPECT_EQ(file_text(path_), std::string(f.begin(), f.end()));
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
    EXPECT_EQ(wire(), Msgs{HiBuild(1017).u8(0).u8(0xC0)});
}

INSTANTIATE_TEST_SUITE_P(Sdds, SddVersion, testing::ValuesIn(kVersions), RowName());

TEST_F(SddInProcess, DownloadReplacesTheSddInUse) {
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    SddBuilder b;
    b.version(2, 5).filler(7).freq_offset(40);
    const Bytes f = b.bytes;
    const std::string path = dir.path() + "/d.sdd";
    ASSERT_TRUE(dir.write("d.sdd", std::string(f.begin(), f.end())));
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

    const Msgs sent = wire();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], Bytes(HiBuild(54, {2})));
    EXPECT_EQ(sent[1], Bytes(HiBuild(54 | 1 << HI_MSG_SEQ_SHIFT).put(payload.data(), payload.size())));
}

}  // namespace
