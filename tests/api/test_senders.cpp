// The generic senders and the general device requests against a fake
// Target: the exact request bytes, the checks made before anything is
// sent, and what is read from answers of every length.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "common/hi_msg.h"
#include "tests/support/fake_target.h"
#include "transport/TargetCli.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A message whose MsgLen is len, with room for all its words even when
// MsgLen claims fewer.
Bytes words(uint16_t len, uint16_t id, std::vector<uint32_t> w) {
    Bytes m(std::max<size_t>(len, 4 + 4 * w.size()), 0);
    hi_set_msg_len(m.data(), len);
    hi_set_msg_id(m.data(), id);
    for (size_t i = 0; i < w.size(); ++i)
        hi_wr32(m.data() + 4 + 4 * i, w[i]);
    return m;
}

class Api : public testing::Test {
protected:
    void SetUp() override {
        ctx = RQM_Create(nullptr, nullptr);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 50;
    }
    void TearDown() override { RQM_Stop(ctx); }
    void answer(Bytes a) {
        fake.script = {ANSWER_NOW};
        fake.answer = std::move(a);
    }
    const Bytes& sent(size_t i = 0) { return fake.sent.at(i).bytes; }

    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
};

struct SenderCase {
    const char* name;
    std::function<int(RqmApiContext*, uint32_t*, uint32_t*)> call;
    Bytes request;
    uint32_t accepted;    // largest confirmation taken
    unsigned out1, out2;  // offsets of the outputs, 0 for none
};

class Senders : public Api, public testing::WithParamInterface<SenderCase> {};

TEST_P(Senders, RequestBytesAndOutputs) {
    const SenderCase& c = GetParam();
    Bytes cnf = words(static_cast<uint16_t>(c.accepted), c.request[2] | (c.request[3] << 8) | 0x400,
                      {7, 0x11111111, 0x22222222, 0x33333333, 0x44444444});
    answer(cnf);
    uint32_t o1 = 0xEEEEEEEE, o2 = 0xEEEEEEEE;
    EXPECT_EQ(c.call(ctx, &o1, &o2), 7);  // the status, outputs stored all the same
    ASSERT_EQ(fake.sent.size(), 1u);
    EXPECT_EQ(sent(), c.request);
    if (c.out1 != 0) {
        EXPECT_EQ(o1, hi_rd32(cnf.data() + c.out1));
    }
    if (c.out2 != 0) {
        EXPECT_EQ(o2, hi_rd32(cnf.data() + c.out2));
    }
    // One byte more than the sender takes: no usable answer.
    answer(words(static_cast<uint16_t>(c.accepted + 1), hi_msg_id(cnf.data()), {0}));
    EXPECT_EQ(c.call(ctx, nullptr, nullptr), RQM_NO_CONFIRMATION);
}

INSTANTIATE_TEST_SUITE_P(
    Family, Senders,
    testing::Values(SenderCase{"Zero",
                               [](RqmApiContext* c, uint32_t*, uint32_t*) {
                                   return RQM_SendReqToFw_InpZeroWord(c, 60);
                               },
                               words(8, 60, {0}), 8, 0, 0},
                    SenderCase{"One",
                               [](RqmApiContext* c, uint32_t*, uint32_t*) {
                                   return RQM_SendReqToFw_InpOneWord(c, 757, 0x0B07);
                               },
                               words(12, 757, {0, 0x0B07}), 12, 0, 0},
                    SenderCase{"Two",
                               [](RqmApiContext* c, uint32_t*, uint32_t*) {
                                   return RQM_SendReqToFw_InpTwoWords(c, 684, 1, 0xFFFFFFFF);
                               },
                               words(16, 684, {0, 1, 0xFFFFFFFF}), 16, 0, 0},
                    SenderCase{"Three",
                               [](RqmApiContext* c, uint32_t*, uint32_t*) {
                                   return RQM_SendReqToFw_InpThreeWords(c, 698, 1, 2, 3);
                               },
                               words(20, 698, {0, 1, 2, 3}), 20, 0, 0},
                    SenderCase{"Four",
                               [](RqmApiContext* c, uint32_t*, uint32_t*) {
                                   return RQM_SendReqToFw_InpFourWords(c, 739, 1, 2, 3, 4);
                               },
                               words(24, 739, {0, 1, 2, 3, 4}), 24, 0, 0},
                    SenderCase{"ZeroOutOne",
                               [](RqmApiContext* c, uint32_t* o1, uint32_t*) {
                                   return RQM_SendReqToFw_InpZeroWord_OutOneWord(c, 687, o1);
                               },
                               words(8, 687, {0}), 12, 8, 0},
                    SenderCase{"OneOutOne",
                               [](RqmApiContext* c, uint32_t* o1, uint32_t*) {
                                   return RQM_SendReqToFw_InpOneWord_OutOneWord(c, 94, 3, o1);
                               },
                               words(12, 94, {0, 3}), 12, 8, 0},
                    SenderCase{"TwoOutOne",
                               [](RqmApiContext* c, uint32_t* o1, uint32_t*) {
                                   return RQM_SendReqToFw_InpTwoWords_OutOneWord(c, 58, 5, 6, o1);
                               },
                               words(16, 58, {0, 5, 6}), 12, 8, 0},
                    SenderCase{"OneOutTwo",
                               [](RqmApiContext* c, uint32_t* o1, uint32_t* o2) {
                                   return RQM_SendReqToFw_InpOneWords_OutTwoWords(c, 766, 9, o1, o2);
                               },
                               words(12, 766, {0, 9}), 20, 12, 16}),
    [](const testing::TestParamInfo<SenderCase>& info) { return info.param.name; });

