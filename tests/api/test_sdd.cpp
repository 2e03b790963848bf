// SDD file access and the SDD commands, with the driver's path answer from
// a fake Target and generated SDD files in a temporary directory.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "api/rqm_sdd.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "tests/support/fake_target.h"
#include "tests/support/sdd_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes path_answer(const std::string& path, uint32_t claimed) {
    Bytes a(12 + path.size(), 0);
    hi_set_msg_len(a.data(), static_cast<uint16_t>(a.size()));
    hi_set_msg_id(a.data(), 995 | 0x400);
    hi_wr32(a.data() + 8, claimed);
    memcpy(a.data() + 12, path.data(), path.size());
    return a;
}

class Sdd : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/sddXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        path = dir + "/rqm.sdd";
        ctx = RQM_Create(nullptr, nullptr);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 50;
        fake.script = {ANSWER_NOW};
        fake.answer = path_answer(path, static_cast<uint32_t>(path.size()));
        g_rqm_config.pRqmApiContext = ctx;
        g_driver_data.Word[CLI_WORD_SDD_VERSION] = 23;
    }
    void TearDown() override {
        g_rqm_config.pRqmApiContext = nullptr;
        RQM_Stop(ctx);
        unlink(path.c_str());
        rmdir(dir.c_str());
    }
    void write_file(const Bytes& b) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    Bytes read_file() {
        std::ifstream f(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), {});
    }
    // Runs a handler as the dispatcher would and returns what it printed.
    std::string run(std::vector<std::string> words, int* result) {
        words.insert(words.begin(), "rqmcli");
        std::vector<char*> argv;
        for (auto& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        testing::internal::CaptureStdout();
        *result = CMD_Interpret(static_cast<int>(words.size()), argv.data());
        return testing::internal::GetCapturedStdout();
    }

    std::string dir, path;
    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
};

struct WalkCase {
    const char* name;
    Bytes file;
    uint8_t id;
    int offset;  // returned
    int length;  // -1: outputs untouched
};

class Walk : public testing::TestWithParam<WalkCase> {};

TEST_P(Walk, FindsWholeElementsOnly) {
    const WalkCase& c = GetParam();
    const uint8_t* data = nullptr;
    uint8_t len = 0xEE;
    EXPECT_EQ(rqm_get_sdd_param(c.file.data(), static_cast<int>(c.file.size()), c.id, &data, &len), c.offset);
    if (c.length < 0) {
        EXPECT_EQ(data, nullptr);
        EXPECT_EQ(len, 0xEE);
    } else {
        EXPECT_EQ(len, c.length);
        EXPECT_EQ(data, c.file.data() + c.offset + 2);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Walk,
    testing::Values(
        WalkCase{"Third", SddBuilder().version(2, 3).filler(5).freq_offset(7).bytes, 0xC9, 11, 2},
        WalkCase{"FirstOfTwo", SddBuilder().version(2, 3).freq_offset(1).freq_offset(2).bytes, 0xC9, 4, 2},
        WalkCase{"AbsentReturnsTheBytesWalked", SddBuilder().version(2, 3).filler(10).bytes, 0xC9, 16, -1},
        WalkCase{"ZeroLength", SddBuilder().version(2, 3).element(0xC9, {}).bytes, 0xC9, 4, 0},
        WalkCase{"RunsPastTheEnd", SddBuilder().version(2, 3).freq_offset(9).truncate(1).bytes, 0xC9, 4, -1},
        WalkCase{"HeaderCutOff", SddBuilder().version(2, 3).element(0xC9, {}).truncate(1).bytes, 0xC9, 4, -1},
        WalkCase{"Empty", Bytes{}, 0xC0, 0, -1}),
    [](const testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

TEST_F(Sdd, PowerElementThirdIsPatchedInPlace) {
    const Bytes file =
        SddBuilder().version(2, 3).filler(6).power(0xE3, {100, 101, 102, 103}).freq_offset(5).bytes;
    write_file(file);
    uint16_t table[12] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddPower(ctx, 0xE3, table), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "sdd_path = " + path + "\n");
    EXPECT_EQ(table[3], 103);
    uint16_t fresh[12] = {};
    fresh[1] = 0x1234;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_SetSddPower(ctx, 0xE3, fresh), 0);
    testing::internal::GetCapturedStdout();
    Bytes want = file;
    const size_t entry1 = 4 + 8 + 2 + 2;  // version, filler, power header, entry 0
    want[entry1] = 0x34;
    want[entry1 + 1] = 0x12;
    EXPECT_EQ(read_file(), want);
    // Nothing new: the file stays byte for byte.
    const uint16_t zeros[12] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_SetSddPower(ctx, 0xE3, zeros), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(read_file(), want);
}

TEST_F(Sdd, ElementPastByte1024AndLongElementTail) {
    SddBuilder b;
    b.version(2, 5)
        .fill_to(2000)
        .power(0xB0, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}, 30)
        .fill_to(3000);
    write_file(b.bytes);
    uint16_t table[12] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddPower(ctx, 0xB0, table), 0);
    uint16_t fresh[12] = {};
    for (auto& e : fresh)
        e = 0x0F0F;
    EXPECT_EQ(RQM_SetSddPower(ctx, 0xB0, fresh), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(table[11], 120);
    const Bytes after = read_file();
    ASSERT_EQ(after.size(), b.bytes.size());
    size_t changed = 0;
    for (size_t i = 0; i < after.size(); ++i)
        changed += after[i] != b.bytes[i];
    EXPECT_EQ(changed, 24u) << "only the 24 table bytes; the element's last 6 stay";
}

