// The device commands of the program against the stand-in: connect with and
// without the boot loader's report and the driver's refusals, the record a
// refused connect leaves alone, reconnect, soft reset, disconnect, and the
// MAC addresses; each with what it prints and the exact requests the driver
// got. Then, in-process, the bounds of the raw senders and of the register
// access by bus type.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "api/rqm_api.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "sim/sim_util.h"
#include "tests/support/api_calls.h"
#include "tests/support/sim_rows.h"
#include "transport/adapter.h"
#include "transport/vormac_adapter.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kRunning = "RQM fw is running!!\n\n";
// What a run's start-up fetch prints when the driver says the firmware is down.
const std::string kFetchFwDown =
    "RQM_API_FW_NOT_RUNNING!\nRQM_Get_Cli_Param-1376 ErrCode = 43\nRQM_Get_Cli_Param failed (43:unknown "
    "error)\n";

// The record every run starts with: a transmission is running (word 13).
Bytes session_record() {
    Bytes r(CLI_DRIVER_DATA_SIZE);
    for (size_t i = 0; i < r.size(); ++i)
        r[i] = static_cast<uint8_t>(0x30 + i);
    hi_wr16(r.data() + 2 * CLI_WORD_TX_RUNNING, 1);
    hi_wr16(r.data() + 2 * CLI_WORD_CHIP_VARIANT, 0);
    return r;
}

uint16_t word_of(const std::string& recordHex, unsigned word) {
    Bytes r;
    if (!sim_parse_hex(recordHex, &r) || r.size() != CLI_DRIVER_DATA_SIZE)
        return 0xFFFF;
    return hi_rd16(r.data() + 2 * word);
}

const Bytes kConnectReq = HiBuild(1018, {0x02000009, 50});
const Bytes kReconnectReq = HiBuild(1020, {0x02000009, 50});
const Bytes kDisconnectReq = HiBuild(1019);
const Bytes kSoftResetReq = HiBuild(1023);
const Bytes kSddConfigReq = HiBuild(54, {0});

// Requests 55 and 56: the kind at 8, the address at 12, the rest zero.
Bytes mac_req(uint16_t id, uint32_t kind, const Bytes& mac = Bytes(6, 0)) {
    return HiBuild(id, {0, kind}).put(mac.data(), mac.size()).zeros(2);
}

Bytes get_mac(uint32_t kind) {
    return mac_req(55, kind);
}

Bytes set_mac(uint32_t kind, const Bytes& mac) {
    return mac_req(56, kind, mac);
}

const Bytes kMacA = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
const Bytes kMacB = {0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5};
const Bytes kMacC = {0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
const std::string kSourceLine = "Source mac address:\t00:11:22:33:44:55\n";
const std::string kDefaultSource = "Source mac address:\t02:00:00:00:00:01\n";
const std::string kDefaultDest = "Dest mac address:\tFF:FF:FF:FF:FF:FF\n";
const std::string kDefaultBssid = "BSSID:\t\t\t02:00:00:00:00:02\n";
const std::string kParamError = "There is a param error!\n";

class Device : public SimRows {
protected:
    CliRun run(std::vector<std::string> words, int timeout_ms = 10000) {
        return run_on_sim(RQMCLI_SIM_PATH, std::move(words), Settings::None, timeout_ms);
    }
};

// ---- connect ----

// One connect, then a second run that finds the firmware the first left
// running, then a second connect the driver refuses.
TEST_F(Device, ConnectStartsASessionTheNextRunsUse) {
    ctl("set label FW_Q23.01");
    ctl("set record " + sim_hex(session_record()));
    const auto t0 = Clock::now();
    CliRun r = run({"connect"});
    const auto took = Clock::now() - t0;
    ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, kRunning + kOk);
    EXPECT_EQ(r.err, "");
    // The tool waits a whole second for the boot loader before it looks.
    EXPECT_GE(took, std::chrono::milliseconds(1000));
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    EXPECT_EQ(r.wire.bytes({1018, 54}), (Msgs{kConnectReq, kSddConfigReq}));
    EXPECT_EQ(driver_requests(r.wire), (std::vector<unsigned>{1016, 1018, 993, 994}));
    EXPECT_EQ(get("connected"), "1");
    const std::string record = get("record");
    EXPECT_EQ(word_of(record, CLI_WORD_CHIP_VARIANT), 1) << record;
    EXPECT_EQ(word_of(record, CLI_WORD_TX_RUNNING), 0) << "the defaults of a new session";

    r = run({"get_mac"});
    EXPECT_EQ(r.out, kDefaultSource + kDefaultDest + kDefaultBssid + kOk);
    EXPECT_EQ(r.wire.bytes({55}), (Msgs{get_mac(0), get_mac(1), get_mac(2)}));
    EXPECT_EQ(get("record"), record) << "fetched and pushed back as it was";

    // The session in progress keeps its record when a second connect is
    // refused, a transmission flag included.
    Bytes running = session_record();
    hi_wr16(running.data() + 2 * CLI_WORD_CHIP_VARIANT, 1);
    ctl("set record " + sim_hex(running));
    const auto t1 = Clock::now();
    r = run({"connect"});
    EXPECT_LT(Clock::now() - t1, std::chrono::milliseconds(1000)) << "a refusal is not waited on";
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out,
              "RQM has already connected!\nRQM_Connect failed (5:BOOT_ERR_CONNECTED\tRQM has already "
              "connected!)\n" +
                  kError);
    EXPECT_EQ(driver_requests(r.wire), (std::vector<unsigned>{1016, 1018}));
    EXPECT_EQ(get("record"), sim_hex(running));
}

