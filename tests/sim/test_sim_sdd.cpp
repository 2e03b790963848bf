// The driver's SDD: the path query (995), one element of the SDD in use
// (1017), and message 54 as configuration or download, with the SDD in use
// each leaves behind; then what changes the SDD in use: presets, the file
// at the path, and the chunked download; last, the SDD and the file the
// stand-in starts with, its own or the user's.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include <regex>

#include "sim/sim_util.h"
#include "tests/sim/sim_test_util.h"
#include "tests/support/cli_run.h"

namespace {

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes path_query() {
    return hi(995, {0, 0, 0});
}
Bytes element_query(uint8_t id) {
    return msg(1017, {0, id});
}
Bytes path_answer(uint32_t len, const std::string& path) {
    Bytes body = {0, 0, 0, 0, static_cast<uint8_t>(len), static_cast<uint8_t>(len >> 8), 0, 0};
    return padded(msg(0x7E3, cat(body, text(path))));
}
Bytes element_answer(const Bytes& data) {
    Bytes body = {0, 0, 0, 0, static_cast<uint8_t>(data.size()), 0, 0, 0};
    return padded(msg(0x7F9, cat(body, data)));
}
const Bytes kElementAbsent = hi(0x7F9, {1, 0});

// What a fresh stand-in runs on: version 2.3, the frequency offset 66, and
// the user powers 18, 17.5, ... 13 dBm and an unused row, as 16 x (dBm + 3)
// in 0xE3 and as 16 x dBm in 0xB0.
const std::string kBootSdd =
    "c0020203"
    "c9024200"
    "e318"
    "500148014001380130012801200118011001080100010000"
    "b018"
    "20011801100108010001f800f000e800e000d800d0000000";
const Bytes kCnf54 = hi(0x436, {0});

const std::string k64 = "/" + std::string(59, 'p') + ".sdd";  // 64 bytes
// Version 2.3, a filler, a frequency offset, an empty element.
const std::string kSdd =
    "c0020203"
    "21030a0b0c"
    "c9026400"
    "d500";

const Exchange kCases[] = {
    // ---- 995 ----
    {"PathSet",
     {"set sddpath /lib/firmware/rqm/rqm_sdd.sdd"},
     {path_query()},
     {path_answer(29, "/lib/firmware/rqm/rqm_sdd.sdd")}},
    {"PathOf64Bytes", {"set sddpath " + k64}, {path_query()}, {path_answer(64, k64)}},
    {"PathLength70CarryingFew",
     {"set sddpath /t/a.sdd", "set sddpath_len 70"},
     {path_query()},
     {path_answer(70, "/t/a.sdd")}},
    {"PathLengthBackToTruth",
     {"set sddpath /t/a.sdd", "set sddpath_len 70", "set sddpath_len auto"},
     {path_query()},
     {path_answer(8, "/t/a.sdd")},
     {{"sddpath_len", "auto"}}},
    // ---- 1017, answered in any state ----
    {"ElementVersion", {"set sdd " + kSdd}, {element_query(0xC0)}, {element_answer({2, 3})}},
    {"ElementAfterAFiller", {"set sdd " + kSdd}, {element_query(0xC9)}, {element_answer({0x64, 0})}},
    {"ElementEmpty", {"set sdd " + kSdd}, {element_query(0xD5)}, {element_answer({})}},
    {"ElementAbsent", {"set sdd " + kSdd}, {element_query(0xB0)}, {kElementAbsent}},
    {"ElementNoSdd", {"set sdd"}, {element_query(0xC0)}, {kElementAbsent}, {{"sdd", "none"}}},
    {"ElementFirstOfTwo", {"set sdd C90101C90102"}, {element_query(0xC9)}, {element_answer({1})}},
    // An element cut off by the end is not handed out, nor what lies
    // behind the cut.
    {"ElementRunningPastTheEnd", {"set sdd C0020203B00401"}, {element_query(0xB0)}, {kElementAbsent}},
    // ---- one element preset: replaced in place, added, cut short, taken out ----
    {"ElementReplaced",
     {"set sdd " + kSdd, "set sddelem 0xC9 07"},
     {element_query(0xC9)},
     {element_answer({7})},
     {{"sdd", "c002020321030a0b0cc90107d500"}}},
    {"ElementAddedBeforeACutTail",
     {"set sdd C0020203B00401", "set sddelem 0xE3 d000"},
     {element_query(0xE3)},
     {element_answer({0xD0, 0})},
     {{"sdd", "c0020203e302d000b00401"}}},
    {"ElementTakenOut",
     {"set sdd " + kSdd, "set sddelem 0xC0 none"},
     {element_query(0xC0)},
     {kElementAbsent},
     {{"sddelem 0xC0", "none"}, {"sddelem 0xC9", "6400"}}},
    // ---- 54 ----
    {"ConfigKeepsNothing",
     {"set connected 1", "set sdd " + kSdd},
     {hi(54, {1})},
     {kCnf54},
     {{"download sdd54", "none"}, {"sdd", kSdd}}},
    {"DownloadBecomesTheSddInUse",
     {"set connected 1", "set sdd " + kSdd},
     {msg(54, {0xC0, 2, 2, 5, 1, 0, 0, 0})},
     {kCnf54},
     {{"download sdd54", "bytes c002020501000000"}, {"sdd", "c0020205"}}},
    {"DownloadOfEmptyPath",
     {"set connected 1", "set sdd " + kSdd},
     {hi(54, {2})},
     {kCnf54},
     {{"download sdd54", "bytes 02000000"}, {"sdd", kSdd}}},
    {"DownloadOfRemoteName",
     {"set connected 1", "set sdd " + kSdd},
     {msg(54, {'^', 'a', 0, 1, 0, 0, 0})},
     {kCnf54},
     {{"download sdd54", "bytes 5e610001000000"}, {"sdd", kSdd}}},
    {"DownloadNotConnected",
     {"set sdd " + kSdd},
     {msg(54, {0xC0, 2, 2, 5, 1, 0, 0, 0})},
     {boot(1, 7)},
     {{"download sdd54", "none"}, {"sdd", kSdd}}},
    // The chunked download of a file's bytes changes the SDD in use; one
    // that carries a name does not.
    {"ChunkedDownloadOfAName",
     {"set sdd C0020201"},
     {chunk(1021, 0, 4 | 2, text("/x.sdd"))},
     {boot(4, 0)},
     {{"sdd", "c0020201"}}},
    {"ChunkedDownloadOfBytes",
     {"set sdd C0020201"},
     {chunk(1021, 0, 1, {0xC0, 2}), chunk(1021, 2, 2, {2, 5}), element_query(0xC0)},
     {boot(4, 0), element_answer({2, 5})},
     {{"sdd", "c0020205"}}},
};

INSTANTIATE_TEST_SUITE_P(Sdd, SimExchange, testing::ValuesIn(kCases), exchange_name);

// A file the driver's path can name.
class SddFile : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        char tmpl[] = "/tmp/sddsimXXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/f.sdd";
        ASSERT_TRUE(ctl("set sddpath " + path_));
    }
    void TearDown() override {
        unlink(path_.c_str());
        rmdir(dir_.c_str());
    }
    void write_file(const Bytes& b) {
        const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, b.data(), b.size()), static_cast<ssize_t>(b.size()));
        close(fd);
    }
    Bytes ask(uint8_t id) {
        EXPECT_TRUE(send(element_query(id)));
        return answer();
    }
    std::string dir_, path_;
};

