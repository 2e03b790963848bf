// The memory and register commands against the stand-in: whole runs with
// what they print, send and leave in the chip; then, in-process with the
// dump file in a temporary directory, read_reg and its RAM-read thread fed
// from a pipe, and the register dumps and register files of the API.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "api/rqm_api.h"
#include "cli/main.h"
#include "cli/read_ram_thread.h"
#include "sim/sim_fw_ramread.h"
#include "tests/support/cli_run.h"
#include "tests/support/sim_fixture.h"
#include "tests/support/threads.h"

namespace {

using Gets = std::vector<std::pair<std::string, std::string>>;

const std::string kError = "Sending CMD error!\n";
const std::string kHeader =
    "\nRead memory:\n\n  Address\t  00\t     04 \t08\t   0C\t      10\t 14\t    18\t       1C\n";
const std::string kTooLong = "Memory length should be 0 to 1024!\n";
const std::string kRefused = "RQM not connect,please connect first!\n";

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

// Each message as its id and its words from 4.
Words rd(uint32_t addr, uint32_t n) {
    return {0, addr, n | 0x00C00000};
}
Words rf(uint32_t addr, uint32_t param) {
    return {58, 0, addr, param};
}
const Words kModeRead = {687, 0};
Words mode(uint32_t m) {
    return {686, 0, m};
}

// Words are split at spaces, presets at ';'; "@" is the test's
// directory, which holds regs.txt (a register-value record) and list.txt
// (an address list).
struct MemRunCase {
    const char* name;
    const char* presets;
    const char* words;
    std::string out;  // before the closing line, which is OK unless out ends with the error line
    std::vector<Words> sent;
    Gets after = {};
    const char* settings = "";
    std::string dump = "";  // @/dump.txt
};

const MemRunCase kMemRuns[] = {
    {"Aligned",
     "set mem 0x89000010 0xCAFEF00D",
     "read_mem -r 0 -l 32",
     "Memory region is:0!\nMemory length set to:32!\n" + kHeader +
         rows(0x89000000, {0, 0, 0, 0, 0xCAFEF00D, 0, 0, 0}),
     {rd(0x89000000, 32)}},
    {"UnalignedRead",
     "set mem 0x89000010 0xAABBCCDD",
     "read_mem -a 0x89000012 -l 5",
     "Memory start address set to 0x89000012!\nMemory length set to:8!\n" + kHeader +
         rows(0x89000012, {0xAABB, 0}),
     {rd(0x89000012, 8)}},
    {"UnalignedWrite",
     "",
     "write_mem 0x89000013 0x11",
     "WARNING:Address should be multiple of 4 !\nWrite address set to \t0x89000010!\nWrite data is "
     "\t\t0x00000011!\n",
     {{1, 0x89000010, 0x00C00004, 0x11}},
     {{"mem 0x89000010", "0x00000011"}}},
    {"RfRegion",
     "set mem 0x8ABB8020 0x22",
     "read_mem -r 1 -l 8",
     "Memory region is:1!\nMemory length set to:8!\n" + kHeader + rows(0x8ABB801C, {0, 0x22}),
     {kModeRead, mode(1), rf(0x8ABB801C, 3), rf(0x8ABB8020, 3), mode(0)}},
    {"RfRegionNoBytes",
     "",
     "read_mem -r 1 -l 0",
     "Memory region is:1!\nMemory length set to:0!\n" + kHeader + "\n",
     {kModeRead, mode(1), mode(0)}},
    {"ParameterBlockRegion",
     "set mem 0x00080008 0x33",
     "read_mem -r 2 -l 12",
     "Memory region is:2!\nMemory length set to:12!\n" + kHeader + rows(0x00080000, {0, 0, 0x33}),
     {rd(0x00080000, 12)}},
    {"Length1024",
     "",
     "read_mem -a 0x0 -l 1024",
     "Memory start address set to 0x00000000!\nMemory length set to:1024!\n" + kHeader +
         rows(0, Words(256, 0)),
     {rd(0, 1024)}},
    {"Length1025", "", "read_mem -l 1025", kTooLong + "Params set error!\n" + kError, {}},
    {"LengthFromTheSettingsFile", "", "read_mem", kTooLong + kError, {}, {}, "[memory]\nmem_length=1028\n"},
    {"HwWriteFails",
     "fault 8 refuse 7",
     "hw_write_reg 0x20 0x5",
     "Write address set to \t0x00000020!\nWrite data is \t\t0x00000005!\n" + kRefused +
         "RQM_HwWriteReg failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n" + kError,
     {{8, 0x20, 5}}},
    {"HwReadFails",
     "fault 7 refuse 7",
     "hw_read_reg 0x20",
     "Read address set to \t0x00000020!\n" + kRefused +
         "RQM_HwReadReg failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n" + kError,
     {{7, 0x20, 0xFFFFFFFF}}},
    {"WriteRegApb",
     "",
     "write_reg -t APB -a 0x10 -v 0x77",
     "Memory type set to:3!\nMemory start address set to 0x00000010!\nMemory value set to 0x00000077!\nWrite "
     "data: 0x00000077\n",
     {},
     {{"apb 0x10", "0x00000077"}, {"ahb 0x10", "0x00000000"}}},
    {"LoadRf",
     "",
     "load_reg -r 1 -p @/regs.txt",
     "Memory region is:1!\nFile path is: @/regs.txt!\nLoad registers OK!\n",
     {kModeRead, mode(1), {99, 0x10000000, 0x07000000}, mode(0)},
     {{"mem 0x10", "0x00000007"}}},
    // The length is the RF access parameter here.
    {"SaveRf",
     "set mem 0x10 0xA",
     "save_reg -r 1 -l 12 -p @/list.txt -d @/dump.txt",
     "Memory region is:1!\nMemory length set to:12!\nFile path is: @/list.txt!\nDest file path is: "
     "@/dump.txt!\nSave registers OK!\n",
     {kModeRead, mode(1), rf(0x10, 12), mode(0)},
     {},
     "",
     "0x00000010,0x0000000a\n"},
};

std::vector<std::string> split(const std::string& text, const std::string& dir) {
    std::vector<std::string> out;
    std::string cur;
    for (char ch : text + ";") {
        if (ch == '@') {
            cur += dir;
        } else if (ch != ' ' && ch != ';') {
            cur += ch;
        } else if (!cur.empty()) {
            out.push_back(cur);
            cur.clear();
        }
    }
    return out;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, ';');)
        out.push_back(line);
    return out;
}

