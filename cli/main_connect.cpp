// Commands that put the chip into and out of test mode, and its MAC
// addresses.
#include <cstdio>

#include "api/rqm_api.h"
#include "main.h"

namespace {

// Each option sets one of the three addresses; its Value is the address
// kind the request carries, and get_mac reads the kinds in row order.
constexpr char PARAM_ERROR[] = "There is a param error!";

constexpr std::array MAC_ROWS{
    CliOption{.Letter = 's',
              .pchLong = "source_addr",
              .Kind = CLI_MAC,
              .Dest = CliLocal{},
              .Value = RQM_MAC_SOURCE,
              .pchDone = "Source mac address:\t",
              .pchRefused = PARAM_ERROR},
    CliOption{.Letter = 'd',
              .pchLong = "dest_addr",
              .Kind = CLI_MAC,
              .Dest = CliLocal{},
              .Value = RQM_MAC_DEST,
              .pchDone = "Dest mac address:\t",
              .pchRefused = PARAM_ERROR},
    CliOption{.Letter = 't',
              .pchLong = "BSSID",
              .Kind = CLI_MAC,
              .Dest = CliLocal{},
              .Value = RQM_MAC_BSSID,
              .pchDone = "BSSID:\t\t\t",
              .pchRefused = PARAM_ERROR},
};
static_assert(cli_rows_valid(MAC_ROWS));
constexpr auto MAC_GETOPT = cli_getopt_tables(MAC_ROWS);
constexpr const char* short_mac_options = MAC_GETOPT.Short.data();
constexpr const option* long_mac_options = MAC_GETOPT.Long.data();

// By address kind.
constexpr struct {
    const char* pchSetFailed;
    const char* pchGetFailed;
} MAC_FAILED[] = {
    {"There was a problem with setting source mac address!",
     "There was a problem with getting source mac address!"},
    {"There was a problem with setting dest mac address!",
     "There was a problem with getting dest mac address!"},
    {"There was a problem with setting BSSID!", "There was a problem with getting BSSID!"},
};
static_assert(std::size(MAC_FAILED) == MAC_ROWS.size());

}  // namespace

const CliOptionTable mac_options = {MAC_ROWS, short_mac_options, long_mac_options, nullptr, nullptr};

int proc_set_mac(int argc, char** argv) {
    if (argc < 3) {
        puts("No param input!Please input params!");
        return -1;
    }
    CliOptionWalk walk = cli_options_begin(argc, argv, mac_options);
    while (cli_options_next(&walk)) {
        // getopt has reported an unknown option on standard error already.
        if (cli_find_option(mac_options, walk.Letter) == nullptr)
            continue;
        // A malformed address sends nothing: writing a wrong one, or none
        // while reporting success, would both mislead.
        CliOptionOut out{};
        if (cli_option_apply(mac_options, walk.Letter, walk.pchArg, nullptr, &out) != 0)
            return -1;
        if (RQM_SetMacAddr(cli_api(), static_cast<uint32_t>(out.Value), out.Mac) != RQM_SUCCESS) {
            puts(MAC_FAILED[out.Value].pchSetFailed);
            return -1;
        }
    }
    return 0;
}

int proc_get_mac(int, char**) {
    for (const CliOption& row : MAC_ROWS) {
        uint8_t mac[6] = {};
        if (RQM_GetMacAddr(cli_api(), static_cast<uint32_t>(row.Value), mac) != RQM_SUCCESS) {
            puts(MAC_FAILED[row.Value].pchGetFailed);
            return -1;
        }
        cli_print_mac(row.pchDone, mac);
    }
    return 0;
}

int proc_connect(int, char**) {
    if (RQM_Connect(cli_api()) != RQM_SUCCESS)
        return -1;
    return RQM_SDDConfig(cli_api(), static_cast<uint16_t>(g_rqm_config.SddConfigArg)) == RQM_SUCCESS ? 0 : -1;
}

int proc_disconnect(int, char**) {
    return RQM_Disconnect(cli_api()) == RQM_SUCCESS ? 0 : -1;
}

int proc_reconnect(int, char**) {
    return RQM_Reconnect(cli_api()) == RQM_SUCCESS ? 0 : -1;
}

int proc_soft_reset(int, char**) {
    return RQM_SoftReset(cli_api()) == RQM_SUCCESS ? 0 : -1;
}

int proc_sdd_config(int, char**) {
    return RQM_SDDConfig(cli_api(), static_cast<uint16_t>(g_rqm_config.SddConfigArg)) == RQM_SUCCESS ? 0 : -1;
}