TEST_F(Device, ConnectWithoutTheBootLoaderFailsAfterThreeSeconds) {
    ctl("set bootind 0");
    ctl("set record " + sim_hex(session_record()));
    const auto t0 = Clock::now();
    const CliRun r = run({"connect"});
    const auto took = Clock::now() - t0;
    ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out,
              kRunning + "The boot loader is not running\nRQM_Connect failed (-1:unknown error)\n" + kError);
    EXPECT_GE(took, std::chrono::milliseconds(3000));
    EXPECT_LT(took, std::chrono::milliseconds(4500));
    EXPECT_FALSE(r.wire.has(54)) << "no SDD configuration after a failed connect";
    EXPECT_EQ(driver_requests(r.wire), (std::vector<unsigned>{1016, 1018}));
    EXPECT_EQ(get("record"), sim_hex(session_record()));
}

TEST_F(Device, ConnectWhoseSddConfigurationIsRefusedFails) {
    ctl("fault 54 status 3");
    ctl("set record " + sim_hex(session_record()));
    const CliRun r = run({"connect"});
    EXPECT_EQ(r.exit_code, 0) << testing::PrintToString(r);
    EXPECT_EQ(r.out, kRunning + "RQM_SDDConfig failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n" + kError);
    EXPECT_EQ(r.wire.bytes({1018, 54}), (Msgs{kConnectReq, kSddConfigReq}));
    EXPECT_EQ(driver_requests(r.wire), (std::vector<unsigned>{1016, 1018}));
    EXPECT_EQ(get("record"), sim_hex(session_record()));
}

// ---- the driver-level commands ----

// After the session record. sent: requests 54 and 1018 to 1023.
// clang-format off
const RunRow kDriverRunCases[] = {
    {.name = "ConnectWithWifiOn", .presets = "set wifi 1", .words = "connect",
     .out = "Please turn off WIFI!\nRQM_Connect failed (6:BOOT_ERR_WLAN_MODE\tPlease turn off WIFI!)\n" +
         kError,
     .sent = {kConnectReq}, .after = "connected=0"},
    {.name = "ConnectFromATooOldTool", .presets = "set minversion 0x0200000A", .words = "connect",
     .out = "Please upgrade rqm cli version!\nRQM_Connect failed (10:RQM_ERR_CHECK_VERSION\tPlease upgrade "
         "rqm cli version!)\n" + kError,
     .sent = {kConnectReq}, .after = "connected=0"},
    {.name = "Reconnect", .presets = "set connected 1", .words = "reconnect", .out = kRunning + kOk,
     .sent = {kReconnectReq}, .after = "connected=1;numbering=1"},
    {.name = "ReconnectRefused", .presets = "set connected 1;fault 1020 refuse 8", .words = "reconnect",
     .out = "Try to solve it by reboot!\nRQM_Reconnect failed (8:RQM_ERR_IO_FAILED\tTry to solve it by "
         "reboot!)\n" + kError,
     .sent = {kReconnectReq}},
    {.name = "ReconnectWithTheFirmwareDown", .words = "reconnect",
     .out = kFetchFwDown + "RQM_API_FW_NOT_RUNNING!\nRQM_Reconnect failed (43:unknown error)\n" + kError},
    {.name = "SoftReset", .presets = "set connected 1", .words = "soft_reset", .out = kOk,
     .sent = {kSoftResetReq}, .after = "connected=0"},
    {.name = "SoftResetRefused", .presets = "set connected 1;fault 1023 refuse 9", .words = "soft_reset",
     .out = "Try to solve it by reboot!\nRQM_SoftReset failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by "
         "reboot!)\n" + kError,
     .sent = {kSoftResetReq}},
    {.name = "Disconnect", .presets = "set connected 1", .words = "disconnect", .out = kOk,
     .sent = {kDisconnectReq}, .after = "connected=0"},
    {.name = "SddConfig", .presets = "set connected 1", .words = "sdd_config", .out = kOk,
     .sent = {kSddConfigReq}},
};
// clang-format on

class DriverRun : public Device, public testing::WithParamInterface<RunRow> {};

TEST_P(DriverRun, OutputWireAndState) {
    ctl("set record " + sim_hex(session_record()));
    const RowRuns r = run_row(GetParam(), RQMCLI_SIM_PATH);
    EXPECT_EQ(r.wire.with({54, 1018, 1019, 1020, 1023}), hi_msgs(GetParam().sent));
    // Fetched and pushed back unchanged, or not touched at all.
    EXPECT_EQ(get("record"), sim_hex(session_record()));
}

