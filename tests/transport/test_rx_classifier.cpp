// The receive thread's classification of incoming bytes, one datagram at a
// time, without a socket: bytes are placed in RxBuffer as a receive would
// and TargetCli_HandleRx does the rest.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/hi_msg.h"
#include "tests/support/received.h"
#include "transport/TargetCli.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes message(uint16_t len, uint16_t id, size_t size = 0) {
    Bytes m(size != 0 ? size : len, 0);
    hi_set_msg_len(m.data(), len);
    hi_set_msg_id(m.data(), id);
    return m;
}

Bytes boot(uint32_t state, uint32_t res, uint16_t id = HI_BOOT_IND_ID) {
    Bytes m = message(12, id);
    hi_wr32(m.data() + 4, state);
    hi_wr32(m.data() + 8, res);
    return m;
}

Bytes startup(uint16_t window, uint16_t apiVer = 0x0427, uint16_t len = 160) {
    Bytes m = message(len, HI_STARTUP_IND_ID);
    hi_wr16(m.data() + STARTUP_IND_NUM_INP_BUFS_OFF, window);
    hi_wr16(m.data() + STARTUP_IND_API_VER_OFF, apiVer);
    return m;
}

class Classifier : public testing::Test {
protected:
    void SetUp() override {
        g_received.clear();
        rxed_boot_ind = 0;
        p = TargetCli_Create(nullptr);
        ASSERT_NE(p, nullptr);
        p->pfnRxCb = receive;
    }
    void TearDown() override { TargetCli_Exit(p); }
    // One datagram arrives: appended where the held bytes end.
    void feed(const Bytes& dgram) {
        ASSERT_LE(held + dgram.size(), p->RxBuffer.size());
        memcpy(p->RxBuffer.data() + held, dgram.data(), dgram.size());
        held = TargetCli_HandleRx(p, held + static_cast<uint32_t>(dgram.size()));
    }
    std::string feed_capture(const Bytes& dgram) {
        testing::internal::CaptureStdout();
        feed(dgram);
        return testing::internal::GetCapturedStdout();
    }

    TargetCliContext* p = nullptr;
    uint32_t held = 0;
};

struct BootCase {
    uint32_t state;
    uint32_t res;
    bool delivered;
    uint16_t deliveredId;
    const char* out;
    int loaderReadyAfter;  // starting from 1
    int sddOkAfter;        // starting from 1
};

class BootMatrix : public Classifier, public testing::WithParamInterface<BootCase> {};

TEST_P(BootMatrix, FlagsLinesAndDelivery) {
    const BootCase& c = GetParam();
    p->bBootLoaderReady = 1;
    p->bSddOk = 1;
    p->SendWindow = 4;
    p->RxSeq = 2;
    p->CnfCount = 1;
    EXPECT_EQ(feed_capture(boot(c.state, c.res)), c.out);
    EXPECT_EQ(held, 0u);
    EXPECT_EQ(rxed_boot_ind, 1);
    EXPECT_EQ(p->bBootInd, 1u);
    EXPECT_EQ(p->bBootLoaderReady, static_cast<uint32_t>(c.loaderReadyAfter));
    EXPECT_EQ(p->bSddOk, static_cast<uint32_t>(c.sddOkAfter));
    // BOOT indications are outside the numbering.
    EXPECT_EQ(p->RxSeq, 2u);
    EXPECT_EQ(p->CnfCount, 1u);
    ASSERT_EQ(g_received.ids().size(), c.delivered ? 1u : 0u);
    if (c.delivered) {
        EXPECT_EQ(g_received.ids()[0], c.deliveredId);
        EXPECT_EQ(hi_rd32(g_received.msgs()[0].data() + 8), c.res);
    }
}

