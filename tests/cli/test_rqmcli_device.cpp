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
#include "tests/support/cli_run.h"
#include "tests/support/sim_fixture.h"
#include "transport/adapter.h"
#include "transport/vormac_adapter.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using Gets = std::vector<std::pair<std::string, std::string>>;

const std::string kCmdOk = "Sending CMD OK!\n";
const std::string kCmdError = "Sending CMD error!\n";
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

Bytes words_msg(uint16_t id, std::initializer_list<uint32_t> words) {
    Bytes m(4 + 4 * words.size(), 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    hi_set_msg_id(m.data(), id);
    size_t off = 4;
    for (uint32_t w : words) {
        hi_wr32(m.data() + off, w);
        off += 4;
    }
    return m;
}

const Bytes kConnectReq = {0x0C, 0x00, 0xFA, 0x03, 0x09, 0x00, 0x00, 0x02, 0x32, 0x00, 0x00, 0x00};
const Bytes kReconnectReq = {0x0C, 0x00, 0xFC, 0x03, 0x09, 0x00, 0x00, 0x02, 0x32, 0x00, 0x00, 0x00};
const Bytes kDisconnectReq = {0x04, 0x00, 0xFB, 0x03};
const Bytes kSoftResetReq = {0x04, 0x00, 0xFF, 0x03};
const Bytes kSddConfigReq = {0x08, 0x00, 0x36, 0x00, 0x00, 0x00, 0x00, 0x00};

// Requests 55 and 56: the kind at 8, the address at 12, the rest zero.
Bytes mac_req(uint16_t id, uint32_t kind, const Bytes& mac = Bytes(6, 0)) {
    Bytes m(20, 0);
    hi_set_msg_len(m.data(), 20);
    hi_set_msg_id(m.data(), id);
    hi_wr32(m.data() + 8, kind);
    std::copy(mac.begin(), mac.end(), m.begin() + 12);
    return m;
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

class Device : public WithSim {
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
    EXPECT_EQ(r.out, kRunning + kCmdOk);
    EXPECT_EQ(r.err, "");
    // The tool waits a whole second for the boot loader before it looks.
    EXPECT_GE(took, std::chrono::milliseconds(1000));
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    EXPECT_EQ(r.wire.bytes({1018, 54}), (std::vector<Bytes>{kConnectReq, kSddConfigReq}));
    EXPECT_EQ(driver_requests(r.wire), (std::vector<unsigned>{1016, 1018, 993, 994}));
    EXPECT_EQ(get("connected"), "1");
    const std::string record = get("record");
    EXPECT_EQ(word_of(record, CLI_WORD_CHIP_VARIANT), 1) << record;
    EXPECT_EQ(word_of(record, CLI_WORD_TX_RUNNING), 0) << "the defaults of a new session";

    r = run({"get_mac"});
    EXPECT_EQ(r.out, kDefaultSource + kDefaultDest + kDefaultBssid + kCmdOk);
    EXPECT_EQ(r.wire.bytes({55}), (std::vector<Bytes>{get_mac(0), get_mac(1), get_mac(2)}));
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
                  kCmdError);
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
    EXPECT_EQ(r.out, kRunning + "The boot loader is not running\nRQM_Connect failed (-1:unknown error)\n" +
                         kCmdError);
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
    EXPECT_EQ(r.out, kRunning + "RQM_SDDConfig failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n" + kCmdError);
    EXPECT_EQ(r.wire.bytes({1018, 54}), (std::vector<Bytes>{kConnectReq, kSddConfigReq}));
    EXPECT_EQ(driver_requests(r.wire), (std::vector<unsigned>{1016, 1018}));
    EXPECT_EQ(get("record"), sim_hex(session_record()));
}

// ---- the driver-level commands ----

struct DriverRunCase {
    const char* name;
    std::vector<std::string> presets;
    std::vector<std::string> words;
    std::string out;
    std::vector<Bytes> wire;  // requests 54 and 1018 to 1023, in order
    Gets after = {};
};

const DriverRunCase kDriverRunCases[] = {
    {"ConnectWithWifiOn",
     {"set wifi 1"},
     {"connect"},
     "Please turn off WIFI!\nRQM_Connect failed (6:BOOT_ERR_WLAN_MODE\tPlease turn off WIFI!)\n" + kCmdError,
     {kConnectReq},
     {{"connected", "0"}}},
    {"ConnectFromATooOldTool",
     {"set minversion 0x0200000A"},
     {"connect"},
     "Please upgrade rqm cli version!\nRQM_Connect failed (10:RQM_ERR_CHECK_VERSION\tPlease upgrade rqm cli "
     "version!)\n" +
         kCmdError,
     {kConnectReq},
     {{"connected", "0"}}},
    {"Reconnect",
     {"set connected 1"},
     {"reconnect"},
     kRunning + kCmdOk,
     {kReconnectReq},
     {{"connected", "1"}, {"numbering", "1"}}},
    {"ReconnectRefused",
     {"set connected 1", "fault 1020 refuse 8"},
     {"reconnect"},
     "Try to solve it by reboot!\nRQM_Reconnect failed (8:RQM_ERR_IO_FAILED\tTry to solve it by reboot!)\n" +
         kCmdError,
     {kReconnectReq}},
    {"ReconnectWithTheFirmwareDown",
     {},
     {"reconnect"},
     kFetchFwDown + "RQM_API_FW_NOT_RUNNING!\nRQM_Reconnect failed (43:unknown error)\n" + kCmdError,
     {}},
    {"SoftReset", {"set connected 1"}, {"soft_reset"}, kCmdOk, {kSoftResetReq}, {{"connected", "0"}}},
    {"SoftResetRefused",
     {"set connected 1", "fault 1023 refuse 9"},
     {"soft_reset"},
     "Try to solve it by reboot!\nRQM_SoftReset failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by "
     "reboot!)\n" +
         kCmdError,
     {kSoftResetReq}},
    {"Disconnect", {"set connected 1"}, {"disconnect"}, kCmdOk, {kDisconnectReq}, {{"connected", "0"}}},
    {"SddConfig", {"set connected 1"}, {"sdd_config"}, kCmdOk, {kSddConfigReq}},
};

class DriverRun : public Device, public testing::WithParamInterface<DriverRunCase> {};

TEST_P(DriverRun, OutputWireAndState) {
    const DriverRunCase& c = GetParam();
    ctl("set record " + sim_hex(session_record()));
    for (const std::string& line : c.presets)
        ctl(line);
    const CliRun r = run(c.words);
    ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.wire.bytes({54, 1018, 1019, 1020, 1023}), c.wire);
    for (const auto& [key, value] : c.after)
        EXPECT_EQ(get(key), value) << key;
    // Fetched and pushed back unchanged, or not touched at all.
    EXPECT_EQ(get("record"), sim_hex(session_record()));
}