// Without the live switch only a load or a download changes the SDD in use.
TEST_F(SddFile, EditedFileCountsOnlyOnceLoaded) {
    ASSERT_TRUE(ctl("set sdd"));
    write_file({0xC0, 2, 2, 3});
    EXPECT_EQ(ask(0xC0), kElementAbsent);
    ASSERT_TRUE(ctl("load sdd"));
    EXPECT_EQ(get("sdd"), "c0020203");
    write_file({0xC0, 2, 2, 5});
    EXPECT_EQ(ask(0xC0), element_answer({2, 3}));
    ASSERT_TRUE(ctl("load sdd"));
    EXPECT_EQ(ask(0xC0), element_answer({2, 5}));
}

TEST_F(SddFile, LiveSddFollowsEveryEdit) {
    ASSERT_TRUE(ctl("set sdd C0020201"));
    ASSERT_TRUE(ctl("set sddlive 1"));
    EXPECT_EQ(get("sddlive"), "1");
    write_file({0xC0, 2, 2, 3});
    EXPECT_EQ(ask(0xC0), element_answer({2, 3}));
    write_file({0x21, 1, 9, 0xC0, 2, 2, 5});
    EXPECT_EQ(ask(0xC0), element_answer({2, 5}));
    EXPECT_EQ(get("sdd"), "210109c0020205");
    // No file: no SDD.
    unlink(path_.c_str());
    EXPECT_EQ(ask(0xC0), kElementAbsent);
    ASSERT_TRUE(ctl("reset"));
    EXPECT_EQ(get("sddlive"), "0");
    EXPECT_EQ(get("sdd"), kBootSdd);
}

