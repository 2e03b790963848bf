// The efuse commands against the stand-in's efuse model: each element
// written and read back, the firmware's refusals, typed values refused
// before anything is burnt, short answers and the driver's refusal; each
// with what the program printed and the efuse requests the stand-in got.
// Then, in-process, the largest read the API takes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "api/rqm_api.h"
#include "common/hi_msg.h"
#include "tests/support/sim_fixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Gets = std::vector<std::pair<std::string, std::string>>;

const std::string kOk = "Sending CMD OK!\n";
const std::string kError = "Sending CMD error!\n";

Bytes efuse_read(uint16_t type, uint16_t start = 0, uint16_t bits = 0) {
    Bytes m(12, 0);
    hi_set_msg_len(m.data(), 12);
    hi_set_msg_id(m.data(), 43);
    hi_wr16(m.data() + 4, type);
    hi_wr16(m.data() + 6, start);
    hi_wr16(m.data() + 8, bits);
    m[11] = static_cast<uint8_t>(~type);
    return m;
}

// Six data bytes whatever the element, zeros to byte 95.
Bytes efuse_write(uint16_t type, uint8_t force, const Bytes& data) {
    Bytes m(96, 0);
    hi_set_msg_len(m.data(), 96);
    hi_set_msg_id(m.data(), 44);
    hi_wr16(m.data() + 4, type);
    m[10] = force;
    m[12] = static_cast<uint8_t>(~type);
    std::copy(data.begin(), data.end(), m.begin() + 13);
    return m;
}

const Bytes kAntifuse = {0x08, 0x00, 0xA4, 0x02, 0, 0, 0, 0};
const Bytes kMac = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};

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

struct Step {
    std::vector<std::string> words;
    std::string out;
    std::vector<Bytes> wire;  // requests 43, 44 and 676, in order
    std::string err = "";
};

struct EfuseCase {
    const char* name;
    std::vector<std::string> presets;  // after "set connected 1"
    std::vector<Step> steps;
    Gets after = {};
};