// An answer that ends before the member's last output is none, even for
// a caller that does not take that output.
TEST_F(Api, AnswerCutBeforeAnOutputIsNoAnswer) {
    answer(words(16, 766 | 0x400, {0, 0x5, 0x6}));
    uint32_t o1 = 1, o2 = 1;
    EXPECT_EQ(RQM_SendReqToFw_InpOneWords_OutTwoWords(ctx, 766, 0, &o1, &o2), RQM_NO_CONFIRMATION);
    EXPECT_EQ(RQM_SendReqToFw_InpOneWords_OutTwoWords(ctx, 766, 0, &o1, nullptr), RQM_NO_CONFIRMATION);
    EXPECT_EQ(o1, 1u);
    EXPECT_EQ(o2, 1u);
}

TEST_F(Api, AnswerShorterThanAStatusIsNoAnswer) {
    answer(words(6, 687 | 0x400, {0}));
    uint32_t o1 = 3;
    EXPECT_EQ(RQM_SendReqToFw_InpZeroWord_OutOneWord(ctx, 687, &o1), RQM_NO_CONFIRMATION);
    EXPECT_EQ(o1, 3u);
}

TEST_F(Api, TransportResultsPassThroughWithoutOutputs) {
    Bytes refusal = words(12, HI_BOOT_IND_ID, {1, 7});
    answer(refusal);
    uint32_t o1 = 3;
    EXPECT_EQ(RQM_SendReqToFw_InpOneWord_OutOneWord(ctx, 94, 0, &o1), 7);
    EXPECT_EQ(o1, 3u);
    // A 12-byte refusal does not fit the 8-byte answer of the zero-word
    // sender.
    EXPECT_EQ(RQM_SendReqToFw_InpZeroWord(ctx, 60), RQM_NO_CONFIRMATION);
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_SendReqToFw_InpZeroWord(nullptr, 60), RQM_NO_CONTEXT);
    EXPECT_EQ(RQM_SendReqToFw_Raw(nullptr, 62, nullptr, 0), RQM_NO_CONTEXT);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "without a context nothing is reported";
}

struct RawCase {
    const char* name;
    bool nullPayload;
    uint32_t length;
    uint32_t maxMsgSize;
    int result;  // of both raw paths unless noted
    int proxyResult;
};

class RawBounds : public Api, public testing::WithParamInterface<RawCase> {};

