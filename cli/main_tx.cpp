// The transmit commands: start a burst, a continuous or a PRBS stream, stop
// it, and read the firmware's transmit configuration and counters.
#include "common/driver_data.h"
#include "main.h"

int g_iGnModeForce = 0;

namespace {

// -f lasts beyond the run in word 1 of the tool-state record.
int force_chosen(CliSettings*, const char*, int iResult) {
    g_driver_data.Word[CLI_WORD_FORCED_MODE] = static_cast<uint16_t>(g_iGnModeForce);
    return iResult;
}

// -n asks for a counted burst.
int count_chosen(CliSettings* pSettings, const char*, int iResult) {
    if (iResult == 0)
        pSettings->continuous = 0;
    return iResult;
}

constexpr CliWord SUBCHANNELS[] = {
    {"UPPER", 1, "Tx sub channel set to RQM_SUB_CHANNEL_UPPER !"},
    {"LOWER", 0, "Tx sub channel set to RQM_SUB_CHANNEL_LOWER !"},
};

constexpr CliWord BANDWIDTHS[] = {
    {"10M", 1, "Tx bandwidth set to RQM_CHANNEL_BANDWIDTH_10MHz !"},
    {"20M", 0, "Tx bandwidth set to RQM_CHANNEL_BANDWIDTH_20MHz !"},
    {"40M", 2, "Tx bandwidth set to RQM_CHANNEL_BANDWIDTH_40MHz !"},
};

constexpr uint16_t LEAVE = 0xFFFF;  // the firmware's setting stays

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
              .Min = 0,
              .Max = 1,
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
              .Reset = LEAVE},
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

// Not in this build yet: they fail without a word of their own.
int proc_tx(int, char**) {
    return -1;
}
int proc_tx_stop(int, char**) {
    return -1;
}
int proc_tx_status(int, char**) {
    return -1;
}
int proc_tx_cfg(int, char**) {
    return -1;
}
