// The transmit commands: start a burst, a continuous or a PRBS stream, stop
// it, and read the firmware's transmit configuration and counters. A
// transmission outlives the run that starts it: where the program keeps
// track, a later run's tx_stop learns whether one is under way.
#include <cstdio>

#include "api/api_variant.h"
#include "cli/cli_variant.h"
#include "main.h"

int g_iGnModeForce = 0;

namespace {

// -f lasts beyond the run.
int force_chosen(CliSettings*, const char*, int iResult) {
    g_cli_variant.Kept.pfnForceChosen(g_iGnModeForce);
    return iResult;
}

// -n asks for a counted burst.
int count_chosen(CliSettings* pSettings, const char*, int iResult) {
    if (iResult == 0)
        pSettings->continuous = 0;
    return iResult;
}

constexpr CliWord SUBCHANNELS[] = {
    {"UPPER", RQM_SUB_CHANNEL_UPPER, "Tx sub channel set to RQM_SUB_CHANNEL_UPPER !"},
    {"LOWER", RQM_SUB_CHANNEL_LOWER, "Tx sub channel set to RQM_SUB_CHANNEL_LOWER !"},
};

constexpr CliWord BANDWIDTHS[] = {
    {"10M", RQM_CHANNEL_BANDWIDTH_10MHZ, "Tx bandwidth set to RQM_CHANNEL_BANDWIDTH_10MHz !"},
    {"20M", RQM_CHANNEL_BANDWIDTH_20MHZ, "Tx bandwidth set to RQM_CHANNEL_BANDWIDTH_20MHz !"},
    {"40M", RQM_CHANNEL_BANDWIDTH_40MHZ, "Tx bandwidth set to RQM_CHANNEL_BANDWIDTH_40MHz !"},
};

constexpr uint16_t LEAVE = 0xFFFF;  // the firmware's setting stays

// The words name the sub-channels; the value that selects the lower one is
// the program's firmware's, and the upper one is the other of 0 and 1.
int subchannel_chosen(CliSettings* pSettings, const char*, int iResult) {
    if (iResult == 0) {
        const int lower = g_api_variant.TxLowerSubChannel;
        pSettings->Tx_subchannel = static_cast<uint16_t>(pSettings->Tx_subchannel == 0 ? lower : 1 - lower);
    }
    return iResult;
}

// The help pages list the first rows, so the order is part of the
// interface.
constexpr std::array TX_ROWS{
    CliOption{.Letter = 'l',
              .pchLong = "length",
              .Dest = &CliSettings::packet_length,
              .Min = 0,
              .pchDone = "packet length is:%d!\n",
              .pchRefused = "packet_length should be >0!",
              .Reset = 1000},
    CliOption{.Letter = 'n',
              .pchLong = "number",
              .Dest = &CliSettings::number,
              .Min = 1,
              .bStoredNonzero = true,
              .pchDone = "frame cnt is:%d!\n",
              .pchRefused = "frame cnt should be >0!",
              .Reset = 100,
              .pfnHook = count_chosen},
    CliOption{.Letter = 'c',
              .pchLong = "continuous",
              .Kind = CLI_BOOLEAN,
              .Dest = &CliSettings::continuous,
              .pchDone = "TX continuous!",
              .pchDoneZero = "TX not continuous!"},
    CliOption{.Letter = 'g',
              .pchLong = "guard_interval",
              .Dest = &CliSettings::Tx_guard_interval,
              .Min = RQM_GUARD_INTERVAL_LONG,
              .Max = RQM_GUARD_INTERVAL_SHORT,
              .pchDone = "Tx guard interval set to RQM_GUARD_INTERVAL_SHORT !",
              .pchDoneZero = "Tx guard interval set to RQM_GUARD_INTERVAL_LONG !",
              .pchRefused = "Tx guard interval should be 0 or 1 !",
              .Reset = LEAVE},
    CliOption{.Letter = 'u',
              .pchLong = "subchannel",
              .Kind = CLI_WORD,
              .Dest = &CliSettings::Tx_subchannel,
              .Words = SUBCHANNELS,
              .pchRefused = "Tx sub channel should be \"UPPER\" or \"LOWER\" !",
              .Reset = LEAVE,
              .pfnHook = subchannel_chosen},
    CliOption{.Letter = 'w',
              .pchLong = "bandwidth",
              .Kind = CLI_WORD,
              .Dest = &CliSettings::Tx_bandwidth,
              .Words = BANDWIDTHS,
              .pchRefused = "Tx bandwidth should be \"10M\", \"20M\", \"40M\" !",
              .Reset = LEAVE},
    CliOption{.Letter = 'a',
              .pchLong = "expect_ack",
              .Kind = CLI_BOOLEAN,
              .Dest = &CliSettings::expect_ack,
              .pchDone = "expect ack!",
              .pchDoneZero = "not expect ack!"},
    CliOption{.Letter = 'b',
              .pchLong = "backoff",
              .Dest = &CliSettings::backoff,
              .Min = 0,
              .pchDone = "backoff is:%d!\n",
              .pchRefused = "backoff should be >0!",
              .Reset = 0},
    CliOption{.Letter = 'd',
              .pchLong = "delay",
              .Dest = &CliSettings::Tx_delay,
              .Min = 0,
              .pchDone = "Tx delay is:%d!\n",
              .pchRefused = "Tx delay should be >0!",
              .Reset = 0},
    CliOption{.Letter = 'f',
              .pchLong = "force",
              .Kind = CLI_BOOLEAN,
              .Dest = &g_iGnModeForce,
              .pfnHook = force_chosen},
    CliOption{.Letter = 'h',
              .pchLong = "mac_header",
              .Kind = CLI_BOOLEAN,
              .Dest = &CliSettings::MAC_header,
              .pchDone = "use mac header!",
              .pchDoneZero = "not use mac header!"},
    CliOption{.Letter = 'i',
              .pchLong = "ifs",
              .Dest = &CliSettings::IFS,
              .Min = 0,
              .pchDone = "IFS is:%d!\n",
              .pchRefused = "IFS should be >0!",
              .Reset = 0},
    CliOption{.Letter = 'p',
              .pchLong = "packet_id",
              .Dest = &CliSettings::frame_buf,
              .Min = 1,
              .Max = 4,
              .pchDone = "use buf :%d!\n",
              .pchRefused = "packet ID should be 1 to 4 !",
              .Reset = 1},
    CliOption{.Letter = 's',
              .pchLong = "sounding_frame",
              .Kind = CLI_BOOLEAN,
              .Dest = &CliSettings::sounding_frame,
              .pchDone = "sounding frame!",
              .pchDoneZero = "not sounding frame!"},
    CliOption{.Letter = 'x',
              .pchLong = "prbs",
              .Kind = CLI_BOOLEAN,
              .Dest = &CliSettings::PRBS,
              .pchDone = "use PRBS!",
              .pchDoneZero = "not use PRBS!"},
    CliOption{.Letter = 'y',
              .pchLong = "prbs_seed",
              .Dest = &CliSettings::PRBS_seed,
              .Min = 0,
              .pchDone = "PRBS seed is :%d!\n",
              .pchRefused = "PRBS seed should be >0!",
              .Reset = 0},
    CliOption{.Letter = 'z',
              .pchLong = "prbs_length",
              .Dest = &CliSettings::PRBS_length,
              .Min = 0,
              .pchDone = "PRBS length is :%d!\n",
              .pchRefused = "PRBS_length should be >0!",
              .Reset = 0},
    CliOption{.Letter = 'C',
              .pchLong = "crc",
              .Kind = CLI_BOOLEAN,
              .Dest = &CliSettings::CRC,
              .pchDone = "use CRC!",
              .pchDoneZero = "not use CRC!"},
    CliOption{.Letter = 'N',
              .pchLong = "nav",
              .Dest = &CliSettings::Tx_NAV,
              .Min = 0,
              .pchDone = "TX NAV is:%d!\n",
              .pchRefused = "Tx NAV should be >0!",
              .Reset = 0},
};
static_assert(TX_ROWS.size() == 19);
static_assert(cli_rows_valid(TX_ROWS));
constexpr auto TX_GETOPT = cli_getopt_tables(TX_ROWS);
constexpr const option* long_tx_options = TX_GETOPT.Long.data();

}  // namespace

