// The receive requests and the tone generator against a fake Target: the
// request bytes the receive and tone runs do not pin and the checks made
// before sending, the frame information at its edges and the measurements,
// the bounds of the receive-data answer, and the tone's steps at and
// beyond their ends.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "api/rx_request.h"
#include "api/tone_request.h"
#include "tests/support/fake_target.h"
#include "tests/support/rows.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

using Ctx = RqmApiContext*;

struct RequestCase {
    const char* name;
    int (*call)(Ctx);
    int result;
    Bytes request;          // empty: refused before anything is sent
    uint16_t answered = 8;  // bytes of the answer, status 0
};

class Requests : public OnFakeTarget, public testing::WithParamInterface<RequestCase> {};

TEST_P(Requests, BytesOrRefusal) {
    const RequestCase& c = GetParam();
    if (!c.request.empty())
        answer(fake_message(c.answered, hi_msg_id(c.request.data()) | HI_MSG_KIND_CNF));
    EXPECT_EQ(c.call(ctx), c.result);
    ASSERT_EQ(fake.sent.size(), c.request.empty() ? 0u : 1u);
    if (!c.request.empty()) {
        EXPECT_EQ(fake.sent[0].bytes, c.request);
    }
}

uint32_t g_out[4];
Bytes g_data(RX_DATA_BUFFER_SIZE);

// clang-format off
INSTANTIATE_TEST_SUITE_P(Shapes, Requests, testing::Values(
    RequestCase{"Statistics", [](Ctx c) { return RQM_GetRxStatistics(c, &g_out[0], nullptr, nullptr); }, 0,
                HiBuild(52, {0, 0, 0, 0, 0}), 24},
    RequestCase{"Status", [](Ctx c) { return RQM_GetRxStatus(c, &g_out[0], 0, 0, 0, 0, 0, 0); }, 0,
                HiBuild(100, {0}), 32},
    RequestCase{"FrameWithoutInfo", [](Ctx c) { return RQM_GetRxFrame(c, nullptr, nullptr); }, 9, {}},
    RequestCase{"Data", [](Ctx c) { return RQM_GetRx(c, 4, nullptr, g_data.data(), nullptr); }, 0,
                HiBuild(79, {4}), 20},
    RequestCase{"DataType3", [](Ctx c) { return RQM_GetRx(c, 3, nullptr, nullptr, nullptr); }, 9, {}},
    RequestCase{"Monitor", [](Ctx c) { return RQM_RxSetMonitorMode(c, 21846, 7, 1); }, 0,
                HiBuild(124, {0, 0x55560017})},
    RequestCase{"MonitorFirstPast", [](Ctx c) { return RQM_RxSetMonitorMode(c, 21847, 0, 0); }, 9, {}},
    RequestCase{"MonitorFlagPast", [](Ctx c) { return RQM_RxSetMonitorMode(c, 0, 0, 2); }, 9, {}},
    RequestCase{"AckDelay1023", [](Ctx c) { return RQM_SetRxAckDelay(c, 1023); }, 0, HiBuild(72, {0, 1023})},
    RequestCase{"AckDelay1024", [](Ctx c) { return RQM_SetRxAckDelay(c, 1024); }, 9, {}},
    RequestCase{"NavType4", [](Ctx c) { return RQM_SetRxNavType(c, 4); }, 9, {}},
    RequestCase{"CaptureType3", [](Ctx c) { return RQM_Configure_RxCapturePhyStats(c, 3); }, 9, {}},
    // The value is checked before the sender sees the null context.
    RequestCase{"NavPastNoContext", [](Ctx) { return RQM_SetRxNav(nullptr, 1024); }, 9, {}},
    RequestCase{"CaptureNoContext", [](Ctx) { return RQM_Configure_RxCapturePhyStats(nullptr, 3); }, 255, {}},
    // Mode 0x21 keeps its low 4 bits; the frame length is cut to 28 bits.
    RequestCase{"ToneLongestPulse",
                [](Ctx c) { return RQM_SetPulsedToneGen(c, 0x21, 312500, 0, 1e7, 0, 0xFFFFFFFF, 7); }, 0,
                HiBuild(739, {0, 0xFFFFFFF1, 0x1F0000, 0, 7})},
    RequestCase{"ToneNotFinite", [](Ctx c) { return RQM_SetToneGen(c, 2, kNaN, kNaN, -kInf, kInf); }, 0,
                HiBuild(739, {0, 2, 0x7F007F, 0x700F8, 0})},
    RequestCase{"ToneNoContext", [](Ctx) { return RQM_SetToneGen(nullptr, 1, 312500, 0, 312500, 0); }, 255,
                {}}),
    RowName());
