// Arbitrary bytes as the settings file: every key of the record read from
// them, and the reader asked for keys and sections at its limits. The text
// sits in a buffer of exactly its length, so a look past it is an ASan
// report; a value that is not a terminated text within its buffer, or a
// field a key does not own that changes, is a trap.
// fuzz-sources: cli/get_settings.cpp cli/numbers.cpp common/file_read.cpp common/print_hooks.cpp
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/cli_variant.h"
#include "cli/get_settings.h"

const RqmCliVariant g_cli_variant = {.TxSubchannelDefault = 1};

namespace {

void require(bool ok) {
    if (!ok)
        __builtin_trap();
}

const std::string kLongKey(CLI_PROFILE_KEY_MAX, 'k');
const std::string kLongSection(120, 's');

struct Lookup {
    const char* section;
    const char* key;
};

const Lookup kLookups[] = {
    {"Tx", "number"},   {"phy_control", "power_dbm"}, {"memory", "mem_addr"},           {"Tx", ""},
    {"", "number"},     {"Tx", kLongKey.c_str()},     {kLongSection.c_str(), "number"}, {"Tx]", "number"},
    {"Rx", "Rx_stop="},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > CLI_SETTINGS_MAX)
        return 0;
    char* text = static_cast<char*>(malloc(size > 0 ? size : 1));
    require(text != nullptr);
    memcpy(text, data, size);
    const CliProfileText file = {text, static_cast<uint32_t>(size)};

    CliSettings s;
    InitSettings(&s);
    s.src_path = "src";
    s.dest_path = "dest";
    s.freq_offset = 0x5A;
    cli_settings_from_text(file, &s);
    // Fields that no key names stay as they were.
    require(strcmp(s.src_path, "src") == 0 && strcmp(s.dest_path, "dest") == 0 && s.freq_offset == 0x5A);

    for (const Lookup& l : kLookups) {
        for (size_t room : {size_t{1}, size_t{2}, CLI_PROFILE_VALUE_SIZE}) {
            std::array<char, CLI_PROFILE_VALUE_SIZE + 1> value;
            value.fill('\xEE');
            const int found = cli_profile_string(file, l.section, l.key, std::span<char>(value.data(), room));
            require(found == 0 || found == -1);
            require(value[room] == '\xEE');
            if (found == 0)
                require(memchr(value.data(), '\0', room) != nullptr);
        }
    }
    free(text);
    return 0;
}