struct MissingCase {
    const char* name;
    Bytes file;
    bool present;  // file exists
};

class PowerMissing : public Sdd, public testing::WithParamInterface<MissingCase> {};

TEST_P(PowerMissing, ReadAndWriteFailAndTheFileStays) {
    if (GetParam().present)
        write_file(GetParam().file);
    uint16_t table[12] = {};
    uint16_t fresh[12] = {7};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddPower(ctx, 0xE3, table), -1);
    EXPECT_EQ(RQM_SetSddPower(ctx, 0xE3, fresh), -1);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Power_ies not found!"), std::string::npos) << out;
    if (GetParam().present) {
        EXPECT_EQ(read_file(), GetParam().file);
    } else {
        EXPECT_NE(out.find("is failure!"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, PowerMissing,
    testing::Values(
        MissingCase{"Absent", SddBuilder().version(2, 3).filler(40).bytes, true},
        MissingCase{"Truncated", SddBuilder().version(2, 3).power(0xE3, {1, 2, 3}).truncate(3).bytes, true},
        MissingCase{"ZeroLength", SddBuilder().version(2, 3).element(0xE3, {}).bytes, true},
        MissingCase{"StraddlesTheEndAfter1024",
                    SddBuilder().version(2, 3).fill_to(1015).power(0xE3, {1}).truncate(2).bytes, true},
        MissingCase{"NoFile", {}, false}),
    [](const testing::TestParamInfo<MissingCase>& info) { return info.param.name; });

TEST_F(Sdd, FrequencyOffsetOfOneByteAndDuplicates) {
    const Bytes file = SddBuilder().version(2, 3).freq_offset(0x41, 1).freq_offset(0x22).bytes;
    write_file(file);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddFreqOffset(ctx), 0);
    EXPECT_EQ(RQM_SetSddFreqOffset(ctx, 0x155 & 0x7F), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "sdd_path = " + path + "\nsdd_freq_offset = 65\nsdd_path = " + path + "\n");
    Bytes want = file;
    want[6] = 0x55;  // only the one byte of the first element
    EXPECT_EQ(read_file(), want);
}

TEST_F(Sdd, FrequencyOffsetAbsentAndOutOfRange) {
    write_file(SddBuilder().version(2, 3).filler(3).bytes);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddFreqOffset(ctx), 0);
    EXPECT_EQ(RQM_SetSddFreqOffset(ctx, 5), -1);
    const size_t asked = fake.sent.size();
    EXPECT_EQ(RQM_SetSddFreqOffset(ctx, 128), 9);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(fake.sent.size(), asked) << "out of range must not reach the driver";
    EXPECT_NE(out.find("sdd freq offset not found!\nsdd_freq_offset = 0\n"), std::string::npos) << out;
}

enum PathOutcome { PATH_TAKEN, NO_PATH, CUT_ANSWER };

struct PathCase {
    const char* name;
    uint32_t claimed;
    size_t carried;  // path bytes in the answer
    PathOutcome outcome;
};

class PathAnswer : public Sdd, public testing::WithParamInterface<PathCase> {};

