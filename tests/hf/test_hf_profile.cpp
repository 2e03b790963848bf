// rqmcli-hf's variant profile, linked in place of rqmcli's: each small
// difference it carries, at the layer that makes it. The runs of both
// programs are in test_hf_e2e.cpp; here are the forms a run cannot show.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "api/device_request.h"
#include "api/rqm_api.h"
#include "cli/get_settings.h"
#include "cli/main.h"
#include "common/driver_data.h"
#include "common/hi_msg.h"
#include "tests/support/fake_target.h"
#include "tests/support/rows.h"
#include "transport/TargetCli.h"

namespace {

using Api = RqmApiContext*;

constexpr uint16_t CNF = HI_MSG_KIND_CNF;

// ---- the receive thread's classifier ----

struct ClassifyCase {
    const char* name;
    Bytes datagram;
    std::string out;
};

class HfTransport : public testing::TestWithParam<ClassifyCase> {};

TEST_P(HfTransport, Classified) {
    TargetCliContext* p = TargetCli_Create(nullptr);
    const Bytes& dgram = GetParam().datagram;
    memcpy(p->RxBuffer.data(), dgram.data(), dgram.size());
    EXPECT_EQ(printed([&] { TargetCli_HandleRx(p, static_cast<uint32_t>(dgram.size())); }), GetParam().out);
    TargetCli_Exit(p);
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, HfTransport,
    testing::Values(ClassifyCase{"RefusalTenHasNoLineOfItsOwn", HiBuild(HI_BOOT_IND_ID, {1, 10}),
                                 "Driver Unkown error(10)!\n"},
                    ClassifyCase{"OverflowWarningWithoutTheId", HiBuild(0x7F8, {0, 0}).msglen(8188),
                                 "Warning:Buffer overflow!\ndata length:8188 \tbuffer length:12\n"}),
    RowName());

// ---- the API's forms, on the fake target ----

// One call: what it returns, prints and sends. The chip-variant word is
// set and the SDD version is 2.5, which changes none of these forms.
struct FormCase {
    const char* name;
    int (*call)(Api c);
    int result;
    std::string out;
    Msgs sent;
    Msgs answers = {};  // one for each send; none: nothing answers
};

int silent(Api c) {
    Bytes req = fake_message(8, 0x3F0);
    uint8_t answer[64];
    return Adapter_Request(c, req.data(), answer, sizeof answer);
}

// A label with the chip variant's platform code, which rqmcli-hf does not
// look for.
Bytes startup_q23() {
    Bytes ind = fake_message(160, HI_STARTUP_IND_ID, 4);
    hi_wr16(ind.data() + STARTUP_IND_API_VER_OFF, 0x0427);
    strcpy(reinterpret_cast<char*>(ind.data() + STARTUP_IND_LABEL_OFF), "FW_Q23");
    return ind;
}

int connect_q23(Api c) {
    g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 0;
    Bytes req = fake_message(8, HI_CONNECT_REQ_ID);
    const int result = Adapter_Request_Connect(c, req.data(), nullptr, 0);
    printf("variant %u\n", g_driver_data.Word[CLI_WORD_CHIP_VARIANT]);
    return result;
}

int prcm_read(Api c) {
    uint32_t value = 7;
    const int result = RQM_ReadPRCMRegister(c, 0x40040058, &value);
    printf("value %u\n", value);
    return result;
}

// Whatever element the caller names and whatever the SDD version says.
int user_power(Api c) {
    float dbm = 77.0f;
    const int result = RQM_GetOpPwrAuto_Dbm(c, 4, &dbm, 0xB0);
    printf("%g dBm\n", dbm);
    return result;
}

// The element's 24 bytes, row 4 given.
Bytes power_answer(uint16_t row4) {
    return HiBuild(1017 | CNF, {0, 24, 0, 0}).u16(row4).zeros(14);
}

int pa_detector(Api c) {
    uint32_t index = 0;
    uint16_t analogue = 9, digital = 9;
    const int result =
        RQM_GetRawPADetReading(c, nullptr, nullptr, &index, nullptr, nullptr, &analogue, &digital);
    printf("index %u analogue %u digital %u\n", index, analogue, digital);
    return result;
}

const std::string kNotHere = " failed (26:unknown error)\n";

const FormCase kForms[] = {
    {"SilentWithoutAnswer", silent, RQM_NO_CONFIRMATION, "Wait for cnf timed out!\n",
     Msgs{fake_message(8, 0x3F0)}},
    {"ConnectPrintsTheFactsAndSkipsThePlatformCode", connect_q23, 0,
     "FirmwareApiVer:0x427\nFirmwareLabel:FW_Q23\nvariant 0\n", Msgs{fake_message(8, HI_CONNECT_REQ_ID)},
     Msgs{startup_q23()}},
    {"NoPrcmRead", prcm_read, RQM_NOT_SUPPORTED, "RQM_ReadPRCMRegister" + kNotHere + "value 7\n", {}},
    {"NoPrcmWrite",
     [](Api c) { return RQM_WritePRCMRegister(c, 0x40040058, 1); },
     RQM_NOT_SUPPORTED,
     "RQM_WritePRCMRegister" + kNotHere,
     {}},
    {"NoChannelFec",
     [](Api c) { return RQM_SetChannelFec(c, 1, 2, 3); },
     RQM_NOT_SUPPORTED,
     "RQM_SetChannelFec" + kNotHere,
     {}},
    // No PRCM request although the chip-variant word is set, and the
    // read-back keeps 7 bits.
    {"FreqOffsetTooLarge", [](Api c) { return RQM_SetFreqOffset(c, 296, 200); }, 0,
     "[RQM_SetFreqOffset],133:set the frequency offset is too large,reference value:0~127\n"
     "Cur freq_offset = 127.\n",
     Msgs{HiBuild(38, {296, 127, 0}), HiBuild(0, {0x0AC8015C, 0x00C00004})},
     Msgs{HiBuild(38 | CNF, {0}), HiBuild(CNF, {0, 0xFF})}},
    {"LowerSubChannelIsOne", [](Api c) { return RQM_SetTxSubChannel(c, 1); }, 0, "",
     Msgs{HiBuild(0, {0x00080004, 0x00C00004}), HiBuild(38, {4, 0x5C00, 0})},
     Msgs{HiBuild(CNF, {0, 0x1C00}), HiBuild(38 | CNF, {0})}},
    {"RefusedTransmitIsTheResult", [](Api c) { return RQM_TransmitPackets(c, 1, nullptr, nullptr); }, 1,
     "txed=3, acked=3\n" + failed("RQM_TransmitPRBS", 1) + failed("RQM_TransmitPackets", 1),
     Msgs{HiBuild(70, {1, 0, 0, 0, 0, 0})}, Msgs{HiBuild(70 | CNF, {0, 0, 0, 3, 3, 1})}},
    // The old element in whole dB.
    {"UserPowerWholeDb", user_power, 0, "10 dBm\n", Msgs{Bytes{6, 0, 0xF9, 0x03, 0, 0xE3}},
     Msgs{power_answer(215)}},
    {"UserPowerBelowZero", user_power, 0, "-1 dBm\n", Msgs{Bytes{6, 0, 0xF9, 0x03, 0, 0xE3}},
     Msgs{power_answer(47)}},
    // The broker takes no answer longer than the short form.
    {"PaDetectorAlwaysShort", pa_detector, 0, "index 5 analogue 9 digital 9\n", Msgs{fake_message(28, 763)},
     Msgs{HiBuild(763 | CNF, {0, 0, 0, 5, 0, 0})}},
};

class HfForm : public OnFakeTarget, public testing::WithParamInterface<FormCase> {};

TEST_P(HfForm, ResultTextAndBytes) {
    const FormCase& c = GetParam();
    g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = 1;
    g_driver_data.Word[CLI_WORD_SDD_VERSION] = 25;
    ctx->MibBaseAddress = 0x00080000;
    if (!c.answers.empty())
        answer(c.answers.back());
    fake.answers = c.answers;
    EXPECT_EQ(c.call(ctx), c.result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    testing::internal::CaptureStdout();
    Msgs sent;
    for (const FakeSent& s : fake.sent)
        sent.push_back(s.bytes);
    EXPECT_EQ(sent, c.sent);
}

INSTANTIATE_TEST_SUITE_P(Forms, HfForm, testing::ValuesIn(kForms), RowName());

TEST(HfApi, TablesEndAtNine) {
    EXPECT_EQ(
        printed([] {
            RQM_ErrorCheck(nullptr, 10, "RQM_Connect");
            RQM_ErrorCheck(nullptr, 9, "RQM_Connect");
        }),
        "RQM_Connect failed (10:unknown error)\n"
        "RQM_API: ERROR: RQM_Connect(): ErrCode:9, RQM_ERR_DRIVER_HANG\t Try to solve it by reboot!)\n");
}

// ---- the front end ----

TEST(HfCli, ThirtyNineWordsMatchedExactly) {
    int found = 0;
    std::set<std::string> missing;
    for (int row = 0; row < COMMAND_COUNT; ++row) {
        if (CMD_Find(command[row].pchName) == row)
            ++found;
        else
            missing.insert(command[row].pchName);
    }
    EXPECT_EQ(found, 39);
    EXPECT_EQ(missing,
              (std::set<std::string>{"get_sdd_power", "set_sdd_power", "get_sdd_file", "get_sdd_freq_offset",
                                     "set_sdd_freq_offset", "set_cca", "set_channel_fec"}));
    EXPECT_EQ(CMD_Find("conn"), -1);
    EXPECT_EQ(CMD_Find(""), -1);
}

TEST(HfCli, SubchannelStartsAndDefaultsAtZero) {
    CliSettings s;
    InitSettings(&s);
    EXPECT_EQ(s.Tx_subchannel, 0);
    s.Tx_subchannel = 7;
    GetSettings("/nonexistent/settings.ini", &s);
    EXPECT_EQ(s.Tx_subchannel, 0);
}

// tx -u names the lower sub-channel by the value that selects it here.
TEST(HfCli, TxLowerSubchannelIsOne) {
    printed([] {
        EXPECT_EQ(Tx_Settings_Interpret('u', "LOWER"), 0);
        EXPECT_EQ(setting.Tx_subchannel, 1);
        EXPECT_EQ(Tx_Settings_Interpret('u', "UPPER"), 0);
        EXPECT_EQ(setting.Tx_subchannel, 0);
    });
}

// The efuse commands without the Bluetooth calibration, and a refusal
// text of their own; none of these reaches the API.
struct HfEfuseCase {
    const char* name;
    const char* words;
    std::string out;
};

class HfEfuse : public testing::TestWithParam<HfEfuseCase> {};

TEST_P(HfEfuse, RefusedInItsOwnWords) {
    Argv a(GetParam().words, "rqmcli-hf");
    EXPECT_EQ(printed([&] { EXPECT_EQ(CMD_Interpret(a.argc(), a.argv()), -1); }), GetParam().out);
}

const char kInvalid[] = "Invalid params input!Please check again!\n";

INSTANTIATE_TEST_SUITE_P(Words, HfEfuse,
                         testing::Values(HfEfuseCase{"MacOfTwoBytes", "write_efuse MAC 00:11",
                                                     "Param length should be 17!\nm_status = -1\n"},
                                         HfEfuseCase{"WritePoutCalBt", "write_efuse POUT_CAL_BT 1 2 3",
                                                     kInvalid},
                                         HfEfuseCase{"ReadPoutCalBt", "read_efuse POUT_CAL_BT", kInvalid}),
                         RowName());

}  // namespace
