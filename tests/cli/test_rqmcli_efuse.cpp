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

using Msgs = std::vector<Bytes>;

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

// Runs one after the other; what they printed and the efuse requests (43,
// 44 and 676) they sent, all runs together; the stand-in's values after.
struct EfuseCase {
    const char* name;
    const char* presets;  // after "set connected 1"
    const char* runs;     // '|' between them
    std::string out;
    Msgs wire;
    const char* after = "";
    std::string err = "";
};

const EfuseCase kCases[] = {
    // ---- written, then read back ----
    {"ChipIdFromTheFactory", "", "read_efuse CHIPID",
     "[CHIPID]:you can write 0 times.\n0x23 0x01 0x51 0x4d 0x00 0x00 0x00 0x17 0x5a 0x3c 0x96 0x0f 0x00 "
     "0x00 "
     "0x00 0x01 \n" +
         kOk,
     Msgs{efuse_read(1)}},
    {"DcxoTrim", "", "write_efuse DCXO_TRIM 3a|read_efuse DCXO_TRIM",
     kOk + "[DCXO_TRIM]:you can write 1 times.\nDCXO_TRIM: 58\n" + kOk,
     Msgs{efuse_read(2), efuse_write(2, 0, {0x3A}), efuse_read(2)}, "efuse 2=3a;efuse_slots=1 2 3 3 0 3"},
    {"PoutCalPacksHighMidLow", "", "write_efuse POUT_CAL 1 2 3|read_efuse POUT_CAL",
     "value = 0x03\nvalue = 0x02\nvalue = 0x01\nlow:0x01\tmid:0x02\thigh:0x03\n" + kOk +
         "[POUT_CAL]:you can write 1 times.\npout_cal:\nlow :01\nmid :02\nhigh:03\n" + kOk,
     Msgs{efuse_read(3), efuse_write(3, 0, {0x01, 0xC1, 0x00}), efuse_read(3)}},
    {"PoutCalForcedOverAnEarlierOne", "set efuse 3 010203", "write_efuse POUT_CAL_F 0x7f 0 7F",
     "value = 0x7f\nvalue = 0x00\nvalue = 0x7f\nlow:0x7f\tmid:0x00\thigh:0x7f\n" + kOk,
     Msgs{efuse_read(3), efuse_write(3, 1, {0x7F, 0xC0, 0x1F})}, "efuse 3=7fc01f"},
    {"PoutCalBt", "", "write_efuse POUT_CAL_BT 5 6 7|read_efuse POUT_CAL_BT",
     "value = 0x07\nvalue = 0x06\nvalue = 0x05\nlow:0x05\tmid:0x06\thigh:0x07\n" + kOk +
         "[POUT_CAL_BT]:you can write 1 times.\npout_cal:\nlow :05\nmid :06\nhigh:07\n" + kOk,
     Msgs{efuse_read(6), efuse_write(6, 0, {0x05, 0xC3, 0x01}), efuse_read(6)}},
    {"Mac", "", "read_efuse MAC|write_efuse MAC 00:11:22:33:44:55|read_efuse MAC",
     "[MAC] There is no data in the region.\n" + kOk + kOk + "00:11:22:33:44:55\n" + kOk,
     Msgs{efuse_read(4), efuse_write(4, 0, kMac), efuse_read(4)}},
    {"MacForced", "set efuse 4 a0b1c2d3e4f5", "write_efuse MAC_F 00:11:22:33:44:55", kOk,
     Msgs{efuse_write(4, 1, kMac)}, "efuse 4=001122334455"},
    {"UserAreaBitsAcrossBytes", "set efuse_user 12 a55a", "read_efuse USER_AREA -s 100 extra --length=8",
     "start_bit=100, length=8 \n0xaa \n" + kOk, Msgs{efuse_read(5, 100, 8)}, "",
     "read_efuse USER_AREA: ignoring extra argument -- extra\n"},
    {"WholeUserArea", "", "read_efuse USER_AREA -s 0 -l 658",
     "start_bit=0, length=658 \n" + repeated("0x00 ", 83) + "\n" + kOk, Msgs{efuse_read(5, 0, 658)}},
    // ---- the firmware refuses ----
    {"SecondWriteShowsTheStoredBytes", "set efuse 4 a0b1c2d3e4f5", "write_efuse MAC 00:11:22:33:44:55",
     written_before("a0:b1:c2:d3:e4:f5", -1), Msgs{efuse_write(4, 0, kMac)}, "efuse 4=a0b1c2d3e4f5"},
    {"SecondTrimWriteSaysMacAndShowsItsOneByte", "set efuse 2 3a", "write_efuse DCXO_TRIM 11",
     written_before("3a:00:00:00:00:00", 7), Msgs{efuse_read(2), efuse_write(2, 0, {0x11})}},
    {"SecondPoutCalWriteShowsItsThreeBytes", "set efuse 3 010203", "write_efuse POUT_CAL 7 8 9",
     "value = 0x09\nvalue = 0x08\nvalue = 0x07\nlow:0x07\tmid:0x08\thigh:0x09\n" +
         written_before("01:02:03:00:00:00", -1),
     Msgs{efuse_read(3), efuse_write(3, 0, {0x07, 0x44, 0x02})}, "efuse 3=010203"},
    {"SlotsUsedUp", "set efuse_slots 4 0;set efuse 2 3a;set efuse_slots 2 0",
     "write_efuse MAC 00:11:22:33:44:55|read_efuse DCXO_TRIM",
     "RQM_RW_Efuse_Data failed! (ErrCode 4:EFUSE_STATUS_CODE__RW_ERR)\nret = -1\n" + kError +
         "[DCXO_TRIM]:you can write -1 times.\nDCXO_TRIM: 58\n" + kOk,
     Msgs{efuse_write(4, 0, kMac), efuse_read(2)}, "efuse 4=none"},
    // ---- typed values refused before anything is sent ----
    {"TrimNotHex", "", "write_efuse DCXO_TRIM 3g", "Param 3g is not hex data!\nret = -1\n" + kError, {}},
    {"TrimTooWide", "", "write_efuse DCXO_TRIM 17F", kTrimRange, {}},
    {"TrimZero", "", "write_efuse DCXO_TRIM 0x0", kTrimRange, {}},
    {"PoutTooWide",
     "",
     "write_efuse POUT_CAL FF 0 0",
     "value = 0x00\nvalue = 0x00\nParam FF is larger than 0x7f!\nret = -1\n" + kError,
     {}},
    {"PoutSigned",
     "",
     "write_efuse POUT_CAL_BT 1 2 -3",
     "Param -3 is not hex data!\nret = -1\n" + kError,
     {}},
    {"MacGroupWithASign",
     "",
     "write_efuse MAC 00:11:22:33:44:+5",
     "There is a param error: +5!\nret = -1\n" + kError,
     {}},
    {"MacGroupNotHex",
     "",
     "write_efuse MAC_F 00:11:22:33:44:5G",
     "There is a param error: G!\nret = -1\n" + kError,
     {}},
    {"UserAreaPastItsEnd",
     "",
     "read_efuse USER_AREA -s 650 -l 9",
     "Sum of satrt_bit and length can't be larger than 658!\n" + kError,
     {}},
    // The first eight words of ten.
    {"Antifuse", "set antifuse 0 0x12345678;set antifuse 1 0xABCD;set antifuse 7 0x89ABCDEF;set antifuse 9 1",
     "get_antifuse",
     "\nRead antifuse bits:\n\t0x12345678\n\t0x0000abcd\n" + repeated("\t0x00000000\n", 5) +
         "\t0x89abcdef\n\n" + kOk,
     Msgs{kAntifuse}},
    // ---- answers cut short are none: nothing of them is shown ----
    {"ReadCutShort", "set efuse 4 a0b1c2d3e4f5;fault 43 short 13 1", "read_efuse MAC", kError,
     Msgs{efuse_read(4)}},
    {"WriteRefusalCutShort", "set efuse 4 a0b1c2d3e4f5;fault 44 short 14",
     "write_efuse MAC 00:11:22:33:44:55", "ret = -1\n" + kError, Msgs{efuse_write(4, 0, kMac)}},
    {"AntifuseCutShort",
     "set antifuse 0 0x12345678;set antifuse 1 0xABCD;set antifuse 9 1;fault 676 short 16", "get_antifuse",
     kError, Msgs{kAntifuse}},
    {"AntifuseStatus", "fault 676 status 3", "get_antifuse", failed("RQM_GetAntiFuseBits", 3) + kError,
     Msgs{kAntifuse}},
    // ---- the driver refuses: its 6 is not the firmware's "no data" ----
    {"DriverRefusesTheRead", "fault 43 refuse 6", "read_efuse MAC", "Please turn off WIFI!\n" + kError,
     Msgs{efuse_read(4)}},
    {"DriverRefusesTheReadBeforeAWrite", "fault 43 refuse 6", "write_efuse DCXO_TRIM 3a",
     "Please turn off WIFI!\nread efuse error!--6\nret = -1\n" + kError, Msgs{efuse_read(2)}, "efuse 2=none"},
};

class Efuse : public SimRows, public testing::WithParamInterface<EfuseCase> {};

TEST_P(Efuse, OutputWireAndState) {
    const EfuseCase& c = GetParam();
    presets(std::string("set connected 1;") + c.presets);
    std::string out, err;
    Msgs wire;
    for (const std::string& words : split(c.runs, '|')) {
        const CliRun r = run_on_sim(RQMCLI_SIM_PATH, split(words));
        ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
        EXPECT_EQ(r.exit_code, 0);
        out += r.out;
        err += r.err;
        for (const Bytes& m : r.wire.bytes({43, 44, 676}))
            wire.push_back(m);
    }
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(err, c.err);
    EXPECT_EQ(wire, c.wire);
    expect_state(c.after);
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