TEST_P(PathAnswer, LengthMustNameCarriedPath) {
    const PathCase& c = GetParam();
    fake.answer = path_answer(std::string(c.carried, 'p'), c.claimed);
    char buf[SDD_PATH_MAX + 1];
    memset(buf, 'x', sizeof buf);
    testing::internal::CaptureStdout();
    const int result = RQM_GetSddPatch(ctx, buf);
    const std::string out = testing::internal::GetCapturedStdout();
    switch (c.outcome) {
    case PATH_TAKEN:
        EXPECT_EQ(result, static_cast<int>(c.claimed));
        EXPECT_EQ(strlen(buf), c.claimed);
        break;
    case NO_PATH:
        EXPECT_EQ(result, -1);
        EXPECT_EQ(out.rfind("get sdd path error!\n", 0), 0u) << out;
        break;
    case CUT_ANSWER:
        // Cut inside the path it counts: no answer, and nothing of it taken.
        EXPECT_EQ(result, RQM_NO_CONFIRMATION);
        EXPECT_EQ(out, "RQM_GetSddPatch failed (1:BOOT_ERR_DECODE\tFirmware error!)\n");
        EXPECT_EQ(buf[0], 'x');
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, PathAnswer,
                         testing::Values(PathCase{"Zero", 0, 0, NO_PATH}, PathCase{"One", 1, 1, PATH_TAKEN},
                                         PathCase{"SixtyFour", 64, 64, PATH_TAKEN},
                                         PathCase{"SixtyFive", 65, 64, NO_PATH},
                                         PathCase{"Seventy", 70, 64, NO_PATH},
                                         PathCase{"MoreThanCarried", 20, 10, CUT_ANSWER},
                                         PathCase{"NegativeAsSigned", 0xFFFFFFFF, 10, NO_PATH}),
                         [](const testing::TestParamInfo<PathCase>& info) { return info.param.name; });

TEST_F(Sdd, PathTransportFailureIsNoLength) {
    fake.script = {NO_ANSWER};
    int result = 0;
    EXPECT_EQ(run({"get_sdd_file"}, &result),
              "Wait for cnf timed out!\nAdapter_Request pRqmApiContext->"
              "MsgReceivedSize == 0\nRQM_GetSddPatch failed (1:BOOT_ERR_DECODE\t"
              "Firmware error!)\n");
    EXPECT_EQ(result, -1);
}

TEST(SddShow, RowsCountedByRowNumber) {
    Bytes b(17);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(i);
    testing::internal::CaptureStdout();
    RQM_sddShow(b.data(), 17);
    RQM_sddShow(b.data(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "sddLength = 17\n00000000h:  00  01  02  03  04  05  06  07  08  09  0a  0b  0c  0d  0e  0f  \n"
              "00000001h:  10  \nsddLength = 0\n\n");
}

TEST_F(Sdd, VersionNeedsBothBytes) {
    Bytes a(14, 0);
    hi_set_msg_len(a.data(), 14);
    hi_set_msg_id(a.data(), 1017 | 0x400);
    hi_wr32(a.data() + 8, 2);
    a[12] = 2;
    a[13] = 5;
    fake.answer = a;
    uint8_t version = 0;
    EXPECT_EQ(RQM_GetSddVeresion(ctx, &version), 0);
    EXPECT_EQ(version, 25);
    EXPECT_EQ(fake.sent.back().bytes, (Bytes{6, 0, 0xF9, 0x03, 0, 0xC0}));
    hi_wr32(a.data() + 8, 1);
    fake.answer = a;
    version = 99;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddVeresion(ctx, &version), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(version, 99);
}

TEST_F(Sdd, DownloadMessages) {
    fake.answer = fake_message(8, 54 | 0x400);
    ctx->MaxMsgSize = 1520;
    EXPECT_EQ(RQM_DownloadSdd(ctx, "", 1, 0), 0);
    EXPECT_EQ(fake.sent.back().bytes, (Bytes{8, 0, 54, 0, 2, 0, 0, 0}));
    EXPECT_EQ(RQM_DownloadSdd(ctx, "^ab", 1, 0), 0);
    EXPECT_EQ(fake.sent.back().bytes, (Bytes{12, 0, 54, 0, '^', 'a', 'b', 0, 1, 0, 0, 0}));
    write_file({0xC0, 2, 2, 3});
    EXPECT_EQ(RQM_DownloadSdd(ctx, path.c_str(), 0x101, 0), 0);
    EXPECT_EQ(fake.sent.back().bytes, (Bytes{12, 0, 54, 0, 0xC0, 2, 2, 3, 1, 0, 0, 0}));
    const size_t sent = fake.sent.size();
    write_file(Bytes(1513, 0x11));
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_DownloadSdd(ctx, path.c_str(), 0, 0), 3);
    EXPECT_EQ(RQM_DownloadSdd(ctx, nullptr, 0, 0), 9);
    EXPECT_EQ(RQM_DownloadSdd(ctx, "", 0, 1), 9);
    EXPECT_EQ(RQM_DownloadSdd(ctx, (dir + "/none").c_str(), 0, 0), 37);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(fake.sent.size(), sent);
}

struct PowerCmdCase {
    const char* name;
    uint16_t sddVersion;
    std::vector<std::string> words;
    int result;
    std::vector<uint16_t> entries;  // after the command, entries 0 to 11
};

class PowerCommand : public Sdd, public testing::WithParamInterface<PowerCmdCase> {};

TEST_P(PowerCommand, WritesConvertedLevels) {
    const PowerCmdCase& c = GetParam();
    g_driver_data.Word[CLI_WORD_SDD_VERSION] = c.sddVersion;
    const uint8_t id = c.sddVersion < 25 ? 0xE3 : 0xB0;
    write_file(SddBuilder().version(2, 3).power(id, std::vector<uint16_t>(12, 1)).bytes);
    int result = 0;
    const std::string out = run(c.words, &result);
    EXPECT_EQ(result, c.result) << out;
    uint16_t table[12] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddPower(ctx, id, table), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::vector<uint16_t>(table, table + 12), c.entries) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Words, PowerCommand,
    testing::Values(
        PowerCmdCase{
            "Group11bOld", 23, {"set_sdd_power", "11b", "42"}, 0, {208, 208, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        PowerCmdCase{
            "Group11bNew", 25, {"set_sdd_power", "11b", "42"}, 0, {160, 160, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        PowerCmdCase{"AllDb",
                     24,
                     {"set_sdd_power", "all_dB", "10", "12.5", "-1"},
                     0,
                     {208, 208, 248, 248, 248, 248, 248, 248, 248, 248, 1, 1}},
        PowerCmdCase{"SingleModulationAt20",
                     25,
                     {"set_sdd_power", "16QAM_1_2", "20"},
                     0,
                     {1, 1, 1, 1, 1, 1, 72, 1, 1, 1, 1, 1}},
        PowerCmdCase{
            "GroupAt20IsInvalid", 25, {"set_sdd_power", "11gn", "20"}, -1, std::vector<uint16_t>(12, 1)},
        PowerCmdCase{
            "GroupAt121", 25, {"set_sdd_power", "mcs7", "121"}, 0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 476, 1}},
        PowerCmdCase{
            "GroupAt122IsInvalid", 25, {"set_sdd_power", "mcs7", "122"}, -1, std::vector<uint16_t>(12, 1)},
        PowerCmdCase{"SingleModulationAt122",
                     23,
                     {"set_sdd_power", "64QAM_5_6", "122"},
                     0,
                     {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 528, 1}},
        PowerCmdCase{"SingleModulationAt123",
                     25,
                     {"set_sdd_power", "64QAM_5_6", "123"},
                     -1,
                     std::vector<uint16_t>(12, 1)},
        PowerCmdCase{
            "SingleModulationAt19", 25, {"set_sdd_power", "DSSS", "19"}, -1, std::vector<uint16_t>(12, 1)},
        PowerCmdCase{
            "CutTo16BitsIsRefused", 25, {"set_sdd_power", "DSSS", "65556"}, -1, std::vector<uint16_t>(12, 1)},
        PowerCmdCase{"UnknownName", 25, {"set_sdd_power", "QPSK", "40"}, -1, std::vector<uint16_t>(12, 1)},
        PowerCmdCase{
            "ZeroLevelsKeepTheFile", 25, {"set_sdd_power", "all", "0", "0", "0"}, 0, std::vector<uint16_t>(12, 1)},
        PowerCmdCase{"AllNeedsThreeValues",
                     25,
                     {"set_sdd_power", "all", "40", "40"},
                     -1,
                     std::vector<uint16_t>(12, 1)}),
    [](const testing::TestParamInfo<PowerCmdCase>& info) { return info.param.name; });

TEST_F(Sdd, GetPowerShowsLevelsAndDb) {
    write_file(SddBuilder().version(2, 3).power(0xE3, {208, 0, 248, 0, 0, 0, 0, 0, 0, 0, 100, 0}).bytes);
    int result = 0;
    std::string out = run({"get_sdd_power"}, &result);
    EXPECT_EQ(result, 0);
    EXPECT_NE(out.find("sdd user power:\n  11b:  42\n  11gn: 52\n  MCS7: 15\n"), std::string::npos) << out;
    out = run({"get_sdd_power", "dB"}, &result);
    EXPECT_NE(out.find("   11b: 10.0 dB\n  11gn: 12.5 dB\n  MCS7: 3.2 dB\n"), std::string::npos) << out;
    out = run({"get_sdd_power", "all", "dB"}, &result);
    EXPECT_NE(
        out.find(
            "  modulation   rate       power\n  DSSS         1,2      : 10.0dB\n  CCK          5.5,11   : "
            "0.0dB\n"),
        std::string::npos)
        << out;
}

TEST_F(Sdd, LevelsBelowTheOffsetShowAsZero) {
    // 16 is 1 dB in the table, -2 dBm once the old offset is taken off.
    write_file(SddBuilder().version(2, 3).power(0xE3, {16, 0, 48, 0, 0, 0, 0, 0, 0, 0, 8, 0}).bytes);
    int result = 0;
    const std::string out = run({"get_sdd_power"}, &result);
    EXPECT_NE(out.find("  11b:  0\n  11gn: 2\n  MCS7: 0\n"), std::string::npos) << out;
}

TEST_F(Sdd, PowerElementStraddlingByte1024) {
    SddBuilder b;
    b.version(2, 5).fill_to(1010).power(0xB0, {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}).fill_to(1400);
    write_file(b.bytes);
    uint16_t table[12] = {};
    uint16_t fresh[12] = {};
    fresh[11] = 0x0101;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetSddPower(ctx, 0xB0, table), 0);
    EXPECT_EQ(RQM_SetSddPower(ctx, 0xB0, fresh), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(table[11], 16);
    Bytes want = b.bytes;
    const uint8_t* data = nullptr;
    uint8_t len = 0;
    const int offset = rqm_get_sdd_param(want.data(), static_cast<int>(want.size()), 0xB0, &data, &len);
    ASSERT_LT(offset, 1024);
    ASSERT_GT(offset + 2 + len, 1024);
    want[static_cast<size_t>(offset) + 2 + 22] = 0x01;
    want[static_cast<size_t>(offset) + 2 + 23] = 0x01;
    EXPECT_EQ(read_file(), want);
}

TEST_F(Sdd, FrequencyOffsetCommandRanges) {
    write_file(SddBuilder().version(2, 3).freq_offset(3).bytes);
    for (const char* bad : {"128", "-1", "65536", "x1"}) {
        int result = 0;
        const std::string out = run({"set_sdd_freq_offset", bad}, &result);
        if (std::string(bad) == "x1") {
            EXPECT_EQ(result, 0) << "atoi reads it as 0";
            continue;
        }
        EXPECT_EQ(result, -1) << bad;
        EXPECT_EQ(out, "proc_set_sdd_freq_offset:Invalid params input!Please check again!\n");
    }
}

TEST_F(Sdd, WholeFileDump) {
    const Bytes file = SddBuilder().version(2, 3).fill_to(1100).bytes;
    write_file(file);
    int result = 0;
    const std::string out = run({"get_sdd_file"}, &result);
    EXPECT_EQ(result, 0);
    EXPECT_NE(out.find("sddLength = " + std::to_string(file.size()) + "\n"), std::string::npos);
    EXPECT_NE(out.find("00000044h:  "), std::string::npos) << "rows past byte 1024 are dumped";
}

// ---- files that are not SDD files ----

enum FileKind { FIFO, DEV_ZERO, DIRECTORY, EMPTY, ONE_PAST_LIMIT, AT_LIMIT };

struct FileKindCase {
    const char* name;
    FileKind kind;
    std::vector<std::string> words;
    std::string lines;  // after the path line; P stands for the path
    int result;
};

void PrintTo(const FileKindCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kNotRegular = "\"P\" is not a regular file!\n";
const std::string kReadFailed = "Failed to read the SDD file!\n";

const FileKindCase kFileKinds[] = {
    // Opening a FIFO for reading waits for a writer; none comes.
    {"FifoDumped", FIFO, {"get_sdd_file"}, kNotRegular + kReadFailed, -1},
    // /dev/zero never ends.
    {"ZeroPowerSet",
     DEV_ZERO,
     {"set_sdd_power", "11b", "42"},
     kNotRegular + "Power_ies not found!\nRQM_SetSddPower failed (-1:unknown error)\nset user power error\n",
     -1},
    {"DirectoryOffsetRead",
     DIRECTORY,
     {"get_sdd_freq_offset"},
     kNotRegular + kReadFailed + "RQM_GetSddFreqOffset failed (-1:unknown error)\n",
     -1},
    {"EmptyDumpedAsZeroBytes", EMPTY, {"get_sdd_file"}, "sddLength = 0\n\n" + kReadFailed, -1},
    {"PastTheLimitOffsetSet",
     ONE_PAST_LIMIT,
     {"set_sdd_freq_offset", "100"},
     "\"P\" is larger than 1048576 bytes!\n" + kReadFailed,
     -1},
    {"AtTheLimitOffsetSet", AT_LIMIT, {"set_sdd_freq_offset", "100"}, "", 0},
};

class SddFileKind : public Sdd, public testing::WithParamInterface<FileKindCase> {
protected:
    void TearDown() override {
        rmdir(path.c_str());
        Sdd::TearDown();
    }
};

// Whatever the driver names, the command ends with its failure line and
// writes nothing, unless the file is a regular one within the bound.
TEST_P(SddFileKind, OnlyRegularFilesWithinTheBound) {
    const FileKindCase& c = GetParam();
    Bytes before;
    switch (c.kind) {
    case FIFO:
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        break;
    case DEV_ZERO:
        ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
        break;
    case DIRECTORY:
        ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
        break;
    case EMPTY:
        write_file(before);
        break;
    case ONE_PAST_LIMIT:
    case AT_LIMIT:
        before = SddBuilder().version(2, 3).freq_offset(3).power(0xE3, {1, 2}).bytes;
        before.resize(RQM_SDD_FILE_MAX + (c.kind == ONE_PAST_LIMIT ? 1 : 0), 0xFF);
        write_file(before);
        break;
    }
    int result = 0;
    std::string out = run(c.words, &result);
    for (size_t at = out.find("\"" + path + "\""); at != std::string::npos; at = out.find("\"" + path + "\""))
        out.replace(at + 1, path.size(), "P");
    EXPECT_EQ(out, "sdd_path = " + path + "\n" + c.lines);
    EXPECT_EQ(result, c.result);
    if (c.kind == AT_LIMIT) {
        before[6] = 100;
    }
    if (c.kind == EMPTY || c.kind == ONE_PAST_LIMIT || c.kind == AT_LIMIT) {
        EXPECT_TRUE(read_file() == before) << "the file changed";
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SddFileKind, testing::ValuesIn(kFileKinds),
                         [](const testing::TestParamInfo<FileKindCase>& info) { return info.param.name; });

// Values the 32-bit board refuses, and dB values that are no number, are
// refused before the file is touched.
struct RefusedCase {
    const char* name;
    std::vector<std::string> words;
    std::string out;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kInvalid = "Invalid params input!Please check again!\n";

class SddRefused : public Sdd, public testing::WithParamInterface<RefusedCase> {};

TEST_P(SddRefused, NothingReadOrWritten) {
    const RefusedCase& c = GetParam();
    const Bytes file =
        SddBuilder().version(2, 3).freq_offset(3).power(0xE3, std::vector<uint16_t>(12, 1)).bytes;
    write_file(file);
    int result = 0;
    EXPECT_EQ(run(c.words, &result), c.out);
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(fake.sent.empty()) << "the driver was asked for the path";
    EXPECT_EQ(read_file(), file);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SddRefused,
    testing::Values(
        RefusedCase{"OffsetPast32Bits",
                    {"set_sdd_freq_offset", "4294967316"},
                    "proc_set_sdd_freq_offset:Invalid params input!Please check again!\n"},
        RefusedCase{"GroupLevelPast32Bits",
                    {"set_sdd_power", "11b", "4294967336"},
                    "Invalid 11b params input!Please check again!\n"},
        RefusedCase{"ModulationLevelPast32Bits", {"set_sdd_power", "DSSS", "4294967316"}, kInvalid},
        RefusedCase{"DbNan", {"set_sdd_power", "all_dB", "nan", "nan", "nan"}, kInvalid},
        RefusedCase{"DbInfinityAmongValues", {"set_sdd_power", "all_dB", "10", "inf", "10"}, kInvalid},
        RefusedCase{"DbMinusInfinity", {"set_sdd_power", "all_dB", "10", "10", "-INFINITY"}, kInvalid},
        RefusedCase{"DbPastDouble", {"set_sdd_power", "all_dB", "1e999", "10", "10"}, kInvalid}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

}  // namespace