const EfuseCase kCases[] = {
    // ---- written, then read back ----
    {"ChipIdFromTheFactory",
     {},
     {{{"read_efuse", "CHIPID"},
       "[CHIPID]:you can write -1 times.\n0x23 0x01 0x51 0x4d 0x00 0x00 0x00 0x17 0x5a 0x3c 0x96 0x0f 0x00 "
       "0x00 0x00 0x01 \n" +
           kOk,
       {efuse_read(1)}}}},
    {"DcxoTrim",
     {},
     {{{"write_efuse", "DCXO_TRIM", "3a"}, kOk, {efuse_read(2), efuse_write(2, 0, {0x3A})}},
      {{"read_efuse", "DCXO_TRIM"},
       "[DCXO_TRIM]:you can write 1 times.\nDCXO_TRIM: 58\n" + kOk,
       {efuse_read(2)}}},
     {{"efuse 2", "3a"}, {"efuse_slots", "0 2 3 3 0 3"}}},
    {"PoutCalPacksHighMidLow",
     {},
     {{{"write_efuse", "POUT_CAL", "1", "2", "3"},
       "value = 0x03\nvalue = 0x02\nvalue = 0x01\nlow:0x01\tmid:0x02\thigh:0x03\n" + kOk,
       {efuse_read(3), efuse_write(3, 0, {0x01, 0xC1, 0x00})}},
      {{"read_efuse", "POUT_CAL"},
       "[POUT_CAL]:you can write 1 times.\npout_cal:\nlow :01\nmid :02\nhigh:03\n" + kOk,
       {efuse_read(3)}}}},
    {"PoutCalForcedOverAnEarlierOne",
     {"set efuse 3 010203"},
     {{{"write_efuse", "POUT_CAL_F", "0x7f", "0", "7F"},
       "value = 0x7f\nvalue = 0x00\nvalue = 0x7f\nlow:0x7f\tmid:0x00\thigh:0x7f\n" + kOk,
       {efuse_read(3), efuse_write(3, 1, {0x7F, 0xC0, 0x1F})}}},
     {{"efuse 3", "7fc01f"}}},
    {"PoutCalBt",
     {},
     {{{"write_efuse", "POUT_CAL_BT", "5", "6", "7"},
       "value = 0x07\nvalue = 0x06\nvalue = 0x05\nlow:0x05\tmid:0x06\thigh:0x07\n" + kOk,
       {efuse_read(6), efuse_write(6, 0, {0x05, 0xC3, 0x01})}},
      {{"read_efuse", "POUT_CAL_BT"},
       "[POUT_CAL_BT]:you can write 1 times.\npout_cal:\nlow :05\nmid :06\nhigh:07\n" + kOk,
       {efuse_read(6)}}}},
    {"Mac",
     {},
     {{{"read_efuse", "MAC"}, "[MAC] There is no data in the region.\n" + kOk, {efuse_read(4)}},
      {{"write_efuse", "MAC", "00:11:22:33:44:55"}, kOk, {efuse_write(4, 0, kMac)}},
      {{"read_efuse", "MAC"}, "00:11:22:33:44:55\n" + kOk, {efuse_read(4)}}}},
    {"MacForced",
     {"set efuse 4 a0b1c2d3e4f5"},
     {{{"write_efuse", "MAC_F", "00:11:22:33:44:55"}, kOk, {efuse_write(4, 1, kMac)}}},
     {{"efuse 4", "001122334455"}}},
    {"UserAreaBitsAcrossBytes",
     {"set efuse_user 12 a55a"},
     {{{"read_efuse", "USER_AREA", "-s", "100", "extra", "--length=8"},
       "start_bit=100, length=8 \n0xaa \n" + kOk,
       {efuse_read(5, 100, 8)},
       "read_efuse USER_AREA: ignoring extra argument -- extra\n"}}},
    {"WholeUserArea",
     {},
     {{{"read_efuse", "USER_AREA", "-s", "0", "-l", "658"},
       "start_bit=0, length=658 \n" + repeated("0x00 ", 83) + "\n" + kOk,
       {efuse_read(5, 0, 658)}}}},
    // ---- the firmware refuses ----
    {"SecondWriteShowsTheStoredBytes",
     {"set efuse 4 a0b1c2d3e4f5"},
     {{{"write_efuse", "MAC", "00:11:22:33:44:55"},
       written_before("a0:b1:c2:d3:e4:f5", -1),
       {efuse_write(4, 0, kMac)}}},
     {{"efuse 4", "a0b1c2d3e4f5"}}},
    {"SecondTrimWriteSaysMacAndShowsItsOneByte",
     {"set efuse 2 3a"},
     {{{"write_efuse", "DCXO_TRIM", "11"},
       written_before("3a:00:00:00:00:00", 7),
       {efuse_read(2), efuse_write(2, 0, {0x11})}}}},
    {"SlotsUsedUp",
     {"set efuse_slots 4 0", "set efuse 2 3a", "set efuse_slots 2 0"},
     {{{"write_efuse", "MAC", "00:11:22:33:44:55"},
       "RQM_RW_Efuse_Data failed! (ErrCode 4:EFUSE_STATUS_CODE__RW_ERR)\nret = -1\n" + kError,
       {efuse_write(4, 0, kMac)}},
      {{"read_efuse", "DCXO_TRIM"},
       "[DCXO_TRIM]:you can write -1 times.\nDCXO_TRIM: 58\n" + kOk,
       {efuse_read(2)}}},
     {{"efuse 4", "none"}}},
    // ---- typed values refused before anything is sent ----
    {"TrimNotHex",
     {},
     {{{"write_efuse", "DCXO_TRIM", "3g"}, "Param 3g is not hex data!\nret = -1\n" + kError, {}}}},
    {"TrimTooWide",
     {},
     {{{"write_efuse", "DCXO_TRIM", "17F"},
       "[write_dcxo_trim],2895 exit! reference value:0~127.\nret = -1\n" + kError,
       {}}}},
    {"TrimZero",
     {},
     {{{"write_efuse", "DCXO_TRIM", "0x0"},
       "[write_dcxo_trim],2895 exit! reference value:0~127.\nret = -1\n" + kError,
       {}}}},
    {"PoutTooWide",
     {},
     {{{"write_efuse", "POUT_CAL", "FF", "0", "0"},
       "value = 0x00\nvalue = 0x00\nParam FF is larger than 0x7f!\nret = -1\n" + kError,
       {}}}},
    {"PoutSigned",
     {},
     {{{"write_efuse", "POUT_CAL_BT", "1", "2", "-3"},
       "Param -3 is not hex data!\nret = -1\n" + kError,
       {}}}},
    {"MacGroupWithASign",
     {},
     {{{"write_efuse", "MAC", "00:11:22:33:44:+5"}, "There is a param error: +5!\nret = -1\n" + kError, {}}}},
    {"MacGroupNotHex",
     {},
     {{{"write_efuse", "MAC_F", "00:11:22:33:44:5G"},
       "There is a param error: G!\nret = -1\n" + kError,
       {}}}},
    {"UserAreaPastItsEnd",
     {},
     {{{"read_efuse", "USER_AREA", "-s", "650", "-l", "9"},
       "Sum of satrt_bit and length can't be larger than 658!\n" + kError,
       {}}}},
    // ---- short answers: what did not arrive reads 0 ----
    {"ShortRead",
     {"set efuse 4 a0b1c2d3e4f5", "fault 43 short 14"},
     {{{"read_efuse", "MAC"}, "a0:b1:00:00:00:00\n" + kOk, {efuse_read(4)}}}},
    {"ShortWriteRefusal",
     {"set efuse 4 a0b1c2d3e4f5", "fault 44 short 14"},
     {{{"write_efuse", "MAC", "00:11:22:33:44:55"},
       written_before("a0:b1:c2:00:00:00", -1),
       {efuse_write(4, 0, kMac)}}}},
    {"Antifuse",
     {"set antifuse 0 0x12345678", "set antifuse 1 0xABCD", "set antifuse 9 1", "fault 676 short 16"},
     {{{"get_antifuse"},
       "\nRead antifuse bits:\n\t0x12345678\n\t0x0000abcd\n" + repeated("\t0x00000000\n", 6) + "\n" + kOk,
       {kAntifuse}}}},
    {"AntifuseStatus",
     {"fault 676 status 3"},
     {{{"get_antifuse"},
       "RQM_GetAntiFuseBits failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n" + kError,
       {kAntifuse}}}},
    // ---- the driver refuses: its 6 is not the firmware's "no data" ----
    {"DriverRefusesTheRead",
     {"fault 43 refuse 6"},
     {{{"read_efuse", "MAC"}, "Please turn off WIFI!\n" + kError, {efuse_read(4)}}}},
    {"DriverRefusesTheReadBeforeAWrite",
     {"fault 43 refuse 6"},
     {{{"write_efuse", "DCXO_TRIM", "3a"},
       "Please turn off WIFI!\nread efuse error!--6\nret = -1\n" + kError,
       {efuse_read(2)}}},
     {{"efuse 2", "none"}}},
};

class Efuse : public WithSim, public testing::WithParamInterface<EfuseCase> {};

TEST_P(Efuse, OutputWireAndState) {
    const EfuseCase& c = GetParam();
    ctl("set connected 1");
    for (const std::string& line : c.presets)
        ctl(line);
    for (const Step& s : c.steps) {
        const CliRun r = run_on_sim(RQMCLI_SIM_PATH, s.words);
        ASSERT_FALSE(r.timed_out) << testing::PrintToString(r);
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_EQ(r.out, s.out) << s.words[0];
        EXPECT_EQ(r.err, s.err);
        EXPECT_EQ(r.wire.bytes({43, 44, 676}), s.wire) << s.words[0];
    }
    for (const auto& [key, value] : c.after)
        EXPECT_EQ(get(key), value) << key;
}

INSTANTIATE_TEST_SUITE_P(Commands, Efuse, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The answer room holds 84 data bytes; one more is refused unsent.
class EfuseApi : public InProcessOn<WithSim> {};

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
    EXPECT_EQ(wire(), (std::vector<Bytes>{efuse_read(4)}));
}

}  // namespace
