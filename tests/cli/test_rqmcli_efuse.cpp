// The efuse commands against the stand-in's efuse model: each element
// written and read back, the firmware's refusals, typed values refused
// before anything is burnt, short answers and the driver's refusal; each
// with what the program printed and the efuse requests the stand-in got.
// Then, in-process, the largest read the API takes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "common/hi_msg.h"
#include "tests/support/sim_rows.h"

namespace {

Bytes efuse_read(uint16_t type, uint16_t start = 0, uint16_t bits = 0) {
    return HiBuild(43).u16(type).u16(start).u16(bits).u8(0).u8(~type);
}

// Six data bytes whatever the element, zeros to byte 95.
Bytes efuse_write(uint16_t type, uint8_t force, const Bytes& data) {
    HiBuild m(44);
    m.u16(type).zeros(4).u8(force).u8(0).u8(~type).put(data.data(), data.size());
    return m.zeros(83 - data.size());
}

const Bytes kAntifuse = {0x08, 0x00, 0xA4, 0x02, 0, 0, 0, 0};
const Bytes kMac = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
const std::string kTrimRange = "[write_dcxo_trim],2895 exit! reference value:0~127.\nret = -1\n" + kError;

std::string written_before(const std::string& stored, int code) {
    return "RQM_RW_Efuse_Data failed! (ErrCode 7:EFUSE_STATUS_CODE__HAVEWRITE_ERR)\n"
           "MAC Address has been written before! Data is : " +
           stored + "\nYou can use cmd 'rqm write_efuse MAC_F [mac_addr]' to force writting!\n" +
           (code == 7 ? "ret = 7\n" : "") + "ret = -1\n" + kError;
}

std::string repeated(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i)
        r += s;
    return r;
}

