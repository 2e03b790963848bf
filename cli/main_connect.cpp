// Commands that put the chip into and out of test mode, and its MAC
// addresses.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "api/rqm_api.h"
#include "main.h"

namespace {

struct MacKind {
    char Option;
    uint32_t Kind;
    const char* pchLabel;
    const char* pchSetFailed;
    const char* pchGetFailed;
};

constexpr MacKind MAC_KINDS[] = {
    {'s', 0, "Source mac address:\t", "There was a problem with setting source mac address!",
     "There was a problem with getting source mac address!"},
    {'d', 1, "Dest mac address:\t", "There was a problem with setting dest mac address!",
     "There was a problem with getting dest mac address!"},
    {'t', 2, "BSSID:\t\t\t", "There was a problem with setting BSSID!",
     "There was a problem with getting BSSID!"},
};

constexpr char short_mac_options[] = "d:s:t:";
constexpr size_t MAC_TEXT_LEN = 17;

void print_mac(const char* label, const uint8_t* mac) {
    printf("%s%02X:%02X:%02X:%02X:%02X:%02X\n", label, mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
}

// Six groups of two hex digits at 0, 3, ..., 15; what stands between them
// is not looked at.
bool parse_mac(const char* text, uint8_t* mac) {
    if (strlen(text) != MAC_TEXT_LEN)
        return false;
    for (int i = 0; i < 6; ++i) {
        const char* group = text + 3 * i;
        if (!isxdigit(static_cast<unsigned char>(group[0])) ||
            !isxdigit(static_cast<unsigned char>(group[1])))
            return false;
        const char digits[3] = {group[0], group[1], '\0'};
        mac[i] = static_cast<uint8_t>(strtol(digits, nullptr, 16));
    }
    return true;
}

const MacKind* mac_kind(int option) {
    for (const MacKind& k : MAC_KINDS)
        if (k.Option == option)
            return &k;
    return nullptr;
}

RqmApiContext* api() {
    return g_rqm_config.pRqmApiContext;
}

}  // namespace

int proc_set_mac(int argc, char** argv) {
    if (argc < 3) {
        puts("No param input!Please input params!");
        return -1;
    }
    optind = 0;
    int opt;
    while ((opt = getopt_long(argc - 1, argv + 1, short_mac_options, long_mac_options, nullptr)) != -1) {
        const MacKind* kind = mac_kind(opt);
        if (kind == nullptr)
            continue;
        // A malformed address sends nothing: writing a wrong one, or none
        // while reporting success, would both mislead.
        uint8_t mac[6];
        if (!parse_mac(optarg, mac)) {
            puts("There is a param error!");
            return -1;
        }
        print_mac(kind->pchLabel, mac);
        if (RQM_SetMacAddr(api(), kind->Kind, mac) != RQM_SUCCESS) {
            puts(kind->pchSetFailed);
            return -1;
        }
    }
    return 0;
}

int proc_get_mac(int, char**) {
    for (const MacKind& k : MAC_KINDS) {
        uint8_t mac[6] = {};
        if (RQM_GetMacAddr(api(), k.Kind, mac) != RQM_SUCCESS) {
            puts(k.pchGetFailed);
            return -1;
        }
        print_mac(k.pchLabel, mac);
    }
    return 0;
}

int proc_connect(int, char**) {
    if (RQM_Connect(api()) != RQM_SUCCESS)
        return -1;
    return RQM_SDDConfig(api(), static_cast<uint16_t>(g_rqm_config.SddConfigArg)) == RQM_SUCCESS ? 0 : -1;
}

int proc_disconnect(int, char**) {
    return RQM_Disconnect(api()) == RQM_SUCCESS ? 0 : -1;
}

int proc_reconnect(int, char**) {
    return RQM_Reconnect(api()) == RQM_SUCCESS ? 0 : -1;
}

int proc_soft_reset(int, char**) {
    return RQM_SoftReset(api()) == RQM_SUCCESS ? 0 : -1;
}

int proc_sdd_config(int, char**) {
    return RQM_SDDConfig(api(), static_cast<uint16_t>(g_rqm_config.SddConfigArg)) == RQM_SUCCESS ? 0 : -1;
}