INSTANTIATE_TEST_SUITE_P(Commands, DriverRun, testing::ValuesIn(kDriverRunCases), RowName());

// ---- MAC addresses ----

// After "set connected 1". sent: requests 55 and 56.
// clang-format off
const RunRow kMacCases[] = {
    {.name = "SetSource", .words = "set_mac -s 00:11:22:33:44:55", .out = kSourceLine + kOk,
     .sent = {set_mac(0, kMacA)}, .after = "mac 0=001122334455;mac 1=ffffffffffff"},
    {.name = "SetDestLongOption", .words = "set_mac --dest_addr a0:b1:c2:d3:e4:f5",
     .out = "Dest mac address:\tA0:B1:C2:D3:E4:F5\n" + kOk, .sent = {set_mac(1, kMacB)},
     .after = "mac 1=a0b1c2d3e4f5"},
    {.name = "SetBssid", .words = "set_mac -t 0a:0B:0c:0D:0e:0F",
     .out = "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\n" + kOk, .sent = {set_mac(2, kMacC)},
     .after = "mac 2=0a0b0c0d0e0f"},
    {.name = "SourceThenBssidInThatOrder", .words = "set_mac -s 00:11:22:33:44:55 -t 0a:0b:0c:0d:0e:0f",
     .out = kSourceLine + "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\n" + kOk,
     .sent = {set_mac(0, kMacA), set_mac(2, kMacC)}},
    {.name = "BssidThenSourceInThatOrder",
     .words = "set_mac --BSSID=0a:0b:0c:0d:0e:0f --source_addr 00:11:22:33:44:55",
     .out = "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\n" + kSourceLine + kOk,
     .sent = {set_mac(2, kMacC), set_mac(0, kMacA)}},
    {.name = "DashesSetTheSameBytes", .words = "set_mac -s 00-11-22-33-44-55", .out = kSourceLine + kOk,
     .sent = {set_mac(0, kMacA)}, .after = "mac 0=001122334455"},
    {.name = "FiveGroups", .words = "set_mac -s 00:11:22:33:44", .out = kParamError + kError,
     .after = "mac 0=020000000001"},
    {.name = "NotHex", .words = "set_mac -s 0G:11:22:33:44:55", .out = kParamError + kError},
    {.name = "SecondDigitNotHex", .words = "set_mac -d 00:11:22:33:44:5x", .out = kParamError + kError},
    {.name = "EighteenCharacters", .words = "set_mac -t 00:11:22:33:44:555", .out = kParamError + kError},
    // What went before the bad option has been sent.
    {.name = "BadSecondOption", .words = "set_mac -s 00:11:22:33:44:55 -d 00:11",
     .out = kSourceLine + kParamError + kError, .sent = {set_mac(0, kMacA)},
     .after = "mac 0=001122334455;mac 1=ffffffffffff"},
    {.name = "SetRefusedByStatus", .presets = "fault 56 status 3",
     .words = "set_mac -s 00:11:22:33:44:55 -t 0a:0b:0c:0d:0e:0f",
     .out = kSourceLine + "RQM_SetMacAddr failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n"
         "There was a problem with setting source mac address!\n" + kError,
     .sent = {set_mac(0, kMacA)}},
    {.name = "SetBssidRefusedByTheDriver", .presets = "fault 56 refuse 7",
     .words = "set_mac -t 0a:0b:0c:0d:0e:0f",
     .out = "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\nRQM not connect,please connect first!\n"
         "RQM_SetMacAddr failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n"
         "There was a problem with setting BSSID!\n" + kError,
     .sent = {set_mac(2, kMacC)}},
    {.name = "NoArgument", .words = "set_mac", .out = "No param input!Please input params!\n" + kError},
    {.name = "OnlyAWordThatIsNoOption", .words = "set_mac source", .out = kOk},
    {.name = "UnknownOptionIsPassedOver", .words = "set_mac -x -s 00:11:22:33:44:55",
     .out = kSourceLine + kOk, .err = "set_mac: invalid option -- 'x'\n", .sent = {set_mac(0, kMacA)}},
    {.name = "GetAll", .words = "get_mac", .out = kDefaultSource + kDefaultDest + kDefaultBssid + kOk,
     .sent = {get_mac(0), get_mac(1), get_mac(2)}},
    {.name = "GetPresetsInUpperCase", .presets = "set mac 0 a0b1c2d3e4f5;set mac 2 000000000000",
     .words = "get_mac",
     .out = "Source mac address:\tA0:B1:C2:D3:E4:F5\n" + kDefaultDest + "BSSID:\t\t\t00:00:00:00:00:00\n" +
         kOk,
     .sent = {get_mac(0), get_mac(1), get_mac(2)}},
    {.name = "GetWhoseSecondReadFails", .presets = "fault 55 status 3 1 after 1", .words = "get_mac",
     .out = kDefaultSource + "RQM_GetMacAddr failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n"
         "There was a problem with getting dest mac address!\n" + kError,
     .sent = {get_mac(0), get_mac(1)}},
    {.name = "GetWhoseThirdReadIsRefused", .presets = "fault 55 refuse 7 1 after 2", .words = "get_mac",
     .out = kDefaultSource + kDefaultDest + "RQM not connect,please connect first!\n"
         "RQM_GetMacAddr failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n"
         "There was a problem with getting BSSID!\n" + kError,
     .sent = {get_mac(0), get_mac(1), get_mac(2)}},
    {.name = "GetWithTheFirmwareDown", .presets = "set connected 0", .words = "get_mac",
     .out = kFetchFwDown + "RQM_API_FW_NOT_RUNNING!\nRQM_GetMacAddr failed (43:unknown error)\n"
         "There was a problem with getting source mac address!\n" + kError},
};
// clang-format on

