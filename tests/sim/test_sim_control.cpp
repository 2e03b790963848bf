// The control: errors, settings round trips, the datagram logs, reset,
// several clients at once, and the shell client.
#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "sim/sim_control.h"
#include "sim/sim_util.h"
#include "tests/sim/sim_test_util.h"

extern char** environ;

namespace {

struct ErrorCase {
    const char* line;
    const char* error;
};

const ErrorCase kErrorCases[] = {
    {"bogus", "unknown command 'bogus'"},
    {"", "empty command"},
    {"ping now", "wrong number of arguments to 'ping'"},
    {"log everything", "unknown argument 'everything'"},
    {"set", "set what?"},
    {"set colour blue", "unknown setting 'colour'"},
    {"set window 65536", "bad number '65536'"},
    {"set window -1", "bad number '-1'"},
    {"set connected 2", "bad number '2'"},
    {"set version 0x100000000", "bad number '0x100000000'"},
    {"set mib 0x00080002", "unaligned address '0x00080002'"},
    {"set record 00", "record must be 50 bytes of hex"},
    {"set label ok", "text would read as a reply verdict"},
    {"set label "
     "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789"
     "01234567890123456789012345678901",
     "text longer than 131 bytes"},
    {"set mem 0x10 1 2", "wrong number of arguments to 'set'"},
    {"set mem 0x11 1", "unaligned address '0x11'"},
    {"set efuse 250 00112233445566", "bad efuse bytes '00112233445566'"},
    {"set efuse 256 00", "bad number '256'"},
    {"set tx speed 1", "unknown field 'speed'"},
    {"get mem 2", "unaligned address '2'"},
    {"get efuse 0 257", "bad number '257'"},
    {"get nothing", "unknown setting 'nothing'"},
    {"send", "send what?"},
    {"send frob", "unknown message 'frob'"},
    {"send boot 3", "wrong number of arguments to 'send'"},
    {"send startup 70000", "bad number '70000'"},
    {"send raw 0g", "bad hex '0g'"},
    {"send raw abc", "bad hex 'abc'"},
    {"send split 01020304 4", "split point '4' not inside the message"},
    {"send split 01020304 0", "split point '0' not inside the message"},
    {"send trace to port", "bad number 'port'"},
    {"fault 1016", "wrong number of arguments to 'fault'"},
    {"fault 8192 dup", "bad number '8192'"},
    {"fault 1016 explode", "unknown fault 'explode'"},
    {"fault 1016 late", "fault 'late' needs ARG"},
    {"fault 1016 refuse 4", "ARG '4' out of 5..10"},
    {"fault 1016 refuse 11", "ARG '11' out of 5..10"},
    {"fault 1016 split 0", "ARG '0' out of 1..65535"},
    {"fault 1016 dup 0 x", "bad number 'x'"},
    {"fault 61 status 3 1 after x", "bad number 'x'"},
    {"set wifi 2", "bad number '2'"},
    {"set startuplen 159", "bad number '159'"},
    {"set startuplen 169", "bad number '169'"},
    {"set mac 3 001122334455", "bad number '3'"},
    {"set mac 0 0011", "address must be 6 bytes of hex"},
    {"set mac 0", "wrong number of arguments to 'set'"},
    {"set hif 0x2 1", "unaligned address '0x2'"},
    {"set hwtest 0 1", "bad number '0'"},
    {"set hwtest 5 1", "bad number '5'"},
    {"set ctrlblock 00", "control blocks must be 76 bytes of hex"},
    {"get mac 3", "bad number '3'"},
    {"get apb 1", "unaligned address '1'"},
    {"get download image", "unknown download 'image'"},
    {"get download", "wrong number of arguments to 'get'"},
};

class ControlError : public SimTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(ControlError, IsReportedAndChangesNothing) {
    std::vector<std::string> before, after, out;
    ASSERT_TRUE(ctl("state", &before));
    EXPECT_FALSE(ctl(GetParam().line, &out));
    EXPECT_EQ(sim().last_error(), GetParam().error);
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(ctl("state", &after));
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Lines, ControlError, testing::ValuesIn(kErrorCases));

struct RoundTrip {
    std::vector<std::string> set;
    const char* get;
    std::string value;
};

const RoundTrip kRoundTrips[] = {
    {{}, "window", "4"},
    {{"set window 0x10"}, "window", "16"},
    {{"set maxmsg 65535"}, "maxmsg", "65535"},
    {{"set apiver 1070"}, "apiver", "0x042e"},
    {{"set version 0xFFFFFFFF"}, "version", "0xffffffff"},
    {{"set minversion 33554441"}, "minversion", "0x02000009"},
    {{"set cli_len 0"}, "cli_len", "0"},
    {{"set label   two  words  "}, "label", "two  words"},
    {{"set sddpath /data/x y.sdd"}, "sddpath", "/data/x y.sdd"},
    {{"set sddpath"}, "sddpath", ""},
    {{"set record " + std::string(98, '0') + "aB"}, "record", std::string(98, '0') + "ab"},
    {{"set peer 12345"}, "peer", "12345"},
    {{}, "mem 0x20000000", "0x00000000"},
    {{"set mem 0x20000000 0xCAFE"}, "mem 0x20000000", "0x0000cafe"},
    {{"set mem 0x20000000 0xCAFE", "set mem 0x20000000 0"}, "mem 0x20000000", "0x00000000"},
    {{"set reg 0xFFFFFFFC 7"}, "reg 0xfffffffc", "0x00000007"},
    {{"set reg 8 7"}, "mem 8", "0x00000000"},
    // The parameter block is memory at the Mib base, and moves with it.
    {{"set mem 0x00080FFC 0x11223344"}, "mem 0x00080ffc", "0x11223344"},
    {{"set mem 0x00080010 0xAABBCCDD", "set mib 0x00100000"}, "mem 0x00100010", "0xaabbccdd"},
    {{"set mem 0x00080010 0xAABBCCDD", "set mib 0x00100000"}, "mem 0x00080010", "0x00000000"},
    {{"set efuse 254 a1b2"}, "efuse 253 3", "00a1b2"},
    {{}, "efuse", std::string(512, '0')},
    {{"set tx channel 11", "set tx power 0x40"}, "tx.power", "64"},
    {{"set rx rssi 0xFFFFFFC4"}, "rx.rssi", "4294967236"},
    {{"set wifi 1"}, "wifi", "1"},
    {{}, "bootind", "1"},
    {{"set bootind 0"}, "bootind", "0"},
    {{}, "startuplen", "160"},
    {{"set startuplen 164"}, "startuplen", "164"},
    {{}, "hwid", "0x00002301"},
    {{"set asleep 1"}, "asleep", "1"},
    {{"set ahb 0xFFFFFFFC 3"}, "ahb 0xfffffffc", "0x00000003"},
    {{"set apb 4 1", "set apb 4 0"}, "apb 4", "0x00000000"},
    {{"set hif 4 1"}, "ahb 4", "0x00000000"},
    {{"set hif 4 1"}, "reg 4", "0x00000000"},
    {{"set mac 1 A0B1C2D3E4F5"}, "mac 1", "a0b1c2d3e4f5"},
    {{"set mac 1 A0B1C2D3E4F5"}, "mac.1", "a0b1c2d3e4f5"},
    {{}, "mac 0", "020000000001"},
    {{"set hwtest 4 7", "set hwtest 1 0x10"}, "hwtest", "16 0 0 7"},
    {{}, "debugport", "0 0 0 0"},
    {{}, "download sdd", "none"},
    {{}, "ctrlblock", std::string(152, '0')},
    {{"set ctrlblock " + std::string(150, '0') + "Fe"}, "ctrlblock", std::string(150, '0') + "fe"},
};

class ControlRoundTrip : public SimTest, public testing::WithParamInterface<size_t> {};

TEST_P(ControlRoundTrip, GetShowsWhatWasSet) {
    const RoundTrip& c = kRoundTrips[GetParam()];
    for (const std::string& line : c.set)
        ASSERT_TRUE(ctl(line)) << line << ": " << sim().last_error();
    EXPECT_EQ(get(c.get), c.value);
}

INSTANTIATE_TEST_SUITE_P(Settings, ControlRoundTrip, testing::Range(size_t{0}, std::size(kRoundTrips)));

TEST_F(SimTest, LogsHoldExactDatagramsInOrder) {
    const Bytes api = hi(1016, {0});
    Bytes five(5, 0x5A);
    hi_set_msg_len(five.data(), 5);
    hi_set_msg_id(five.data(), 1019 | seq_bits(6));
    const Bytes tiny = datagram({1, 2, 3}, nl.port(), false);
    ASSERT_TRUE(send(api));
    ASSERT_TRUE(send(five));
    ASSERT_TRUE(nl.send_datagram(tiny, sim_port()));
    ASSERT_TRUE(ctl("send raw 0600020c0102"));
    ASSERT_TRUE(ctl("send split 0600020cabcd 1"));

    std::vector<std::string> log;
    ASSERT_TRUE(ctl("log", &log));
    const std::string me = sim_hex(datagram({}, nl.port()).data() + 12, 4);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "rx 180000000000000000000000" + me + "0800f80300000000",
                       "rx 180000000000000000000000" + me + "0500fbc35a000000",
                       "rx 130000000000000000000000" + me + "010203",
                   }))
        << "the request log keeps the sequence bits and the padding as received";
    // What was sent: two answers, then the raw message padded, then the
    // padded split message cut in two unpadded parts.
    const std::string sp = sim_hex(datagram({}, sim_port()).data() + 12, 4);
    std::vector<std::string> sent;
    ASSERT_TRUE(ctl("sent", &sent));
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0], "tx " + sim_hex(datagram(api_ctx_cnf(false), sim_port())));
    EXPECT_EQ(sent[1], "tx " + sim_hex(datagram(boot(1, 7), sim_port())));
    EXPECT_EQ(sent[2], "tx 180000000000000000000000" + sp + "0600020c01020000");
    EXPECT_EQ(sent[3], "tx 110000000000000000000000" + sp + "06");
    EXPECT_EQ(sent[4], "tx 170000000000000000000000" + sp + "00020cabcd0000");
    EXPECT_EQ(get("rx_count"), "3");

    ASSERT_TRUE(ctl("log clear"));
    log.clear();
    ASSERT_TRUE(ctl("log", &log));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(sim().sent().size(), 5u) << "clearing one log leaves the other";
}

