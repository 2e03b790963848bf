// The request builder and the confirmation reader on bytes alone: writes at
// and past the message's end, answers shorter than a status, fields at and
// beyond what arrived, and copies bounded by it; then the one rule for
// answers cut short, at the exchange (on a fake Target) and for data an
// answer counts itself.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "api/rqm_request.h"
#include "tests/support/fake_target.h"
#include "tests/support/rows.h"

namespace {

enum Write { PUT8, PUT16, PUT32, PUT32_BE, PUT_BYTES };

struct BuildCase {
    const char* name;
    uint32_t capacity, msgLen;
    Write write;
    uint32_t off, count;  // count: bytes of PUT_BYTES
    bool ok;
};

class Builder : public testing::TestWithParam<BuildCase> {};

TEST_P(Builder, WritesInsideTheMessageOnly) {
    const BuildCase& c = GetParam();
    Bytes buf(c.capacity + 8, 0xEE);  // bytes past the capacity must stay
    RqmReqBuilder req(buf.data(), c.capacity);
    EXPECT_FALSE(req.ok()) << "not started";
    req.start(0x123, c.msgLen);
    const Bytes src(c.count < 64 ? c.count : 64, 0x5A);  // a count past it is refused unread
    switch (c.write) {
    case PUT8:
        req.put8(c.off, 0x5A);
        break;
    case PUT16:
        req.put16(c.off, 0x5A5A);
        break;
    case PUT32:
        req.put32(c.off, 0x5A5A5A5A);
        break;
    case PUT32_BE:
        req.put32_be(c.off, 0x5A5A5A5A);
        break;
    case PUT_BYTES:
        req.put_bytes(c.off, src.data(), c.count);
        break;
    }
    EXPECT_EQ(req.ok(), c.ok);
    const bool started = c.msgLen >= 4 && c.msgLen <= c.capacity && c.msgLen <= HI_MSG_MAX_LEN;
    EXPECT_EQ(req.len(), started ? c.msgLen : 0u);
    EXPECT_EQ(hi_msg_len(buf.data()), started ? c.msgLen : 0u);
    const uint32_t width = c.write == PUT8 ? 1 : c.write == PUT16 ? 2 : c.write == PUT_BYTES ? c.count : 4;
    for (uint32_t i = 4; i < buf.size(); ++i) {
        const bool written = c.ok && i >= c.off && i - c.off < width;
        ASSERT_EQ(buf[i], written ? 0x5A : i < c.capacity ? 0 : 0xEE) << "byte " << i;
    }
    req.start(0x123, 4);
    EXPECT_TRUE(req.ok()) << "a new start forgets the refusal";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Builder,
    testing::Values(BuildCase{"LastWord", 16, 16, PUT32, 12, 0, true},
                    BuildCase{"WordAcrossTheEnd", 16, 16, PUT32, 13, 0, false},
                    BuildCase{"WordPastMsgLenInsideTheBuffer", 32, 16, PUT32, 16, 0, false},
                    BuildCase{"LastByte", 6, 6, PUT8, 5, 0, true},
                    BuildCase{"ByteAtTheEnd", 6, 6, PUT8, 6, 0, false},
                    BuildCase{"HalfWordAcrossTheEnd", 8, 8, PUT16, 7, 0, false},
                    BuildCase{"BigEndianLastWord", 12, 12, PUT32_BE, 8, 0, true},
                    BuildCase{"BlockToTheEnd", 20, 20, PUT_BYTES, 8, 12, true},
                    BuildCase{"BlockPastTheEnd", 20, 20, PUT_BYTES, 8, 13, false},
                    BuildCase{"EmptyBlockAtTheEnd", 20, 20, PUT_BYTES, 20, 0, true},
                    BuildCase{"OffsetThatWraps", 16, 16, PUT32, 0xFFFFFFFE, 0, false},
                    BuildCase{"CountThatWraps", 16, 16, PUT_BYTES, 8, 0xFFFFFFFC, false},
                    BuildCase{"MsgLenPastTheBuffer", 16, 17, PUT8, 8, 0, false},
                    BuildCase{"MsgLenUnderAHeader", 16, 3, PUT8, 8, 0, false},
                    BuildCase{"MsgLenPastTheLargestMessage", 8200, 8189, PUT8, 8, 0, false}),
    RowName());

TEST(BuilderBytes, BigEndianWordAndOwnBuffer) {
    RqmRequest<12> req(0x63, 12);
    req.put32_be(4, 0x01020304);
    req.put32(8, 0x01020304);
    ASSERT_TRUE(req.ok());
    EXPECT_EQ(Bytes(req.msg(), req.msg() + 12), (Bytes{12, 0, 0x63, 0, 1, 2, 3, 4, 4, 3, 2, 1}));
}

TEST(BuilderBytes, RefusedBuildIsNotSent) {
    RqmRequest<8> req(1, 8);
    req.put32(8, 1);
    uint8_t cnf[8] = {};
    // No context: a build that went to the broker would crash on it.
    EXPECT_EQ(rqm_exchange(nullptr, req, cnf, sizeof cnf, sizeof cnf), RQM_INVALID_PARAMETER);
    RqmRequest<8> never;
    EXPECT_EQ(rqm_exchange(nullptr, never, cnf, sizeof cnf, sizeof cnf), RQM_INVALID_PARAMETER);
}

struct ReadCase {
    const char* name;
    uint16_t msgLen;
    uint32_t room;
    uint32_t got;
    int status;    // of status()
    int status12;  // of status_at(12)
    uint32_t word8, word9, half10;
    uint32_t count, copied;  // of a copy from +8
};

class Reader : public testing::TestWithParam<ReadCase> {};

// The buffer holds bytes 4.. = 4, 5, 6, ... whatever MsgLen says.
TEST_P(Reader, SeesOnlyWhatArrived) {
    const ReadCase& c = GetParam();
    Bytes cnf(64, 0);
    hi_set_msg_len(cnf.data(), c.msgLen);
    for (size_t i = 4; i < cnf.size(); ++i)
        cnf[i] = static_cast<uint8_t>(i);
    const RqmCnfReader r(cnf.data(), c.room);
    EXPECT_EQ(r.got(), c.got);
    EXPECT_EQ(r.status(), c.status);
    EXPECT_EQ(r.status_at(12), c.status12);
    EXPECT_EQ(r.get32(8), c.word8);
    EXPECT_EQ(r.get32(9), c.word9);
    EXPECT_EQ(r.get16(10), c.half10);
    EXPECT_EQ(r.get8(0xFFFFFFFF), 0);
    EXPECT_FALSE(r.has(0xFFFFFFFC, 8)) << "an offset that wraps";
    Bytes dst(48, 0xEE);
    EXPECT_EQ(r.copy(8, dst.data(), c.count), c.copied);
    for (size_t i = 0; i < dst.size(); ++i)
        ASSERT_EQ(dst[i], i < c.copied ? 8 + i : 0xEE) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Reader,
    testing::Values(
        ReadCase{"UnderAStatus", 7, 64, 7, RQM_NO_CONFIRMATION, RQM_NO_CONFIRMATION, 0, 0, 0, 4, 0},
        ReadCase{"StatusOnly", 8, 64, 8, 0x07060504, RQM_NO_CONFIRMATION, 0, 0, 0, 4, 0},
        ReadCase{"WordAtTheEnd", 12, 64, 12, 0x07060504, RQM_NO_CONFIRMATION, 0x0B0A0908, 0, 0x0B0A, 40, 4},
        ReadCase{"WordOneByteShort", 11, 64, 11, 0x07060504, RQM_NO_CONFIRMATION, 0, 0, 0, 4, 3},
        ReadCase{"StatusAtTwelve", 16, 64, 16, 0x07060504, 0x0F0E0D0C, 0x0B0A0908, 0x0C0B0A09, 0x0B0A, 8, 8},
        ReadCase{"MsgLenPastTheRoom", 40, 12, 12, 0x07060504, RQM_NO_CONFIRMATION, 0x0B0A0908, 0, 0x0B0A, 40,
                 4},
        ReadCase{"RoomUnderAHeader", 40, 3, 0, RQM_NO_CONFIRMATION, RQM_NO_CONFIRMATION, 0, 0, 0, 4, 0}),
    RowName());

// Whole answers only: an answer is taken when it reaches the need its
// request states, and one that ends before it is none, whatever its
// status says; a longer one is the firmware's business.
struct NeedCase {
    const char* name;
    uint16_t msgLen;
    uint32_t status;
    uint32_t need;
    int result;
};

class Need : public OnFakeTarget, public testing::WithParamInterface<NeedCase> {};

TEST_P(Need, CutAnswerIsNoAnswer) {
    const NeedCase& c = GetParam();
    answer(fake_message(c.msgLen, 0x40 | HI_MSG_KIND_CNF, c.status));
    RqmRequest<8> req(0x40);
    RqmCnf<24> cnf;
    EXPECT_EQ(rqm_exchange(ctx, req, cnf, c.need), c.result);
}

INSTANTIATE_TEST_SUITE_P(Rows, Need,
                         testing::Values(NeedCase{"ReachesItsNeed", 20, 0, 20, RQM_SUCCESS},
                                         NeedCase{"OneByteShort", 19, 0, 20, RQM_NO_CONFIRMATION},
                                         NeedCase{"OneByteShortWithAStatus", 19, 5, 20, RQM_NO_CONFIRMATION},
                                         NeedCase{"LongerThanItsNeed", 24, 0, 12, RQM_SUCCESS},
                                         NeedCase{"StatusAlone", 8, 3, STATUS_CNF_NEED, RQM_SUCCESS},
                                         NeedCase{"UnderAStatus", 7, 0, STATUS_CNF_NEED,
                                                  RQM_NO_CONFIRMATION}),
                         RowName());

// Data an answer counts itself: the count, bounded by what the reader
// takes, must have arrived whole.
struct CountCase {
    const char* name;
    uint16_t msgLen;
    uint32_t count;  // the word at +8
    uint32_t max;
    int result;
    uint32_t counted;
};

class Counted : public testing::TestWithParam<CountCase> {};

TEST_P(Counted, TheBytesItCountsArrived) {
    const CountCase& c = GetParam();
    Bytes cnf(64, 0);
    hi_set_msg_len(cnf.data(), c.msgLen);
    hi_wr32(cnf.data() + 8, c.count);
    uint32_t n = 0xEEEE;
    EXPECT_EQ(RqmCnfReader(cnf.data(), 64).counted(8, 12, c.max, &n), c.result);
    EXPECT_EQ(n, c.counted);
}

INSTANTIATE_TEST_SUITE_P(Rows, Counted,
                         testing::Values(CountCase{"AllArrived", 17, 5, 50, RQM_SUCCESS, 5},
                                         CountCase{"CutInsideTheData", 16, 5, 50, RQM_NO_CONFIRMATION, 5},
                                         CountCase{"NoneCounted", 12, 0, 50, RQM_SUCCESS, 0},
                                         CountCase{"BoundedByTheReader", 20, 0xFFFFFFFF, 8, RQM_SUCCESS, 8},
                                         CountCase{"CountNotArrived", 11, 0, 50, RQM_NO_CONFIRMATION, 0}),
                         RowName());

}  // namespace
