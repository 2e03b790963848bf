// The forced g/n-mode writes: which chip words each routine writes, in what
// order, and where a failed write ends it.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "cli/get_settings.h"
#include "cli/main.h"
#include "hf/hf.h"
#include "tests/support/fake_target.h"
#include "tests/support/rows.h"

namespace {

using Write = std::pair<uint32_t, uint32_t>;  // address, value

enum Routine { RATE, TX, TX_STOP };

struct GnCase {
    const char* name;
    Routine routine;
    uint8_t args[3];  // mode, rate and bandwidth; the flag first
    uint16_t subchannel;
    size_t failing;  // the write the firmware refuses, counted from 1; 0 none
    std::vector<Write> writes;
    int result;
};

constexpr uint32_t kControl = 0x0AB98008, kModeRate = 0x0AB98010, kFlags = 0x0AB98014, kRate = 0x0AB98018;

const GnCase kCases[] = {
    {"Mode4Rate7", RATE, {4, 7, 0}, 1, 0, {{kModeRate, 0x40A}, {kRate, 0x0FFF0007}}, 0},
    {"Mode2Rate12Upper40", RATE, {2, 12, 2}, 1, 0, {{kModeRate, 0xA09}, {kRate, 0x0FFF000C}}, 0},
    {"Mode2Rate12Lower40", RATE, {2, 12, 2}, 0, 0, {{kModeRate, 0x1A09}, {kRate, 0x0FFF000C}}, 0},
    {"RateWithoutCode", RATE, {5, 16, 0}, 1, 0, {{kModeRate, 0x500}, {kRate, 0x0FFF0010}}, 0},
    {"Mode1WritesNothing", RATE, {1, 3, 0}, 1, 0, {}, 0},
    {"FailedModeWordEndsIt", RATE, {4, 7, 0}, 1, 1, {{kModeRate, 0x40A}}, -1},
    {"FailedRateWord", RATE, {4, 7, 0}, 1, 2, {{kModeRate, 0x40A}, {kRate, 0x0FFF0007}}, -1},
    {"TxForceWithFlag", TX, {5}, 1, 0, {{kFlags, 0x42}, {kControl, 0x003F1F05}}, 0},
    {"TxForceWithoutFlag", TX, {0}, 1, 0, {{kFlags, 0x02}, {kControl, 0x003F1F05}}, 0},
    {"FailedFlagsEndTxForce", TX, {1}, 1, 1, {{kFlags, 0x42}}, -1},
    {"TxStop", TX_STOP, {}, 1, 0, {{kControl, 0x003FFA00}}, 0},
};

int call(const GnCase& c) {
    switch (c.routine) {
    case RATE:
        return gn_mode_rate_force(c.args[0], c.args[1], c.args[2]);
    case TX:
        return gn_mode_tx_force(c.args[0]);
    case TX_STOP:
        return gn_mode_tx_stop_force();
    }
    return 99;
}

class GnMode : public OnFakeTarget, public testing::WithParamInterface<GnCase> {};

TEST_P(GnMode, WritesInOrder) {
    const GnCase& c = GetParam();
    answer(HiBuild(1 | HI_MSG_KIND_CNF, {c.failing == 2 ? 3u : 0u}));
    fake.answers = {HiBuild(1 | HI_MSG_KIND_CNF, {c.failing == 1 ? 3u : 0u})};
    g_rqm_config.pRqmApiContext = ctx;
    setting.Tx_subchannel = c.subchannel;
    EXPECT_EQ(call(c), c.result);
    g_rqm_config.pRqmApiContext = nullptr;
    std::vector<Write> writes;
    for (const FakeSent& s : fake.sent) {
        EXPECT_EQ(s.bytes.size(), 16u);
        EXPECT_EQ(s.msgId, 1);
        writes.emplace_back(hi_rd32(s.bytes.data() + 4), hi_rd32(s.bytes.data() + 12));
    }
    EXPECT_EQ(writes, c.writes);
}

INSTANTIATE_TEST_SUITE_P(Routines, GnMode, testing::ValuesIn(kCases), RowName());

}  // namespace