Bytes file_bytes(const std::string& path) {
    Bytes b(4096);
    const int fd = open(path.c_str(), O_RDONLY);
    const ssize_t n = fd < 0 ? -1 : read(fd, b.data(), b.size());
    if (fd >= 0)
        close(fd);
    b.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return b;
}

std::string dir_of(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// A fresh stand-in runs on its own SDD, holds the same bytes in a file of a
// directory of its own and serves that file's path; a reset puts all three
// back, whatever happened to them.
TEST_F(SimTest, BootsWithItsSddInUseAndInItsFile) {
    const std::string path = get("sddpath");
    EXPECT_TRUE(std::regex_match(path, std::regex("/.+/rqmsim\\.[A-Za-z0-9]{6}/rqm_sdd\\.sdd"))) << path;
    EXPECT_LE(path.size(), 64u);
    EXPECT_EQ(sim_hex(file_bytes(path)), kBootSdd);
    EXPECT_EQ(get("sdd"), kBootSdd);
    ASSERT_TRUE(send(path_query()));
    EXPECT_EQ(answer(), path_answer(static_cast<uint32_t>(path.size()), path));

    const int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "\xC0\x02\x02\x05", 4), 4);
    close(fd);
    ASSERT_TRUE(ctl("set sddpath /x.sdd"));
    ASSERT_TRUE(ctl("set sdd C0020209"));
    ASSERT_TRUE(ctl("reset"));
    EXPECT_EQ(get("sddpath"), path);
    EXPECT_EQ(sim_hex(file_bytes(path)), kBootSdd);
    EXPECT_EQ(get("sdd"), kBootSdd);
}

// Whatever stops the stand-in, short of SIGKILL, takes its directory with
// it: a terminal that closes sends SIGHUP to the jobs it started.
class StopSignal : public testing::TestWithParam<int> {};

TEST_P(StopSignal, PrivateDirectoryGoesWithTheStandIn) {
    SimProcess sim;
    std::vector<std::string> out;
    ASSERT_TRUE(sim.control("get sddpath", &out)) << sim.last_error();
    ASSERT_EQ(out.size(), 1u);
    const std::string path = out[0];
    ASSERT_EQ(access(path.c_str(), R_OK), 0) << path;
    sim.stop(GetParam());
    EXPECT_NE(access(dir_of(path).c_str(), F_OK), 0) << dir_of(path);
}

INSTANTIATE_TEST_SUITE_P(SimStart, StopSignal, testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT),
                         [](const testing::TestParamInfo<int>& p) {
                             return std::string(sigabbrev_np(p.param));
                         });

// A file of the user's is taken as it stands, at the start and at every
// reset, and left where it is.
TEST(SimStart, UserSddFile) {
    TempDir dir;
    const std::string path = dir.path() + "/board.sdd";
    ASSERT_TRUE(dir.write("board.sdd", "\xC0\x02\x02\x05"));
    {
        SimProcess sim({"--sdd", path});
        ASSERT_TRUE(sim.ok()) << sim.last_error();
        std::vector<std::string> out;
        ASSERT_TRUE(sim.control("get sddpath", &out));
        ASSERT_TRUE(sim.control("get sdd", &out));
        ASSERT_TRUE(dir.write("board.sdd", "\xC0\x02\x02\x06"));
        ASSERT_TRUE(sim.control("get sdd", &out));
        ASSERT_TRUE(sim.control("reset"));
        ASSERT_TRUE(sim.control("get sdd", &out));
        EXPECT_EQ(out, (std::vector<std::string>{path, "c0020205", "c0020205", "c0020206"}));
    }
    EXPECT_EQ(sim_hex(file_bytes(path)), "c0020206");
}