class MacRun : public Device, public testing::WithParamInterface<RunRow> {};

TEST_P(MacRun, OutputWireAndAddresses) {
    ctl("set connected 1");
    const RowRuns r = run_row(GetParam(), RQMCLI_SIM_PATH);
    EXPECT_EQ(r.wire.with({55, 56}), hi_msgs(GetParam().sent));
}

INSTANTIATE_TEST_SUITE_P(Commands, MacRun, testing::ValuesIn(kMacCases), RowName());

TEST_F(Device, AddressesSetInThreeRunsAreReadInAFourth) {
    ctl("set connected 1");
    const std::pair<std::vector<std::string>, std::string> sets[] = {
        {{"set_mac", "-s", "00:11:22:33:44:55"}, kSourceLine},
        {{"set_mac", "-d", "a0:b1:c2:d3:e4:f5"}, "Dest mac address:\tA0:B1:C2:D3:E4:F5\n"},
        {{"set_mac", "-t", "0a:0b:0c:0d:0e:0f"}, "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\n"},
    };
    for (const auto& [words, line] : sets)
        EXPECT_EQ(run(words).out, line + kOk);
    const CliRun r = run({"get_mac"});
    EXPECT_EQ(r.out,
              kSourceLine + "Dest mac address:\tA0:B1:C2:D3:E4:F5\nBSSID:\t\t\t0A:0B:0C:0D:0E:0F\n" + kOk);
}

// Every answer comes twice: the second copy of one kind's answer may land
// while the next kind's request waits, and must not be taken for it.
TEST_F(Device, DuplicatedAnswersNeverGiveAnotherKindsAddress) {
    ctl("set connected 1");
    ctl("fault 55 dup 0 0");
    int wrong = 0;
    for (int i = 0; i < 200; ++i) {
        const CliRun r = run({"get_mac"});
        if (r.out != kDefaultSource + kDefaultDest + kDefaultBssid + kOk && ++wrong == 1)
            ADD_FAILURE() << "run " << i << ": " << testing::PrintToString(r);
    }
    EXPECT_EQ(wrong, 0);
}

// ---- in-process: the raw senders and the register access by bus type ----

// The API set up as the program sets it up, then the connect handshake, so
// that the firmware's largest message is known. The handshake is driven
// directly: the tool's own connect adds a second's wait for the boot
// loader that has nothing to do with the bounds.
using InProcess = InProcessOn<Device>;

Bytes payload_of(uint32_t n) {
    Bytes p(n);
    for (uint32_t i = 0; i < n; ++i)
        p[i] = static_cast<uint8_t>(1 + 3 * i);
    return p;
}

// The raw request: MsgLen, id, a zero word, the payload.
Bytes raw_msg(uint16_t id, const Bytes& payload) {
    return HiBuild(id, {0}).put(payload.data(), payload.size());
}

enum class Sender { Raw, Proxy };
using enum Sender;

struct RawCase {
    const char* name;
    const char* preset;  // a stand-in control line, or ""
    Sender sender;
    uint16_t id;  // the raw sender's; the proxy always sends 62
    uint32_t length;
    bool nullPayload;
    int result;
    bool sent;
    std::string out;
};

const std::string kNoAnswerLine = "Adapter_Request pRqmApiContext->MsgReceivedSize == 0\n";

// The report of a failed raw (or proxy) send.
std::string raw_failed(Sender s, int code, const char* text) {
    return std::string(s == Raw ? "RQM_SendReqToFw_Raw" : "RQM_SendRawMsgToTgtProxy") + " failed (" +
           std::to_string(code) + ":" + text + ")\n";
}

const char kTooLarge[] = "BOOT_ERR_FILE_SIZE\tFirmware error!";
const char kInvalid[] = "RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!";
const char kMissing[] = "BOOT_ERR_CONNECTED\tRQM has already connected!";
const char kM1000[] = "set maxmsg 1000";
const char kM4000[] = "set maxmsg 4000";