TEST_P(RawBounds, RefusedBeforeAnythingIsSent) {
    const RawCase& c = GetParam();
    ctx->MaxMsgSize = c.maxMsgSize;
    answer(words(8, 62 | 0x400, {0}));
    Bytes payload(c.length, 0x5A);
    const void* p = c.nullPayload ? nullptr : payload.data();
    if (c.length <= 0xFFFF) {
        EXPECT_EQ(RQM_SendReqToFw_Raw(ctx, 62, p, static_cast<uint16_t>(c.length)), c.result);
    }
    EXPECT_EQ(RQM_SendRawMsgToTgtProxy(ctx, p, c.length), c.proxyResult);
    for (const FakeSent& s : fake.sent) {
        EXPECT_EQ(s.bytes.size(), c.length + 8);
        EXPECT_EQ(hi_msg_len(s.bytes.data()), c.length + 8);
    }
    const size_t sends = (c.result == 0 ? 1 : 0) + (c.proxyResult == 0 ? 1 : 0);
    EXPECT_EQ(fake.sent.size(), sends);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, RawBounds,
    testing::Values(
        RawCase{"EmptyNullPayload", true, 0, 1520, 0, 0},
        RawCase{"NullPayloadWithLength", true, 4, 1520, RQM_MISSING_PAYLOAD, RQM_MISSING_PAYLOAD},
        RawCase{"ChannelLimit", false, 1512, 1520, 0, 0},
        RawCase{"PastTheChannel", false, 1513, 4000, RQM_MESSAGE_TOO_LARGE, RQM_MESSAGE_TOO_LARGE},
        RawCase{"PastTheFirmware", false, 93, 100, RQM_MESSAGE_TOO_LARGE, RQM_MESSAGE_TOO_LARGE},
        // Before a startup indication the firmware's limit is
        // unknown: the sender keeps to the channel's, the proxy
        // refuses everything.
        RawCase{"FirmwareLimitUnknown", false, 4, 0, 0, RQM_MESSAGE_TOO_LARGE},
        // The sender counts the whole message, the proxy the payload.
        RawCase{"MessagePastTheLargest", false, 8181, 9000, RQM_INVALID_PARAMETER, RQM_MESSAGE_TOO_LARGE},
        RawCase{"PayloadPastTheLargest", false, 8189, 9000, RQM_INVALID_PARAMETER, RQM_INVALID_PARAMETER}),
    [](const testing::TestParamInfo<RawCase>& info) { return info.param.name; });

TEST_F(Api, RawRequestBytes) {
    ctx->MaxMsgSize = 1520;
    answer(words(8, 0x7F0, {3}));
    const uint8_t payload[3] = {1, 2, 3};
    EXPECT_EQ(RQM_SendReqToFw_Raw(ctx, 0x3F0, payload, 3), 3);
    EXPECT_EQ(sent(), (Bytes{11, 0, 0xF0, 0x03, 0, 0, 0, 0, 1, 2, 3}));
    answer(words(12, 62 | 0x400, {4}));
    EXPECT_EQ(RQM_SendRawMsgToTgtProxy(ctx, payload, 3), 4);
    EXPECT_EQ(sent(1), (Bytes{11, 0, 62, 0, 0, 0, 0, 0, 1, 2, 3}));
}

struct RegCase {
    const char* name;
    uint16_t msgLen;  // of the answer
    uint32_t count;   // the answer's byte count
    uint32_t asked;
    size_t copied;
    int result;
};

class ReadRegType : public Api, public testing::WithParamInterface<RegCase> {};

TEST_P(ReadRegType, CopiesWhatWasAskedForFromAWholeAnswer) {
    const RegCase& c = GetParam();
    Bytes a(c.msgLen < 12 ? 12 : c.msgLen, 0);
    hi_set_msg_len(a.data(), c.msgLen);
    hi_set_msg_id(a.data(), 1014 | 0x400);
    hi_wr32(a.data() + 8, c.count);
    for (size_t i = 12; i < a.size(); ++i)
        a[i] = static_cast<uint8_t>(i);
    answer(a);
    Bytes dst(2048, 0xEE);
    EXPECT_EQ(RQM_ReadRegType(ctx, 2, 0x40040058, c.asked, dst.data()), c.result);
    EXPECT_EQ(sent(), words(16, 1014, {2, 0x40040058, c.asked}));
    for (size_t i = 0; i < dst.size(); ++i)
        ASSERT_EQ(dst[i], i < c.copied ? static_cast<uint8_t>(i + 12) : 0xEE) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Answers, ReadRegType,
                         testing::Values(RegCase{"AsAnswered", 16, 4, 4, 4, 0},
                                         RegCase{"CountPastTheArrivedBytes", 20, 2000, 64, 0, 1},
                                         RegCase{"CountPastTheAsked", 28, 16, 4, 4, 0},
                                         RegCase{"FewerThanAskedIsNoRead", 16, 4, 8, 0, 1},
                                         RegCase{"Largest", 1036, 1024, 1024, 1024, 0},
                                         RegCase{"ShortAnswer", 10, 4, 4, 0, 1}),
                         [](const testing::TestParamInfo<RegCase>& info) { return info.param.name; });

