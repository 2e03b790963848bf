// rqmcli-hf's variant profile, linked in place of rqmcli's: each small
// difference it carries, at the layer that makes it.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "cli/get_settings.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "tests/support/fake_target.h"
#include "transport/TargetCli.h"

namespace {

using Bytes = std::vector<uint8_t>;

// One datagram through the receive thread's classifier; what it printed.
std::string classify(const Bytes& dgram) {
    TargetCliContext* p = TargetCli_Create(nullptr);
    memcpy(p->RxBuffer.data(), dgram.data(), dgram.size());
    testing::internal::CaptureStdout();
    TargetCli_HandleRx(p, static_cast<uint32_t>(dgram.size()));
    std::string out = testing::internal::GetCapturedStdout();
    TargetCli_Exit(p);
    return out;
}

TEST(HfTransport, RefusalTenHasNoLineOfItsOwn) {
    Bytes boot = fake_message(12, HI_BOOT_IND_ID, 1);
    hi_wr32(boot.data() + BOOT_IND_RES_OFF, 10);
    EXPECT_EQ(classify(boot), "Driver Unkown error(10)!\n");
}

TEST(HfTransport, OverflowWarningWithoutTheId) {
    Bytes claimsMore = fake_message(12, 0x7F8);
    hi_set_msg_len(claimsMore.data(), 8188);
    EXPECT_EQ(classify(claimsMore), "Warning:Buffer overflow!\ndata length:8188 \tbuffer length:12\n");
}

class HfBroker : public testing::Test {
protected:
    void SetUp() override {
        g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 0;
        ctx = RQM_Create(nullptr, nullptr);
        ASSERT_NE(ctx, nullptr);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 10;
    }
    void TearDown() override {
        RQM_Stop(ctx);
        g_fake = nullptr;
    }
    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
};

TEST_F(HfBroker, SilentWithoutAnswer) {
    Bytes req = fake_message(8, 0x3F0);
    uint8_t cnf[64];
    testing::internal::CaptureStdout();
    EXPECT_EQ(Adapter_Request(ctx, req.data(), cnf, sizeof cnf), RQM_NO_CONFIRMATION);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Wait for cnf timed out!\n");
}

TEST_F(HfBroker, ConnectPrintsTheFactsAndSkipsThePlatformCode) {
    Bytes ind = fake_message(160, HI_STARTUP_IND_ID, 4);
    hi_wr16(ind.data() + STARTUP_IND_API_VER_OFF, 0x0427);
    strcpy(reinterpret_cast<char*>(ind.data() + STARTUP_IND_LABEL_OFF), "FW_Q23");
    fake.script = {ANSWER_NOW};
    fake.answer = ind;
    Bytes req = fake_message(8, HI_CONNECT_REQ_ID);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Adapter_Request_Connect(ctx, req.data(), nullptr, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "FirmwareApiVer:0x427\nFirmwareLabel:FW_Q23\n");
    EXPECT_EQ(g_driver_data.Word[CLI_WORD_CHIP_VARIANT], 0);
}

TEST_F(HfBroker, NoPrcmRequests) {
    uint32_t value = 7;
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_ReadPRCMRegister(ctx, 0x40040058, &value), RQM_NOT_SUPPORTED);
    EXPECT_EQ(RQM_WritePRCMRegister(ctx, 0x40040058, 1), RQM_NOT_SUPPORTED);
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "RQM_ReadPRCMRegister failed (26:unknown error)\nRQM_WritePRCMRegister failed (26:unknown error)\n");
    EXPECT_TRUE(fake.sent.empty());
    EXPECT_EQ(value, 7u);
}

TEST(HfApi, TablesEndAtNine) {
    testing::internal::CaptureStdout();
    RQM_ErrorCheck(nullptr, 10, "RQM_Connect");
    RQM_ErrorCheck(nullptr, 9, "RQM_Connect");
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "RQM_Connect failed (10:unknown error)\n"
        "RQM_API: ERROR: RQM_Connect(): ErrCode:9, RQM_ERR_DRIVER_HANG\t Try to solve it by reboot!)\n");
}