// After "set connected 1". sent: the efuse requests (43, 44 and 676).
// clang-format off
const RunRow kCases[] = {
    // ---- written, then read back ----
    {.name = "ChipIdFromTheFactory", .words = "read_efuse CHIPID",
     .out = "[CHIPID]:you can write 0 times.\n0x23 0x01 0x51 0x4d 0x00 0x00 0x00 0x17 0x5a 0x3c 0x96 0x0f "
         "0x00 0x00 0x00 0x01 \n" + kOk,
     .sent = {efuse_read(1)}},
    {.name = "DcxoTrim", .words = "write_efuse DCXO_TRIM 3a|read_efuse DCXO_TRIM",
     .out = kOk + "[DCXO_TRIM]:you can write 1 times.\nDCXO_TRIM: 58\n" + kOk,
     .sent = {efuse_read(2), efuse_write(2, 0, {0x3A}), efuse_read(2)},
     .after = "efuse 2=3a;efuse_slots=1 2 3 3 0 3"},
    {.name = "PoutCalPacksHighMidLow", .words = "write_efuse POUT_CAL 1 2 3|read_efuse POUT_CAL",
     .out = "value = 0x03\nvalue = 0x02\nvalue = 0x01\nlow:0x01\tmid:0x02\thigh:0x03\n" + kOk +
         "[POUT_CAL]:you can write 1 times.\npout_cal:\nlow :01\nmid :02\nhigh:03\n" + kOk,
     .sent = {efuse_read(3), efuse_write(3, 0, {0x01, 0xC1, 0x00}), efuse_read(3)}},
    {.name = "PoutCalForcedOverAnEarlierOne", .presets = "set efuse 3 010203",
     .words = "write_efuse POUT_CAL_F 0x7f 0 7F",
     .out = "value = 0x7f\nvalue = 0x00\nvalue = 0x7f\nlow:0x7f\tmid:0x00\thigh:0x7f\n" + kOk,
     .sent = {efuse_read(3), efuse_write(3, 1, {0x7F, 0xC0, 0x1F})}, .after = "efuse 3=7fc01f"},
    {.name = "PoutCalBt", .words = "write_efuse POUT_CAL_BT 5 6 7|read_efuse POUT_CAL_BT",
     .out = "value = 0x07\nvalue = 0x06\nvalue = 0x05\nlow:0x05\tmid:0x06\thigh:0x07\n" + kOk +
         "[POUT_CAL_BT]:you can write 1 times.\npout_cal:\nlow :05\nmid :06\nhigh:07\n" + kOk,
     .sent = {efuse_read(6), efuse_write(6, 0, {0x05, 0xC3, 0x01}), efuse_read(6)}},
    {.name = "Mac", .words = "read_efuse MAC|write_efuse MAC 00:11:22:33:44:55|read_efuse MAC",
     .out = "[MAC] There is no data in the region.\n" + kOk + kOk + "00:11:22:33:44:55\n" + kOk,
     .sent = {efuse_read(4), efuse_write(4, 0, kMac), efuse_read(4)}},
    {.name = "MacForced", .presets = "set efuse 4 a0b1c2d3e4f5",
     .words = "write_efuse MAC_F 00:11:22:33:44:55", .out = kOk, .sent = {efuse_write(4, 1, kMac)},
     .after = "efuse 4=001122334455"},
    {.name = "UserAreaBitsAcrossBytes", .presets = "set efuse_user 12 a55a",
     .words = "read_efuse USER_AREA -s 100 extra --length=8",
     .out = "start_bit=100, length=8 \n0xaa \n" + kOk,
     .err = "read_efuse USER_AREA: ignoring extra argument -- extra\n", .sent = {efuse_read(5, 100, 8)}},
    {.name = "WholeUserArea", .words = "read_efuse USER_AREA -s 0 -l 658",
     .out = "start_bit=0, length=658 \n" + repeated("0x00 ", 83) + "\n" + kOk,
     .sent = {efuse_read(5, 0, 658)}},
    // ---- the firmware refuses ----
    {.name = "SecondWriteShowsTheStoredBytes", .presets = "set efuse 4 a0b1c2d3e4f5",
     .words = "write_efuse MAC 00:11:22:33:44:55", .out = written_before("a0:b1:c2:d3:e4:f5", -1),
     .sent = {efuse_write(4, 0, kMac)}, .after = "efuse 4=a0b1c2d3e4f5"},
    {.name = "SecondTrimWriteSaysMacAndShowsItsOneByte", .presets = "set efuse 2 3a",
     .words = "write_efuse DCXO_TRIM 11", .out = written_before("3a:00:00:00:00:00", 7),
     .sent = {efuse_read(2), efuse_write(2, 0, {0x11})}},
    {.name = "SecondPoutCalWriteShowsItsThreeBytes", .presets = "set efuse 3 010203",
     .words = "write_efuse POUT_CAL 7 8 9",
     .out = "value = 0x09\nvalue = 0x08\nvalue = 0x07\nlow:0x07\tmid:0x08\thigh:0x09\n" +
         written_before("01:02:03:00:00:00", -1),
     .sent = {efuse_read(3), efuse_write(3, 0, {0x07, 0x44, 0x02})}, .after = "efuse 3=010203"},
    {.name = "SlotsUsedUp", .presets = "set efuse_slots 4 0;set efuse 2 3a;set efuse_slots 2 0",
     .words = "write_efuse MAC 00:11:22:33:44:55|read_efuse DCXO_TRIM",
     .out = "RQM_RW_Efuse_Data failed! (ErrCode 4:EFUSE_STATUS_CODE__RW_ERR)\nret = -1\n" + kError +
         "[DCXO_TRIM]:you can write -1 times.\nDCXO_TRIM: 58\n" + kOk,
     .sent = {efuse_write(4, 0, kMac), efuse_read(2)}, .after = "efuse 4=none"},
    // ---- typed values refused before anything is sent ----
    {.name = "TrimNotHex", .words = "write_efuse DCXO_TRIM 3g",
     .out = "Param 3g is not hex data!\nret = -1\n" + kError},
    {.name = "TrimTooWide", .words = "write_efuse DCXO_TRIM 17F", .out = kTrimRange},
    {.name = "TrimZero", .words = "write_efuse DCXO_TRIM 0x0", .out = kTrimRange},
    {.name = "PoutTooWide", .words = "write_efuse POUT_CAL FF 0 0",
     .out = "value = 0x00\nvalue = 0x00\nParam FF is larger than 0x7f!\nret = -1\n" + kError},
    {.name = "PoutSigned", .words = "write_efuse POUT_CAL_BT 1 2 -3",
     .out = "Param -3 is not hex data!\nret = -1\n" + kError},
    {.name = "MacGroupWithASign", .words = "write_efuse MAC 00:11:22:33:44:+5",
     .out = "There is a param error: +5!\nret = -1\n" + kError},
    {.name = "MacGroupNotHex", .words = "write_efuse MAC_F 00:11:22:33:44:5G",
     .out = "There is a param error: G!\nret = -1\n" + kError},
    {.name = "UserAreaPastItsEnd", .words = "read_efuse USER_AREA -s 650 -l 9",
     .out = "Sum of satrt_bit and length can't be larger than 658!\n" + kError},
    // The first eight words of ten.
    {.name = "Antifuse",
     .presets = "set antifuse 0 0x12345678;set antifuse 1 0xABCD;set antifuse 7 0x89ABCDEF;set antifuse 9 1",
     .words = "get_antifuse",
     .out = "\nRead antifuse bits:\n\t0x12345678\n\t0x0000abcd\n" + repeated("\t0x00000000\n", 5) +
         "\t0x89abcdef\n\n" + kOk,
     .sent = {kAntifuse}},
    // ---- answers cut short are none: nothing of them is shown ----
    {.name = "ReadCutShort", .presets = "set efuse 4 a0b1c2d3e4f5;fault 43 short 13 1",
     .words = "read_efuse MAC", .out = kError, .sent = {efuse_read(4)}},
    {.name = "WriteRefusalCutShort", .presets = "set efuse 4 a0b1c2d3e4f5;fault 44 short 14",
     .words = "write_efuse MAC 00:11:22:33:44:55", .out = "ret = -1\n" + kError,
     .sent = {efuse_write(4, 0, kMac)}},
    {.name = "AntifuseCutShort",
     .presets = "set antifuse 0 0x12345678;set antifuse 1 0xABCD;set antifuse 9 1;fault 676 short 16",
     .words = "get_antifuse", .out = kError, .sent = {kAntifuse}},
    {.name = "AntifuseStatus", .presets = "fault 676 status 3", .words = "get_antifuse",
     .out = failed("RQM_GetAntiFuseBits", 3) + kError, .sent = {kAntifuse}},
    // ---- the driver refuses: its 6 is not the firmware's "no data" ----
    {.name = "DriverRefusesTheRead", .presets = "fault 43 refuse 6", .words = "read_efuse MAC",
     .out = "Please turn off WIFI!\n" + kError, .sent = {efuse_read(4)}},
    {.name = "DriverRefusesTheReadBeforeAWrite", .presets = "fault 43 refuse 6",
     .words = "write_efuse DCXO_TRIM 3a",
     .out = "Please turn off WIFI!\nread efuse error!--6\nret = -1\n" + kError, .sent = {efuse_read(2)},
     .after = "efuse 2=none"},
};
// clang-format on