TEST_F(Api, RegisterAndMacRequests) {
    // Each answer repeats its request's fields.
    answer(words(20, 1015 | 0x400, {0, 3, 0x10, 0xCAFEF00D}));
    const uint32_t value = 0xCAFEF00D;
    EXPECT_EQ(RQM_WriteRegType(ctx, 3, 0x10, &value), 0);
    EXPECT_EQ(sent(0), words(20, 1015, {0xFFFFFFFF, 3, 0x10, 0xCAFEF00D}));

    const uint8_t mac[6] = {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC};
    Bytes want = words(20, 56, {0, 2});
    memcpy(want.data() + 12, mac, 6);
    Bytes set = want;
    hi_set_msg_id(set.data(), 56 | 0x400);
    answer(set);
    EXPECT_EQ(RQM_SetMacAddr(ctx, 2, mac), 0);
    EXPECT_EQ(sent(1), want);

    Bytes got = words(20, 55 | 0x400, {5, 1});
    memcpy(got.data() + 12, mac, 6);
    answer(got);
    uint8_t read[6] = {};
    EXPECT_EQ(RQM_GetMacAddr(ctx, 1, read), 5);  // the status; the address copied all the same
    EXPECT_EQ(memcmp(read, mac, 6), 0);
    EXPECT_EQ(sent(2), words(20, 55, {0, 1}));
}

TEST_F(Api, ChecksBeforeAnythingIsSent) {
    uint32_t v = 0, results[4] = {};
    uint8_t mac[6] = {};
    EXPECT_EQ(RQM_ReadRegType(ctx, 1, 0, 4, nullptr), 9);
    EXPECT_EQ(RQM_WriteRegType(ctx, 1, 0, nullptr), 9);
    EXPECT_EQ(RQM_GetMacAddr(ctx, 3, mac), 9);
    EXPECT_EQ(RQM_GetMacAddr(ctx, 0, nullptr), 9);
    EXPECT_EQ(RQM_SetMacAddr(ctx, 3, mac), 9);
    EXPECT_EQ(RQM_ConfigureClockGating(ctx, 2), 9);
    EXPECT_EQ(RQM_ConfigDebugPort(ctx, 32, 0, 0, 0), 9);
    EXPECT_EQ(RQM_ConfigDebugPort(ctx, 0, 2, 0, 0), 9);
    EXPECT_EQ(RQM_ConfigDebugPort(ctx, 0, 0, 3, 0), 9);
    EXPECT_EQ(RQM_SelfTest(ctx, 5, &v), 9);
    EXPECT_EQ(RQM_HWT_HIF(ctx, 0, 1, results), 9);
    EXPECT_EQ(RQM_HWT_MIC(ctx, 1, 0, results), 9);
    EXPECT_EQ(RQM_HWT_ENC(ctx, 1, 1, nullptr), 9);
    EXPECT_EQ(RQM_Get_HWId(ctx, nullptr), 9);
    EXPECT_EQ(RQM_SelfTest_ReadCtrlBlock(ctx, nullptr, nullptr, nullptr, nullptr, nullptr), 9);
    EXPECT_EQ(RQM_SelfTest_WriteCtrlBlock(ctx, nullptr, nullptr, nullptr, nullptr, nullptr), 9);
    EXPECT_TRUE(fake.sent.empty());
}

TEST_F(Api, HardwareTestsStopAfterAFailure) {
    fake.script = {ANSWER_NOW};
    Bytes first = words(32, 4 | 0x400, {1, 0x00030001});  // nonzero status; test 1, parameter 3
    hi_wr32(first.data() + 14, 0xAAAA5555);
    fake.answers = {first, words(32, 4 | 0x400, {0, 0x00030002})};
    uint32_t results[2] = {0, 0};
    EXPECT_EQ(RQM_HWT_HIF(ctx, 3, 4, results), 1);
    ASSERT_EQ(fake.sent.size(), 2u) << "the next request of the sequence still goes out";
    EXPECT_EQ(results[0], 0xAAAA5555u);
    EXPECT_EQ(results[1], 0u);
    Bytes req = words(32, 4, {0});
    hi_wr16(req.data() + 8, 2);
    hi_wr16(req.data() + 10, 3);
    hi_wr16(req.data() + 14, 4);
    EXPECT_EQ(sent(1), req);
}

TEST_F(Api, EncryptionTestSteps) {
    answer(words(32, 4 | 0x400, {0, 0x00010003}));  // test 3, first parameter 1
    uint32_t results[4] = {};
    EXPECT_EQ(RQM_HWT_ENC(ctx, 1, 2, results), 0);
    ASSERT_EQ(fake.sent.size(), 4u);
    const uint8_t steps[] = {2, 4, 6, 7};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(hi_rd16(sent(i).data() + 8), 3);
        EXPECT_EQ(sent(i)[16], steps[i]);
        EXPECT_EQ(sent(i)[17], 16);
    }
}

