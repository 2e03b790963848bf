// The receive requests and the tone generator against a fake Target: the
// request bytes of each wire shape and the checks made before sending, the
// frame information and its measurements, the bounds of the receive-data
// answer, and the tone's steps at and beyond their ends.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "api/rx_codec.h"
#include "api/tone_codec.h"
#include "tests/support/fake_target.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Bytes words(uint16_t len, uint16_t id, std::vector<uint32_t> w) {
    Bytes m(std::max<size_t>(len, 4 + 4 * w.size()), 0);
    hi_set_msg_len(m.data(), len);
    hi_set_msg_id(m.data(), id);
    for (size_t i = 0; i < w.size(); ++i)
        hi_wr32(m.data() + 4 + 4 * i, w[i]);
    return m;
}

Bytes cut(Bytes m, uint16_t len) {
    hi_set_msg_len(m.data(), len);
    return m;
}

class Rx : public testing::Test {
protected:
    void SetUp() override {
        ctx = RQM_Create(nullptr, nullptr);
        fake_target_attach(ctx, &fake);
        ctx->CnfTimeoutMs = 50;
        testing::internal::CaptureStdout();  // reports and the tone's printout
    }
    void TearDown() override {
        testing::internal::GetCapturedStdout();
        RQM_Stop(ctx);
    }
    void answer(Bytes a) {
        fake.script = {ANSWER_NOW};
        fake.answer = std::move(a);
    }
    RqmApiContext* ctx = nullptr;
    FakeTarget fake;
};

using Ctx = RqmApiContext*;

struct RequestCase {
    const char* name;
    int (*call)(Ctx);
    int result;
    Bytes request;  // empty: refused before anything is sent
};

class Requests : public Rx, public testing::WithParamInterface<RequestCase> {};

TEST_P(Requests, BytesOrRefusal) {
    const RequestCase& c = GetParam();
    if (!c.request.empty())
        answer(fake_message(8, hi_msg_id(c.request.data()) | 0x400));
    EXPECT_EQ(c.call(ctx), c.result);
    ASSERT_EQ(fake.sent.size(), c.request.empty() ? 0u : 1u);
    if (!c.request.empty()) {
        EXPECT_EQ(fake.sent[0].bytes, c.request);
    }
}

uint32_t g_out[4];
Bytes g_data(RX_DATA_BUFFER_SIZE);