INSTANTIATE_TEST_SUITE_P(Commands, DriverRun, testing::ValuesIn(kDriverRunCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- MAC addresses ----

struct MacCase {
    const char* name;
    std::vector<std::string> presets;  // after "set connected 1"
    std::vector<std::string> words;
    std::string out;
    std::vector<Bytes> wire;  // requests 55 and 56, in order
    Gets after = {};
    std::string err = "";
};

const MacCase kMacCases[] = {
    {"SetSource",
     {},
     {"set_mac", "-s", "00:11:22:33:44:55"},
     kSourceLine + kCmdOk,
     {set_mac(0, kMacA)},
     {{"mac 0", "001122334455"}, {"mac 1", "ffffffffffff"}}},
    {"SetDestLongOption",
     {},
     {"set_mac", "--dest_addr", "a0:b1:c2:d3:e4:f5"},
     "Dest mac address:\tA0:B1:C2:D3:E4:F5\n" + kCmdOk,
     {set_mac(1, kMacB)},
     {{"mac 1", "a0b1c2d3e4f5"}}},
    {"SetBssid",
     {},
     {"set_mac", "-t", "0a:0B:0c:0D:0e:0F"},
     "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\n" + kCmdOk,
     {set_mac(2, kMacC)},
     {{"mac 2", "0a0b0c0d0e0f"}}},
    {"SourceThenBssidInThatOrder",
     {},
     {"set_mac", "-s", "00:11:22:33:44:55", "-t", "0a:0b:0c:0d:0e:0f"},
     kSourceLine + "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\n" + kCmdOk,
     {set_mac(0, kMacA), set_mac(2, kMacC)}},
    {"BssidThenSourceInThatOrder",
     {},
     {"set_mac", "--BSSID=0a:0b:0c:0d:0e:0f", "--source_addr", "00:11:22:33:44:55"},
     "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\n" + kSourceLine + kCmdOk,
     {set_mac(2, kMacC), set_mac(0, kMacA)}},
    {"DashesSetTheSameBytes",
     {},
     {"set_mac", "-s", "00-11-22-33-44-55"},
     kSourceLine + kCmdOk,
     {set_mac(0, kMacA)},
     {{"mac 0", "001122334455"}}},
    {"FiveGroups",
     {},
     {"set_mac", "-s", "00:11:22:33:44"},
     kParamError + kCmdError,
     {},
     {{"mac 0", "020000000001"}}},
    {"NotHex", {}, {"set_mac", "-s", "0G:11:22:33:44:55"}, kParamError + kCmdError, {}},
    {"SecondDigitNotHex", {}, {"set_mac", "-d", "00:11:22:33:44:5x"}, kParamError + kCmdError, {}},
    {"EighteenCharacters", {}, {"set_mac", "-t", "00:11:22:33:44:555"}, kParamError + kCmdError, {}},
    // What went before the bad option has been sent.
    {"BadSecondOption",
     {},
     {"set_mac", "-s", "00:11:22:33:44:55", "-d", "00:11"},
     kSourceLine + kParamError + kCmdError,
     {set_mac(0, kMacA)},
     {{"mac 0", "001122334455"}, {"mac 1", "ffffffffffff"}}},
    {"SetRefusedByStatus",
     {"fault 56 status 3"},
     {"set_mac", "-s", "00:11:22:33:44:55", "-t", "0a:0b:0c:0d:0e:0f"},
     kSourceLine +
         "RQM_SetMacAddr failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\nThere was a problem with setting "
         "source "
         "mac address!\n" +
         kCmdError,
     {set_mac(0, kMacA)}},
    {"SetBssidRefusedByTheDriver",
     {"fault 56 refuse 7"},
     {"set_mac", "-t", "0a:0b:0c:0d:0e:0f"},
     "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\nRQM not connect,please connect first!\nRQM_SetMacAddr failed "
     "(7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\nThere was a problem with setting BSSID!\n" +
         kCmdError,
     {set_mac(2, kMacC)}},
    {"NoArgument", {}, {"set_mac"}, "No param input!Please input params!\n" + kCmdError, {}},
    {"OnlyAWordThatIsNoOption", {}, {"set_mac", "source"}, kCmdOk, {}},
    {"UnknownOptionIsPassedOver",
     {},
     {"set_mac", "-x", "-s", "00:11:22:33:44:55"},
     kSourceLine + kCmdOk,
     {set_mac(0, kMacA)},
     {},
     "set_mac: invalid option -- 'x'\n"},
    {"GetAll",
     {},
     {"get_mac"},
     kDefaultSource + kDefaultDest + kDefaultBssid + kCmdOk,
     {get_mac(0), get_mac(1), get_mac(2)}},
    {"GetPresetsInUpperCase",
     {"set mac 0 a0b1c2d3e4f5", "set mac 2 000000000000"},
     {"get_mac"},
     "Source mac address:\tA0:B1:C2:D3:E4:F5\n" + kDefaultDest + "BSSID:\t\t\t00:00:00:00:00:00\n" + kCmdOk,
     {get_mac(0), get_mac(1), get_mac(2)}},
    {"GetWhoseSecondReadFails",
     {"fault 55 status 3 1 after 1"},
     {"get_mac"},
     kDefaultSource +
         "RQM_GetMacAddr failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\nThere was a problem with getting "
         "dest "
         "mac address!\n" +
         kCmdError,
     {get_mac(0), get_mac(1)}},
    {"GetWhoseThirdReadIsRefused",
     {"fault 55 refuse 7 1 after 2"},
     {"get_mac"},
     kDefaultSource + kDefaultDest +
         "RQM not connect,please connect first!\nRQM_GetMacAddr failed (7:RQM_ERR_NOT_CONNECT\tPlease "
         "connect "
         "first!)\nThere was a problem with getting BSSID!\n" +
         kCmdError,
     {get_mac(0), get_mac(1), get_mac(2)}},
    {"GetWithTheFirmwareDown",
     {"set connected 0"},
     {"get_mac"},
     kFetchFwDown +
         "RQM_API_FW_NOT_RUNNING!\nRQM_GetMacAddr failed (43:unknown error)\nThere was a problem with "
         "getting "
         "source mac address!\n" +
         kCmdError,
     {}},
};

class MacRun : public Device, public testing::WithParamInterface<MacCase> {};

TEST_P(MacRun, OutputWireAndAddresses) {
    const MacCase& c = GetParam();
    ctl("set connected 1");
    for (const std::string& line : c.presets)
        ctl(line);
    const CliRun r = run(c.words);
    ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.wire.bytes({55, 56}), c.wire);
    for (const auto& [key, value] : c.after)
        EXPECT_EQ(get(key), value) << key;
}

INSTANTIATE_TEST_SUITE_P(Commands, MacRun, testing::ValuesIn(kMacCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Device, AddressesSetInThreeRunsAreReadInAFourth) {
    ctl("set connected 1");
    const std::pair<std::vector<std::string>, std::string> sets[] = {
        {{"set_mac", "-s", "00:11:22:33:44:55"}, kSourceLine},
        {{"set_mac", "-d", "a0:b1:c2:d3:e4:f5"}, "Dest mac address:\tA0:B1:C2:D3:E4:F5\n"},
        {{"set_mac", "-t", "0a:0b:0c:0d:0e:0f"}, "BSSID:\t\t\t0A:0B:0C:0D:0E:0F\n"},
    };
    for (const auto& [words, line] : sets)
        EXPECT_EQ(run(words).out, line + kCmdOk);
    const CliRun r = run({"get_mac"});
    EXPECT_EQ(r.out,
              kSourceLine + "Dest mac address:\tA0:B1:C2:D3:E4:F5\nBSSID:\t\t\t0A:0B:0C:0D:0E:0F\n" + kCmdOk);
}

// Every answer comes twice: the second copy of one kind's answer may land
// while the next kind's request waits, and must not be taken for it.
TEST_F(Device, DuplicatedAnswersNeverGiveAnotherKindsAddress) {
    ctl("set connected 1");
    ctl("fault 55 dup 0 0");
    int wrong = 0;
    for (int i = 0; i < 200; ++i) {
        const CliRun r = run({"get_mac"});
        if (r.out != kDefaultSource + kDefaultDest + kDefaultBssid + kCmdOk && ++wrong == 1)
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
    Bytes m(8, 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(8 + payload.size()));
    hi_set_msg_id(m.data(), id);
    m.insert(m.end(), payload.begin(), payload.end());
    return m;
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
std::string failed(Sender s, int code, const char* text) {
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
    {"RawAboveTheFirmwareLimit", kM1000, Raw, 54, 993, false, 3, false, failed(Raw, 3, kTooLarge)},
    {"RawAtTheChannelLimit", kM4000, Raw, 54, 1512, false, 0, true, ""},
    {"RawAboveTheChannelLimit", kM4000, Raw, 54, 1513, false, 3, false, failed(Raw, 3, kTooLarge)},
    {"RawOfTheLargestMessage", "set maxmsg 9000", Raw, 54, 8180, false, 3, false, failed(Raw, 3, kTooLarge)},
    {"RawAboveAnyMessage", "", Raw, 54, 8181, false, 9, false, failed(Raw, 9, kInvalid)},
    {"RawLongestLength", "", Raw, 54, 0xFFFF, false, 9, false, failed(Raw, 9, kInvalid)},
    {"RawNullPayloadWithLength", "", Raw, 54, 5, true, 5, false, failed(Raw, 5, kMissing)},
    {"RawNullPayloadBeforeSize", "", Raw, 54, 8181, true, 5, false, failed(Raw, 5, kMissing)},
    {"RawEmpty", "", Raw, 54, 0, true, 0, true, ""},
    {"RawStatus", "fault 54 status 4", Raw, 54, 4, false, 4, true,
     failed(Raw, 4, "BOOT_ERR_BAD_OP\tInvalid operation!")},
    {"RawAnswerAboveEightBytes", "", Raw, 62, 0, true, 1, true,
     kNoAnswerLine + failed(Raw, 1, "BOOT_ERR_DECODE\tFirmware error!")},
    {"ProxyAtTheFirmwareLimit", kM1000, Proxy, 62, 992, false, 0, true, ""},
    {"ProxyAboveTheFirmwareLimit", kM1000, Proxy, 62, 993, false, 3, false, failed(Proxy, 3, kTooLarge)},
    {"ProxyAboveTheChannelLimit", kM4000, Proxy, 62, 1513, false, 3, false, failed(Proxy, 3, kTooLarge)},
    // The proxy bounds its payload, the raw sender its whole message.
    {"ProxyPayloadOfTheLargestMessage", "", Proxy, 62, 8188, false, 3, false, failed(Proxy, 3, kTooLarge)},
    {"ProxyAboveAnyMessage", "", Proxy, 62, 8189, false, 9, false, failed(Proxy, 9, kInvalid)},
    {"ProxySizeBeforeNullPayload", "", Proxy, 62, 8189, true, 9, false, failed(Proxy, 9, kInvalid)},
    {"ProxyNullPayloadWithLength", "", Proxy, 62, 5, true, 5, false, failed(Proxy, 5, kMissing)},
    {"ProxyEmpty", "", Proxy, 62, 0, true, 0, true, ""},
    {"ProxyStatus", "fault 62 status 2", Proxy, 62, 3, false, 2, true,
     failed(Proxy, 2, "BOOT_ERR_CHECKSUM\tFirmware error!")},
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
    const std::vector<Bytes> got = wire();
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
constexpr size_t kDstSize = 1100;

struct RegReadCase {
    const char* name;
    std::vector<std::string> presets;
    uint32_t type;
    uint32_t address;
    uint32_t count;
    int result;
    Bytes copied;  // the destination's first bytes; the rest untouched
    std::string out = "";
};

const std::string kReadDecode = "RQM_ReadRegType failed (1:BOOT_ERR_DECODE\tFirmware error!)\n";

const RegReadCase kRegReadCases[] = {
    {"Hif", {"set hif 0x100 0x44332211"}, 1, 0x100, 4, 0, {0x11, 0x22, 0x33, 0x44}},
    {"AhbTwoWords",
     {"set ahb 0x40000000 0xA0A1A2A3", "set ahb 0x40000004 0xB0B1B2B3"},
     2,
     0x40000000,
     8,
     0,
     {0xA3, 0xA2, 0xA1, 0xA0, 0xB3, 0xB2, 0xB1, 0xB0}},
    {"ApbApartFromTheOthers",
     {"set apb 0x10 5", "set hif 0x10 6", "set ahb 0x10 7"},
     3,
     0x10,
     4,
     0,
     {5, 0, 0, 0}},
    // The driver answers whole words; the tool copies what it asked for.
    {"CountBelowAWord", {"set hif 0 0x04030201", "set hif 4 0x08070605"}, 1, 0, 5, 0, {1, 2, 3, 4, 5}},
    // The answer says 16 bytes but carries 8: no answer, nothing copied.
    {"AnswerCutShort",
     {"set hif 0 0x04030201", "set hif 4 0x08070605", "set hif 8 0x0C0B0A09", "fault 1014 short 20"},
     1,
     0,
     16,
     1,
     {},
     kReadDecode},
    {"AnswerWithoutItsData", {"set hif 0 0x04030201", "fault 1014 short 12"}, 1, 0, 4, 1, {}, kReadDecode},
    {"AnswerShorterThanItsHead", {"set hif 0 1", "fault 1014 short 10"}, 1, 0, 4, 1, {}, kReadDecode},
    {"StatusStillCopies",
     {"set ahb 0x20 0x0D0C0B0A", "fault 1014 status 6"},
     2,
     0x20,
     4,
     6,
     {0x0A, 0x0B, 0x0C, 0x0D},
     "RQM_ReadRegType failed (6:BOOT_ERR_WLAN_MODE\tPlease turn off WIFI!)\n"},
    {"NothingAsked", {"set hif 0 1"}, 1, 0, 0, 0, {}},
    {"UnknownType", {"set hif 0 1"}, 4, 0, 4, 1, {}, kReadDecode},
    {"AboveOneAnswer", {}, 1, 0, 1025, 1, {}, kReadDecode},
    {"Refused",
     {"fault 1014 refuse 7"},
     1,
     0,
     4,
     7,
     {},
     "RQM not connect,please connect first!\nRQM_ReadRegType failed (7:RQM_ERR_NOT_CONNECT\tPlease connect "
     "first!)\n"},
};

class RegRead : public InProcess, public testing::WithParamInterface<RegReadCase> {};

TEST_P(RegRead, ResultCopyAndWire) {
    const RegReadCase& c = GetParam();
    open(c.presets);
    if (HasFatalFailure())
        return;
    Bytes dst(kDstSize, kUntouched);
    testing::internal::CaptureStdout();
    const int result = RQM_ReadRegType(ctx_, c.type, c.address, c.count, dst.data());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(result, c.result);
    Bytes want(kDstSize, kUntouched);
    std::copy(c.copied.begin(), c.copied.end(), want.begin());
    EXPECT_EQ(sim_hex(dst), sim_hex(want));
    EXPECT_EQ(wire(), std::vector<Bytes>{words_msg(1014, {c.type, c.address, c.count})});
}

INSTANTIATE_TEST_SUITE_P(Answers, RegRead, testing::ValuesIn(kRegReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct RegWriteCase {
    const char* name;
    std::vector<std::string> presets;
    uint32_t type;
    uint32_t address;
    uint32_t value;
    int result;
    Gets after;
    std::string out = "";
};

const RegWriteCase kRegWriteCases[] = {
    {"Hif", {}, 1, 0x20, 0x12345678, 0, {{"hif 0x20", "0x12345678"}, {"ahb 0x20", "0x00000000"}}},
    {"Ahb", {}, 2, 0x40000000, 0xFFFFFFFF, 0, {{"ahb 0x40000000", "0xffffffff"}}},
    {"Apb", {}, 3, 0xFFFFFFFC, 1, 0, {{"apb 0xfffffffc", "0x00000001"}, {"hif 0xfffffffc", "0x00000000"}}},
    {"UnknownTypeStoresNothing",
     {},
     0,
     0x20,
     5,
     1,
     {{"hif 0x20", "0x00000000"}},
     "RQM_WriteRegType failed (1:BOOT_ERR_DECODE\tFirmware error!)\n"},
    {"Unaligned", {}, 2, 0x22, 5, 1, {}, "RQM_WriteRegType failed (1:BOOT_ERR_DECODE\tFirmware error!)\n"},
    // The write took place; only its answer went missing.
    {"AnswerTooShort",
     {"fault 1015 short 6"},
     1,
     0x20,
     5,
     1,
     {{"hif 0x20", "0x00000005"}},
     "RQM_WriteRegType failed (1:BOOT_ERR_DECODE\tFirmware error!)\n"},
    {"Refused",
     {"fault 1015 refuse 7"},
     2,
     0x20,
     5,
     7,
     {},
     "RQM not connect,please connect first!\nRQM_WriteRegType failed (7:RQM_ERR_NOT_CONNECT\tPlease connect "
     "first!)\n"},
};

class RegWrite : public InProcess, public testing::WithParamInterface<RegWriteCase> {};

TEST_P(RegWrite, ResultWireAndSpace) {
    const RegWriteCase& c = GetParam();
    open(c.presets);
    if (HasFatalFailure())
        return;
    testing::internal::CaptureStdout();
    const int result = RQM_WriteRegType(ctx_, c.type, c.address, &c.value);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(wire(), std::vector<Bytes>{words_msg(1015, {0xFFFFFFFF, c.type, c.address, c.value})});
    for (const auto& [key, value] : c.after)
        EXPECT_EQ(get(key), value) << key;
}

INSTANTIATE_TEST_SUITE_P(Answers, RegWrite, testing::ValuesIn(kRegWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

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
    std::vector<Bytes> want;
    for (size_t i = 0; i < c.sent.size(); ++i) {
        Bytes m(32, 0);
        hi_set_msg_len(m.data(), 32);
        hi_set_msg_id(m.data(), static_cast<uint16_t>(4 | i << HI_MSG_SEQ_SHIFT));
        hi_wr16(m.data() + 8, c.sent[i].first);
        hi_wr16(m.data() + 10, c.param1);
        hi_wr16(m.data() + 14, c.param2);
        if (c.sent[i].second != 0) {
            m[16] = c.sent[i].second;
            m[17] = 16;
        }
        want.push_back(m);
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

    const std::vector<Bytes> sent = wire();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], words_msg(94 | 0 << HI_MSG_SEQ_SHIFT, {0, 4}));
    EXPECT_EQ(sent[1], words_msg(95 | 1 << HI_MSG_SEQ_SHIFT, {0}));
    Bytes write = written;
    write.insert(write.begin(), {80, 0, 96, 2 << 5});
    EXPECT_EQ(sent[2], write);
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
    EXPECT_EQ(wire(), (std::vector<Bytes>{words_msg(61, {0}),
                                          words_msg(57 | 1 << HI_MSG_SEQ_SHIFT, {0, 31, 1, 2, 0x01020304}),
                                          words_msg(50 | 2 << HI_MSG_SEQ_SHIFT, {0, 1})}));
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
    EXPECT_EQ(wire(), std::vector<Bytes>{words_msg(49, {0, 1, 0, 7, 5})});
}

}  // namespace
