// The receive engine across the tool's runs: each run is a port of its
// own, and what one run started another stops.
#include "tests/sim/sim_test_util.h"

namespace {

TEST_F(SimTest, ReceptionStartedInOneRunIsStoppedInTheNext) {
    connect();
    ASSERT_TRUE(send(hi(75 | seq_bits(0), {0, 1, 0, 0, 0})));
    EXPECT_EQ(answer(), hi(0x44B | seq_bits(1), {0, 0, 0, 0, 0}));
    ASSERT_TRUE(ctl("set rxinject count 0x10002 errors 3 crc 5"));
    // The next run sends unnumbered from a port of its own.
    NlClient later;
    ASSERT_TRUE(later.send(hi(75, {0, 2, 0, 0, 0}), sim_port()));
    const auto dg = later.recv();
    ASSERT_TRUE(dg.has_value());
    EXPECT_EQ(SimProcess::hi_payload(*dg), hi(0x44B | seq_bits(2), {0, 0x10002, 3, 5, 0xFFFF}));
    EXPECT_EQ(get("rx.running"), "0");
    EXPECT_FALSE(ctl("set rxinject count 1"));
    EXPECT_EQ(sim().last_error(), "receiver stopped");
}

}  // namespace