class MemRun : public WithSim, public testing::WithParamInterface<MemRunCase> {};

TEST_P(MemRun, OutputWireAndChip) {
    const MemRunCase& c = GetParam();
    TempDir dir;
    ASSERT_TRUE(dir.write("regs.txt", "0x00000010,0x00000007\n") && dir.write("list.txt", "0x10\n"));
    ctl("set connected 1");
    for (const std::string& line : lines(c.presets))
        ctl(line);
    const CliRun r = run_on_sim(RQMCLI_SIM_PATH, split(c.words, dir.path()),
                                *c.settings == '\0' ? SettingsFile() : SettingsFile(c.settings));
    std::string out = c.out + (c.out.ends_with(kError) ? "" : "Sending CMD OK!\n");
    for (size_t p; (p = out.find('@')) != std::string::npos;)
        out.replace(p, 1, dir.path());
    EXPECT_EQ(r.out, out) << testing::PrintToString(r);
    std::vector<Words> sent;
    for (const HiMsg& m : r.wire.all())
        if (m.id() < 993) {
            sent.push_back({m.id()});
            for (uint32_t w : m.words())
                sent.back().push_back(w);
        }
    EXPECT_EQ(sent, c.sent);
    for (const auto& [key, value] : c.after)
        EXPECT_EQ(get(key), value) << key;
    EXPECT_EQ(c.dump.empty() ? "" : file_text(dir.path() + "/dump.txt"), c.dump);
}

