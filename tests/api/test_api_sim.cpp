// The API and the broker over the real channel and receive thread, against
// the stand-in driver, set up as the tool sets them up: what goes on the
// wire, what each fault of the answer makes of the result and the report,
// the connect handshake, numbering once the window is open, and the
// lifecycle of the receive thread.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "api/rqm_api.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "tests/support/cli_run.h"
#include "tests/support/received.h"
#include "tests/support/sim_process.h"
#include "tests/support/threads.h"
#include "transport/TargetCli.h"
#include "transport/adapter.h"
#include "transport/target_temp.h"
#include "transport/vormac_adapter.h"

namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uint16_t kApiContextReq = 1016;
constexpr uint16_t kApiContextCnf = 0x7F8;
constexpr uint16_t kConnectReq = 1018;
constexpr uint32_t kApiContextCnfSize = 148;
constexpr uint32_t kConnectCnfSize = 184;
const char kFailedNoAnswer[] = "RQM_GetAPIContext failed (1:BOOT_ERR_DECODE\tFirmware error!)\n";
const char kNoAnswer[] = "Adapter_Request pRqmApiContext->MsgReceivedSize == 0\n";
const char kTimedOut[] = "Wait for cnf timed out!\n";

long ms_since(Clock::time_point t0) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count());
}

Bytes api_context_request() {
    Bytes m(8, 0);
    hi_set_msg_len(m.data(), 8);
    hi_set_msg_id(m.data(), kApiContextReq);
    return m;
}

Bytes connect_request() {
    Bytes m(12, 0);
    hi_set_msg_len(m.data(), 12);
    hi_set_msg_id(m.data(), kConnectReq);
    hi_wr32(m.data() + 4, 0x02000009);
    hi_wr32(m.data() + 8, 50);
    return m;
}

Bytes with_seq(Bytes m, unsigned seq) {
    hi_set_msg_id(m.data(),
                  static_cast<uint16_t>((hi_msg_id(m.data()) & HI_MSG_ID_MASK) | seq << HI_MSG_SEQ_SHIFT));
    return m;
}

class ApiSim : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok()) << sim.last_error();
        g_received.clear();
        g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 0;
        ASSERT_EQ(adapter_connect(), 0);
        ctx = RQM_Create(nullptr, nullptr);
        ASSERT_NE(ctx, nullptr);
        ASSERT_EQ(RQM_SetConnectionType(ctx, 5), RQM_SUCCESS);
        ASSERT_EQ(RQM_SetCallbackFunction(ctx, receive), RQM_SUCCESS);
        ASSERT_EQ(Adapter_Init(ctx), 1);
    }
    void TearDown() override {
        if (ctx != nullptr)
            RQM_Stop(ctx);
        adapter_disconnect();
    }

    void ctl(const std::string& line) { ASSERT_TRUE(sim.control(line)) << line << ": " << sim.last_error(); }
    // What we sent since the last look, as HI messages.
    std::vector<Bytes> requests() {
        auto got = messages(sim.received());
        EXPECT_TRUE(sim.control("log clear"));
        return got;
    }
    // What the stand-in sent since the last look.
    std::vector<Bytes> answers() {
        auto got = messages(sim.sent());
        EXPECT_TRUE(sim.control("sent clear"));
        return got;
    }
    // A call with what it printed put in out, when out is given.
    template <class Call>
    static int captured(std::string* out, Call call) {
        testing::internal::CaptureStdout();
        const int result = call();
        const std::string text = testing::internal::GetCapturedStdout();
        if (out != nullptr)
            *out = text;
        return result;
    }
    int api_context(std::string* out = nullptr) {
        return captured(out, [&] { return RQM_GetAPIContext(ctx); });
    }
    int connect(std::string* out = nullptr) {
        Bytes req = connect_request();
        return captured(out,
                        [&] { return Adapter_Request_Connect(ctx, req.data(), nullptr, kConnectCnfSize); });
    }
    int raw_request(std::string* out = nullptr) {
        Bytes req = api_context_request();
        Bytes cnf(kApiContextCnfSize, 0);
        return captured(out,
                        [&] { return Adapter_Request(ctx, req.data(), cnf.data(), kApiContextCnfSize); });
    }

    SimProcess sim;
    RqmApiContext* ctx = nullptr;
};

