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
const std::string kRfSwitched = "687:0 686:0,1 ";  // the com-bus mode read, then mode 1

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

std::string file_text(const std::string& path) {
    std::string text;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        for (int ch; (ch = fgetc(f)) != EOF;)
            text += static_cast<char>(ch);
        fclose(f);
    }
    return text;
}

// Each '@' of text replaced by dir.
std::string at_dir(std::string text, const std::string& dir) {
    for (size_t p; (p = text.find('@')) != std::string::npos;)
        text.replace(p, 1, dir);
    return text;
}

// "@" is the test's directory, which holds regs.txt (a register-value
// record) and list.txt (an address list), and is the run's RQMSIM_RAMDIR
// unless the row names another. sent: wire_text of the requests but the
// driver's; after: "key=value" of the chip.
struct MemRunCase {
    const char* name;
    const char* presets;
    const char* words;
    std::string out;  // before the closing line, which is OK unless out ends with the error line
    std::string sent;
    const char* after = "";
    const char* settings = "";
    std::string dump = "";  // @/dump.txt
    std::string ram = "";   // @/ram.bin
    const char* ramdir = "@";
};

const MemRunCase kMemRuns[] = {
    {"Aligned", "set mem 0x89000010 0xCAFEF00D", "read_mem -r 0 -l 32",
     "Memory region is:0!\nMemory length set to:32!\n" + kHeader +
         rows(0x89000000, {0, 0, 0, 0, 0xCAFEF00D, 0, 0, 0}),
     "0:89000000,c00020"},
    {"UnalignedRead", "set mem 0x89000010 0xAABBCCDD", "read_mem -a 0x89000012 -l 5",
     "Memory start address set to 0x89000012!\nMemory length set to:8!\n" + kHeader +
         rows(0x89000012, {0xAABB, 0}),
     "0:89000012,c00008"},
    {"UnalignedWrite", "", "write_mem 0x89000013 0x11",
     "WARNING:Address should be multiple of 4 !\nWrite address set to \t0x89000010!\nWrite data is "
     "\t\t0x00000011!\n",
     "1:89000010,c00004,11", "mem 0x89000010=0x00000011"},
    {"RfRegion", "set mem 0x8ABB8020 0x22", "read_mem -r 1 -l 8",
     "Memory region is:1!\nMemory length set to:8!\n" + kHeader + rows(0x8ABB801C, {0, 0x22}),
     kRfSwitched + "58:0,8abb801c,3 58:0,8abb8020,3 686:0,0"},
    {"RfRegionNoBytes", "", "read_mem -r 1 -l 0",
     "Memory region is:1!\nMemory length set to:0!\n" + kHeader + "\n", kRfSwitched + "686:0,0"},
    {"ParameterBlockRegion", "set mem 0x00080008 0x33", "read_mem -r 2 -l 12",
     "Memory region is:2!\nMemory length set to:12!\n" + kHeader + rows(0x00080000, {0, 0, 0x33}),
     "0:80000,c0000c"},
    {"Length1024", "", "read_mem -a 0x0 -l 1024",
     "Memory start address set to 0x00000000!\nMemory length set to:1024!\n" + kHeader +
         rows(0, Words(256, 0)),
     "0:0,c00400"},
    {"Length1025", "", "read_mem -l 1025", kTooLong + "Params set error!\n" + kError, ""},
    {"LengthFromTheSettingsFile", "", "read_mem", kTooLong + kError, "", "", "[memory]\nmem_length=1028\n"},
    {"HwWriteFails", "fault 8 refuse 7", "hw_write_reg 0x20 0x5",
     "Write address set to \t0x00000020!\nWrite data is \t\t0x00000005!\n" + kRefused +
         failed("RQM_HwWriteReg", 7) + kError,
     "8:20,5"},
    {"HwReadFails", "fault 7 refuse 7", "hw_read_reg 0x20",
     "Read address set to \t0x00000020!\n" + kRefused + failed("RQM_HwReadReg", 7) + kError, "7:20,ffffffff"},
    // The firmware's own status of these two is at +12.
    {"HwWriteStatus", "set regstatus 32", "hw_write_reg 0x20 0x5",
     "Write address set to \t0x00000020!\nWrite data is \t\t0x00000005!\n" + failed("RQM_HwWriteReg", 32) +
         kError,
     "8:20,5", "reg 0x20=0x00000000"},
    {"HwReadStatus", "set reg 0x20 0x77;set regstatus 3", "hw_read_reg 0x20",
     "Read address set to \t0x00000020!\n" + failed("RQM_HwReadReg", 3) + kError, "7:20,ffffffff"},
    {"WriteRegApb", "", "write_reg -t APB -a 0x10 -v 0x77",
     "Memory type set to:3!\nMemory start address set to 0x00000010!\nMemory value set to 0x00000077!\nWrite "
     "data: 0x00000077\n",
     "1015:ffffffff,3,10,77", "apb 0x10=0x00000077;ahb 0x10=0x00000000"},
    {"LoadRf", "", "load_reg -r 1 -p @/regs.txt",
     "Memory region is:1!\nFile path is: @/regs.txt!\nLoad registers OK!\n",
     kRfSwitched + "99:10000000,7000000 686:0,0", "mem 0x10=0x00000007"},
    // The length is the RF access parameter here.
    {"SaveRf", "set mem 0x10 0xA", "save_reg -r 1 -l 12 -p @/list.txt -d @/dump.txt",
     "Memory region is:1!\nMemory length set to:12!\nFile path is: @/list.txt!\nDest file path is: "
     "@/dump.txt!\nSave registers OK!\n",
     kRfSwitched + "58:0,10,c 686:0,0", "", "", "0x00000010,0x0000000a\n"},
    // The board's "/sdcard/ram.bin" is a file of RQMSIM_RAMDIR here, and
    // the line names it.
    {"ReadRegToTheRamFile", "set ahb 0x100 0x64636261;set ahb 0x104 0x68676665",
     "read_reg -t AHB -a 0x100 -l 8",
     "Memory type set to:2!\nMemory start address set to 0x00000100!\nMemory length set to:8!\nopenfile "
     "[@/ram.bin] success!\nwrite cnt: 1 \n",
     "1014:2,100,8", "", "", "", "abcdefgh"},
    {"ReadRegToTheWorkingDirectory", "", "read_reg -t AHB -a 0x100 -l 4",
     "Memory type set to:2!\nMemory start address set to 0x00000100!\nMemory length set to:4!\nopenfile "
     "[./ram.bin] success!\nwrite cnt: 1 \n",
     "1014:2,100,4", "", "", "", "", ""},
};