INSTANTIATE_TEST_SUITE_P(
    StateRes, BootMatrix,
    testing::Values(BootCase{3, 0, false, 0, "", 1, 1}, BootCase{0, 0, true, 0x7FB, "", 0, 1},
                    BootCase{4, 0, false, 0, "", 1, 1},
                    BootCase{4, 3, true, 0xBFF, "Driver Unkown error(3)!\n", 1, 0},
                    BootCase{1, 5, true, 0xBFF, "RQM has already connected!\n", 1, 1},
                    BootCase{3, 5, true, 0xBFF, "RQM has already connected!\n", 1, 1},
                    BootCase{0, 6, true, 0xBFF, "Please turn off WIFI!\n", 1, 1},
                    BootCase{1, 7, true, 0xBFF, "RQM not connect,please connect first!\n", 1, 1},
                    BootCase{1, 8, true, 0xBFF, "Try to solve it by reboot!\n", 1, 1},
                    BootCase{1, 9, true, 0xBFF, "Try to solve it by reboot!\n", 1, 1},
                    BootCase{1, 10, true, 0xBFF, "Please upgrade rqm cli version!\n", 1, 1},
                    BootCase{1, 0xFFFFFFFF, true, 0xBFF, "Driver Unkown error(-1)!\n", 1, 1},
                    BootCase{7, 0, false, 0, "", 1, 1}));

TEST_F(Classifier, RefusalKeepsItsSequenceBits) {
    feed_capture(boot(1, 7, HI_BOOT_IND_ID | (5 << HI_MSG_SEQ_SHIFT)));
    ASSERT_EQ(g_received.ids().size(), 1u);
    EXPECT_EQ(g_received.ids()[0], HI_BOOT_IND_ID | (5 << HI_MSG_SEQ_SHIFT));
}

TEST_F(Classifier, BootWithoutCallbackSetsFlagsOnly) {
    p->pfnRxCb = nullptr;
    EXPECT_EQ(feed_capture(boot(1, 7)), "RQM not connect,please connect first!\n");
    EXPECT_EQ(rxed_boot_ind, 1);
}

struct DropCase {
    const char* name;
    Bytes dgram;
    const char* out;
};

class Drops : public Classifier, public testing::WithParamInterface<DropCase> {};