const CliOptionTable tx_options = {TX_ROWS, TX_GETOPT.Short.data(), long_tx_options, nullptr, nullptr};

int Tx_Settings_Interpret(char option, const char* pchArg) {
    return cli_option_apply(tx_options, option, pchArg, &setting, nullptr);
}

namespace {

constexpr uint16_t PACKET_LENGTH_DSSS = 1024;
constexpr uint16_t PACKET_LENGTH_OFDM = 1000;
constexpr uint16_t PACKET_LENGTH_HT = 4095;
// A forced start sends the longest packets its mode takes.
constexpr uint16_t FORCED_LENGTH_DSSS = 4095;
constexpr uint16_t FORCED_LENGTH_OTHER = 65535;

// While a counted burst is under way the firmware answers only when its
// last packet is out, however long that takes: the broker waits without a
// practical limit and does not send the request twice.
constexpr uint32_t BURST_TIMEOUT_MS = 0xFFFFFFFF;
constexpr uint32_t BURST_RETRIES = 0;

bool dsss_mode(uint16_t mode) {
    return mode == 0 || mode == 1;
}

uint32_t frame_format() {
    uint32_t bits = 0;
    if (setting.MAC_header != 0)
        bits |= FRAME_FORMAT_MAC_HEADER;
    if (setting.CRC != 0)
        bits |= FRAME_FORMAT_CRC;
    return bits;
}

// The payload buffer and the frame format, as tx and tx_stop send them; a
// failed request sent just before (pending) fails the first step too.
bool packet_and_format_set(RqmApiContext* ctx, int pending) {
    if ((pending | RQM_SelectPacketId(ctx, setting.frame_buf)) != RQM_SUCCESS) {
        puts("There was a problem with calling RQM_SelectPacketId");
        return false;
    }
    if (RQM_SetMib(ctx, MIB_FRAME_FORMAT_OFF, frame_format()) != RQM_SUCCESS) {
        puts("There was a problem with calling RQM_SetMib");
        return false;
    }
    return true;
}

int transmit(RqmApiContext* ctx, TxCommand command) {
    if (setting.PRBS != 0)
        return RQM_TransmitPRBS(ctx, command | TX_COMMAND_PRBS, setting.PRBS_seed, setting.PRBS_length,
                                nullptr, nullptr);
    return RQM_TransmitPackets(ctx, command, nullptr, nullptr);
}

// The broker's timeout and attempts are the caller's again whatever the
// burst came to.
int transmit_counted(RqmApiContext* ctx) {
    uint32_t timeoutMs = 0, retries = 0;
    if (RQM_Get_MsgParams(ctx, &timeoutMs, &retries) != RQM_SUCCESS)
        return -1;
    int r = RQM_Set_MsgParams(ctx, BURST_TIMEOUT_MS, BURST_RETRIES);
    r |= RQM_SetNumberOfTxPkts(ctx, setting.number);
    if (r == RQM_SUCCESS)
        r = transmit(ctx, TX_COMMAND_BURST);
    const int restored = RQM_Set_MsgParams(ctx, timeoutMs, retries);
    return r == RQM_SUCCESS && restored == RQM_SUCCESS ? 0 : -1;
}

}  // namespace

