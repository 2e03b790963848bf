// The one-call starters against the stand-in, on the real channel with the
// receive thread: the lines they put, the code and context they give back,
// and that a context they let go has no receive thread left behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "sim/sim_util.h"
#include "tests/support/cli_run.h"
#include "tests/support/rows.h"
#include "tests/support/sim_process.h"
#include "transport/TargetCli.h"
#include "transport/adapter.h"
#include "transport/vormac_adapter.h"

// The driver channel carries the raw bus configuration without a word on
// the wire, so a failing driver is made here: the test binary links with
// Target_Request wrapped, and the request with this id reports failure.
static uint8_t g_fail_request = 0;
extern "C" int __real__Z14Target_RequestP13TargetContextjPvjj(TargetContext*, uint32_t, void*, uint32_t,
                                                              uint32_t);
extern "C" int __wrap__Z14Target_RequestP13TargetContextjPvjj(TargetContext* t, uint32_t id, void* d,
                                                              uint32_t n, uint32_t r) {
    const int result = __real__Z14Target_RequestP13TargetContextjPvjj(t, id, d, n, r);
    return id == g_fail_request ? 0 : result;
}

namespace {

void on_ind(void*, uint8_t*) {}
int g_user;
constexpr SbusConfig kSbus = {3, 1, 0x10, 0x20};
using StartFn = RqmStartResult (*)(const char* fw, const char* sdd);

RqmStartResult spi(const char* fw, const char*) {
    return {RQM_Start_SpiSdioHif(fw, on_ind, &g_user, nullptr), 0};
}
RqmStartResult ext(const char* fw, const char* sdd) {
    return RQM_Start_SpiSdioHifExtended("", fw, sdd, 1, on_ind, &g_user, nullptr);
}
// The UART forms start nothing: no context, no code, no line.
RqmStartResult uart(const char* fw, const char*) {
    return RQM_Start_UartHif(fw, 1, on_ind, &g_user, nullptr);
}
RqmStartResult uart_ext(const char* fw, const char* sdd) {
    return RQM_Start_UartHifExtended("", fw, sdd, 1, 1, on_ind, &g_user, nullptr);
}
RqmStartResult adv(const char* fw, const char* sdd) {
    return RQM_Start_SpiSdioHifAdvanced(fw, sdd, 1, on_ind, &g_user, nullptr, nullptr);
}
RqmStartResult adv_bus(const char* fw, const char* sdd) {
    return RQM_Start_SpiSdioHifAdvanced(fw, sdd, 1, on_ind, &g_user, nullptr, &kSbus);
}
template <bool Named>
RqmStartResult remote(const char* fw, const char* sdd) {
    return RQM_Start_RemoteHif("", fw, sdd, 1, Named ? "10.0.0.2" : nullptr, 5000, on_ind, &g_user, nullptr);
}
RqmStartResult cli(const char* fw, const char* sdd) {
    return RQM_Start_CliHif(fw, sdd, 1, "115200", on_ind, &g_user, nullptr);
}
RqmStartResult cli_nulls(const char*, const char*) {
    return RQM_Start_CliHif(nullptr, nullptr, 1, nullptr, nullptr, nullptr, nullptr);
}

// The test's file for a path; the stand-in as it is for a fault.
const char K[] = "ok";
const char kStarted[] = "target_driver_request:  MsgId: 0x1";
const char kIgnored[] = "Error downloading the SDD file. Error ignored..";
const char kNoStart[] = "Error: Unable to start firmware";
const char kNoImage[] = "Error ?Invalid firmware filename";
const char kRefuse[] = "fault 54 status 3";

struct Case {
    const char* name;
    const char* fault;  // a stand-in control line before the start
    uint8_t failRequest;
    StartFn start;
    const char* fw;
    int code;
    uint32_t type;     // connection type of the context given back; 0 for none
    const char* has;   // a run of lines the output holds
    const char* last;  // the output's last line; "" for no output at all
};

// clang-format off
const Case kCases[] = {
    {"Spi", K, 0, spi, K, 0, 1, "Adapter_Start\nSDD file not set", kStarted},
    {"SpiNoPath", K, 0, spi, nullptr, 0, 0, "", "Error - Invalid firmware filename"},
    {"Ext", K, 0, ext, K, 0, 1, "", kStarted},
    {"ExtNoImagePath", K, 0, ext, nullptr, 1, 0, "", kNoImage},
    {"ExtSddRefused", kRefuse, 0, ext, K, 3, 0, "",
     "RQM_DownloadSdd failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)"},
    {"AdvBus", K, 0, adv_bus, K, 0, 1,
     "0x10\nTarget_Request\ntarget_driver_request:  MsgId: 0x7\nAdapter_Start", kStarted},
    {"AdvSddRefused", kRefuse, 0, adv, K, 3, 1, "", kIgnored},
    {"AdvBusFails", K, 16, adv_bus, K, 1, 0, "MsgId: 0x10\nError", kNoStart},
    {"AdvNoImagePath", K, 0, adv, nullptr, 1, 0, "", kNoImage},
    {"Uart", K, 0, uart, K, 0, 0, "", ""},
    {"UartExt", K, 0, uart_ext, K, 0, 0, "", ""},
    {"Remote", K, 0, remote<true>, K, 0, 3, "", kStarted},
    {"RemoteSddRefused", kRefuse, 0, remote<true>, K, 3, 3, "", kIgnored},
    {"RemoteNoName", K, 0, remote<false>, K, 1, 0, "", "Error ?Invalid firmware filename or remoteIp"},
    {"Cli", K, 0, cli, K, 0, 5,
     "\nRQM_Create\nRQM_SetCallbackFunction\nRQM_SetConnectionType\nRQM_SetFirmwarePath\nRQM_SetSDDPath:/",
     "RQM_DownloadSdd"},
    {"CliSddRefused", kRefuse, 0, cli, K, 3, 5, "0x1\nRQM_DownloadSdd\nRQM_DownloadSdd failed (3:", kIgnored},
    {"CliNulls", K, 0, cli_nulls, K, 1, 0,
     "RQM_Start_CliHif:pchFirmwarePath=(null), pchSDDPath=(null), pUartCfgStr=(null) pfnRxIndMsgsCb=0x(nil), "
     "pUserCB_Context=0x(nil), pfnUI_Puts_Cb=0x(nil)\n",
     "Error ?Invalid filename provided"},
};
// clang-format on

class Starter : public testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok()) << sim.last_error();
        ASSERT_EQ(adapter_connect(), 0);
        ASSERT_TRUE(dir.write("rqm.sdd", std::string(sddBytes.begin(), sddBytes.end())));
        ASSERT_TRUE(dir.write("fw.bin", std::string(1100, 'F')));
    }
    void TearDown() override {
        g_fail_request = 0;
        adapter_disconnect();
    }
    const std::vector<uint8_t> sddBytes = {0xC0, 0x02, 0x02, 0x05, 0x11, 0x22, 0x33};
    SimProcess sim;
    TempDir dir;
};