const RawCase kRawCases[] = {
    {"RawAtTheFirmwareLimit", kM1000, Raw, 54, 992, false, 0, true, ""},
    {"RawAboveTheFirmwareLimit", kM1000, Raw, 54, 993, false, 3, false, raw_failed(Raw, 3, kTooLarge)},
    {"RawAtTheChannelLimit", kM4000, Raw, 54, 1512, false, 0, true, ""},
    {"RawAboveTheChannelLimit", kM4000, Raw, 54, 1513, false, 3, false, raw_failed(Raw, 3, kTooLarge)},
    {"RawOfTheLargestMessage", "set maxmsg 9000", Raw, 54, 8180, false, 3, false,
     raw_failed(Raw, 3, kTooLarge)},
    {"RawAboveAnyMessage", "", Raw, 54, 8181, false, 9, false, raw_failed(Raw, 9, kInvalid)},
    {"RawLongestLength", "", Raw, 54, 0xFFFF, false, 9, false, raw_failed(Raw, 9, kInvalid)},
    {"RawNullPayloadWithLength", "", Raw, 54, 5, true, 5, false, raw_failed(Raw, 5, kMissing)},
    {"RawNullPayloadBeforeSize", "", Raw, 54, 8181, true, 5, false, raw_failed(Raw, 5, kMissing)},
    {"RawEmpty", "", Raw, 54, 0, true, 0, true, ""},
    {"RawStatus", "fault 54 status 4", Raw, 54, 4, false, 4, true,
     raw_failed(Raw, 4, "BOOT_ERR_BAD_OP\tInvalid operation!")},
    {"RawAnswerAboveEightBytes", "", Raw, 62, 0, true, 1, true,
     kNoAnswerLine + raw_failed(Raw, 1, "BOOT_ERR_DECODE\tFirmware error!")},
    {"ProxyAtTheFirmwareLimit", kM1000, Proxy, 62, 992, false, 0, true, ""},
    {"ProxyAboveTheFirmwareLimit", kM1000, Proxy, 62, 993, false, 3, false, raw_failed(Proxy, 3, kTooLarge)},
    {"ProxyAboveTheChannelLimit", kM4000, Proxy, 62, 1513, false, 3, false, raw_failed(Proxy, 3, kTooLarge)},
    // The proxy bounds its payload, the raw sender its whole message.
    {"ProxyPayloadOfTheLargestMessage", "", Proxy, 62, 8188, false, 3, false,
     raw_failed(Proxy, 3, kTooLarge)},
    {"ProxyAboveAnyMessage", "", Proxy, 62, 8189, false, 9, false, raw_failed(Proxy, 9, kInvalid)},
    {"ProxySizeBeforeNullPayload", "", Proxy, 62, 8189, true, 9, false, raw_failed(Proxy, 9, kInvalid)},
    {"ProxyNullPayloadWithLength", "", Proxy, 62, 5, true, 5, false, raw_failed(Proxy, 5, kMissing)},
    {"ProxyEmpty", "", Proxy, 62, 0, true, 0, true, ""},
    {"ProxyStatus", "fault 62 status 2", Proxy, 62, 3, false, 2, true,
     raw_failed(Proxy, 2, "BOOT_ERR_CHECKSUM\tFirmware error!")},
};

class RawBound : public InProcess, public testing::WithParamInterface<RawCase> {};

TEST_P(RawBound, ResultReportAndWire) {
    const RawCase& c = GetParam();
    open(c.preset[0] == '\0' ? std::vector<std::string>{} : std::vector<std::string>{c.preset});
    if (HasFatalFailure())
        return;
    const Bytes payload = payload_of(c.length);
    const void* p = c.nullPayload ? nullptr : payload.data();
    testing::internal::CaptureStdout();
    const int result = c.sender == Sender::Raw
                           ? RQM_SendReqToFw_Raw(ctx_, c.id, p, static_cast<uint16_t>(c.length))
                           : RQM_SendRawMsgToTgtProxy(ctx_, p, c.length);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(result, c.result);
    const Msgs got = wire();
    if (!c.sent) {
        EXPECT_TRUE(got.empty()) << got.size() << " messages went out";
        return;
    }
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], raw_msg(c.id, c.nullPayload ? Bytes{} : payload));
}

INSTANTIATE_TEST_SUITE_P(Lengths, RawBound, testing::ValuesIn(kRawCases),
                         [](const auto& info) { return std::string(info.param.name); });

constexpr uint8_t kUntouched = 0xEE;

// A register read of Count bytes into a buffer of kUntouched bytes; got:
// what it holds afterwards up to the last byte the read changed.
template <uint32_t Type, uint32_t Address, uint32_t Count>
int reg_read(RqmApiContext* ctx, std::string* got) {
    Bytes dst(1100, kUntouched);
    const int result = RQM_ReadRegType(ctx, Type, Address, Count, dst.data());
    while (!dst.empty() && dst.back() == kUntouched)
        dst.pop_back();
    *got = sim_hex(dst);
    return result;
}

