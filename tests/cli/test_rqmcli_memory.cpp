// The memory and register commands against the stand-in: whole runs with
// what they print, send and leave in the chip; then, in-process with the
// dump file in a temporary directory, read_reg and its RAM-read thread fed
// from a pipe, and the register dumps and register files of the API.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "api/rqm_api.h"
#include "cli/read_ram_thread.h"
#include "sim/sim_fw_ramread.h"
#include "tests/support/sim_rows.h"
#include "tests/support/threads.h"

namespace {

const std::string kHeader =
    "\nRead memory:\n\n  Address\t  00\t     04 \t08\t   0C\t      10\t 14\t    18\t       1C\n";
const std::string kTooLong = "Memory length should be 0 to 1024!\n";
const std::string kRefused = "RQM not connect,please connect first!\n";
const Msgs kRfSwitched = {HiBuild(687, {0}), HiBuild(686, {0, 1})};  // the com-bus mode read, then mode 1

// read_mem's rows of words from addr on, eight a row, and its last line.
std::string rows(uint32_t addr, const Words& w) {
    std::string s;
    char text[16];
    for (size_t i = 0; i < w.size(); ++i) {
        snprintf(text, sizeof text, "%s0x%08x:", i == 0 ? "" : "\n", addr + 4 * static_cast<uint32_t>(i));
        s += i % 8 == 0 ? text : "";
        snprintf(text, sizeof text, " 0x%08x", w[i]);
        s += text;
    }
    return s + "\n\n";
}

// After "set connected 1". "@" is the row's directory, which holds
// regs.txt (a register-value record) and list.txt (an address list), and
// is the run's RQMSIM_RAMDIR unless the row names another. sent: the
// requests but the driver's; after: the chip's values; ram.bin is empty
// unless the row names it.
// clang-format off
const RunRow kMemRuns[] = {
    {.name = "Aligned", .presets = "set mem 0x89000010 0xCAFEF00D", .words = "read_mem -r 0 -l 32",
     .out = "Memory region is:0!\nMemory length set to:32!\n" + kHeader +
         rows(0x89000000, {0, 0, 0, 0, 0xCAFEF00D, 0, 0, 0}) + kOk,
     .sent = {HiBuild(0, {0x89000000, 0xC00020})}},
    {.name = "UnalignedRead", .presets = "set mem 0x89000010 0xAABBCCDD",
     .words = "read_mem -a 0x89000012 -l 5",
     .out = "Memory start address set to 0x89000012!\nMemory length set to:8!\n" + kHeader +
         rows(0x89000012, {0xAABB, 0}) + kOk,
     .sent = {HiBuild(0, {0x89000012, 0xC00008})}},
    {.name = "UnalignedWrite", .words = "write_mem 0x89000013 0x11",
     .out = "WARNING:Address should be multiple of 4 !\nWrite address set to \t0x89000010!\n"
         "Write data is \t\t0x00000011!\n" + kOk,
     .sent = {HiBuild(1, {0x89000010, 0xC00004, 0x11})}, .after = "mem 0x89000010=0x00000011"},
    {.name = "RfRegion", .presets = "set mem 0x8ABB8020 0x22", .words = "read_mem -r 1 -l 8",
     .out = "Memory region is:1!\nMemory length set to:8!\n" + kHeader + rows(0x8ABB801C, {0, 0x22}) + kOk,
     .sent = kRfSwitched +
         Msgs{HiBuild(58, {0, 0x8ABB801C, 3}), HiBuild(58, {0, 0x8ABB8020, 3}), HiBuild(686, {0, 0})}},
    {.name = "RfRegionNoBytes", .words = "read_mem -r 1 -l 0",
     .out = "Memory region is:1!\nMemory length set to:0!\n" + kHeader + "\n" + kOk,
     .sent = kRfSwitched + Msgs{HiBuild(686, {0, 0})}},
    {.name = "ParameterBlockRegion", .presets = "set mem 0x00080008 0x33", .words = "read_mem -r 2 -l 12",
     .out = "Memory region is:2!\nMemory length set to:12!\n" + kHeader + rows(0x00080000, {0, 0, 0x33}) +
         kOk,
     .sent = {HiBuild(0, {0x80000, 0xC0000C})}},
    {.name = "Length1024", .words = "read_mem -a 0x0 -l 1024",
     .out = "Memory start address set to 0x00000000!\nMemory length set to:1024!\n" + kHeader +
         rows(0, Words(256, 0)) + kOk,
     .sent = {HiBuild(0, {0, 0xC00400})}},
    {.name = "Length1025", .words = "read_mem -l 1025", .out = kTooLong + "Params set error!\n" + kError},
    {.name = "LengthFromTheSettingsFile", .settings = SettingsFile("[memory]\nmem_length=1028\n"),
     .words = "read_mem", .out = kTooLong + kError},
    {.name = "HwWriteFails", .presets = "fault 8 refuse 7", .words = "hw_write_reg 0x20 0x5",
     .out = "Write address set to \t0x00000020!\nWrite data is \t\t0x00000005!\n" + kRefused +
         failed("RQM_HwWriteReg", 7) + kError,
     .sent = {HiBuild(8, {0x20, 5})}},
    {.name = "HwReadFails", .presets = "fault 7 refuse 7", .words = "hw_read_reg 0x20",
     .out = "Read address set to \t0x00000020!\n" + kRefused + failed("RQM_HwReadReg", 7) + kError,
     .sent = {HiBuild(7, {0x20, 0xFFFFFFFF})}},
    // The firmware's own status of these two is at +12.
    {.name = "HwWriteStatus", .presets = "set regstatus 32", .words = "hw_write_reg 0x20 0x5",
     .out = "Write address set to \t0x00000020!\nWrite data is \t\t0x00000005!\n" +
         failed("RQM_HwWriteReg", 32) + kError,
     .sent = {HiBuild(8, {0x20, 5})}, .after = "reg 0x20=0x00000000"},
    {.name = "HwReadStatus", .presets = "set reg 0x20 0x77;set regstatus 3", .words = "hw_read_reg 0x20",
     .out = "Read address set to \t0x00000020!\n" + failed("RQM_HwReadReg", 3) + kError,
     .sent = {HiBuild(7, {0x20, 0xFFFFFFFF})}},
    {.name = "WriteRegApb", .words = "write_reg -t APB -a 0x10 -v 0x77",
     .out = "Memory type set to:3!\nMemory start address set to 0x00000010!\n"
         "Memory value set to 0x00000077!\nWrite data: 0x00000077\n" + kOk,
     .sent = {HiBuild(1015, {0xFFFFFFFF, 3, 0x10, 0x77})},
     .after = "apb 0x10=0x00000077;ahb 0x10=0x00000000"},
    {.name = "LoadRf", .words = "load_reg -r 1 -p @/regs.txt",
     .out = "Memory region is:1!\nFile path is: @/regs.txt!\nLoad registers OK!\n" + kOk,
     .sent = kRfSwitched + Msgs{HiBuild(99, {0x10000000, 0x7000000}), HiBuild(686, {0, 0})},
     .after = "mem 0x10=0x00000007"},
    // The length is the RF access parameter here.
    {.name = "SaveRf", .presets = "set mem 0x10 0xA",
     .words = "save_reg -r 1 -l 12 -p @/list.txt -d @/dump.txt",
     .out = "Memory region is:1!\nMemory length set to:12!\nFile path is: @/list.txt!\n"
         "Dest file path is: @/dump.txt!\nSave registers OK!\n" + kOk,
     .sent = kRfSwitched + Msgs{HiBuild(58, {0, 0x10, 0xC}), HiBuild(686, {0, 0})},
     .files_after = {{"dump.txt", "0x00000010,0x0000000a\n"}}},
    // The board's "/sdcard/ram.bin" is a file of RQMSIM_RAMDIR here, and
    // the line names it.
    {.name = "ReadRegToTheRamFile", .presets = "set ahb 0x100 0x64636261;set ahb 0x104 0x68676665",
     .words = "read_reg -t AHB -a 0x100 -l 8",
     .out = "Memory type set to:2!\nMemory start address set to 0x00000100!\nMemory length set to:8!\n"
         "openfile [@/ram.bin] success!\nwrite cnt: 1 \n" + kOk,
     .sent = {HiBuild(1014, {2, 0x100, 8})}, .files_after = {{"ram.bin", "abcdefgh"}}},
    {.name = "ReadRegToTheWorkingDirectory", .env = {{"RQMSIM_RAMDIR", ""}},
     .words = "read_reg -t AHB -a 0x100 -l 4",
     .out = "Memory type set to:2!\nMemory start address set to 0x00000100!\nMemory length set to:4!\n"
         "openfile [./ram.bin] success!\nwrite cnt: 1 \n" + kOk,
     .sent = {HiBuild(1014, {2, 0x100, 4})}},
};
// clang-format on

class MemRun : public SimRows, public testing::WithParamInterface<RunRow> {};

TEST_P(MemRun, OutputWireAndChip) {
    RunRow row = GetParam();
    if (row.env.empty())
        row.env = {{"RQMSIM_RAMDIR", "@"}};
    row.files = {{"regs.txt", "0x00000010,0x00000007\n"}, {"list.txt", "0x10\n"}};
    if (row.files_after.empty() || row.files_after.back().first != "ram.bin")
        row.files_after.emplace_back("ram.bin", "");
    ctl("set connected 1");
    const RowRuns r = run_row(row, RQMCLI_SIM_PATH);
    EXPECT_EQ(r.wire.without(kDriverIds), hi_msgs(row.sent));
}

INSTANTIATE_TEST_SUITE_P(Rows, MemRun, testing::ValuesIn(kMemRuns), RowName());

// ---- in-process: read_reg, the RAM-read thread, dumps and register files ----

class InProc : public CliInProcess {
protected:
    void SetUp() override {
        CliInProcess::SetUp();
        dump_ = dir_.path() + "/ram.bin";
    }
    int read_reg(const std::string& words, const std::string& path, FILE* in = stdin) {
        Argv a("read_reg " + words);
        return read_reg_run(a.argc(), a.argv(), path.c_str(), in);
    }
    uint32_t number(const std::string& key) {
        return static_cast<uint32_t>(std::stoul(get(key), nullptr, 0));
    }

