// Transmission through the API against the stand-in: the request bytes the
// transmit commands' runs do not pin, the range checks made before
// sending, payload pieces by the announced message size, both paths of the
// frequency offset, the counters whatever the status, and the refused and
// the short burst.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "sim/sim_util.h"
#include "tests/support/api_calls.h"

namespace {

using Api = RqmApiContext*;
using Got = std::string*;

Bytes payload(uint32_t n) {
    Bytes b(n);
    std::iota(b.begin(), b.end(), uint8_t{1});
    return b;
}

// Buffer 1's pieces of payload(n), of these sizes, as they go out.
std::vector<Bytes> pieces(uint32_t n, std::initializer_list<uint32_t> sizes) {
    const Bytes data = payload(n);
    std::vector<Bytes> out;
    uint32_t off = 0;
    for (uint32_t k : sizes) {
        out.push_back(HiBuild(34, {0, 1}).u16(k).u16(off).put(data.data() + off, k));
        off += k;
    }
    return out;
}

// N bytes into buffer 1; with a message size, where the context knows no
// larger message than that (0: none announced in this run).
template <uint32_t N, int MaxMsgSize = -1>
int load(Api c, Got) {
    if (MaxMsgSize >= 0)
        c->MaxMsgSize = MaxMsgSize;
    const Bytes data = payload(N);
    return RQM_DefinePacketPayload(c, 1, data.data(), N);
}

// Refused before anything is sent: a mode above 7 would reach the
// bandwidth bit. Mode 7 then goes through, the bandwidth bit untouched.
int out_of_range(Api c, Got got) {
    for (int r : {RQM_SetMode(c, 8), RQM_SetMode(c, -1), RQM_SetTxPower(c, 16), RQM_SelectPacketId(c, 4),
                  RQM_SetCcaSensitiveTx(nullptr, 3), RQM_DefinePacketPayload(c, 0, nullptr, 8193),
                  RQM_TransmitPackets_Comprehensive(c, 4, 1, 0, 0, 0, 0, 0, nullptr, 0, 0, 0, 1, 0)})
        *got += std::to_string(r) + " ";
    return RQM_SetMode(c, 7) == RQM_SUCCESS ? RQM_GetMode(c) : -100;
}

int get_offset(Api c, Got) {
    return RQM_GetFreqOffset(c, 0x0AC8015C);
}

template <uint8_t Value>
int set_offset(Api c, Got) {
    return RQM_SetFreqOffset(c, 296, Value);
}

int counters(Api c, Got got) {
    std::vector<uint32_t> w(10, 0xEE);
    const int r =
        RQM_GetTxStatistics(c, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5], &w[6], &w[7], &w[8], &w[9]);
    for (uint32_t v : w)
        *got += std::to_string(v) + " ";
    return r;
}

int short_burst(Api c, Got) {
    const Bytes data = payload(100);
    return RQM_TransmitPackets_Comprehensive(c, 1, 100, 11, 2, 0, 3, 5, data.data(), 100, 0, 1, 1, 0);
}

const Bytes kControlRead = HiBuild(0, {0x00080004, 0x00C00004});
const std::string kTooLarge = failed("RQM_DefinePacketPayload", 3);
const std::string kClamped =
    "[RQM_SetFreqOffset],146:set the frequency offset is too large,reference value:0~127\n";
const char kInBlock[] = "txmib.freq_offset";