// ---- the api context ----

struct ApiContextCase {
    const char* name;
    std::vector<std::string> presets;
    uint8_t fwRunning;
    uint32_t mib;
    uint16_t apiVer;
};

class ApiContext : public ApiSim, public testing::WithParamInterface<ApiContextCase> {};

TEST_P(ApiContext, FactsComeFromTheAnswer) {
    const ApiContextCase& c = GetParam();
    for (const std::string& line : c.presets)
        ctl(line);
    std::string out;
    EXPECT_EQ(api_context(&out), RQM_SUCCESS);
    EXPECT_EQ(out, "");
    EXPECT_EQ(ctx->FwRunning, c.fwRunning);
    EXPECT_EQ(ctx->MibBaseAddress, c.mib);
    EXPECT_EQ(ctx->FirmwareApiVer, c.apiVer);
    EXPECT_EQ(requests(), std::vector<Bytes>{api_context_request()});
}

INSTANTIATE_TEST_SUITE_P(
    Presets, ApiContext,
    testing::Values(ApiContextCase{"NotConnected", {"set connected 0"}, 0, 0x00080000, 0x0427},
                    ApiContextCase{"Connected", {"set connected 1"}, 1, 0x00080000, 0x0427},
                    ApiContextCase{"MibAndApiVersion",
                                   {"set connected 1", "set mib 0x00120000", "set apiver 0x0431"},
                                   1,
                                   0x00120000,
                                   0x0431}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ApiSim, FirmwareDownRefusesFurtherRequestsWithoutSending) {
    ctl("set connected 0");
    EXPECT_EQ(api_context(), RQM_SUCCESS);
    EXPECT_EQ(ctx->FwRunning, 0);
    requests();
    std::string out;
    EXPECT_EQ(raw_request(&out), RQM_FW_NOT_RUNNING);
    EXPECT_EQ(out, "RQM_API_FW_NOT_RUNNING!\n");
    EXPECT_TRUE(requests().empty());
}

// ---- faults of the answer ----

struct FaultCase {
    const char* name;
    const char* fault;
    uint32_t attempts;
    uint32_t timeoutMs;
    int result;
    std::string out;
    size_t sends;
    long minMs;
    long maxMs;
};

std::string repeat(const char* s, int n) {
    std::string r;
    while (n-- > 0)
        r += s;
    return r;
}

const FaultCase kFaultCases[] = {
    {"Status", "fault 1016 status 7", 1, 1000, RQM_ERR_NOT_CONNECT,
     "RQM_GetAPIContext failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n", 1, 0, 900},
    {"ShorterThanAStatus", "fault 1016 short 6", 1, 1000, RQM_NO_CONFIRMATION, kFailedNoAnswer, 1, 0, 900},
    {"RefusedNotConnected", "fault 1016 refuse 7", 1, 1000, RQM_ERR_NOT_CONNECT,
     "RQM not connect,please connect first!\n"
     "RQM_GetAPIContext failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n",
     1, 0, 900},
    {"RefusedDriverHang", "fault 1016 refuse 9", 1, 1000, RQM_INVALID_PARAMETER,
     "Try to solve it by reboot!\n"
     "RQM_GetAPIContext failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!)\n",
     1, 0, 900},
    {"NoAnswerThreeAttempts", "fault 1016 noanswer", 3, 200, RQM_NO_CONFIRMATION,
     repeat(kTimedOut, 3) + kNoAnswer + kFailedNoAnswer, 3, 600, 2500},
    {"ResendAnswered", "fault 1016 noanswer 0 1", 2, 200, RQM_SUCCESS, kTimedOut, 2, 200, 1500},
    {"Oversize", "fault 1016 oversize", 1, 200, RQM_NO_CONFIRMATION,
     std::string("Warning:Buffer overflow!\ndata length:8188 \tbuffer length:148 MsgId = 0x000007f8\n") +
         kTimedOut + kNoAnswer + kFailedNoAnswer,
     1, 200, 1500},
    {"SplitAnswerIsJoined", "fault 1016 split 2", 1, 1000, RQM_SUCCESS, "", 1, 0, 900},
    {"TrailingTraceIsDropped", "fault 1016 double", 1, 1000, RQM_SUCCESS, "", 1, 0, 900},
    // The timeout counts milliseconds below a second as well.
    {"LateWithinTimeout", "fault 1016 late 500", 1, 999, RQM_SUCCESS, "", 1, 490, 990},
    {"TimeoutBelowASecond", "fault 1016 noanswer", 1, 999, RQM_NO_CONFIRMATION,
     std::string(kTimedOut) + kNoAnswer + kFailedNoAnswer, 1, 999, 1900},
};

class AnswerFault : public ApiSim, public testing::WithParamInterface<FaultCase> {};

TEST_P(AnswerFault, ResultReportAndWire) {
    const FaultCase& c = GetParam();
    ctl("set connected 1");
    ctl(c.fault);
    ctx->Attempts = c.attempts;
    ctx->CnfTimeoutMs = c.timeoutMs;
    std::string out;
    const auto t0 = Clock::now();
    EXPECT_EQ(api_context(&out), c.result);
    const long took = ms_since(t0);
    EXPECT_EQ(out, c.out);
    EXPECT_GE(took, c.minMs);
    EXPECT_LT(took, c.maxMs);
    // Numbering is off before a connect: a resend is the same bytes.
    EXPECT_EQ(requests(), std::vector<Bytes>(c.sends, api_context_request()));
    if (c.result == RQM_SUCCESS) {
        EXPECT_EQ(ctx->FwRunning, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, AnswerFault, testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A cut answer is none: no fact is taken until the last one arrived.
struct CutCase {
    uint16_t len;
    int result;
    bool fwRunningTaken;
    bool mibTaken;
    bool apiVerTaken;
};

class CutAnswer : public ApiSim, public testing::WithParamInterface<CutCase> {};

TEST_P(CutAnswer, TakesAllOrNothing) {
    const CutCase& c = GetParam();
    ctl("set connected 0");
    ctl("set mib 0x00120000");
    ctl("set apiver 0x0431");
    ctl("fault 1016 short " + std::to_string(c.len));
    ctx->MibBaseAddress = 0xDEAD0000;
    ctx->FirmwareApiVer = 0xBEEF;
    EXPECT_EQ(api_context(), c.result);
    // The api context call presumes a running firmware until told.
    EXPECT_EQ(ctx->FwRunning, c.fwRunningTaken ? 0 : 1);
    EXPECT_EQ(ctx->MibBaseAddress, c.mibTaken ? 0x00120000u : 0xDEAD0000u);
    EXPECT_EQ(ctx->FirmwareApiVer, c.apiVerTaken ? 0x0431 : 0xBEEF);
}

INSTANTIATE_TEST_SUITE_P(Lengths, CutAnswer,
                         testing::Values(CutCase{7, RQM_NO_CONFIRMATION, false, false, false},
                                         CutCase{9, RQM_NO_CONFIRMATION, false, false, false},
                                         CutCase{16, RQM_NO_CONFIRMATION, false, false, false},
                                         CutCase{145, RQM_NO_CONFIRMATION, false, false, false},
                                         CutCase{146, RQM_SUCCESS, true, true, true}),
                         [](const auto& info) { return "Len" + std::to_string(info.param.len); });

TEST_F(ApiSim, LateAnswerIsNotTakenByTheNextRequest) {
    ctl("set connected 1");
    ctl("fault 1016 late 300 1");
    ctx->CnfTimeoutMs = 100;
    std::string out;
    EXPECT_EQ(api_context(&out), RQM_NO_CONFIRMATION);
    EXPECT_EQ(out, std::string(kTimedOut) + kNoAnswer + kFailedNoAnswer);

    ctl("set mib 0x00200000");
    ctx->CnfTimeoutMs = 1000;
    EXPECT_EQ(api_context(), RQM_SUCCESS);
    EXPECT_EQ(ctx->MibBaseAddress, 0x00200000u);
    // The stale answer lands later, with nobody waiting for it.
    ASSERT_TRUE(eventually([] { return g_received.ids().size() == 1; }, 3000ms));
    const Bytes stale = g_received.msgs()[0];
    EXPECT_EQ(hi_msg_id(stale.data()), kApiContextCnf);
    EXPECT_EQ(hi_rd32(stale.data() + 12), 0x00080000u);

    ctl("set mib 0x00300000");
    EXPECT_EQ(api_context(), RQM_SUCCESS);
    EXPECT_EQ(ctx->MibBaseAddress, 0x00300000u);
    EXPECT_EQ(requests().size(), 3u);
}

TEST_F(ApiSim, DuplicateAnswerIsNotTakenByTheNextRequest) {
    ctl("set connected 1");
    ctl("fault 1016 dup 0 1");
    EXPECT_EQ(api_context(), RQM_SUCCESS);
    ASSERT_TRUE(eventually([] { return g_received.ids().size() == 1; }));
    EXPECT_EQ(g_received.ids(), std::vector<uint16_t>{kApiContextCnf});
    ctl("set mib 0x00240000");
    EXPECT_EQ(api_context(), RQM_SUCCESS);
    EXPECT_EQ(ctx->MibBaseAddress, 0x00240000u);
    EXPECT_EQ(g_received.ids().size(), 1u);
}

TEST_F(ApiSim, BootWhileIdleGoesToTheCallbackAndEndsNoWait) {
    ASSERT_EQ(connect(), RQM_SUCCESS);
    g_received.clear();
    testing::internal::CaptureStdout();
    ctl("send boot 1 7");
    ASSERT_TRUE(eventually([] { return g_received.ids().size() == 1; }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RQM not connect,please connect first!\n");
    EXPECT_EQ(g_received.ids(), std::vector<uint16_t>{HI_BOOT_IND_ID});
    ctl("set mib 0x00250000");
    ctl("fault 1016 late 100 1");
    const auto t0 = Clock::now();
    EXPECT_EQ(api_context(), RQM_SUCCESS);
    EXPECT_GE(ms_since(t0), 90) << "the old BOOT must not end this wait";
    EXPECT_EQ(ctx->MibBaseAddress, 0x00250000u);
}

// ---- the connect handshake ----

TEST_F(ApiSim, ConnectTakesTheFactsOfTheStartup) {
    ctl("set label FW_Q23.05");
    ctl("set maxmsg 1200");
    ctl("set mib 0x00090000");
    ctl("set apiver 0x0428");
    ctl("set window 3");
    std::string out;
    EXPECT_EQ(connect(&out), RQM_SUCCESS);
    EXPECT_EQ(out, "");
    EXPECT_EQ(requests(), std::vector<Bytes>{connect_request()});
    EXPECT_STREQ(ctx->FirmwareLabel, "FW_Q23.05");
    EXPECT_EQ(ctx->MaxMsgSize, 1200u);
    EXPECT_EQ(ctx->MibBaseAddress, 0x00090000u);
    EXPECT_EQ(ctx->FirmwareApiVer, 0x0428);
    EXPECT_EQ(ctx->FwRunning, 1);
    EXPECT_EQ(g_driver_data.Word[CLI_WORD_CHIP_VARIANT], 1);
    // The BOOT that announces the boot loader stays in the transport.
    EXPECT_EQ(g_received.ids(), std::vector<uint16_t>{HI_STARTUP_IND_ID});
    EXPECT_EQ(ctx->Target->pTargetCli->SendWindow, 3u);
}

TEST_F(ApiSim, SecondConnectIsRefusedAndChangesNothing) {
    ASSERT_EQ(connect(), RQM_SUCCESS);
    ASSERT_EQ(api_context(), RQM_SUCCESS);
    ctl("set label OTHER_Q24");
    ctl("set mib 0x00110000");
    ctl("set maxmsg 512");
    g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 0;
    std::string out;
    EXPECT_EQ(connect(&out), RQM_MISSING_PAYLOAD);
    EXPECT_EQ(out, "RQM has already connected!\n");
    EXPECT_STREQ(ctx->FirmwareLabel, "RQMFW_Q23.02.0017");
    EXPECT_EQ(ctx->MibBaseAddress, 0x00080000u);
    EXPECT_EQ(ctx->MaxMsgSize, 1520u);
    EXPECT_EQ(ctx->FwRunning, 1);
    EXPECT_EQ(g_driver_data.Word[CLI_WORD_CHIP_VARIANT], 0);
    // The second one went out numbered: the window was open by then.
    EXPECT_EQ(requests(), (std::vector<Bytes>{connect_request(), with_seq(api_context_request(), 0),
                                              with_seq(connect_request(), 1)}));
}

TEST_F(ApiSim, ConnectWithoutAnswerPrintsItsOwnLine) {
    ctl("fault 1018 noanswer");
    ctx->CnfTimeoutMs = 100;
    std::string out;
    EXPECT_EQ(connect(&out), RQM_NO_CONFIRMATION);
    EXPECT_EQ(out, "Wait for cnf timed out!\nMaybe rqm has already connected!\n");
    EXPECT_EQ(ctx->FwRunning, 0);
}

struct LabelCase {
    const char* name;
    std::string label;
    uint16_t variant;
};

class PlatformLabel : public ApiSim, public testing::WithParamInterface<LabelCase> {};

TEST_P(PlatformLabel, ChipVariantFromTheFirstQ) {
    const LabelCase& c = GetParam();
    ctl("set label " + c.label);
    ASSERT_EQ(connect(), RQM_SUCCESS);
    EXPECT_EQ(std::string(ctx->FirmwareLabel), c.label);
    EXPECT_EQ(g_driver_data.Word[CLI_WORD_CHIP_VARIANT], c.variant);
}

INSTANTIATE_TEST_SUITE_P(Labels, PlatformLabel,
                         testing::Values(LabelCase{"Plain", "xyzQ23.01", 1},
                                         LabelCase{"ModuloByte", "Q279", 1}, LabelCase{"OtherCode", "Q24", 0},
                                         LabelCase{"FirstQDecides", "AQ2 Q23", 0},
                                         LabelCase{"QAtLastSearchedByte", std::string(31, 'x') + "Q23", 1},
                                         LabelCase{"QBeyondTheSearch", std::string(32, 'x') + "Q23", 0},
                                         LabelCase{"NegativeWraps", "Q-233", 1},
                                         LabelCase{"BeyondIntSaturates", "Q4294967319", 0},
                                         LabelCase{"NoQ", "RQMFW_23", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- numbering once the window is open ----

unsigned seq_of(const Bytes& m) {
    return hi_msg_id(m.data()) >> HI_MSG_SEQ_SHIFT;
}

TEST_F(ApiSim, RequestsAreNumberedAndMatchedAcrossTheWrap) {
    ASSERT_EQ(connect(), RQM_SUCCESS);
    requests();
    for (int i = 0; i < 11; ++i) {
        ctl("set mib " + std::to_string(0x00100000 + 0x1000 * i));
        ASSERT_EQ(api_context(), RQM_SUCCESS) << "request " << i;
        EXPECT_EQ(ctx->MibBaseAddress, static_cast<uint32_t>(0x00100000 + 0x1000 * i)) << "request " << i;
    }
    std::vector<unsigned> seqs;
    for (const Bytes& m : requests())
        seqs.push_back(seq_of(m));
    EXPECT_EQ(seqs, (std::vector<unsigned>{0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2}));
    EXPECT_EQ(ctx->Target->pTargetCli->TxSeq, 11u);
    EXPECT_EQ(ctx->Target->pTargetCli->CnfCount, 11u);
}

TEST_F(ApiSim, ResendCarriesTheSameNumberAndIsAnsweredOnce) {
    ASSERT_EQ(connect(), RQM_SUCCESS);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(api_context(), RQM_SUCCESS);
    requests();
    answers();
    ctx->Attempts = 2;
    ctx->CnfTimeoutMs = 200;
    ctl("fault 1016 noanswer 0 1");
    std::string out;
    EXPECT_EQ(api_context(&out), RQM_SUCCESS);
    EXPECT_EQ(out, kTimedOut);
    EXPECT_EQ(requests(),
              (std::vector<Bytes>{with_seq(api_context_request(), 3), with_seq(api_context_request(), 3)}));
    auto sent = answers();
    ASSERT_EQ(sent.size(), 1u) << "answered exactly once";
    EXPECT_EQ(hi_msg_id(sent[0].data()) & HI_MSG_ID_MASK, kApiContextCnf);
    // And the numbers go on from there on both sides.
    EXPECT_EQ(api_context(), RQM_SUCCESS);
    EXPECT_EQ(requests(), std::vector<Bytes>{with_seq(api_context_request(), 4)});
    std::vector<std::string> state;
    ASSERT_TRUE(sim.control("get expected_rx_seq", &state));
    EXPECT_EQ(state, std::vector<std::string>{"5"});
}

// ---- lifecycle ----

TEST_F(ApiSim, StopLeavesNoReceiveThread) {
    EXPECT_EQ(receive_threads(), 1);
    EXPECT_EQ(api_context(), RQM_SUCCESS);
    EXPECT_EQ(RQM_Stop(ctx), RQM_SUCCESS);
    ctx = nullptr;
    EXPECT_EQ(tID, 0u);
    EXPECT_TRUE(eventually([] { return receive_threads() == 0; }));
}

TEST_F(ApiSim, BrokerExitTwiceThenStop) {
    Adapter_Exit(ctx);
    EXPECT_EQ(ctx->Target, nullptr);
    EXPECT_FALSE(ctx->bCnfSemaphoreMade);
    Adapter_Exit(ctx);
    EXPECT_TRUE(eventually([] { return receive_threads() == 0; }));
    EXPECT_EQ(RQM_Stop(ctx), RQM_SUCCESS);
    ctx = nullptr;
}

// The driver going away under a live context: the next send is refused by
// the socket. (Closing our own channel under the live receive thread instead
// would race with that thread on the socket, which the tool never does: it
// stops the API before it closes the channel.)
TEST(ApiSimDriverGone, LostTransportTearsTheTargetDownOnce) {
    auto sim = std::make_unique<SimProcess>();
    ASSERT_TRUE(sim->ok());
    ASSERT_EQ(adapter_connect(), 0);
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    ASSERT_NE(ctx, nullptr);
    ASSERT_EQ(RQM_SetConnectionType(ctx, 5), RQM_SUCCESS);
    ASSERT_EQ(RQM_SetCallbackFunction(ctx, receive), RQM_SUCCESS);
    ASSERT_EQ(Adapter_Init(ctx), 1);
    Bytes connect = connect_request();
    ASSERT_EQ(Adapter_Request_Connect(ctx, connect.data(), nullptr, kConnectCnfSize), RQM_SUCCESS);
    ASSERT_EQ(ctx->FwRunning, 1);
    sim.reset();

    Bytes req = api_context_request();
    Bytes cnf(kApiContextCnfSize, 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Adapter_Request(ctx, req.data(), cnf.data(), kApiContextCnfSize), RQM_TRANSPORT_LOST);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Driver exception!Please check!!\n");
    EXPECT_EQ(ctx->FwRunning, 0);
    EXPECT_EQ(ctx->Target, nullptr);
    EXPECT_EQ(tID, 0u);
    EXPECT_TRUE(eventually([] { return receive_threads() == 0; }));

    testing::internal::CaptureStdout();
    EXPECT_EQ(Adapter_Request(ctx, req.data(), cnf.data(), kApiContextCnfSize), RQM_FW_NOT_RUNNING);
    // The api context call presumes a running firmware, so it meets the
    // missing target itself.
    EXPECT_EQ(RQM_GetAPIContext(ctx), RQM_TRANSPORT_LOST);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "RQM_API_FW_NOT_RUNNING!\nRQM_GetAPIContext failed (41:unknown error)\n");
    EXPECT_EQ(ctx->FwRunning, 0);
    EXPECT_EQ(RQM_Stop(ctx), RQM_SUCCESS);
    adapter_disconnect();
}

}  // namespace
