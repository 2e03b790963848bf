// The exported functions no command and no other test calls by name, one
// row each against the stand-in: the request as it arrived and what a
// whole answer gives; what an answer a fault spoils gives, the outputs left
// as they were; and the call without a context. Those that read a file or
// text take good input, then bad.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>

#include "api/rqm_api.h"
#include "sim/sim_util.h"
#include "tests/support/api_calls.h"

namespace {

using Api = RqmApiContext*;
using Got = std::string*;
using Call = int (*)(Api c, Got got, bool bad);  // got: what its outputs hold after

// Outputs start as marks, every byte 0xEE, and show as "-" while they keep
// them; else arrays as bytes in hex, numbers in hex, doubles as such.
template <class... T>
void mark(T&... v) {
    (memset(&v, 0xEE, sizeof v), ...);
}
std::string bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    return std::all_of(b, b + n, [](uint8_t x) { return x == 0xEE; }) ? "-" : sim_hex(b, n);
}
template <class T>
std::string shown(const T& v) {
    char text[32];
    if constexpr (std::is_array_v<T>)
        return bytes(&v, sizeof v);
    else if (bytes(&v, sizeof v) == "-")
        return "-";
    else if constexpr (std::is_floating_point_v<T>)
        snprintf(text, sizeof text, "%g", static_cast<double>(v));
    else
        snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(v));
    return text;
}
// A call's result, its outputs shown in got once it returned.
template <class... T>
int after(Got got, int result, const T&... v) {
    *got = "";
    ((*got += (got->empty() ? "" : " ") + shown(v)), ...);
    return result;
}

// A call of these arguments alone.
template <auto F, auto... Args>
int call(Api c, Got, bool) {
    return F(c, Args...);
}
// A reading whose outputs, of these types, follow the context.
template <auto F, class... Out>
int reading(Api c, Got got, bool) {
    std::tuple<Out...> out;
    return std::apply([&](Out&... o) { return mark(o...), after(got, F(c, &o...), o...); }, out);
}

int rf_read(Api c, Got got, bool) {
    uint32_t v;
    mark(v);
    return after(got, RQM_ReadRegisterRfAccess(c, 0x00200010, &v, 0x55), v);
}

// Its first and last four bytes.
int csi(Api c, Got got, bool) {
    uint8_t b[RX_CSI_SIZE];
    mark(b);
    const int r = RQM_DownloadCSI(c, b, 2);
    *got = bytes(b, 4) + " " + bytes(b + RX_CSI_SIZE - 4, 4);
    return r;
}

// The context's facts; bad: without the minor's output.
int sdd_version(Api c, Got got, bool bad) {
    uint8_t major, minor;
    mark(major, minor);
    if (c != nullptr)
        c->SddVersionMajor = 2, c->SddVersionMinor = 5;
    return after(got, RQM_GetSddVersion(c, &major, bad ? nullptr : &minor), major, minor);
}

int fetch(Api c, Got got, bool) {
    uint32_t len;
    uint8_t buf[5];
    mark(len, buf);
    return after(got, RQM_FetchCallbackMessage(c, buf, &len), len, buf);
}

// A file of the text; bad: a path nothing is at.
std::string file(const char* name, const std::string& text, bool bad) {
    static TempDir dir;
    EXPECT_TRUE(dir.write(name, text));
    return bad ? "/nonexistent/rqm.sdd" : dir.path() + "/" + name;
}
const std::string kTen("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09", 10);
const char kOpenFailed[] = "open \"/nonexistent/rqm.sdd\" is failure!\n";

int packet_id(Api c, Got, bool) {
    return RQM_DefinePacketId(c, 2, file("frame.txt", "a1 b2 c3\n", false).c_str());
}

int read_sdd(Api, Got got, bool bad) {
    uint8_t b[12];
    mark(b);
    return after(got, RQM_ReadSdd(0, file("read.sdd", kTen, bad).c_str(), b, 12), b);
}

// Two bytes at offset 3, after the element's id and length; the file after, as read back.
int modify_sdd(Api, Got got, bool bad) {
    const uint8_t data[2] = {0xA1, 0xA2};
    const std::string path = file("modify.sdd", kTen, bad);
    const int r = RQM_ModifySdd(data, 2, 3, path.c_str());
    uint8_t b[10];
    mark(b);
    if (!bad)
        after(got, RQM_ReadSdd(0, path.c_str(), b, 10), b);
    return r;
}

// Where the name ends; bad: a line of no name.
int name_parse(Api, Got got, bool bad) {
    const std::string line = bad ? "\x01\x02\x03" : "\x01\x02reg_a 1\x01hex 10";
    char name[REG_FILE_NAME_SIZE];
    const char* end = RQM_name_parse(line.data(), line.data() + line.size(), name);
    *got = name;
    return static_cast<int>(end - line.data());
}