template <uint32_t Type, uint32_t Address, uint32_t Value>
int reg_write(RqmApiContext* ctx, std::string*) {
    const uint32_t value = Value;
    return RQM_WriteRegType(ctx, Type, Address, &value);
}

Bytes read_req(uint32_t type, uint32_t address, uint32_t count) {
    return HiBuild(1014, {type, address, count});
}

Bytes write_req(uint32_t type, uint32_t address, uint32_t value) {
    return HiBuild(1015, {0xFFFFFFFF, type, address, value});
}

const std::string kReadDecode = failed("RQM_ReadRegType", 1);
const std::string kWriteDecode = failed("RQM_WriteRegType", 1);

// clang-format off
const ApiCall kRegisterCalls[] = {
    // ---- reads ----
    {.name = "ReadHif", .presets = {"set hif 0x100 0x44332211"}, .call = reg_read<1, 0x100, 4>,
     .got = "11223344", .sent = Msgs{read_req(1, 0x100, 4)}},
    {.name = "ReadAhbTwoWords", .presets = {"set ahb 0x40000000 0xA0A1A2A3", "set ahb 0x40000004 0xB0B1B2B3"},
     .call = reg_read<2, 0x40000000, 8>, .got = "a3a2a1a0b3b2b1b0", .sent = Msgs{read_req(2, 0x40000000, 8)}},
    {.name = "ReadApbApartFromTheOthers", .presets = {"set apb 0x10 5", "set hif 0x10 6", "set ahb 0x10 7"},
     .call = reg_read<3, 0x10, 4>, .got = "05000000", .sent = Msgs{read_req(3, 0x10, 4)}},
    // The driver answers whole words; the tool copies what it asked for.
    {.name = "ReadCountBelowAWord", .presets = {"set hif 0 0x04030201", "set hif 4 0x08070605"},
     .call = reg_read<1, 0, 5>, .got = "0102030405", .sent = Msgs{read_req(1, 0, 5)}},
    // The answer says 16 bytes but carries 8: no answer, nothing copied.
    {.name = "ReadAnswerCutShort",
     .presets = {"set hif 0 0x04030201", "set hif 4 0x08070605", "set hif 8 0x0C0B0A09",
                 "fault 1014 short 20"},
     .call = reg_read<1, 0, 16>, .result = 1, .out = kReadDecode, .sent = Msgs{read_req(1, 0, 16)}},
    {.name = "ReadAnswerWithoutItsData", .presets = {"set hif 0 0x04030201", "fault 1014 short 12"},
     .call = reg_read<1, 0, 4>, .result = 1, .out = kReadDecode, .sent = Msgs{read_req(1, 0, 4)}},
    {.name = "ReadAnswerShorterThanItsHead", .presets = {"set hif 0 1", "fault 1014 short 10"},
     .call = reg_read<1, 0, 4>, .result = 1, .out = kReadDecode, .sent = Msgs{read_req(1, 0, 4)}},
    {.name = "ReadStatusStillCopies", .presets = {"set ahb 0x20 0x0D0C0B0A", "fault 1014 status 6"},
     .call = reg_read<2, 0x20, 4>, .result = 6, .got = "0a0b0c0d", .out = failed("RQM_ReadRegType", 6),
     .sent = Msgs{read_req(2, 0x20, 4)}},
    {.name = "ReadNothingAsked", .presets = {"set hif 0 1"}, .call = reg_read<1, 0, 0>,
     .sent = Msgs{read_req(1, 0, 0)}},
    {.name = "ReadUnknownType", .presets = {"set hif 0 1"}, .call = reg_read<4, 0, 4>, .result = 1,
     .out = kReadDecode, .sent = Msgs{read_req(4, 0, 4)}},
    {.name = "ReadAboveOneAnswer", .call = reg_read<1, 0, 1025>, .result = 1, .out = kReadDecode,
     .sent = Msgs{read_req(1, 0, 1025)}},
    {.name = "ReadRefused", .presets = {"fault 1014 refuse 7"}, .call = reg_read<1, 0, 4>, .result = 7,
     .out = "RQM not connect,please connect first!\n" + failed("RQM_ReadRegType", 7),
     .sent = Msgs{read_req(1, 0, 4)}},
    // ---- writes ----
    {.name = "WriteHif", .call = reg_write<1, 0x20, 0x12345678>, .sent = Msgs{write_req(1, 0x20, 0x12345678)},
     .after = {{"hif 0x20", "0x12345678"}, {"ahb 0x20", "0x00000000"}}},
    {.name = "WriteAhb", .call = reg_write<2, 0x40000000, 0xFFFFFFFF>,
     .sent = Msgs{write_req(2, 0x40000000, 0xFFFFFFFF)}, .after = {{"ahb 0x40000000", "0xffffffff"}}},
    {.name = "WriteApb", .call = reg_write<3, 0xFFFFFFFC, 1>, .sent = Msgs{write_req(3, 0xFFFFFFFC, 1)},
     .after = {{"apb 0xfffffffc", "0x00000001"}, {"hif 0xfffffffc", "0x00000000"}}},
    {.name = "WriteUnknownTypeStoresNothing", .call = reg_write<0, 0x20, 5>, .result = 1, .out = kWriteDecode,
     .sent = Msgs{write_req(0, 0x20, 5)}, .after = {{"hif 0x20", "0x00000000"}}},
    {.name = "WriteUnaligned", .call = reg_write<2, 0x22, 5>, .result = 1, .out = kWriteDecode,
     .sent = Msgs{write_req(2, 0x22, 5)}},
    // The write took place; only its answer went missing.
    {.name = "WriteAnswerTooShort", .presets = {"fault 1015 short 6"}, .call = reg_write<1, 0x20, 5>,
     .result = 1, .out = kWriteDecode, .sent = Msgs{write_req(1, 0x20, 5)},
     .after = {{"hif 0x20", "0x00000005"}}},
    {.name = "WriteRefused", .presets = {"fault 1015 refuse 7"}, .call = reg_write<2, 0x20, 5>, .result = 7,
     .out = "RQM not connect,please connect first!\n" + failed("RQM_WriteRegType", 7),
     .sent = Msgs{write_req(2, 0x20, 5)}},
};
// clang-format on