class Efuse : public SimRows, public testing::WithParamInterface<RunRow> {};

TEST_P(Efuse, OutputWireAndState) {
    ctl("set connected 1");
    const RowRuns r = run_row(GetParam(), RQMCLI_SIM_PATH);
    EXPECT_EQ(r.wire.with({43, 44, 676}), hi_msgs(GetParam().sent));
}

INSTANTIATE_TEST_SUITE_P(Commands, Efuse, testing::ValuesIn(kCases), RowName());

// The answer room holds 84 data bytes; one more is refused unsent.
class EfuseApi : public InProcessOn<SimRows> {};

TEST_F(EfuseApi, LengthAbove84IsRefusedBeforeSending) {
    open({});
    EfuseElement e{.Type = 4, .StartBit = 0, .LengthBits = 0, .LengthBytes = 85, .Force = 0};
    EfuseReadResult r{};
    bool fromFirmware = true;
    EXPECT_EQ(RQM_Read_Efuse_Element(ctx_, &e, &r, &fromFirmware), RQM_INVALID_PARAMETER);
    EXPECT_FALSE(fromFirmware);
    EXPECT_TRUE(wire().empty());
    e.LengthBytes = 84;
    EXPECT_EQ(RQM_Read_Efuse_Element(ctx_, &e, &r, &fromFirmware), EFUSE_STATUS_CODE__NODATA_ERR);
    EXPECT_TRUE(fromFirmware);
    EXPECT_EQ(wire(), (Msgs{efuse_read(4)}));
}

}  // namespace