INSTANTIATE_TEST_SUITE_P(Rows, MemRun, testing::ValuesIn(kMemRuns),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- in-process: read_reg, the RAM-read thread, dumps and register files ----

class InProc : public InProcessOn<WithSim> {
protected:
    void SetUp() override {
        InProcessOn<WithSim>::SetUp();
        InitSettings(&setting);
        ASSERT_TRUE(dir_.ok());
        dump_ = dir_.path() + "/ram.bin";
    }
    void TearDown() override {
        g_rqm_config.pRqmApiContext = nullptr;
        InProcessOn<WithSim>::TearDown();
    }
    void start(const std::vector<std::string>& presets) {
        open(presets);
        g_rqm_config.pRqmApiContext = ctx_;
    }
    int read_reg(const std::string& words, const std::string& path, FILE* in = stdin) {
        std::vector<std::string> w = split("rqmcli read_reg " + words, "");
        std::vector<char*> argv;
        for (std::string& s : w)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        return read_reg_run(static_cast<int>(w.size()), argv.data(), path.c_str(), in);
    }
    uint32_t number(const std::string& key) {
        return static_cast<uint32_t>(std::stoul(get(key), nullptr, 0));
    }

    TempDir dir_;
    std::string dump_;
};

// One read a run, appended to the dump file, for each bus type; a length
// above the buffer and a file that cannot be opened fail the command.
TEST_F(InProc, ReadRegAppendsEachRead) {
    start({"set hif 1 0x04030201", "set ahb 0x100 0x04030201", "set ahb 0x104 0x08070605",
           "set apb 0x8 0x0201"});
    const std::pair<const char*, const char*> kReads[] = {
        {"-t hif -a 0x1 -l 4",
         "Memory type set to:1!\nMemory start address set to 0x00000001!\n"
         "Memory length set to:4!\n"},
        {"-t AHB -a 0x100 -l 6",
         "Memory type set to:2!\nMemory start address set to 0x00000100!\n"
         "Memory length set to:8!\n"},
        {"-t apb -a 0x8 -l 1",
         "Memory type set to:3!\nMemory start address set to 0x00000008!\n"
         "Memory length set to:4!\n"}};
    for (const auto& [words, printed] : kReads) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(read_reg(words, dump_), 0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  printed + ("openfile [" + dump_ + "] success!\nwrite cnt: 1 \n"));
    }
    EXPECT_EQ(file_text(dump_), std::string("\1\2\3\4\1\2\3\4\5\6\7\x08\1\2\0\0", 16));
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_reg("-l 4", "/nonexistent-dir/ram.bin"), -1);
    setting.mem_length = 1028;  // as the settings file may leave it
    EXPECT_EQ(read_reg("", dump_), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
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
};

const StreamCase kStreams[] = {
    {"InOrderUntilTheInputEnds", "set ramread length 1000;set ramread blocks 3", "ramread.taken 3", "ab\n", 3,
     1000, "", "hif 0=0x00000400;hif 1=0x00081000;ahb 0x01817bfc=0x00000000"},
    {"ZeroLengthBlocksCount", "set ramread length 0;set ramread blocks 2", "ramread.taken 2", "q", 2, 0, "",
     "ahb 0x01817bf8=0x00000000"},
    {"FailedWriteKeepsTheBlock", "set ramread blocks 1", "ramread.produced 1", "q", 0, 0, "",
     "ahb 0x01817bf8=0x80000400;ramread.taken=0", "/dev/full"},
    // The first block reaches the file, its clear fails: the second waits.
    {"FailedClearEndsTheThread", "set ramread length 8;set ramread blocks 2;fault 1015 status 3 0 after 3",
     "ramread.produced 2", "q", 1, 8, "RQM_WriteRegType failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n",
     "ahb 0x01817bfc=0x80000008;ramread.taken=1"},
    // The flag sticks: the same block at every poll until the 'q'.
    {"StickyFlagUntilQ", "set ramread length 16;set ramread blocks 1;set ramread sticky 1", "ramread.taken 3",
     "q", 1, 16, "", "ramread.produced=1"},
};

class Stream : public InProc, public testing::WithParamInterface<StreamCase> {};

TEST_P(Stream, FileCountAndChip) {
    const StreamCase& c = GetParam();
    start(lines(c.presets));
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FILE* in = fdopen(fds[0], "r");
    std::thread typist([&] {
        const std::string wait = c.wait;
        const uint32_t n = static_cast<uint32_t>(std::stoul(wait.substr(wait.find(' ') + 1)));
        EXPECT_TRUE(eventually([&] { return number(wait.substr(0, wait.find(' '))) >= n; },
                               std::chrono::seconds(10)));
        EXPECT_EQ(write(fds[1], c.typed.data(), c.typed.size()), static_cast<ssize_t>(c.typed.size()));
        close(fds[1]);
    });
    testing::internal::CaptureStdout();
    EXPECT_EQ(read_reg("-s", c.path != nullptr ? c.path : dump_, in), 0);
    const std::string out = testing::internal::GetCapturedStdout();
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
    for (const std::string& kv : lines(c.after))
        EXPECT_EQ(get(kv.substr(0, kv.find('='))), kv.substr(kv.find('=') + 1)) << kv;
}