TEST_P(ApiCalls, Registers) {
    check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Registers, ApiCalls, testing::ValuesIn(kRegisterCalls), RowName());

TEST_F(InProcess, RegisterCallsWithoutABufferSendNothing) {
    open({});
    if (HasFatalFailure())
        return;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_ReadRegType(ctx_, 1, 0, 4, nullptr), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_WriteRegType(ctx_, 1, 0, nullptr), RQM_INVALID_PARAMETER);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "RQM_ReadRegType failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!)\n"
              "RQM_WriteRegType failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!)\n");
    EXPECT_TRUE(wire().empty());
}

// ---- in-process: the general device requests the stand-in models ----

enum class Hwt { Hif, Enc, Mic };

struct HwtCase {
    const char* name;
    std::vector<std::string> presets;
    Hwt which;
    uint16_t param1, param2;
    int result;
    std::vector<uint32_t> results;                   // the caller's array afterwards
    std::vector<std::pair<uint16_t, uint8_t>> sent;  // test id and encryption step of each request
    std::string out = "";
};

constexpr uint32_t kNotStored = 0xEEEEEEEE;

const HwtCase kHwtCases[] = {
    {"Hif", {"set hwtest 1 0x11", "set hwtest 2 0x22"}, Hwt::Hif, 100, 3, 0, {0x11, 0x22}, {{1, 0}, {2, 0}}},
    {"Enc",
     {"set hwtest 3 0x33"},
     Hwt::Enc,
     1,
     0xFFFF,
     0,
     {0x33, 0x33, 0x33, 0x33},
     {{3, 2}, {3, 4}, {3, 6}, {3, 7}}},
    {"Mic", {"set hwtest 4 0x44"}, Hwt::Mic, 7, 9, 0, {0x44}, {{4, 0}}},
    // A failing step's result is kept; the step after it still goes out
    // but its result is not.
    {"EncSecondStepFails",
     {"set hwtest 3 0x33", "fault 4 status 5 1 after 1"},
     Hwt::Enc,
     1,
     2,
     5,
     {0x33, 0x33, kNotStored, kNotStored},
     {{3, 2}, {3, 4}, {3, 6}},
     "RQM_HWT_ENC failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n"},
    {"HifFirstRefused",
     {"fault 4 refuse 7 1"},
     Hwt::Hif,
     1,
     2,
     7,
     {kNotStored, kNotStored},
     {{1, 0}},
     "RQM not connect,please connect first!\nRQM_HWT_HIF failed (7:RQM_ERR_NOT_CONNECT\tPlease connect "
     "first!)\n"},
    {"MicWithoutFirstParameter",
     {},
     Hwt::Mic,
     0,
     2,
     9,
     {kNotStored},
     {},
     "RQM_HWT_MIC failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!)\n"},
};

class HardwareTest : public InProcess, public testing::WithParamInterface<HwtCase> {};

TEST_P(HardwareTest, StepsResultsAndWire) {
    const HwtCase& c = GetParam();
    open(c.presets);
    if (HasFatalFailure())
        return;
    std::vector<uint32_t> results(c.results.size(), kNotStored);
    testing::internal::CaptureStdout();
    const int result = c.which == Hwt::Hif   ? RQM_HWT_HIF(ctx_, c.param1, c.param2, results.data())
                       : c.which == Hwt::Enc ? RQM_HWT_ENC(ctx_, c.param1, c.param2, results.data())
                                             : RQM_HWT_MIC(ctx_, c.param1, c.param2, results.data());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(results, c.results);
    Msgs want;
    for (size_t i = 0; i < c.sent.size(); ++i) {
        const auto [test, step] = c.sent[i];
        want.push_back(HiBuild(static_cast<uint16_t>(4 | i << HI_MSG_SEQ_SHIFT))
                           .zeros(4)
                           .u16(test)
                           .u16(c.param1)
                           .u16(0)
                           .u16(c.param2)
                           .u8(step)
                           .u8(step != 0 ? 16 : 0)
                           .zeros(14));
    }
    EXPECT_EQ(wire(), want);
}

