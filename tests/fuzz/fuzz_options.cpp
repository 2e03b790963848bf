// Arbitrary command lines through the option parser of every command that
// takes options: the words after the command word go through
// cli_parse_options over the command's option table, into the settings
// record and the globals the option hooks set. Each word sits in a buffer
// of exactly its length and NUL, so a look past it is an ASan report; an
// index a hook leaves outside its table is a trap.
//
// Input: a byte choosing the table, then the words, separated by NUL.
// fuzz-sources: cli/*.cpp api/*.cpp transport/*.cpp common/*.cpp
// fuzz-sources: !cli/rqmcli.cpp !transport/netlink_peer_kernel.cpp !transport/netlink_peer_unix.cpp
// fuzz-sources: !api/api_variant_hf.cpp !transport/transport_variant_hf.cpp
#include <getopt.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/main.h"
#include "cli/options.h"

namespace {

void require(bool ok) {
    if (!ok)
        __builtin_trap();
}

struct Table {
    const char* word;
    const CliOptionTable* table;
};

const Table kTables[] = {
    {"tx", &tx_options},       {"tone", &tone_options},  {"rate", &rate_options},
    {"set_mac", &mac_options}, {"memory", &mem_options}, {"help", &help_options},
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The options' own lines; getopt's complaints go nowhere either.
    opterr = 0;
    if (freopen("/dev/null", "w", stdout) == nullptr)
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 4096)
        return 0;
    const Table& t = kTables[data[0] % (sizeof kTables / sizeof kTables[0])];
    std::vector<char*> argv;
    argv.push_back(strdup("rqmcli"));
    argv.push_back(strdup(t.word));
    const char* p = reinterpret_cast<const char*>(data + 1);
    const char* end = reinterpret_cast<const char*>(data + size);
    while (p < end && argv.size() < 64) {
        const char* nul = static_cast<const char*>(memchr(p, '\0', static_cast<size_t>(end - p)));
        const size_t n = static_cast<size_t>((nul != nullptr ? nul : end) - p);
        char* word = static_cast<char*>(malloc(n + 1));
        require(word != nullptr);
        memcpy(word, p, n);
        word[n] = '\0';
        argv.push_back(word);
        p += n + 1;
    }
    const std::vector<char*> words = argv;  // getopt may reorder argv
    argv.push_back(nullptr);

    InitSettings(&setting);
    cli_parse_options(static_cast<int>(words.size()), argv.data(), *t.table);
    // The rate position is one past the table when no rate matched, never
    // further.
    require(g_iRateIndex >= 0 && g_iRateIndex <= TX_RATE_COUNT);

    for (char* w : words)
        free(w);
    return 0;
}