TEST_F(Api, HardwareIdOnlyFromAnAnswer) {
    uint32_t id = 77;
    answer(words(12, HI_BOOT_IND_ID, {1, 7}));
    EXPECT_EQ(RQM_Get_HWId(ctx, &id), RQM_NO_CONFIRMATION);  // the refusal does not fit 8 bytes
    EXPECT_EQ(id, 77u);
    answer(words(8, 61 | 0x400, {0x1234}));
    EXPECT_EQ(RQM_Get_HWId(ctx, &id), 0);
    EXPECT_EQ(id, 0x1234u);
}

TEST_F(Api, DriverRequestsTakeTheWordAtEight) {
    struct {
        int (*fn)(RqmApiContext*);
        Bytes request;
    } cases[] = {
        {RQM_Disconnect, words(4, 1019, {})},
        {RQM_Reconnect, words(12, 1020, {0x02000009, 50})},
        {RQM_SoftReset, words(4, 1023, {})},
    };
    for (auto& c : cases) {
        fake.sent.clear();
        answer(words(12, hi_msg_id(c.request.data()) | 0x400, {0, 6}));
        EXPECT_EQ(c.fn(ctx), 6);
        EXPECT_EQ(sent(), c.request);
        answer(words(12, HI_BOOT_IND_ID, {1, 7}));
        EXPECT_EQ(c.fn(ctx), 7);
    }
}

TEST_F(Api, SleepModeOneStopsTheFirmwareWhateverTheStatus) {
    answer(words(8, 49 | 0x400, {3}));
    EXPECT_EQ(RQM_SleepControl(ctx, 1, 0x1122334455667788ull), 3);
    EXPECT_EQ(ctx->FwRunning, 0);
    EXPECT_EQ(g_fake_target_requests, (std::vector<uint8_t>{7}));
    EXPECT_EQ(sent(), words(24, 49, {0, 1, 0, 0x55667788, 0x11223344}));
}

TEST_F(Api, SelfTestControlBlocks) {
    uint8_t b1[12], b2[20], b3[20], b4[12], b5[12];
    memset(b1, 1, 12);
    memset(b2, 2, 20);
    memset(b3, 3, 20);
    memset(b4, 4, 12);
    memset(b5, 5, 12);
    answer(words(8, 96 | 0x400, {0}));
    EXPECT_EQ(RQM_SelfTest_WriteCtrlBlock(ctx, b1, nullptr, b3, nullptr, b5), 0);
    Bytes want(80, 0);
    hi_set_msg_len(want.data(), 80);
    hi_set_msg_id(want.data(), 96);
    memset(want.data() + 4, 1, 12);
    memset(want.data() + 36, 3, 20);
    memset(want.data() + 68, 5, 12);
    EXPECT_EQ(sent(), want);
    Bytes read = want;
    hi_set_msg_id(read.data(), 95 | 0x400);
    answer(read);
    memset(b1, 0, 12);
    memset(b2, 9, 20);
    EXPECT_EQ(RQM_SelfTest_ReadCtrlBlock(ctx, b1, b2, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(b1[0], 1);
    EXPECT_EQ(b2[0], 0);
}

TEST_F(Api, MessageParameters) {
    uint32_t timeout = 0, retries = 0;
    EXPECT_EQ(RQM_Set_MsgParams(ctx, 250, 0), 0);
    EXPECT_EQ(ctx->Attempts, 1u);
    EXPECT_EQ(RQM_Get_MsgParams(ctx, &timeout, &retries), 0);
    EXPECT_EQ(timeout, 250u);
    EXPECT_EQ(retries, 0u);
    EXPECT_EQ(RQM_Set_MsgParams(ctx, 0xFFFFFFFF, 0xFFFFFFFF), 0);
    EXPECT_EQ(ctx->Attempts, 0xFFFFFFFFu) << "retries must not wrap the attempts to none";
    EXPECT_EQ(RQM_Set_MsgParams(nullptr, 1, 1), 255);
}

TEST_F(Api, ConnectWaitsForTheBootLoader) {
    Bytes startup(160, 0);
    hi_set_msg_len(startup.data(), 160);
    hi_set_msg_id(startup.data(), HI_STARTUP_IND_ID);
    hi_wr16(startup.data() + STARTUP_IND_API_VER_OFF, 0x0427);
    answer(startup);
    rxed_boot_ind = 1;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(RQM_Connect(ctx), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
    EXPECT_EQ(sent(), words(12, 1018, {0x02000009, 50}));
    answer(words(12, HI_BOOT_IND_ID, {1, 5}));
    EXPECT_EQ(RQM_Connect(ctx), 5);
}

}  // namespace