    std::string dump_;
};

// One read a run, appended to the dump file, for each bus type; an answer
// cut inside its data, a length above the buffer and a file that cannot
// be opened fail the command.
TEST_F(InProc, ReadRegAppendsEachRead) {
    start(
        "set hif 1 0x04030201;set ahb 0x100 0x04030201;set ahb 0x104 0x08070605;set apb 0x8 0x0201;"
        "fault 1014 short 13 1 after 3");
    const std::string appended = "openfile [" + dump_ + "] success!\nwrite cnt: 1 \n";
    const struct {
        const char* words;
        const char* printedType;
        int result;
        std::string last;
    } kReads[] = {
        {"-t hif -a 0x1 -l 4", "1!\nMemory start address set to 0x00000001!\nMemory length set to:4!\n", 0,
         appended},
        {"-t AHB -a 0x100 -l 6", "2!\nMemory start address set to 0x00000100!\nMemory length set to:8!\n", 0,
         appended},
        {"-t apb -a 0x8 -l 1", "3!\nMemory start address set to 0x00000008!\nMemory length set to:4!\n", 0,
         appended},
        {"-t ahb -a 0x104 -l 4", "2!\nMemory start address set to 0x00000104!\nMemory length set to:4!\n", -1,
         failed("RQM_ReadRegType", 1)}};
    for (const auto& r : kReads)
        EXPECT_EQ(printed([&] { EXPECT_EQ(read_reg(r.words, dump_), r.result); }),
                  "Memory type set to:" + (r.printedType + r.last));
    EXPECT_EQ(file_text(dump_), std::string("\1\2\3\4\1\2\3\4\5\6\7\x08\1\2\0\0", 16));
    EXPECT_EQ(printed([&] {
                  EXPECT_EQ(read_reg("-l 4", "/nonexistent-dir/ram.bin"), -1);
                  setting.mem_length = 1028;  // as the settings file may leave it
                  EXPECT_EQ(read_reg("", dump_), -1);
              }),
              "Memory length set to:4!\nopenfile [/nonexistent-dir/ram.bin] error!\n" + kTooLong);
}

// read_reg -s with its input a pipe that a typist fills once the stand-in
// has come as far as the row waits for ("KEY N": the state key reaching N).
// Presets and the state after ("KEY=VALUE") are separated by ';'.
struct StreamCase {
    const char* name;
    const char* presets;
    const char* wait;
    std::string typed;         // then the pipe is closed
    uint32_t blocks;           // taken: blocks 0, 1, ... in the file in this order
    uint32_t length;           // of each block
    std::string thread_lines;  // between the start bits and the count
    const char* after;
    const char* path = nullptr;  // nullptr: the test's dump file
    int result = 0;
};

const StreamCase kStreams[] = {
    {"InOrderUntilTheInputEnds", "set ramread length 1000;set ramread blocks 3", "ramread.taken 3", "ab\n", 3,
     1000, "", "hif 0=0x00000400;hif 1=0x00081000;ahb 0x01817bfc=0x00000000"},
    {"ZeroLengthBlocksCount", "set ramread length 0;set ramread blocks 2", "ramread.taken 2", "q", 2, 0, "",
     "ahb 0x01817bf8=0x00000000"},
    // A file that cannot take the block is named, and the command fails.
    {"FailedWriteKeepsTheBlock", "set ramread blocks 1", "ramread.produced 1", "q", 0, 0,
     "writefile [/dev/full] error!\n", "ahb 0x01817bf8=0x80000400;ramread.taken=0", "/dev/full", -1},
    // The first block reaches the file, its clear fails: the second waits.
    {"FailedClearEndsTheThread", "set ramread length 8;set ramread blocks 2;fault 1015 status 3 0 after 3",
     "ramread.produced 2", "q", 1, 8, failed("RQM_WriteRegType", 3),
     "ahb 0x01817bfc=0x80000008;ramread.taken=1"},
    // The flag sticks: the same block at every poll until the 'q'.
    {"StickyFlagUntilQ", "set ramread length 16;set ramread blocks 1;set ramread sticky 1", "ramread.taken 3",
     "q", 1, 16, "", "ramread.produced=1"},
};

class Stream : public InProc, public testing::WithParamInterface<StreamCase> {};

TEST_P(Stream, FileCountAndChip) {
    const StreamCase& c = GetParam();
    start(c.presets);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FILE* in = fdopen(fds[0], "r");
    std::thread typist([&] {
        const std::vector<std::string> wait = split(c.wait);
        const uint32_t n = static_cast<uint32_t>(std::stoul(wait[1]));
        EXPECT_TRUE(eventually([&] { return number(wait[0]) >= n; }, std::chrono::seconds(10)));
        EXPECT_EQ(write(fds[1], c.typed.data(), c.typed.size()), static_cast<ssize_t>(c.typed.size()));
        close(fds[1]);
    });
    const std::string out =
        printed([&] { EXPECT_EQ(read_reg("-s", c.path != nullptr ? c.path : dump_, in), c.result); });
    typist.join();
    fclose(in);

    const std::string text = file_text(dump_);
    const bool sticky = number("ramread.sticky") != 0;
    const size_t count = sticky ? text.size() / c.length : c.blocks;
    EXPECT_GE(count, sticky ? 3u : 0u);
    std::string expected;
    for (size_t k = 0; k < count; ++k)
        for (uint32_t i = 0; i < c.length; ++i)
            expected += static_cast<char>(sim_ram_byte(sticky ? 0 : static_cast<uint32_t>(k), i));
    EXPECT_EQ(text, expected);
    std::string echoed;
    for (char ch : c.typed)
        echoed += ch != 'q' ? std::string("read: ") + ch + "\n" : "";
    EXPECT_EQ(out,
              "We will start reading thread!\nReading mem thread begin!\nreg value: 0x00001000!\nreg value: "
              "0x00000400!\nreg value: 0x00081000!\n" +
                  c.thread_lines + echoed + "read cnt: " + std::to_string(count) +
                  " \nReading mem thread end!\n");
    expect_state(c.after);
}

INSTANTIATE_TEST_SUITE_P(Rows, Stream, testing::ValuesIn(kStreams), RowName());

TEST_F(InProc, BufferReadsAndBadBufferNumbers) {
    start();
    std::vector<uint8_t> block(RAM_BUFFER_SIZE);
    EXPECT_EQ(read_ram_data(1, 2500, block.data()), 0);
    EXPECT_EQ(read_ram_data(0, 2561, block.data()), -1);
    EXPECT_EQ(printed([] { EXPECT_EQ(clear_flag_and_len(2), -1); }), "bad ram number: 2!\n");
    EXPECT_EQ(sent().with({1014}), hi_msgs({HiBuild(1014, {2, 0x01818600, 1024}),
                                            HiBuild(1014 | 1 << HI_MSG_SEQ_SHIFT, {2, 0x01818A00, 1024}),
                                            HiBuild(1014 | 2 << HI_MSG_SEQ_SHIFT, {2, 0x01818E00, 452})}));
}

// Registers in two runs of consecutive addresses: written as two blocks,
// read back as memory, saved in the form the parser reads.
TEST_F(InProc, GeneratedRegisterFileRoundTrip) {
    start();
    std::string text;
    char line[64];
    for (uint32_t i = 0, addrs[] = {0x100, 0x104, 0x108, 0x200}; i < 4; ++i) {
        snprintf(line, sizeof line, "REG_%u\thex%08X = hex%X\n", i, addrs[i], 0x11 * (i + 1));
        text += line;
    }
    ASSERT_TRUE(dir_.write("regs.txt", text));
    printed([&] { EXPECT_EQ(RQM_reg_file_parse((dir_.path() + "/regs.txt").c_str()), 0); });
    EXPECT_EQ(RQM_reg_file_write(ctx_), 0);
    EXPECT_EQ(RQM_reg_file_read(ctx_), 0);
    EXPECT_EQ(RQM_reg_file_write_ex(ctx_), 0);
    // Numbered: the API's session made the connect handshake.
    EXPECT_EQ(sent().without({5, 6}), hi_msgs({HiBuild(1, {0x100, 0xC0000C, 0x11, 0x22, 0x33}),
                                               HiBuild(1 | 1 << HI_MSG_SEQ_SHIFT, {0x200, 0xC00004, 0x44}),
                                               HiBuild(0 | 2 << HI_MSG_SEQ_SHIFT, {0x100, 0xC0000C}),
                                               HiBuild(0 | 3 << HI_MSG_SEQ_SHIFT, {0x200, 0xC00004})}));
    EXPECT_EQ(sent().ids({5, 6}), (std::vector<unsigned>{6, 5}));
    EXPECT_EQ(RQM_reg_file_read_ex(ctx_, (dir_.path() + "/saved.txt").c_str()), 0);
    EXPECT_EQ(file_text(dir_.path() + "/saved.txt"), text);
}

std::string dump_report(int code) {
    return failed("RQM_DumpRegistersToFileProcess", code) + failed("RQM_DumpRegistersToFile", code);
}

struct DumpCase {
    const char* name;
    const char* preset;
    std::string list;
    int result;
    std::string file;  // "-": not there
    std::string printed = "";
    const char* out = nullptr;  // nullptr: dump.txt in the test's directory
};

const DumpCase kDumps[] = {
    {"EmptyList", "", "// none\n", 0, ""},
    {"Format", "set mem 0xfffffffc 0x80000001", "0xfffffffc 0\n", 0,
     "0xfffffffc,0x80000001\n0x00000000,0x00000000\n"},
    {"ReadFailsLeavesTheFileEmpty", "fault 0 status 3", "0x10,0x14", 3, "",
     failed("RQM_ReadMemory", 3) + failed("RQM_ReadRegister", 3) + dump_report(3)},
    {"UnwritableOutput", "", "0x10\n", 37, "-", dump_report(37), "/nonexistent-dir/dump.txt"},
};

class Dump : public InProc, public testing::WithParamInterface<DumpCase> {};

TEST_P(Dump, ResultAndFile) {
    const DumpCase& c = GetParam();
    start(c.preset);
    ASSERT_TRUE(dir_.write("list.txt", c.list));
    const std::string out = c.out != nullptr ? c.out : dir_.path() + "/dump.txt";
    EXPECT_EQ(printed([&] {
                  EXPECT_EQ(RQM_DumpRegistersToFile(ctx_, (dir_.path() + "/list.txt").c_str(), out.c_str()),
                            c.result);
              }),
              c.printed);
    EXPECT_EQ(access(out.c_str(), F_OK) == 0 ? file_text(out) : "-", c.file);
}

INSTANTIATE_TEST_SUITE_P(Rows, Dump, testing::ValuesIn(kDumps), RowName());

}  // namespace
