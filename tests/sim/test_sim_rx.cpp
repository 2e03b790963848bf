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

// The RX control word is chip memory the receive engine owns, byte by byte.
const Exchange kCtrlWord[] = {
    {"CtrlWordInMemory",
     {"set connected 1", "set rx ctrl 0x11223344"},
     {hi(0, {0x8ABB8002, 0x00C00004}), hi(1, {0x8ABB8006, 0x00C00001, 0xA5})},
     {hi(0x400, {0, 0x33440000}), hi(0x401, {0})},
     {{"mem 0x8ABB8004", "0x11a53344"}, {"mem 0x8ABB8008", "0x00000000"}}},
};

INSTANTIATE_TEST_SUITE_P(Rx, SimExchange, testing::ValuesIn(kCtrlWord), exchange_name);

}  // namespace
