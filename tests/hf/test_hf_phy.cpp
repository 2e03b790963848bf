// rqmcli-hf's forms of the PHY and output-power requests: no channel FEC,
// the user power always from the old SDD element in whole dB, and always
// the short PA-detector reading.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "tests/support/fake_target.h"

namespace {

using Bytes = std::vector<uint8_t>;

class HfPhy : public testing::Test {
protected:
    void SetUp() override {
        g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 1;
        g_driver_data.Word[CLI_WORD_SDD_VERSION] = 25;
        ctx = RQM_Create(nullptr, nullptr);
        ASSERT_NE(ctx, nullptr);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 10;
        fake.script = {ANSWER_NOW};
    }
    void TearDown() override {
        RQM_Stop(ctx);
        g_fake = nullptr;
    }
    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
};

TEST_F(HfPhy, ChannelFecIsNotThere) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_SetChannelFec(ctx, 1, 2, 3), RQM_NOT_SUPPORTED);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RQM_SetChannelFec failed (26:unknown error)\n");
    EXPECT_TRUE(fake.sent.empty());
}

struct UserPowerCase {
    uint16_t entry;
    float dbm;
};

class HfUserPower : public HfPhy, public testing::WithParamInterface<UserPowerCase> {};

// Whatever element the caller names and whatever the SDD version says.
TEST_P(HfUserPower, OldElementInWholeDb) {
    Bytes answer = fake_message(12 + 24, 1017 | HI_MSG_KIND_CNF);
    hi_wr32(answer.data() + 8, 24);
    hi_wr16(answer.data() + 12 + 2 * 4, GetParam().entry);
    fake.answer = answer;
    float dbm = 77.0f;
    EXPECT_EQ(RQM_GetOpPwrAuto_Dbm(ctx, 4, &dbm, 0xB0), RQM_SUCCESS);
    EXPECT_EQ(dbm, GetParam().dbm);
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(fake.sent[0].bytes, (Bytes{6, 0, 0xF9, 0x03, 0, 0xE3}));
}

INSTANTIATE_TEST_SUITE_P(Entries, HfUserPower,
                         testing::Values(UserPowerCase{215, 10.0f}, UserPowerCase{47, -1.0f}));

TEST_F(HfPhy, PaDetectorAlwaysShort) {
    // The broker takes no answer longer than the short form.
    Bytes answer = fake_message(28, 763 | HI_MSG_KIND_CNF);
    hi_wr32(answer.data() + 16, 5);
    fake.answer = answer;
    uint32_t index = 0;
    uint16_t analogue = 9, digital = 9;
    EXPECT_EQ(RQM_GetRawPADetReading(ctx, nullptr, nullptr, &index, nullptr, nullptr, &analogue, &digital),
              RQM_SUCCESS);
    EXPECT_EQ(index, 5u);
    EXPECT_EQ(analogue, 9);
    EXPECT_EQ(digital, 9);
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(fake.sent[0].bytes, fake_message(28, 763));
}

}  // namespace