// The packet length that suits the mode, over the settings file's; -l
// still changes it.
void tx_default_length() {
    switch (setting.mode) {
    case 0:
    case 1:
        setting.packet_length = PACKET_LENGTH_DSSS;
        break;
    case 2:
        setting.packet_length = PACKET_LENGTH_OFDM;
        break;
    case 4:
    case 5:
        setting.packet_length = PACKET_LENGTH_HT;
        break;
    default:
        break;
    }
}

int Tx_Packets() {
    RqmApiContext* ctx = cli_api();
    if (!packet_and_format_set(ctx, RQM_ReceiveAck(ctx, 1)))
        return -1;
    if (RQM_SetBackoff(ctx, setting.backoff) != RQM_SUCCESS) {
        puts("There was a problem with calling RQM_SetBackoff");
        return -1;
    }
    // Every setting is sent even after one has failed.
    int r = RQM_SetTxPower(ctx, 0);
    if (setting.Tx_bandwidth != LEAVE)
        r |= RQM_SetTxBandWidth(ctx, static_cast<int16_t>(setting.Tx_bandwidth));
    if (setting.Tx_subchannel != LEAVE)
        r |= RQM_SetTxSubChannel(ctx, static_cast<int16_t>(setting.Tx_subchannel));
    if (setting.Tx_guard_interval != LEAVE)
        r |= RQM_SetTxGuardInterval(ctx, static_cast<int16_t>(setting.Tx_guard_interval));
    r |= RQM_TxSendSoundingFrame(ctx, setting.sounding_frame);
    r |= RQM_SetMib(ctx, MIB_PACKET_LENGTH_OFF, setting.packet_length);
    r |= RQM_TxDelayBetweenTwoFrames(ctx, setting.Tx_delay);
    r |= RQM_ReceiveAck(ctx, setting.expect_ack);
    r |= RQM_SetTxDurationField(ctx, setting.Tx_NAV);
    r |= RQM_SetMib(ctx, MIB_IFS_OFF, setting.IFS);
    r |= RQM_SetMib(ctx, MIB_TX_START_OFF, 1);
    if (r != RQM_SUCCESS) {
        puts("There was a problem with settings!");
        return -1;
    }
    if (setting.continuous != 0)
        return transmit(ctx, TX_COMMAND_CONTINUOUS) == RQM_SUCCESS ? 0 : -1;
    return transmit_counted(ctx);
}