// clang-format off
const ApiCall kCalls[] = {
    // ---- request shapes; the other bits of the control word go back as they were read ----
    {.name = "SoundingAsCount", .call = [](Api c, Got) { return RQM_EnableSoundingFrame(c, 1); },
     .sent = {{HiBuild(66, {0, 1})}}},
    {.name = "ReadModifyWrite", .presets = {"set mem 0x00080004 0xFFFF1C05"},
     .call = [](Api c, Got) { return RQM_SetTxPower(c, 15); },
     .sent = {{kControlRead, HiBuild(38, {4, 0xFFFF1C0F, 0})}}},
    {.name = "LowerSubChannelIsZero", .presets = {"set mem 0x00080004 0x3C00"},
     .call = [](Api c, Got) { return RQM_SetTxSubChannel(c, 0); },
     .sent = {{kControlRead, HiBuild(38, {4, 0x7C00, 0})}}},
    {.name = "ControlWordFields", .presets = {"set mem 0x00080004 0xFFFF7FFF"},
     .call = [](Api c, Got got) {
         *got = std::to_string(RQM_GetTxBandWidth(c)) + " " + std::to_string(RQM_GetTxSubChannel(c));
         return RQM_GetMode(c);
     },
     .result = 7, .got = "1 1"},
    {.name = "RangeChecksComeFirst", .call = out_of_range, .result = 7, .got = "9 9 9 9 9 9 9 ",
     .out = kAnyOutput, .ids = {{0, 38, 0}}, .after = {{"txmib.bw40", "0"}}},
    // ---- payload pieces by the firmware's message size ----
    {.name = "OneMessageAt1520", .call = load<1500>, .sent = pieces(1500, {1500}),
     .after = {{"txbuf 1", sim_hex(payload(1500))}}},
    {.name = "SmallAnnouncedSize", .presets = {"set maxmsg 520"}, .call = load<1500>,
     .sent = pieces(1500, {504, 504, 492})},
    {.name = "NoLargerThanTheChannel", .presets = {"set maxmsg 4096"}, .call = load<3000>,
     .sent = pieces(3000, {1504, 1496}), .after = {{"txbuf 1", sim_hex(payload(3000))}}},
    {.name = "EmptyPayloadIsOnePiece", .call = load<0>, .sent = pieces(0, {0}),
     .after = {{"txbuf 1", "none"}}},
    {.name = "NothingAnnouncedInThisRun", .call = load<1500, 0>, .result = 3, .out = kTooLarge,
     .sent = kNothingSent},
    {.name = "RoomForNoByte", .call = load<1500, 16>, .result = 3, .out = kTooLarge, .sent = kNothingSent},
    // ---- the frequency offset: parameter word 296, or the variant's PRCM bits ----
    {.name = "OffsetReadLowByte", .presets = {"set mem 0x0AC8015C 0x1234"}, .call = get_offset,
     .result = 0x34, .ids = {{0}}},
    {.name = "OffsetReadPrcmBits", .presets = {"set prcm 0x40040058 0x00500000"}, .call = get_offset,
     .result = 5, .ids = {{272}}, .variant = 1},
    {.name = "OffsetTooLargeIs127", .call = set_offset<200>, .out = kClamped + "Cur freq_offset = 127.\n",
     .after = {{kInBlock, "127"}}},
    {.name = "OffsetReadBackFails", .presets = {"fault 0 status 4"}, .call = set_offset<9>,
     .out = failed("RQM_ReadMemory", 4) + failed("RQM_ReadRegister", 4) + "Cur freq_offset = -1.\n",
     .after = {{kInBlock, "9"}}},
    {.name = "OffsetPrcmReadFailsWritesNothing",
     .presets = {"set prcm 0x40040058 0x12345678", "fault 272 status 4"}, .call = set_offset<5>,
     .result = 4, .out = failed("RQM_ReadPRCMRegister", 4) + failed("RQM_SetFreqOffset", 4), .ids = {{272}},
     .variant = 1},
    // ---- counters and bursts ----
    {.name = "CountersWhateverTheStatus",
     .presets = {"set txstats successes 9", "set txstats fiq 3", "fault 53 status 5"}, .call = counters,
     .result = 5, .got = "9 0 0 0 0 0 0 0 0 3 ", .out = kAnyOutput},
    {.name = "CountersWithoutAnswerWriteNothing", .presets = {"fault 53 short 6"}, .call = counters,
     .result = 1, .got = "238 238 238 238 238 238 238 238 238 238 ", .out = kAnyOutput},
    {.name = "RefusedBurstIsNoFailure", .presets = {"set tx refuse 1"},
     .call = [](Api c, Got) { return RQM_TransmitPackets(c, 1, nullptr, nullptr); },
     .out = "txed=0, acked=0\n[WARN]Invalid operation.\n"},
    {.name = "ShortBurstIsACountMismatch", .presets = {"set tx shortfall 1"}, .call = short_burst,
     .result = RQM_TX_COUNT_MISMATCH,
     .out = "RQM_EnablePhy!\ntxed=99, acked=99\n" + failed("RQM_TransmitPackets_Comprehensive", 42),
     .after = {{"txmib.mode", "2"}, {"txmib.rate", "11"}, {"txmib.power", "3"}, {"tx.delay", "5"},
               {"txbuf 0", sim_hex(payload(100))}}},
};
// clang-format on

TEST_P(ApiCalls, Transmit) {
    check(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Tx, ApiCalls, testing::ValuesIn(kCalls), RowName());

}  // namespace