TEST(HfCli, ThirtyNineWordsMatchedExactly) {
    int found = 0;
    std::set<std::string> missing;
    for (int row = 0; row < COMMAND_COUNT; ++row) {
        if (CMD_Find(command[row].pchName) == row)
            ++found;
        else
            missing.insert(command[row].pchName);
    }
    EXPECT_EQ(found, 39);
    EXPECT_EQ(missing,
              (std::set<std::string>{"get_sdd_power", "set_sdd_power", "get_sdd_file", "get_sdd_freq_offset",
                                     "set_sdd_freq_offset", "set_cca", "set_channel_fec"}));
    EXPECT_EQ(CMD_Find("conn"), -1);
    EXPECT_EQ(CMD_Find(""), -1);
}

TEST(HfCli, UnknownWordOnItsOwnLineAndTheFixedBanner) {
    char prog[] = "rqmcli-hf", word[] = "txx";
    char* argv[] = {prog, word, nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(CMD_Interpret(2, argv), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("unknown cmd!\nRQM version: 1.4.1\n\nconnect", 0),
              0u);
    testing::internal::CaptureStdout();
    print_help_msg(-2);  // no such row: the banner and the closing newline
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RQM version: 1.4.1\n\n\n");
}

TEST(HfCli, SubchannelStartsAndDefaultsAtZero) {
    CliSettings s;
    InitSettings(&s);
    EXPECT_EQ(s.Tx_subchannel, 0);
    s.Tx_subchannel = 7;
    GetSettings("/nonexistent/settings.ini", &s);
    EXPECT_EQ(s.Tx_subchannel, 0);
}

// The efuse commands without the Bluetooth calibration, and their refusal
// texts; none of these reaches the API.
struct HfEfuseCase {
    std::vector<std::string> words;
    std::string out;
};

class HfEfuse : public testing::TestWithParam<HfEfuseCase> {};

TEST_P(HfEfuse, RefusedInItsOwnWords) {
    std::vector<std::string> words = {"rqmcli-hf"};
    words.insert(words.end(), GetParam().words.begin(), GetParam().words.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    EXPECT_EQ(CMD_Interpret(static_cast<int>(words.size()), argv.data()), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().out);
}

const char kInvalid[] = "Invalid params input!Please check again!\n";

INSTANTIATE_TEST_SUITE_P(
    Words, HfEfuse,
    testing::Values(HfEfuseCase{{"write_efuse", "DCXO_TRIM", "80"},
                                "[CMD_Interpret],2656 exit! reference value:0~127.\nm_status = -1\n"},
                    HfEfuseCase{{"write_efuse", "MAC", "00:11"},
                                "Param length should be 17!\nm_status = -1\n"},
                    HfEfuseCase{{"write_efuse", "POUT_CAL_BT", "1", "2", "3"}, kInvalid},
                    HfEfuseCase{{"read_efuse", "POUT_CAL_BT"}, kInvalid}));

}  // namespace

TEST_F(HfBroker, ReadMemHeaderWithSpaces) {
    Bytes cnf = fake_message(16, 0 | HI_MSG_KIND_CNF);
    hi_wr32(cnf.data() + 8, 0xA1);
    hi_wr32(cnf.data() + 12, 0xB2);
    fake.script = {ANSWER_NOW};
    fake.answer = cnf;
    g_rqm_config.pRqmApiContext = ctx;
    InitSettings(&setting);
    std::string w[] = {"rqmcli-hf", "read_mem", "-a", "0x100", "-l", "8"};
    char* argv[] = {w[0].data(), w[1].data(), w[2].data(), w[3].data(), w[4].data(), w[5].data(), nullptr};
    testing::internal::CaptureStdout();
    EXPECT_EQ(proc_read_mem(6, argv), 0);
    g_rqm_config.pRqmApiContext = nullptr;
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "Memory start address set to 0x00000100!\nMemory length set to:8!\n\nRead memory:\n\n  Address       "
        "00         04         08         0C         10         14         18         1C\n0x00000100: "
        "0x000000a1 0x000000b2\n\n");
}