TEST_P(Starter, LinesCodeAndContext) {
    const Case& c = GetParam();
    ASSERT_TRUE(c.fault == K || sim.control(c.fault)) << sim.last_error();
    g_fail_request = c.failRequest;
    const std::string fw = dir.path() + "/fw.bin", sdd = dir.path() + "/rqm.sdd";
    // The boot loader's report waits in the channel, so the first download
    // need not catch the answer to its reboot. The image's own report must
    // still come within the target's 3 ms: a start that misses it (a loaded
    // machine may, several times in a row) is tried again where the case
    // means it to succeed.
    RqmStartResult r{};
    std::string out;
    for (int attempt = 0; attempt < 10; ++attempt) {
        ASSERT_TRUE(sim.control("send boot 3 0"));
        testing::internal::CaptureStdout();
        r = c.start(c.fw == K ? fw.c_str() : c.fw, sdd.c_str());
        out = testing::internal::GetCapturedStdout();
        if (c.last == kNoStart || out.find(kNoStart) == std::string::npos)
            break;
    }
    EXPECT_EQ(r.ErrorCode, c.code);
    EXPECT_NE(out.find(c.has), std::string::npos) << out;
    EXPECT_TRUE(*c.last == '\0' ? out.empty() : out.ends_with(std::string(c.last) + "\n")) << out;
    if (c.type == 0) {
        EXPECT_EQ(r.pRqmApiContext, nullptr);
        EXPECT_EQ(tID, 0u) << "a context let go leaves no receive thread";
        return;
    }
    ASSERT_NE(r.pRqmApiContext, nullptr);
    EXPECT_EQ(r.pRqmApiContext->ConnectionType, c.type);
    EXPECT_EQ(r.pRqmApiContext->FwRunning, 1);
    std::vector<std::string> got;
    std::vector<uint8_t> sent = sddBytes;
    sent.insert(sent.end(), {1, 0, 0, 0});  // the trailer bWriteSDD and three zeros
    EXPECT_TRUE(sim.control("get download sdd54", &got));
    EXPECT_EQ(got, std::vector<std::string>{c.start == spi ? "none" : "bytes " + sim_hex(sent)});
    RQM_Stop(r.pRqmApiContext);
}

INSTANTIATE_TEST_SUITE_P(Starters, Starter, testing::ValuesIn(kCases), RowName());

}  // namespace