// The number, and where it ends; bad: a line without "hex".
int hex_parse(Api, Got got, bool bad) {
    const std::string line = bad ? "reg 0x12" : "reg hex 1A2b, hex 7";
    const char* end = nullptr;
    const uint32_t v = RQM_hex_parse(line.data(), line.data() + line.size(), &end);
    *got = std::to_string(end - line.data());
    return static_cast<int>(v);
}

struct Exported {
    const char* name;  // the function
    Call call = nullptr;
    Presets presets = {};  // what the whole answer carries
    Msgs sent = {};
    int result = RQM_SUCCESS;
    std::string got = "";
    Presets faults = {};                                // then the same call spoilt, or with bad input:
    std::optional<int> failResult = std::nullopt;       // nullopt: it cannot fail
    std::string failGot = "";                           // "-" an output that kept its mark
    std::optional<std::string> failOut = std::nullopt;  // nullopt: the report of failResult
    std::optional<int> noContext = RQM_NO_CONTEXT;      // nullopt: it takes none
};

void PrintTo(const Exported& e, std::ostream* os) {
    *os << e.name;
}

// A request answered by a status alone: a spoilt status is the result.
Exported by_status(const char* name, Call call, Bytes sent, Presets presets = {}) {
    const std::string fault = "fault " + std::to_string(hi_msg_id(sent.data())) + " status 3";
    return {
        .name = name, .call = call, .presets = presets, .sent = {sent}, .faults = {fault}, .failResult = 3};
}

const Presets kAgc = {"set agc w8 0x01020304",  "set agc w12 0x05060708", "set agc w16 0x3C4D1A",
                      "set agc w20 0x0A0B0C0D", "set agc w24 0x0E0F1011", "set agc w28 0x992B",
                      "set agc w32 0x3C"};
constexpr auto kNone = std::nullopt;