TEST(SimStart, UnreadableSddFileStopsIt) {
    TempDir dir;
    const RunResult r = run_in({RQMSIM_PATH, "--port", std::to_string(5100000 + getpid()), "--sdd", "no.sdd"},
                               dir.path(), 5000);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, "rqmsim: cannot read the SDD file no.sdd\n");
    EXPECT_EQ(r.out, "");
}

// What can stand at an SDD path and is no file: a FIFO nobody writes (an
// open() the plain way would hold the whole stand-in, its control and its
// stop signals with it), a directory, a device that reads without end. Each
// is refused at once wherever the driver takes up its file, and the
// stand-in goes on answering.
enum class NoFile { Fifo, Directory, Device };

// Puts the kind in place of whatever is at path.
bool make_no_file(const std::string& path, NoFile kind) {
    unlink(path.c_str());
    switch (kind) {
    case NoFile::Fifo:
        return mkfifo(path.c_str(), 0600) == 0;
    case NoFile::Directory:
        return mkdir(path.c_str(), 0700) == 0;
    case NoFile::Device:
        return symlink("/dev/zero", path.c_str()) == 0;
    }
    return false;
}

class NoSddFile : public testing::TestWithParam<NoFile> {
protected:
    std::string path() const { return dir_.path() + "/board.sdd"; }
    std::string get(SimProcess& sim, const std::string& key) {
        std::vector<std::string> out;
        EXPECT_TRUE(sim.control("get " + key, &out)) << sim.last_error();
        return out.size() == 1 ? out[0] : "?";
    }
    TempDir dir_;
};

TEST_P(NoSddFile, StopsTheStart) {
    ASSERT_TRUE(make_no_file(path(), GetParam()));
    const RunResult r = run_in({RQMSIM_PATH, "--port", std::to_string(5100000 + getpid()), "--sdd", path()},
                               dir_.path(), 5000);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.err, "rqmsim: cannot read the SDD file " + path() + ": not a regular file\n");
}

TEST_P(NoSddFile, ResetFindsNone) {
    ASSERT_TRUE(dir_.write("board.sdd", "\xC0\x02\x02\x05"));
    SimProcess sim({"--sdd", path()});
    ASSERT_TRUE(sim.ok()) << sim.last_error();
    ASSERT_TRUE(make_no_file(path(), GetParam()));
    EXPECT_TRUE(sim.control("reset")) << sim.last_error();
    EXPECT_EQ(get(sim, "sdd"), "none");
}

// A load keeps the SDD in use; a live read finds none.
TEST_P(NoSddFile, LoadAndLiveRead) {
    ASSERT_TRUE(make_no_file(path(), GetParam()));
    SimProcess sim;
    ASSERT_TRUE(sim.ok()) << sim.last_error();
    ASSERT_TRUE(sim.control("set sddpath " + path()));
    EXPECT_FALSE(sim.control("load sdd"));
    EXPECT_EQ(sim.last_error(), "cannot read '" + path() + "': not a regular file");
    EXPECT_EQ(get(sim, "sdd"), kBootSdd);
    ASSERT_TRUE(sim.control("set sddlive 1"));
    NlClient tool;
    ASSERT_TRUE(tool.send(element_query(0xC0), sim.port()));
    const std::optional<Bytes> answer = tool.recv();
    ASSERT_TRUE(answer.has_value()) << "no answer";
    EXPECT_EQ(SimProcess::hi_payload(*answer), kElementAbsent);
    EXPECT_EQ(get(sim, "sdd"), "none");
}

INSTANTIATE_TEST_SUITE_P(SimStart, NoSddFile,
                         testing::Values(NoFile::Fifo, NoFile::Directory, NoFile::Device),
                         [](const testing::TestParamInfo<NoFile>& p) {
                             return p.param == NoFile::Fifo        ? "Fifo"
                                    : p.param == NoFile::Directory ? "Directory"
                                                                   : "Device";
                         });

}  // namespace
