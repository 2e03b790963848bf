// Small helpers shared by the stand-in, its control and its client: hex
// dumps, number and hex parsing, whitespace tokens, sparse word stores and
// the clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Lowercase hex, two digits a byte, no separators.
std::string sim_hex(const uint8_t* p, size_t n);
inline std::string sim_hex(const std::vector<uint8_t>& v) {
    return sim_hex(v.data(), v.size());
}

// Even count of hex digits, either case, nothing else. Empty text is refused:
// no command has a use for zero bytes and it is more often a typo.
bool sim_parse_hex(std::string_view text, std::vector<uint8_t>* out);

// Decimal or 0x hex, the whole 32-bit range, no sign, nothing trailing.
bool sim_parse_u32(std::string_view text, uint32_t* out);

// Whitespace-separated tokens; each view points into text.
std::vector<std::string_view> sim_tokens(std::string_view text);

// text from the start of token tok to its end, trailing whitespace dropped;
// tok must be a view into text. Used for the commands whose last argument
// is free text with spaces in it.
std::string_view sim_rest(std::string_view text, std::string_view tok);

// Sparse 32-bit words by address, as every register space of the model
// keeps them: an absent address reads 0, so storing 0 removes it.
uint32_t sim_word(const std::map<uint32_t, uint32_t>& words, uint32_t addr);
void sim_put_word(std::map<uint32_t, uint32_t>* words, uint32_t addr, uint32_t value);

// Monotonic milliseconds: the clock of every delayed answer.
int64_t sim_now_ms();