// clang-format off
const Exported kRows[] = {
    by_status("RQM_CalibrateReceiver", call<RQM_CalibrateReceiver, 1, 0>, HiBuild(684, {0, 1, 0})),
    by_status("RQM_ControlCal", call<RQM_ControlCal, 1>, HiBuild(695, {0, 1})),
    by_status("RQM_EnableModem", call<RQM_EnableModem, 3>, HiBuild(705, {0, 3})),
    by_status("RQM_EnableRxFilterChecking", call<RQM_EnableRxFilterChecking, 1>, HiBuild(74, {0, 1})),
    by_status("RQM_RxFilterStoreFramesOfType", call<RQM_RxFilterStoreFramesOfType, 5>, HiBuild(121, {0, 5})),
    by_status("RQM_PHY_MOD_ResetNoiseLevelEstimator", call<RQM_PHY_MOD_ResetNoiseLevelEstimator>,
              HiBuild(714, {0})),
    by_status("RQM_PHY_RF_SetRxIQOffTracking", call<RQM_PHY_RF_SetRxIQOffTracking, 0x5A>,
              HiBuild(751, {0, 0x5A})),
    by_status("RQM_PHY_RX_SetIQImbTracking", call<RQM_PHY_RX_SetIQImbTracking, 0xA5>,
              HiBuild(750, {0, 0xA5})),
    by_status("RQM_SetComBusMode", call<RQM_SetComBusMode, 2>, HiBuild(686, {0, 2})),
    by_status("RQM_SetOpPwrAuto_Raw", call<RQM_SetOpPwrAuto_Raw, 1023, 17>, HiBuild(758, {0, 1023, 17})),
    by_status("RQM_SetTxNav", call<RQM_SetTxNav, 0x1234>, HiBuild(42, {0, 0x1234})),
    by_status("RQM_SetTxPwrCtrlLoop", call<RQM_SetTxPwrCtrlLoop, 0, 1>, HiBuild(762, {0, 0, 1})),
    by_status("RQM_GPIO_Setup", call<RQM_GPIO_Setup, 7, 0x0102>, HiBuild(59).u8(0).u8(7).u16(0x0102),
              {"set gpiotest 1"}),
    {.name = "RQM_DefinePacketId", .call = packet_id,
     .sent = {HiBuild(34, {0, 2}).u16(3).u16(0).u8(0xA1).u8(0xB2).u8(0xC3)}, .faults = {"fault 34 status 3"},
     .failResult = 3, .failOut = failed("RQM_DefinePacketPayload", 3) + failed("RQM_DefinePacketId", 3)},
    // ---- readings: an answer a byte short is none, and nothing is taken from it ----
    {.name = "RQM_GetADCCorrectionParameters",
     .call = reading<RQM_GetADCCorrectionParameters, double, uint32_t>,
     .presets = {"set adc milli 12345", "set adc value 0x77"}, .sent = {HiBuild(696).zeros(12)},
     .got = "12.345 0x77", .faults = {"fault 696 short 15"}, .failResult = 1, .failGot = "- -"},
    {.name = "RQM_GetTxAgcStatus",
     .call = reading<RQM_GetTxAgcStatus, uint32_t, uint32_t, uint8_t, uint32_t, uint32_t, uint8_t, uint8_t>,
     .presets = kAgc, .sent = {HiBuild(756).zeros(32)},
     .got = "0x1020304 0x5060708 0x1a 0xa0b0c0d 0xe0f1011 0x2b 0x3c", .faults = {"fault 756 short 35"},
     .failResult = 1, .failGot = "- - - - - - -"},
    {.name = "RQM_GetRxStatistics_Extended",
     .call = reading<RQM_GetRxStatistics_Extended, uint32_t, uint32_t, uint32_t, uint32_t>,
     .presets = {"set rx total 10", "set rx errors 3", "set rx crc_errors 2"},
     .sent = {HiBuild(52).zeros(20)},
     .got = "0xa 0x3 0x2 0x7", .faults = {"fault 52 short 23"}, .failResult = 1, .failGot = "- - - -"},
    {.name = "RQM_GPIO_Read", .call = reading<RQM_GPIO_Read, uint16_t>,
     .presets = {"set gpiotest 1", "set gpio 0xA5C3"}, .sent = {HiBuild(59).u8(1).u8(0xFF).u16(0)},
     .got = "0xa5c3", .faults = {"fault 59 short 11"}, .failResult = 1, .failGot = "-"},
    {.name = "RQM_ReadRegisterRfAccess", .call = rf_read,
     .presets = {"set combus 1", "set mem 0x00200010 0x12345678"},
     .sent = {HiBuild(58, {0, 0x00200010, 0x55})}, .got = "0x12345678", .faults = {"fault 58 short 11"},
     .failResult = 1, .failGot = "-"},
    // The information is bytes 0, 1, 2, ... from 8, all 448 of them or none.
    {.name = "RQM_DownloadCSI", .call = csi, .sent = {HiBuild(103, {2})}, .got = "00010203 bcbdbebf",
     .faults = {"fault 103 short 455"}, .failResult = 1, .failGot = "- -"},
    // ---- no request: the context's facts, and the stubs that ignore it ----
    {.name = "RQM_GetSddVersion", .call = sdd_version, .got = "0x2 0x5", .failResult = 9, .failGot = "- -"},
    {.name = "RQM_FetchCallbackMessage", .call = fetch, .got = "0x0 00000000ee", .noContext = 0},
    {.name = "RQM_ConfigureEpta", .call = call<RQM_ConfigureEpta>, .noContext = 0},
    // ---- the SDD file, and the register file's lines ----
    {.name = "RQM_ReadSdd", .call = read_sdd, .result = 10, .got = "00010203040506070809eeee",
     .failResult = -1, .failGot = "-", .failOut = kOpenFailed, .noContext = kNone},
    {.name = "RQM_ModifySdd", .call = modify_sdd, .got = "0001020304a1a2070809", .failResult = -1,
     .failOut = kOpenFailed, .noContext = kNone},
    {.name = "RQM_name_parse", .call = name_parse, .result = 9, .got = "reg_a 1", .failResult = 3,
     .failOut = "", .noContext = kNone},
    {.name = "RQM_hex_parse", .call = hex_parse, .result = 0x1A2B, .got = "12", .failResult = 0,
     .failGot = "8", .failOut = "", .noContext = kNone},
};
// clang-format on

class ExportedCalls : public ApiOnSim, public testing::WithParamInterface<Exported> {
protected:
    int run(Api c, bool bad, std::string* got, std::string* out) {
        got->clear();
        testing::internal::CaptureStdout();
        const int result = GetParam().call(c, got, bad);
        *out = testing::internal::GetCapturedStdout();
        return result;
    }
};

TEST_P(ExportedCalls, WholeSpoiltAndWithoutContext) {
    const Exported& e = GetParam();
    open(e.presets);
    ASSERT_FALSE(HasFatalFailure());
    std::string got, out;
    EXPECT_EQ(run(ctx_, false, &got, &out), e.result);
    EXPECT_EQ(got, e.got);
    EXPECT_EQ(out, "");
    EXPECT_EQ(sent(), e.sent);
    if (e.failResult) {
        for (const std::string& f : e.faults)
            ctl(f);
        EXPECT_EQ(run(ctx_, true, &got, &out), *e.failResult) << "spoilt";
        EXPECT_EQ(got, e.failGot) << "spoilt";
        EXPECT_EQ(out, e.failOut.value_or(failed(e.name, *e.failResult))) << "spoilt";
    }
    if (e.noContext) {
        ctl("log clear");
        EXPECT_EQ(run(nullptr, false, &got, &out), *e.noContext) << "without a context";
        EXPECT_EQ(sent(), kNothingSent) << "without a context";
    }
}

INSTANTIATE_TEST_SUITE_P(Exported, ExportedCalls, testing::ValuesIn(kRows), RowName());

}  // namespace