INSTANTIATE_TEST_SUITE_P(Sequences, HardwareTest, testing::ValuesIn(kHwtCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InProcess, SelfTestAndItsControlBlocks) {
    Bytes blocks(76);
    for (size_t i = 0; i < blocks.size(); ++i)
        blocks[i] = static_cast<uint8_t>(0x80 + i);
    open({"set selftest 0x5A", "set ctrlblock " + sim_hex(blocks)});
    if (HasFatalFailure())
        return;
    uint32_t out = 0;
    EXPECT_EQ(RQM_SelfTest(ctx_, 4, &out), RQM_SUCCESS);
    EXPECT_EQ(out, 0x5Au);

    // The blocks lie at 4, 16, 36, 56 and 68 of the answer; a null one is
    // skipped.
    Bytes b1(12, 0), b2(20, 0), b4(12, 0), b5(12, 0);
    EXPECT_EQ(RQM_SelfTest_ReadCtrlBlock(ctx_, b1.data(), b2.data(), nullptr, b4.data(), b5.data()),
              RQM_SUCCESS);
    EXPECT_EQ(b1, Bytes(blocks.begin(), blocks.begin() + 12));
    EXPECT_EQ(b2, Bytes(blocks.begin() + 12, blocks.begin() + 32));
    EXPECT_EQ(b4, Bytes(blocks.begin() + 52, blocks.begin() + 64));
    EXPECT_EQ(b5, Bytes(blocks.begin() + 64, blocks.end()));

    // Written back with blocks 2 and 5 left out: those go as zeros.
    EXPECT_EQ(RQM_SelfTest_WriteCtrlBlock(ctx_, b5.data(), nullptr, b2.data(), b1.data(), nullptr),
              RQM_SUCCESS);
    Bytes written(76, 0);
    std::copy(b5.begin(), b5.end(), written.begin());
    std::copy(b2.begin(), b2.end(), written.begin() + 32);
    std::copy(b1.begin(), b1.end(), written.begin() + 52);
    EXPECT_EQ(get("ctrlblock"), sim_hex(written));

    const Msgs sent = wire();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], Bytes(HiBuild(94 | 0 << HI_MSG_SEQ_SHIFT, {0, 4})));
    EXPECT_EQ(sent[1], Bytes(HiBuild(95 | 1 << HI_MSG_SEQ_SHIFT, {0})));
    EXPECT_EQ(sent[2], Bytes(HiBuild(96 | 2 << HI_MSG_SEQ_SHIFT).put(written.data(), written.size())));
}

TEST_F(InProcess, HardwareIdDebugPortAndClockGating) {
    open({"set hwid 0xC0FFEE01"});
    if (HasFatalFailure())
        return;
    uint32_t id = 0;
    EXPECT_EQ(RQM_Get_HWId(ctx_, &id), RQM_SUCCESS);
    EXPECT_EQ(id, 0xC0FFEE01u);
    EXPECT_EQ(RQM_ConfigDebugPort(ctx_, 31, 1, 2, 0x01020304), RQM_SUCCESS);
    EXPECT_EQ(get("debugport"), "31 1 2 16909060");
    EXPECT_EQ(RQM_ConfigureClockGating(ctx_, 1), RQM_SUCCESS);
    EXPECT_EQ(get("clockgating"), "1");
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_ConfigureClockGating(ctx_, 2), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_ConfigDebugPort(ctx_, 32, 0, 0, 0), RQM_INVALID_PARAMETER);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(wire(), (Msgs{HiBuild(61, {0}), HiBuild(57 | 1 << HI_MSG_SEQ_SHIFT, {0, 31, 1, 2, 0x01020304}),
                            HiBuild(50 | 2 << HI_MSG_SEQ_SHIFT, {0, 1})}));
}

// Asleep, the firmware takes nothing more: the tool knows it without asking.
TEST_F(InProcess, SleepEndsTheFirmwareRequests) {
    open({});
    if (HasFatalFailure())
        return;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_SleepControl(ctx_, 1, 0x0000000500000007ULL), RQM_SUCCESS);
    uint8_t mac[6] = {};
    EXPECT_EQ(RQM_GetMacAddr(ctx_, 0, mac), RQM_FW_NOT_RUNNING);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Target_Request\ntarget_driver_request:  MsgId: 0x7\nRQM_API_FW_NOT_RUNNING!\n"
              "RQM_GetMacAddr failed (43:unknown error)\n");
    EXPECT_EQ(ctx_->FwRunning, 0);
    EXPECT_EQ(get("asleep"), "1");
    EXPECT_EQ(wire(), Msgs{HiBuild(49, {0, 1, 0, 7, 5})});
}

}  // namespace
