// The message recorder the whole-run tests read the wire with: datagrams
// cut to MsgLen, ids without their sequence bits, fields by offset and
// filters by id, and a field or a message that is not there failing the test.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/hi_log.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A datagram as the stand-in logs it: 16 header bytes, then the message.
Bytes datagram(const Bytes& msg) {
    Bytes dg(16 + msg.size(), 0);
    for (size_t i = 0; i < msg.size(); ++i)
        dg[16 + i] = msg[i];
    return dg;
}

// Request 757 numbered 5 with two words and padding; 993 of 6 bytes padded
// to 8; a datagram with no message in it.
const HiLog kLog({datagram({12, 0, 0xF5, 0xA2, 0, 0, 0, 0, 0x0B, 0x0C, 0, 0}),
                  datagram({6, 0, 0xE1, 0x03, 0x11, 0x22, 0x33, 0x44}), datagram({})});

TEST(HiLog, MessagesCutToMsgLenWithoutSequenceBits) {
    ASSERT_EQ(kLog.size(), 3u);
    EXPECT_EQ(kLog.ids(), (std::vector<unsigned>{757, 993}));
    EXPECT_EQ(kLog.one(757).seq(), 5u);
    EXPECT_EQ(kLog.one(757).words(), (Words{0, 0x0C0B}));
    EXPECT_EQ(kLog.one(993).len(), 6u);
    EXPECT_EQ(kLog.one(993).bytes, (Bytes{6, 0, 0xE1, 0x03, 0x11, 0x22}));
    EXPECT_EQ(kLog.one(993).words(), Words{}) << "no whole word after the header";
    EXPECT_EQ(kLog.one(993).u16(4), 0x2211);
    EXPECT_EQ(kLog.words(757), (std::vector<Words>{{0, 0x0C0B}}));
    EXPECT_EQ(kLog.bytes({993}).size(), 1u);
    EXPECT_EQ(kLog.count(994), 0u);
}

TEST(HiLog, WhatIsNotThereFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(kLog.one(993).u32(4), 0u), "4 bytes at 4");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(kLog.one(993).u8(6), 0u), "1 bytes at 6");
    EXPECT_NONFATAL_FAILURE(EXPECT_TRUE(kLog.one(994).bytes.empty()), "0 messages with id 994");
}

}  // namespace