TEST_P(Drops, NothingDeliveredNothingHeld) {
    p->SendWindow = 4;
    EXPECT_EQ(feed_capture(GetParam().dgram), GetParam().out);
    EXPECT_EQ(held, 0u);
    EXPECT_TRUE(g_received.ids().empty());
    EXPECT_EQ(rxed_boot_ind, 0);
    EXPECT_EQ(p->RxSeq, 0u);
    EXPECT_EQ(p->SendWindow, 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Drops,
    testing::Values(
        DropCase{"MsgLenThree", message(3, 0x7F8, 12), ""}, DropCase{"MsgLenZero", message(0, 0x7F8, 12), ""},
        DropCase{"MsgLen8189", message(8189, 0x7F8, 12), ""},
        DropCase{"MsgLen8188With12Bytes", message(8188, 0x7F8, 12),
                 "Warning:Buffer overflow!\ndata length:8188 \tbuffer length:12 MsgId = 0x000007f8\n"},
        DropCase{"LongerThanReceived", message(13, 0x47F8, 12),
                 "Warning:Buffer overflow!\ndata length:13 \tbuffer length:12 MsgId = 0x000047f8\n"},
        DropCase{"RequestKind", message(8, 0x3FA), ""}, DropCase{"KindEleven", message(8, 0xC01), ""},
        DropCase{"KindElevenWithSeq", message(8, 0xEC01), ""},
        DropCase{"BootShorterThan12", message(11, HI_BOOT_IND_ID, 12), ""},
        DropCase{"StartupShorterThan160", startup(7, 0x0427, 159), ""}),
    [](const testing::TestParamInfo<DropCase>& info) { return info.param.name; });

TEST_F(Classifier, ShortDatagramsAreJoinedWithTheNext) {
    Bytes whole = message(12, 0x7F8);
    whole[11] = 0x5A;
    feed(Bytes(whole.begin(), whole.begin() + 2));
    EXPECT_EQ(held, 2u);
    EXPECT_TRUE(g_received.ids().empty());
    feed(Bytes(whole.begin() + 2, whole.end()));
    EXPECT_EQ(held, 0u);
    ASSERT_EQ(g_received.ids().size(), 1u);
    EXPECT_EQ(g_received.msgs()[0], whole);
}

TEST_F(Classifier, HeaderOnlyMessageOfFourBytesIsDelivered) {
    feed(message(4, 0x7FB));
    ASSERT_EQ(g_received.ids().size(), 1u);
    EXPECT_EQ(g_received.msgs()[0].size(), 4u);
}

TEST_F(Classifier, OnlyFirstMessageOfADatagramIsHandled) {
    Bytes two = message(8, 0x7F8);
    Bytes second = message(8, 0x802);
    two.insert(two.end(), second.begin(), second.end());
    feed(two);
    EXPECT_EQ(held, 0u);
    ASSERT_EQ(g_received.ids().size(), 1u);
    EXPECT_EQ(g_received.ids()[0], 0x7F8);
}

TEST_F(Classifier, StartupOpensWindowAndResetsCounters) {
    p->TxSeq = 9;
    p->CnfCount = 7;
    p->RxSeq = 5;
    feed(startup(4));
    EXPECT_EQ(p->SendWindow, 4u);
    EXPECT_EQ(p->TxSeq, 0u);
    EXPECT_EQ(p->CnfCount, 0u);
    // The startup indication itself is the first numbered message.
    EXPECT_EQ(p->RxSeq, 1u);
    ASSERT_EQ(g_received.ids().size(), 1u);
    EXPECT_EQ(g_received.ids()[0], HI_STARTUP_IND_ID);
}

TEST_F(Classifier, StartupWithForeignApiVersionIsStillDelivered) {
    feed(startup(0, 0x0527));
    EXPECT_EQ(g_received.ids().size(), 1u);
}

struct SeqCase {
    const char* name;
    uint32_t window;
    uint16_t msgId;
    uint32_t rxSeqAfter;
    uint32_t cnfCountAfter;
    uint16_t deliveredId;
};

class Sequence : public Classifier, public testing::WithParamInterface<SeqCase> {};

TEST_P(Sequence, CountsAndStripsSequenceBits) {
    const SeqCase& c = GetParam();
    p->SendWindow = c.window;
    p->RxSeq = 2;
    p->CnfCount = 10;
    feed(message(8, c.msgId));
    EXPECT_EQ(p->RxSeq, c.rxSeqAfter);
    EXPECT_EQ(p->CnfCount, c.cnfCountAfter);
    ASSERT_EQ(g_received.ids().size(), 1u);
    EXPECT_EQ(g_received.ids()[0], c.deliveredId);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Sequence,
    testing::Values(SeqCase{"ConfirmationOutOfStep", 4, 0x7F8 | (5 << 13), 3, 11, 0x7F8},
                    SeqCase{"ConfirmationInStep", 4, 0x7F8 | (2 << 13), 3, 11, 0x7F8},
                    SeqCase{"IndicationCountedNotConfirmed", 4, 0x802 | (2 << 13), 3, 10, 0x802},
                    SeqCase{"ExceptionNeitherCheckedNorCounted", 4, 0x800 | (6 << 13), 2, 10, 0x800},
                    SeqCase{"NoWindowNoCounting", 0, 0x7F8 | (5 << 13), 2, 10, 0x7F8}),
    [](const testing::TestParamInfo<SeqCase>& info) { return info.param.name; });

TEST_F(Classifier, StartupWithNoBuffersSwitchesNumberingOff) {
    feed(startup(4));
    feed(message(8, 0x7F8 | (1 << 13)));
    EXPECT_EQ(p->CnfCount, 1u);
    feed(startup(0));
    EXPECT_EQ(p->SendWindow, 0u);
    feed(message(8, 0x7F8 | (3 << 13)));
    EXPECT_EQ(p->RxSeq, 0u);
    EXPECT_EQ(p->CnfCount, 0u);
    EXPECT_EQ(g_received.ids().back(), 0x7F8);
}

TEST_F(Classifier, MessagesWithoutCallbackAreDropped) {
    p->pfnRxCb = nullptr;
    feed(startup(4));
    EXPECT_EQ(p->SendWindow, 0u);
}

TEST(DumpHiMsg, EightBytesToACallThenNewline) {
    Bytes m = message(10, 0x7F8);
    m[9] = 0xAB;
    testing::internal::CaptureStdout();
    DumpHiMsg(m.data());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0x0a 0x00 0xf8 0x07 0x00 0x00 0x00 0x00 0x00 0xab \n");
}

}  // namespace
