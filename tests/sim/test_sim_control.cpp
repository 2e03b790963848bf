// The control: errors, settings round trips, the datagram logs, reset,
// several clients at once, and the shell client.
#include <sys/wait.h>
#include <cstdio>

#include <thread>

#include "sim/sim_control.h"
#include "sim/sim_util.h"
#include "tests/sim/sim_test_util.h"

namespace {

struct ErrorCase {
    std::string line;
    const char* error;
};

const ErrorCase kErrorCases[] = {
    {"bogus", "unknown command 'bogus'"},
    {"", "empty command"},
    {"log everything", "unknown argument 'everything'"},
    {"set", "set what?"},
    {"set colour blue", "unknown setting 'colour'"},
    {"set version 0x100000000", "bad number '0x100000000'"},
    {"set mib 0x00080002", "unaligned address '0x00080002'"},
    {"set record 00", "record must be 50 bytes of hex"},
    {"set label ok", "text would read as a reply verdict"},
    {"set label "
     "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789"
     "01234567890123456789012345678901",
     "text longer than 131 bytes"},
    {"set mem 0x11 1", "unaligned address '0x11'"},
    {"set efuse 4 0011", "element 4 takes 6 bytes of hex"},
    {"set efuse 5 00", "bad element type '5'"},
    {"set efuse_user 80 00112233445566", "bad user area bytes '00112233445566'"},
    {"get efuse_user 0 84", "bad number '84'"},
    {"get nothing", "unknown setting 'nothing'"},
    {"send frob", "unknown message 'frob'"},
    {"send boot 3", "wrong number of arguments to 'send'"},
    {"send raw 0g", "bad hex '0g'"},
    {"send split 01020304 4", "split point '4' not inside the message"},
    {"fault 1016", "wrong number of arguments to 'fault'"},
    {"fault 8192 dup", "bad number '8192'"},
    {"fault 1016 explode", "unknown fault 'explode'"},
    {"fault 1016 late", "fault 'late' needs ARG"},
    {"fault 1016 refuse 4", "ARG '4' out of 5..10"},
    {"set mac 3 001122334455", "bad number '3'"},
    {"set mac 0 0011", "address must be 6 bytes of hex"},
    {"set hwtest 0 1", "bad number '0'"},
    {"set ctrlblock 00", "control blocks must be 76 bytes of hex"},
    {"get download image", "unknown download 'image'"},
    {"set sddpath /" + std::string(59, 'p') + ".sddx", "text longer than 64 bytes"},
    {"set sddpath_len many", "bad number 'many'"},
    {"set sdd C00", "bad hex"},
    {"load fw", "load what?"},
    {"set rxinject count", "want NAME VALUE pairs"},
    {"set rx rate many", "bad number 'many'"},
    {"set rxcapture 0g", "capture must be up to 2980 bytes of hex"},
    {"load sdd", "cannot read '/lib/firmware/rqm/rqm_sdd.sdd'"},  // no file at the path the test sets
};

class ControlError : public SimTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(ControlError, IsReportedAndChangesNothing) {
    std::vector<std::string> before, after, out;
    ASSERT_TRUE(ctl("set sdd c0020203"));
    ASSERT_TRUE(ctl("set sddpath /lib/firmware/rqm/rqm_sdd.sdd"));
    ASSERT_TRUE(ctl("state", &before));
    EXPECT_FALSE(ctl(GetParam().line, &out));
    EXPECT_EQ(sim().last_error(), GetParam().error);
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(ctl("state", &after));
    EXPECT_EQ(after, before);
    EXPECT_EQ(get("sdd"), "c0020203");
}

INSTANTIATE_TEST_SUITE_P(Lines, ControlError, testing::ValuesIn(kErrorCases));

// Settings as "get" shows them back.
const Exchange kSettings[] = {
    {"NumbersAndText",
     {"set window 0x10", "set apiver 1070", "set label   two  words  ", "set sddpath /data/x y.sdd",
      "set record " + std::string(98, '0') + "aB", "set cli_len 0xFFFFFFFF"},
     {},
     {},
     {{"window", "16"},
      {"apiver", "0x042e"},
      {"label", "two  words"},
      {"sddpath", "/data/x y.sdd"},
      {"record", std::string(98, '0') + "ab"},
      {"cli_len", "4294967295"}}},
    {"EmptyPath", {"set sddpath"}, {}, {}, {{"sddpath", ""}}},
    // Memory, registers, bus spaces and efuses are apart.
    {"Memory",
     {"set mem 0x20000000 0xCAFE", "set reg 8 7", "set hif 4 1", "set efuse_user 81 a1b2", "set efuse 2 7f",
      "set efuse_slots 2 0"},
     {},
     {},
     {{"mem 0x20000000", "0x0000cafe"},
      {"mem 8", "0x00000000"},
      {"ahb 4", "0x00000000"},
      {"efuse_user 80 3", "00a1b2"},
      {"efuse_user", std::string(162, '0') + "a1b2"},
      {"efuse 2", "7f"},
      {"efuse 4", "none"},
      {"efuse_slots", "1 0 3 3 0 3"}}},
    // The parameter block is memory at the Mib base, and moves with it.
    {"ParameterBlockMovesWithMib",
     {"set mem 0x00080010 0xAABBCCDD", "set mib 0x00100000"},
     {},
     {},
     {{"mem 0x00100010", "0xaabbccdd"}, {"mem 0x00080010", "0x00000000"}}},
    {"Records",
     {"set tx count 11", "set tx backoff 0x40", "set rx total 0xFFFFFFC4", "set mac 1 A0B1C2D3E4F5",
      "set hwtest 4 7", "set hwtest 1 0x10", "set ctrlblock " + std::string(150, '0') + "Fe"},
     {},
     {},
     {{"tx.backoff", "64"},
      {"rx.total", "4294967236"},
      {"mac.1", "a0b1c2d3e4f5"},
      {"mac 0", "020000000001"},
      {"hwtest", "16 0 0 7"},
      {"ctrlblock", std::string(150, '0') + "fe"}}},
};

INSTANTIATE_TEST_SUITE_P(Settings, SimExchange, testing::ValuesIn(kSettings), exchange_name);

TEST_F(SimTest, LogsHoldExactDatagramsInOrder) {
    ASSERT_TRUE(send(with_len(msg(1019 | seq_bits(6), {0x5A}), 5)));
    ASSERT_TRUE(ctl("send raw 0600020c0102"));
    ASSERT_TRUE(ctl("send split 0600020cabcd 1"));

    std::vector<std::string> log;
    ASSERT_TRUE(ctl("log", &log));
    const std::string me = sim_hex(datagram({}, nl.port()).data() + 12, 4);
    EXPECT_EQ(log, std::vector<std::string>{"rx 180000000000000000000000" + me + "0500fbc35a000000"})
        << "the request log keeps the sequence bits and the padding as received";
    // What was sent: the answer, then the raw message padded, then the
    // padded split message cut in two unpadded parts.
    const std::string sp = sim_hex(datagram({}, sim_port()).data() + 12, 4);
    std::vector<std::string> sent;
    ASSERT_TRUE(ctl("sent", &sent));
    EXPECT_EQ(sent, (std::vector<std::string>{"tx " + sim_hex(datagram(boot(1, 7), sim_port())),
                                              "tx 180000000000000000000000" + sp + "0600020c01020000",
                                              "tx 110000000000000000000000" + sp + "06",
                                              "tx 170000000000000000000000" + sp + "00020cabcd0000"}));

    ASSERT_TRUE(ctl("log clear"));
    log.clear();
    ASSERT_TRUE(ctl("log", &log));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(sim().sent().size(), 4u) << "clearing one log leaves the other";
}

TEST_F(SimTest, ResetRestoresEveryStartValue) {
    std::vector<std::string> fresh;
    ASSERT_TRUE(ctl("state", &fresh));
    connect();
    for (const char* line :
         {"fault 70 late 100",
          "set record "
          "01020304050607080910"
          "11121314151617181920212223242526272829303132333435363738394041424344454647484950",
          "set mem 0x100 5", "set reg 4 4", "set efuse 4 00aabbccddee", "set efuse 1 none",
          "set efuse_user 0 ff", "set rx total 9", "set sddpath /x", "set ahb 8 2", "set hwtest 2 5",
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
    EXPECT_EQ(get("efuse_user 0 1"), "00");
    EXPECT_EQ(get("efuse 4"), "none");
    EXPECT_EQ(get("efuse 1"), "2301514d000000175a3c960f00000001") << "the factory's chip id";
    EXPECT_EQ(get("ahb 8"), "0x00000000");
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

CtlRun run_ctl(const std::vector<std::string>& args) {
    std::string cmd = RQMSIMCTL_PATH;
    for (const std::string& a : args)
        cmd += " " + a;
    CtlRun r{-1, ""};
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr)
        return r;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;)
        r.out.append(buf, n);
    const int status = pclose(p);
    if (WIFEXITED(status))
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

}  // namespace