// A forced start is recorded like any other, so that tx_stop stops it.
int tx_start(int force) {
    // A burst of no packets would never be answered, and the burst waits
    // for its answer without end; settings.ini can ask for one where -n
    // cannot.
    if (setting.continuous == 0 && setting.number == 0) {
        puts("frame cnt should be >0!");
        return -1;
    }
    if (force != 0) {
        setting.packet_length = dsss_mode(setting.mode) ? FORCED_LENGTH_DSSS : FORCED_LENGTH_OTHER;
        setting.expect_ack = 0;
        setting.Tx_delay = 0;
    }
    if (Tx_Packets() != 0)
        return -1;
    g_cli_variant.Kept.pfnTxStarted();
    return 0;
}

int proc_tx(int argc, char** argv) {
    g_cli_variant.Kept.pfnTxRestore();
    tx_default_length();
    if (cli_parse_options(argc, argv, tx_options) != 0)
        return -1;
    return tx_start(g_iGnModeForce);
}

int proc_tx_stop(int, char**) {
    // Ends the forced form that -f chose.
    g_cli_variant.Kept.pfnTxStopForce();
    if (!g_cli_variant.Kept.pfnTxStopNeeded())
        return 0;
    RqmApiContext* ctx = cli_api();
    if (!packet_and_format_set(ctx, RQM_SUCCESS))
        return -1;
    return RQM_TransmitPackets(ctx, TX_COMMAND_STOP, nullptr, nullptr) == RQM_SUCCESS ? 0 : -1;
}

int proc_tx_status(int, char**) {
    FwTxConfig cfg = {};
    if (RQM_GetFwTxConfig(cli_api(), cfg.Word) != RQM_SUCCESS)
        return -1;
    const uint32_t* w = cfg.Word;
    printf("FwTxConfig ctrl0:\t\t0x%08X\n", w[FW_TX_CONFIG_CTRL0]);
    printf("FwTxConfig ctrl1:\t\t0x%08X\n", w[FW_TX_CONFIG_CTRL1]);
    printf("FwTxConfig rate:\t\t%d\n", static_cast<int>(w[FW_TX_CONFIG_RATE]));
    printf("FwTxConfig length:\t\t%d\n", static_cast<int>(w[FW_TX_CONFIG_LENGTH]));
    printf("FwTxConfig HT40MPPDU:\t\t%d\n", static_cast<int>(w[FW_TX_CONFIG_HT40_MPPDU]));
    printf("FwTxConfig tx below:\t\t%d\n", static_cast<int>(w[FW_TX_CONFIG_TX_BELOW]));
    printf("FwTxConfig short GI:\t\t%d\n\n", static_cast<int>(w[FW_TX_CONFIG_SHORT_GI]));
    return 0;
}

int proc_tx_cfg(int, char**) {
    struct Line {
        const char* pchFormat;
        uint32_t TxStatistics::*Counter;
    };
    static constexpr Line LINES[] = {
        {"Num tx successes:\t\t%d\n", &TxStatistics::Successes},
        {"Num tx acked:\t\t\t%d\n", &TxStatistics::Acked},
        {"Num tx fail(ptcs abort):\t%d\n", &TxStatistics::FailPtcsAbort},
        {"Num tx fail(bt abort):\t\t%d\n", &TxStatistics::FailBtAbort},
        {"Num tx queued :\t\t\t%d\n", &TxStatistics::Queued},
        {"Num tx Ttcs end :\t\t%d\n", &TxStatistics::TtcsEnd},
        {"Num tx ack Ttcs end :\t\t%d\n", &TxStatistics::AckTtcsEnd},
        {"Num tx ack success:\t\t%d\n", &TxStatistics::AckSuccess},
        {"Ntd stats:\t\t\t%d\n", &TxStatistics::NtdStats},
        {"Fiq count :\t\t\t%d\n", &TxStatistics::FiqCount},
    };
    TxStatistics s = {};
    if (RQM_GetTxStatistics(cli_api(), &s.Successes, &s.Acked, &s.FailPtcsAbort, &s.FailBtAbort, &s.Queued,
                            &s.TtcsEnd, &s.AckTtcsEnd, &s.AckSuccess, &s.NtdStats,
                            &s.FiqCount) != RQM_SUCCESS)
        return -1;
    for (const Line& line : LINES)
        printf(line.pchFormat, static_cast<int>(s.*line.Counter));
    return 0;
}