TEST_F(SimTest, ResetRestoresEveryStartValue) {
    std::vector<std::string> fresh;
    ASSERT_TRUE(ctl("state", &fresh));
    connect();
    for (const char* line :
         {"fault 70 late 100",
          "fault 1016 noanswer",
          "set record "
          "01020304050607080910"
          "11121314151617181920212223242526272829303132333435363738394041424344454647484950",
          "set label other",
          "set mem 0x100 5",
          "set reg 4 4",
          "set efuse 0 ff",
          "set tx running 1",
          "set rx ok 9",
          "set version 1",
          "set sddpath /x",
          "set window 7",
          "set cli_len 0",
          "set wifi 1",
          "set bootind 0",
          "set startuplen 168",
          "set hwid 1",
          "set asleep 1",
          "set clockgating 1",
          "set selftest 3",
          "set mac 0 001122334455",
          "set hif 8 1",
          "set ahb 8 2",
          "set apb 8 3",
          "set hwtest 2 5",
          "fault 55 status 1 1 after 3"})
        ASSERT_TRUE(ctl(line)) << line;
    ASSERT_TRUE(ctl("set ctrlblock " + std::string(152, 'f')));
    ASSERT_TRUE(send(hi(0x3FD, {0, 2, 0x01020304})));
    EXPECT_EQ(answer(), boot(4, 0));
    EXPECT_EQ(get("download sdd"), "bytes 04030201");
    // A delayed answer still pending is dropped too.
    ASSERT_TRUE(send(hi(70 | seq_bits(0), {0})));
    ASSERT_TRUE(ctl("ping"));
    EXPECT_EQ(get("pending"), "1");

    ASSERT_TRUE(ctl("reset"));
    std::vector<std::string> after;
    ASSERT_TRUE(ctl("state", &after));
    EXPECT_EQ(after, fresh);
    EXPECT_EQ(get("mem 0x100"), "0x00000000");
    EXPECT_EQ(get("reg 4"), "0x00000000");
    EXPECT_EQ(get("efuse 0 1"), "00");
    for (const char* key : {"hif 8", "ahb 8", "apb 8"})
        EXPECT_EQ(get(key), "0x00000000") << key;
    EXPECT_EQ(get("download sdd"), "none");
    EXPECT_EQ(get("ctrlblock"), std::string(152, '0'));
    EXPECT_TRUE(sim().received().empty());
    EXPECT_TRUE(sim().sent().empty());
    EXPECT_FALSE(nl.recv(250).has_value()) << "the pending answer went out after the reset";
    // And the driver takes a fresh connect.
    connect();
}