// clang-format on

// The frame information as a 122 answer carries it, from +8.
Bytes frame_cnf(uint32_t start0, uint32_t end0, uint32_t end1) {
    Bytes m = fake_message(RX_FRAME_CNF_SIZE, 122 | HI_MSG_KIND_CNF);
    hi_wr32(m.data() + 8, 0x01020304);  // TSF
    hi_wr16(m.data() + 12, 1500);       // length
    m[14] = 11;                         // rate
    hi_wr32(m.data() + 16, start0);
    hi_wr32(m.data() + 20, end0);
    hi_wr32(m.data() + 24, end1);
    hi_wr32(m.data() + 32, 0x00A01000);  // buffer address
    m[124] = 0x5A;                       // first data byte
    hi_wr32(m.data() + 1148, 41);        // packet id less one
    return m;
}

using Rx = OnFakeTarget;

// A frame's fields come from its answer alone; the measurements need a
// frame of this reception whose end status 1 arrived.
TEST_F(Rx, LastMeasurementsNeedAFrameOfThisReception) {
    float m[2] = {1.0f, 2.0f};
    EXPECT_EQ(RQM_GetLastRxMeasurements(nullptr, m), 255);
    EXPECT_EQ(RQM_GetLastRxMeasurements(ctx, nullptr), 9);
    EXPECT_EQ(RQM_GetLastRxMeasurements(ctx, m), 1);
    Bytes cut = frame_cnf(0, 0, 0xA0001BC4);
    hi_set_msg_len(cut.data(), RX_FRAME_CNF_SIZE - 1);
    answer(cut);
    RxFrameInfo info{};
    EXPECT_EQ(RQM_GetRxFrame_Extended(ctx, &info, nullptr, nullptr), RQM_NO_CONFIRMATION);
    EXPECT_EQ(info.Tsf, 0u) << "nothing is taken from an answer cut short";
    EXPECT_EQ(RQM_GetLastRxMeasurements(ctx, m), 1);
    answer(frame_cnf(0, 0, 0xA0001BC4));
    RxFrameTrailer trailer{};
    Bytes data(RX_FRAME_DATA_SIZE, 0xEE);
    ASSERT_EQ(RQM_GetRxFrame_Extended(ctx, &info, data.data(), &trailer), 0);
    EXPECT_EQ(info.Tsf, 0x01020304u);
    EXPECT_EQ(info.FrameLength, 1500);
    EXPECT_EQ(info.Rate, 11);
    EXPECT_EQ(info.EndStatus1, 0xA0001BC4u);
    EXPECT_EQ(info.BufferAddress, 0x00A01000u);
    EXPECT_EQ(data[0], 0x5A);
    EXPECT_EQ(data[1], 0) << "data bytes come from the answer only";
    EXPECT_EQ(trailer.PacketIdLessOne, 41u);
    ASSERT_EQ(RQM_GetLastRxMeasurements(ctx, m), 0);
    EXPECT_EQ(m[0], -60.0f);
    EXPECT_EQ(m[1], -30.0f);
    answer(fake_message(24, 75 | HI_MSG_KIND_CNF, 3));
    EXPECT_EQ(RQM_ReceivePackets_Start(ctx), 3);
    EXPECT_EQ(RQM_GetLastRxMeasurements(ctx, m), 1) << "a start forgets the last frame, whatever its status";
    EXPECT_EQ(m[0], -60.0f);
}

// The words' fields and measurements at their edges; the common values are
// pinned by the receive runs' printouts.
struct FrameCase {
    const char* name;
    uint32_t start0, end0, end1;
    uint32_t mode;
    uint32_t snr, dsssSnr, evm;
    double rssi, rcpi;
};

class FrameWords : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameWords, FieldsAndMeasurements) {
    const FrameCase& c = GetParam();
    EXPECT_EQ(rx_mode(c.start0), c.mode);
    EXPECT_EQ(rx_raw_snr(c.end0), c.snr);
    EXPECT_EQ(rx_raw_dsss_snr(c.end0), c.dsssSnr);
    EXPECT_EQ(rx_raw_evm(c.end1), c.evm);
    EXPECT_EQ(rx_rssi_dbm(c.end1), c.rssi);
    EXPECT_EQ(rx_rcpi_dbm(c.end1), c.rcpi);
}