INSTANTIATE_TEST_SUITE_P(
    Shapes, Requests,
    testing::Values(
        RequestCase{"Stop", [](Ctx c) { return RQM_ReceivePackets_Stop(c, &g_out[0], &g_out[1], nullptr); },
                    0, words(24, 75, {0, 2, 0, 0, 0})},
        RequestCase{"Statistics", [](Ctx c) { return RQM_GetRxStatistics(c, &g_out[0], nullptr, nullptr); },
                    0, words(24, 52, {0, 0, 0, 0, 0})},
        RequestCase{"Status", [](Ctx c) { return RQM_GetRxStatus(c, &g_out[0], 0, 0, 0, 0, 0, 0); }, 0,
                    words(8, 100, {0})},
        RequestCase{"FrameWithoutInfo", [](Ctx c) { return RQM_GetRxFrame(c, nullptr, nullptr); }, 9, {}},
        RequestCase{"Data", [](Ctx c) { return RQM_GetRx(c, 4, nullptr, g_data.data(), nullptr); }, 0,
                    words(8, 79, {4})},
        RequestCase{"DataType3", [](Ctx c) { return RQM_GetRx(c, 3, nullptr, nullptr, nullptr); }, 9, {}},
        RequestCase{"Monitor", [](Ctx c) { return RQM_RxSetMonitorMode(c, 21846, 7, 1); }, 0,
                    words(12, 124, {0, 0x55560017})},
        RequestCase{"MonitorFirstPast", [](Ctx c) { return RQM_RxSetMonitorMode(c, 21847, 0, 0); }, 9, {}},
        RequestCase{"MonitorFlagPast", [](Ctx c) { return RQM_RxSetMonitorMode(c, 0, 0, 2); }, 9, {}},
        RequestCase{"AckDelay1023", [](Ctx c) { return RQM_SetRxAckDelay(c, 1023); }, 0,
                    words(12, 72, {0, 1023})},
        RequestCase{"AckDelay1024", [](Ctx c) { return RQM_SetRxAckDelay(c, 1024); }, 9, {}},
        RequestCase{"NavType4", [](Ctx c) { return RQM_SetRxNavType(c, 4); }, 9, {}},
        RequestCase{"CaptureType3", [](Ctx c) { return RQM_Configure_RxCapturePhyStats(c, 3); }, 9, {}},
        // The value is checked before the sender sees the null context.
        RequestCase{"NavPastNoContext", [](Ctx) { return RQM_SetRxNav(nullptr, 1024); }, 9, {}},
        RequestCase{
            "CaptureNoContext", [](Ctx) { return RQM_Configure_RxCapturePhyStats(nullptr, 3); }, 255, {}},
        RequestCase{"ToneDual",
                    [](Ctx c) { return RQM_SetPulsedToneGen(c, 4, 5e6, -1.0, 2.5e6, 1.75, 100, 20); }, 0,
                    words(24, 739, {0, 0x644, 0x7000F, 0x700FC, 20})},
        RequestCase{"ToneLongestPulse",
                    [](Ctx c) { return RQM_SetPulsedToneGen(c, 0x21, 312500, 0, 1e7, 0, 0xFFFFFFFF, 7); }, 0,
                    words(24, 739, {0, 0xFFFFFFF1, 0x1F0000, 0, 7})},
        RequestCase{"ToneContinuous", [](Ctx c) { return RQM_SetToneGen(c, 2, kNaN, kNaN, -kInf, kInf); }, 0,
                    words(24, 739, {0, 2, 0x7F007F, 0x700F8, 0})},
        RequestCase{
            "ToneNoContext", [](Ctx) { return RQM_SetToneGen(nullptr, 1, 312500, 0, 312500, 0); }, 255, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The frame information as a 122 answer carries it, from +8.
Bytes frame_cnf(uint32_t start0, uint32_t end0, uint32_t end1) {
    Bytes m = fake_message(RX_FRAME_CNF_SIZE, 122 | 0x400);
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

struct FrameCase {
    const char* name;
    uint32_t start0, end0, end1;
    uint32_t mode;
    int cfo;
    uint32_t snr, dsssSnr;
    float rssi;
    uint32_t evm;
    float rcpi;
};

class FrameInfo : public Rx, public testing::WithParamInterface<FrameCase> {};

TEST_P(FrameInfo, FieldsAndMeasurements) {
    const FrameCase& c = GetParam();
    answer(frame_cnf(c.start0, c.end0, c.end1));
    RxFrameInfo info{};
    RxFrameTrailer trailer{};
    Bytes data(RX_FRAME_DATA_SIZE, 0xEE);
    ASSERT_EQ(RQM_GetRxFrame_Extended(ctx, &info, data.data(), &trailer), 0);
    EXPECT_EQ(info.Tsf, 0x01020304u);
    EXPECT_EQ(info.FrameLength, 1500);
    EXPECT_EQ(info.Rate, 11);
    EXPECT_EQ(info.BufferAddress, 0x00A01000u);
    EXPECT_EQ(data[0], 0x5A);
    EXPECT_EQ(data[1], 0) << "data bytes come from the answer only";
    EXPECT_EQ(trailer.PacketIdLessOne, 41u);
    EXPECT_EQ(rx_mode(info.StartStatus0), c.mode);
    EXPECT_EQ(rx_raw_cfo(info.EndStatus0), c.cfo);
    EXPECT_EQ(rx_raw_snr(info.EndStatus0), c.snr);
    EXPECT_EQ(rx_raw_dsss_snr(info.EndStatus0), c.dsssSnr);
    EXPECT_EQ(rx_raw_evm(info.EndStatus1), c.evm);
    float m[2] = {};
    ASSERT_EQ(RQM_GetLastRxMeasurements(ctx, m), 0);
    EXPECT_EQ(m[0], c.rssi);
    EXPECT_EQ(m[1], c.rcpi);
}

INSTANTIATE_TEST_SUITE_P(
    Words, FrameInfo,
    testing::Values(
        // 0xC4 = -60; EVM 0x001B = 27; RCPI 0xA0 = 160: 80 - 110 = -30.
        FrameCase{"DsssLong", 0x1, 0x00408000, 0xA0001BC4, 1, -32768, 64, 64, -60.0f, 27, -30.0f},
        // 0x333A: mode 2 under every flag. SNR 0xFC01, of which bits 16-25
        // hold 1. RSSI 0x80 = -128; RCPI 127: -46.5.
        FrameCase{"OfdmEveryFlag", 0x333A, 0xFC0103E8, 0x7F7FFF80, 2, 1000, 0xFC01, 1, -128.0f, 0x7FFF,
                  -46.5f},
        // Mode 7 has no name; RCPI 255: 127.5 - 110 = 17.5.
        FrameCase{"TopValues", 0x7, 0x00007FFF, 0xFF000001, 7, 32767, 0, 0, 1.0f, 0, 17.5f},
        FrameCase{"Zeros", 0, 0, 0, 0, 0, 0, 0, 0.0f, 0, -110.0f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Rx, LastMeasurementsNeedAFrameOfThisReception) {
    float m[2] = {1.0f, 2.0f};
    EXPECT_EQ(RQM_GetLastRxMeasurements(nullptr, m), 255);
    EXPECT_EQ(RQM_GetLastRxMeasurements(ctx, nullptr), 9);
    EXPECT_EQ(RQM_GetLastRxMeasurements(ctx, m), 1);
    // A frame whose end status 1 did not arrive is no measurement.
    answer(cut(frame_cnf(0, 0, 0xA0001BC4), 27));
    RxFrameInfo info{};
    EXPECT_EQ(RQM_GetRxFrame_Extended(ctx, &info, nullptr, nullptr), 0);
    EXPECT_EQ(RQM_GetLastRxMeasurements(ctx, m), 1);
    answer(frame_cnf(0, 0, 0xA0001BC4));
    EXPECT_EQ(RQM_GetRxFrame_Extended(ctx, &info, nullptr, nullptr), 0);
    answer(fake_message(24, 75 | 0x400, 3));
    EXPECT_EQ(RQM_ReceivePackets_Start(ctx), 3);
    EXPECT_EQ(RQM_GetLastRxMeasurements(ctx, m), 1) << "a start forgets the last frame, whatever its status";
    EXPECT_EQ(m[0], 1.0f);
}

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
                                         DataCase{"HeadCut", 19, 0, 64, 64, 0, 0, 0},
                                         DataCase{"HeadOnly", 20, 0, 64, 64, 0, 0, 0x13121110},
                                         DataCase{"ClaimsMoreThanArrived", 60, 0, 30, 64, 0, 10, 0x13121110},
                                         DataCase{"MoreThanTheCallersBuffer", 84, 0, 84, 16, 0, 16,
                                                  0x13121110}),
                         [](const auto& info) { return std::string(info.param.name); });

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

constexpr double kMax = std::numeric_limits<double>::max();

INSTANTIATE_TEST_SUITE_P(
    Values, ToneSteps,
    testing::Values(
        // Index: floor(f / 40 MHz x 128 + 0.5) - 1, modulo 128.
        StepCase{"FreqZero", false, 0, 127}, StepCase{"FreqHalfStep", false, 156250, 0},
        StepCase{"FreqBelowHalfStep", false, 156249, 127}, StepCase{"FreqFirst", false, 312500, 0},
        StepCase{"FreqLast", false, 10000000, 31}, StepCase{"FreqFortyMHz", false, 40000000, 127},
        StepCase{"FreqWraps", false, 40156250, 0}, StepCase{"FreqNegative", false, -312500, 126},
        StepCase{"FreqHuge", false, 1e300, 127}, StepCase{"FreqHugeNegative", false, -kMax, 127},
        StepCase{"FreqNaN", false, kNaN, 127}, StepCase{"FreqInf", false, kInf, 127},
        StepCase{"FreqMinusInf", false, -kInf, 127},
        // Code: the amplitude within -2.0..1.75, in quarter dB, low 8 bits.
        StepCase{"AmpTop", true, 1.75, 7}, StepCase{"AmpAboveTop", true, 1.76, 7},
        StepCase{"AmpThree", true, 3.0, 7}, StepCase{"AmpBottom", true, -2.0, 0xF8},
        StepCase{"AmpBelowBottom", true, -5.0, 0xF8}, StepCase{"AmpEighthUp", true, 0.125, 1},
        StepCase{"AmpEighthDown", true, -0.125, 0}, StepCase{"AmpMinusOne", true, -1.0, 0xFC},
        StepCase{"AmpNaN", true, kNaN, 0xF8}, StepCase{"AmpInf", true, kInf, 7},
        StepCase{"AmpMinusInf", true, -kInf, 0xF8}, StepCase{"AmpMax", true, kMax, 7},
        StepCase{"AmpLowest", true, -kMax, 0xF8}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