TEST_F(SimTest, ClientsOnManyThreadsAreServedApart) {
    constexpr int kThreads = 6;
    constexpr int kRounds = 40;
    std::vector<std::thread> threads;
    std::vector<int> good(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            NlClient mine;
            const std::string addr = std::to_string(0x1000 + 4 * t);
            for (int i = 0; i < kRounds; ++i) {
                std::vector<std::string> out;
                const std::string value = std::to_string(t * 1000 + i);
                if (!sim().control("set mem " + addr + " " + value) ||
                    !sim().control("get mem " + addr, &out))
                    continue;
                uint32_t v = 0;
                if (out.size() != 1 || !sim_parse_u32(out[0], &v) || v != static_cast<uint32_t>(t * 1000 + i))
                    continue;
                if (!mine.send(hi(1016, {static_cast<uint32_t>(i)}), sim().port()))
                    continue;
                auto dg = mine.recv();
                if (dg && SimProcess::hi_payload(*dg) == api_ctx_cnf(false))
                    ++good[t];
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(good[t], kRounds) << "thread " << t;
    EXPECT_EQ(get("rx_count"), std::to_string(kThreads * kRounds));
}

// rqmsimctl: one command from its arguments, data lines on stdout, the
// verdict in the exit code.
struct CtlRun {
    int status;
    std::string out;
};

CtlRun run_ctl(std::vector<std::string> args) {
    args.insert(args.begin(), RQMSIMCTL_PATH);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int pipefd[2];
    if (pipe(pipefd) != 0)
        return {-1, ""};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, pipefd[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&fa, pipefd[0]);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(pipefd[1]);
    CtlRun r{-1, ""};
    char buf[4096];
    ssize_t n;
    while ((n = read(pipefd[0], buf, sizeof buf)) > 0)
        r.out.append(buf, static_cast<size_t>(n));
    close(pipefd[0]);
    int status = 0;
    if (rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        r.status = WEXITSTATUS(status);
    return r;
}

TEST_F(SimTest, ShellClientJoinsItsArgumentsAndReportsTheVerdict) {
    const std::string port = std::to_string(sim_port());
    struct {
        std::vector<std::string> args;
        int status;
        const char* out;
    } cases[] = {
        {{"--port", port, "set", "label", "a", "b"}, 0, ""},
        {{"--port", port, "get", "label"}, 0, "a b\n"},
        {{"--port", port, "fault", "1016", "late", "5"}, 0, ""},
        {{"--port", port, "fault", "list"}, 0, "1016 late 5 0\n"},
        {{"--port", port, "bogus"}, 1, ""},
        {{"--port", "1", "ping"}, 1, ""},
        {{"--port", port}, 1, ""},
    };
    for (const auto& c : cases) {
        const CtlRun r = run_ctl(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_EQ(r.out, c.out) << c.args.back();
    }
}

// The engine and its control without a daemon around them.
int refuse_send(void*, uint32_t, const uint8_t*, size_t) {
    return ECONNREFUSED;
}

TEST(SimEngine, ControlSendNeedsAPeer) {
    Sim s;
    sim_init(&s, 77, refuse_send, nullptr, nullptr);
    std::vector<std::string> out;
    std::string err;
    EXPECT_FALSE(sim_control_exec(&s, "send trace", &out, &err));
    EXPECT_EQ(err, "no peer");
    EXPECT_FALSE(sim_control_exec(&s, "send trace to 9", &out, &err));
    EXPECT_EQ(err, "send failed: Connection refused");
    EXPECT_TRUE(s.tx_log.empty()) << "only what was sent is logged";
}

TEST(SimText, Numbers) {
    const struct {
        const char* text;
        bool ok;
        uint32_t value;
    } cases[] = {
        {"0", true, 0},
        {"4294967295", true, 0xFFFFFFFF},
        {"4294967296", false, 0},
        {"0x0", true, 0},
        {"0XfFfFfFfF", true, 0xFFFFFFFF},
        {"0x100000000", false, 0},
        {"0x", false, 0},
        {"", false, 0},
        {"12a", false, 0},
        {"-1", false, 0},
        {"+1", false, 0},
        {" 1", false, 0},
        {"007", true, 7},
        {"0x0000000000001", true, 1},
    };
    for (const auto& c : cases) {
        uint32_t v = 0xABCD;
        EXPECT_EQ(sim_parse_u32(c.text, &v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(SimText, HexAndTokens) {
    Bytes b;
    EXPECT_TRUE(sim_parse_hex("00aBfF", &b));
    EXPECT_EQ(b, (Bytes{0x00, 0xAB, 0xFF}));
    for (const char* bad : {"", "0", "0g", "0 1", "x0"})
        EXPECT_FALSE(sim_parse_hex(bad, &b)) << bad;
    EXPECT_EQ(sim_hex(b), "00abff");

    const std::string_view line = " set  label\tA  B \r";
    auto tok = sim_tokens(line);
    ASSERT_EQ(tok.size(), 4u);
    EXPECT_EQ(tok[1], "label");
    EXPECT_EQ(sim_rest(line, tok[2]), "A  B");
}

}  // namespace