INSTANTIATE_TEST_SUITE_P(Rows, Stream, testing::ValuesIn(kStreams),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InProc, BufferReadsAndBadBufferNumbers) {
    start({});
    std::vector<uint8_t> block(RAM_BUFFER_SIZE);
    EXPECT_EQ(read_ram_data(1, 2500, block.data()), 0);
    EXPECT_EQ(read_ram_data(0, 2561, block.data()), -1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(clear_flag_and_len(2), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "bad ram number: 2!\n");
    EXPECT_EQ(HiLog(sim().received()).words(1014),
              (std::vector<Words>{{2, 0x01818600, 1024}, {2, 0x01818A00, 1024}, {2, 0x01818E00, 452}}));
}

// Registers in two runs of consecutive addresses: written as two blocks,
// read back as memory, saved in the form the parser reads.
TEST_F(InProc, GeneratedRegisterFileRoundTrip) {
    start({});
    std::string text;
    char line[64];
    for (uint32_t i = 0, addrs[] = {0x100, 0x104, 0x108, 0x200}; i < 4; ++i) {
        snprintf(line, sizeof line, "REG_%u\thex%08X = hex%X\n", i, addrs[i], 0x11 * (i + 1));
        text += line;
    }
    ASSERT_TRUE(dir_.write("regs.txt", text));
    testing::internal::CaptureStdout();
    ASSERT_EQ(RQM_reg_file_parse((dir_.path() + "/regs.txt").c_str()), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(RQM_reg_file_write(ctx_), 0);
    EXPECT_EQ(RQM_reg_file_read(ctx_), 0);
    EXPECT_EQ(RQM_reg_file_write_ex(ctx_), 0);
    const HiLog log(sim().received());
    EXPECT_EQ(log.words(1),
              (std::vector<Words>{{0x100, 0x00C0000C, 0x11, 0x22, 0x33}, {0x200, 0x00C00004, 0x44}}));
    EXPECT_EQ(log.words(0), (std::vector<Words>{{0x100, 0x00C0000C}, {0x200, 0x00C00004}}));
    EXPECT_EQ(log.ids({5, 6}), (std::vector<unsigned>{6, 5}));
    EXPECT_EQ(RQM_reg_file_read_ex(ctx_, (dir_.path() + "/saved.txt").c_str()), 0);
    EXPECT_EQ(file_text(dir_.path() + "/saved.txt"), text);
}

struct DumpCase {
    const char* name;
    const char* preset;
    std::string list;
    const char* out;  // nullptr: dump.txt in the test's directory
    int result;
    std::string file;  // "-": not there
    std::string printed;
};

const std::string kDumpReport =
    "RQM_DumpRegistersToFileProcess failed (%)\nRQM_DumpRegistersToFile failed (%)\n";

const DumpCase kDumps[] = {
    {"EmptyList", "", "// none\n", nullptr, 0, "", ""},
    {"Format", "set mem 0xfffffffc 0x80000001", "0xfffffffc 0\n", nullptr, 0,
     "0xfffffffc,0x80000001\n0x00000000,0x00000000\n", ""},
    {"ReadFailsLeavesTheFileEmpty", "fault 0 status 3", "0x10,0x14", nullptr, 3, "",
     "RQM_ReadMemory failed (%)\nRQM_ReadRegister failed (%)\n" + kDumpReport},
    {"UnwritableOutput", "", "0x10\n", "/nonexistent-dir/dump.txt", 37, "-", kDumpReport},
};

class Dump : public InProc, public testing::WithParamInterface<DumpCase> {};

TEST_P(Dump, ResultAndFile) {
    const DumpCase& c = GetParam();
    start(lines(c.preset));
    ASSERT_TRUE(dir_.write("list.txt", c.list));
    const std::string out = c.out != nullptr ? c.out : dir_.path() + "/dump.txt";
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_DumpRegistersToFile(ctx_, (dir_.path() + "/list.txt").c_str(), out.c_str()), c.result);
    std::string printed = c.printed;
    const char* why = c.result == 3 ? "3:BOOT_ERR_FILE_SIZE\tFirmware error!" : "37:unknown error";
    for (size_t p; (p = printed.find('%')) != std::string::npos;)
        printed.replace(p, 1, why);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), printed);
    EXPECT_EQ(access(out.c_str(), F_OK) == 0 ? file_text(out) : "-", c.file);
}

INSTANTIATE_TEST_SUITE_P(Rows, Dump, testing::ValuesIn(kDumps),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
