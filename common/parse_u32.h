// A whole text as a 32-bit unsigned number: decimal, or hex after 0x.
// Shared by the stand-in and the programs that find it, so that both ends
// read one RQMSIM_PORT as one port.
#pragma once

#include <cstdint>
#include <string_view>

inline bool rqm_parse_u32(std::string_view text, uint32_t* out) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;
    uint64_t value = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (digit >= base)
            return false;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu)
            return false;
    }
    *out = static_cast<uint32_t>(value);
    return true;
}