INSTANTIATE_TEST_SUITE_P(Edges, FrameWords,
                         testing::Values(
                             // 0x333A: mode 2 under every flag. SNR 0xFC01, of which bits 16-25
                             // hold 1. RSSI 0x80 = -128; RCPI 127: -46.5.
                             FrameCase{"OfdmEveryFlag", 0x333A, 0xFC0103E8, 0x7F7FFF80, 2, 0xFC01, 1, 0x7FFF,
                                       -128, -46.5},
                             // Mode 7 has no name; RCPI 255: 127.5 - 110 = 17.5.
                             FrameCase{"TopValues", 0x7, 0x00007FFF, 0xFF000001, 7, 0, 0, 0, 1, 17.5}),
                         RowName());

// The data after the 20-byte head: never more than arrived, than MsgLen
// says, or than the caller's buffer holds.
struct DataCase {
    const char* name;
    uint16_t msgLen;
    uint32_t status;
    uint32_t arrived, room;  // bytes in the confirmation buffer; the caller's buffer
    int result;
    uint32_t len, headWord3;
};

class DataBounds : public testing::TestWithParam<DataCase> {};

TEST_P(DataBounds, CopiesOnlyWhatArrived) {
    const DataCase& c = GetParam();
    Bytes cnf(c.arrived);
    for (size_t i = 0; i < cnf.size(); ++i)
        cnf[i] = static_cast<uint8_t>(i);
    hi_set_msg_len(cnf.data(), c.msgLen);
    hi_wr32(cnf.data() + 4, c.status);
    RxDataHead head{};
    Bytes data(64, 0xEE);
    uint32_t len = 0xEEEE;
    EXPECT_EQ(rqm_decode_get_rx(RqmCnfReader(cnf.data(), c.arrived), &head, data.data(), c.room, &len),
              c.result);
    EXPECT_EQ(len, c.result == 0 ? c.len : 0xEEEE);
    EXPECT_EQ(head.MsgLen, c.result == 0 ? c.msgLen : 0);
    EXPECT_EQ(head.Word[2], c.headWord3);
    for (uint32_t i = 0; i < data.size(); ++i)
        ASSERT_EQ(data[i], i < c.len ? 20 + i : 0xEE) << i;
}

INSTANTIATE_TEST_SUITE_P(Lengths, DataBounds,
                         testing::Values(DataCase{"NoStatus", 7, 0, 64, 64, 1, 0, 0},
                                         DataCase{"StatusSet", 40, 3, 64, 64, 3, 0, 0},
                                         DataCase{"HeadCut", 19, 0, 64, 64, 1, 0, 0},
                                         DataCase{"HeadOnly", 20, 0, 64, 64, 0, 0, 0x13121110},
                                         DataCase{"ClaimsMoreThanArrived", 60, 0, 30, 64, 0, 10, 0x13121110},
                                         DataCase{"MoreThanTheCallersBuffer", 84, 0, 84, 16, 0, 16,
                                                  0x13121110}),
                         RowName());

struct StepCase {
    const char* name;
    bool amp;  // else a frequency
    double in;
    uint32_t out;
};

class ToneSteps : public testing::TestWithParam<StepCase> {};

TEST_P(ToneSteps, AtTheEndsAndBeyond) {
    const StepCase& c = GetParam();
    EXPECT_EQ(c.amp ? rqm_tone_amp_code(c.in) : rqm_tone_freq_index(c.in), c.out);
}

// Where the tone runs do not reach: the rounding, the wrap, values beyond
// either end. NaN, a -inf frequency and a +inf amplitude are the
// ToneNotFinite request's.
INSTANTIATE_TEST_SUITE_P(
    Values, ToneSteps,
    testing::Values(
        // Index: floor(f / 40 MHz x 128 + 0.5) - 1, modulo 128.
        StepCase{"FreqZero", false, 0, 127}, StepCase{"FreqHalfStep", false, 156250, 0},
        StepCase{"FreqBelowHalfStep", false, 156249, 127}, StepCase{"FreqWraps", false, 40156250, 0},
        StepCase{"FreqNegative", false, -312500, 126}, StepCase{"FreqHuge", false, 1e300, 127},
        StepCase{"FreqHugeNegative", false, -kMax, 127}, StepCase{"FreqInf", false, kInf, 127},
        // Code: the amplitude within -2.0..1.75, in quarter dB, low 8 bits.
        StepCase{"AmpEighthUp", true, 0.125, 1}, StepCase{"AmpEighthDown", true, -0.125, 0},
        StepCase{"AmpMinusInf", true, -kInf, 0xF8}, StepCase{"AmpMax", true, kMax, 7},
        StepCase{"AmpLowest", true, -kMax, 0xF8}),
    RowName());

}  // namespace
