#include "sim/sim_util.h"

#include "common/parse_u32.h"

#include <time.h>

std::string sim_hex(const uint8_t* p, size_t n) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string s(n * 2, '0');
    for (size_t i = 0; i < n; ++i) {
        s[2 * i] = digits[p[i] >> 4];
        s[2 * i + 1] = digits[p[i] & 15];
    }
    return s;
}

static int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool sim_parse_hex(std::string_view text, std::vector<uint8_t>* out) {
    if (text.empty() || text.size() % 2 != 0)
        return false;
    std::vector<uint8_t> bytes(text.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int hi = hex_digit(text[2 * i]);
        const int lo = hex_digit(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    *out = std::move(bytes);
    return true;
}

bool sim_parse_u32(std::string_view text, uint32_t* out) {
    return rqm_parse_u32(text, out);
}

static bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string_view> sim_tokens(std::string_view text) {
    std::vector<std::string_view> toks;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && is_space(text[i]))
            ++i;
        const size_t start = i;
        while (i < text.size() && !is_space(text[i]))
            ++i;
        if (i > start)
            toks.push_back(text.substr(start, i - start));
    }
    return toks;
}

std::string_view sim_rest(std::string_view text, std::string_view tok) {
    std::string_view rest = text.substr(static_cast<size_t>(tok.data() - text.data()));
    while (!rest.empty() && is_space(rest.back()))
        rest.remove_suffix(1);
    return rest;
}

uint32_t sim_word(const std::map<uint32_t, uint32_t>& words, uint32_t addr) {
    auto it = words.find(addr);
    return it == words.end() ? 0 : it->second;
}

void sim_put_word(std::map<uint32_t, uint32_t>* words, uint32_t addr, uint32_t value) {
    if (value == 0)
        words->erase(addr);
    else
        (*words)[addr] = value;
}

int64_t sim_now_ms() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
