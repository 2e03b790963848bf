// rqmcli-hf's forms of the transmit requests: the frequency offset always
// in the parameter block and read back in 7 bits, its own warning line,
// the lower sub-channel as 1, and a refused transmit as the result. Then
// its transmit commands: -u stores the lower sub-channel as 1, and no
// transmit-running word is kept, so that tx_stop always stops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "cli/get_settings.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "tests/support/fake_target.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Api = RqmApiContext*;

Bytes msg(uint16_t id, std::vector<uint32_t> words) {
    Bytes m(4 + 4 * words.size(), 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(m.size()));
    hi_set_msg_id(m.data(), id);
    for (size_t i = 0; i < words.size(); ++i)
        hi_wr32(m.data() + 4 + 4 * i, words[i]);
    return m;
}

Bytes cnf(uint16_t id, std::vector<uint32_t> words) {
    return msg(id | HI_MSG_KIND_CNF, std::move(words));
}

const Bytes kRegRead = msg(0, {0x0AC8015C, 0x00C00004});
const Bytes kWordRead = msg(0, {0x00080004, 0x00C00004});

struct HfTxCase {
    const char* name;
    int (*call)(Api c);
    std::vector<Bytes> answers;
    int result;
    std::string out;
    std::vector<Bytes> sent;
};

const HfTxCase kCases[] = {
    // The chip-variant word is set, yet no PRCM request goes out, and the
    // read-back keeps 7 bits.
    {"FreqOffsetTooLarge",
     [](Api c) { return RQM_SetFreqOffset(c, 296, 200); },
     {cnf(38, {0}), cnf(0, {0, 0xFF})},
     0,
     "[RQM_SetFreqOffset],133:set the frequency offset is too large,reference value:0~127\n"
     "Cur freq_offset = 127.\n",
     {msg(38, {296, 127, 0}), kRegRead}},
    {"LowerSubChannelIsOne",
     [](Api c) { return RQM_SetTxSubChannel(c, 1); },
     {cnf(0, {0, 0x1C00}), cnf(38, {0})},
     0,
     "",
     {kWordRead, msg(38, {4, 0x5C00, 0})}},
    {"RefusedTransmitIsTheResult",
     [](Api c) { return RQM_TransmitPackets(c, 1, nullptr, nullptr); },
     {cnf(70, {0, 0, 0, 3, 3, 1})},
     1,
     "txed=3, acked=3\nRQM_TransmitPRBS failed (1:BOOT_ERR_DECODE\tFirmware error!)\n"
     "RQM_TransmitPackets failed (1:BOOT_ERR_DECODE\tFirmware error!)\n",
     {msg(70, {1, 0, 0, 0, 0, 0})}},
};

class HfFake : public testing::Test {
protected:
    void SetUp() override {
        g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 1;
        ctx = RQM_Create(nullptr, nullptr);
        ASSERT_NE(ctx, nullptr);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 10;
        ctx->MibBaseAddress = 0x00080000;
        fake.script = {ANSWER_NOW};
    }
    void TearDown() override {
        RQM_Stop(ctx);
        g_fake = nullptr;
    }
    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
};

class HfTx : public HfFake, public testing::WithParamInterface<HfTxCase> {};

TEST_P(HfTx, SecondProgramsForm) {
    const HfTxCase& c = GetParam();
    fake.answers = c.answers;
    testing::internal::CaptureStdout();
    EXPECT_EQ(c.call(ctx), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    std::vector<Bytes> sent;
    for (const FakeSent& s : fake.sent)
        sent.push_back(s.bytes);
    EXPECT_EQ(sent, c.sent);
}

INSTANTIATE_TEST_SUITE_P(Forms, HfTx, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// -u names the lower sub-channel by the value that selects it here.
TEST(HfTxOption, LowerIsOne) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(Tx_Settings_Interpret('u', "LOWER"), 0);
    EXPECT_EQ(setting.Tx_subchannel, 1);
    EXPECT_EQ(Tx_Settings_Interpret('u', "UPPER"), 0);
    EXPECT_EQ(setting.Tx_subchannel, 0);
    testing::internal::GetCapturedStdout();
}

// A start leaves no transmit-running word, and the stop goes out although
// the record says that nothing runs (after the fetch of the saved values).
TEST_F(HfFake, NothingRecordedAndTheStopAlwaysSent) {
    const std::vector<uint16_t> ids = {67,  33, 38,  101, 0,  38, 0,  38, 0,   38, 0,  38,
                                       126, 38, 125, 67,  38, 38, 38, 70, 993, 33, 38, 70};
    for (uint16_t id : ids)
        fake.answers.push_back(cnf(id, std::vector<uint32_t>(id == 993  ? 9
                                                             : id == 70 ? 6
                                                             : id == 0  ? 2
                                                                        : 1,
                                                             0)));
    g_rqm_config.pRqmApiContext = ctx;
    g_ver_support = 1;
    g_driver_data = {};
    InitSettings(&setting);
    testing::internal::CaptureStdout();
    EXPECT_EQ(tx_start(0), 0);
    EXPECT_EQ(g_driver_data.Word[CLI_WORD_TX_RUNNING], 0);
    EXPECT_EQ(proc_tx_stop(0, nullptr), 0);
    testing::internal::GetCapturedStdout();
    g_rqm_config.pRqmApiContext = nullptr;
    g_ver_support = 0;
    std::vector<uint16_t> sent;
    for (const FakeSent& f : fake.sent)
        sent.push_back(f.msgId);
    EXPECT_EQ(sent, ids);
}

}  // namespace