class MemRun : public SimRows, public testing::WithParamInterface<MemRunCase> {};

TEST_P(MemRun, OutputWireAndChip) {
    const MemRunCase& c = GetParam();
    TempDir dir;
    ASSERT_TRUE(dir.write("regs.txt", "0x00000010,0x00000007\n") && dir.write("list.txt", "0x10\n"));
    presets(std::string("set connected 1;") + c.presets);
    const CliRun r = run_on_sim(RQMCLI_SIM_PATH, split(at_dir(c.words, dir.path())), settings_of(c.settings),
                                10000, {{"RQMSIM_RAMDIR", at_dir(c.ramdir, dir.path())}});
    EXPECT_EQ(r.out, at_dir(c.out + (c.out.ends_with(kError) ? "" : kOk), dir.path()))
        << testing::PrintToString(r);
    EXPECT_EQ(wire_text(r.wire, kDriverIds), c.sent);
    expect_state(c.after);
    EXPECT_EQ(c.dump.empty() ? "" : file_text(dir.path() + "/dump.txt"), c.dump);
    EXPECT_EQ(file_text(dir.path() + "/ram.bin"), c.ram);
}

INSTANTIATE_TEST_SUITE_P(Rows, MemRun, testing::ValuesIn(kMemRuns), RowName());

// ---- in-process: read_reg, the RAM-read thread, dumps and register files ----

class InProc : public CliInProcess {
protected:
    void SetUp() override {
        CliInProcess::SetUp();
        ASSERT_TRUE(dir_.ok());
        dump_ = dir_.path() + "/ram.bin";
    }
    int read_reg(const std::string& words, const std::string& path, FILE* in = stdin) {
        Argv a("read_reg " + words);
        return read_reg_run(a.argc(), a.argv(), path.c_str(), in);
    }
    uint32_t number(const std::string& key) {
        return static_cast<uint32_t>(std::stoul(get(key), nullptr, 0));
    }

    TempDir dir_;
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
    EXPECT_EQ(sent().words(1014),
              (std::vector<Words>{{2, 0x01818600, 1024}, {2, 0x01818A00, 1024}, {2, 0x01818E00, 452}}));
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
    EXPECT_EQ(wire_text(sent(), {5, 6}), "1:100,c0000c,11,22,33 1:200,c00004,44 0:100,c0000c 0:200,c00004");
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
