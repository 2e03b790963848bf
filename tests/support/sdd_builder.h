// Builds SDD files for tests: elements of an id, a length and the data,
// with filler elements of invented ids and seeded pseudo-random bytes.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

struct SddBuilder {
    std::vector<uint8_t> bytes;
    std::mt19937 rng{2026};

    SddBuilder& element(uint8_t id, const std::vector<uint8_t>& data) {
        bytes.push_back(id);
        bytes.push_back(static_cast<uint8_t>(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
        return *this;
    }
    SddBuilder& version(uint8_t major, uint8_t minor) { return element(0xC0, {major, minor}); }
    // Filler ids stay clear of the ids the tool looks for.
    SddBuilder& filler(size_t length, uint8_t id = 0x21) {
        std::vector<uint8_t> data(length);
        for (auto& b : data)
            b = static_cast<uint8_t>(rng());
        return element(id, data);
    }
    // Filler elements until the file holds at least n bytes.
    SddBuilder& fill_to(size_t n) {
        while (bytes.size() + 2 < n)
            filler(std::min<size_t>(200, n - bytes.size() - 2),
                   static_cast<uint8_t>(0x30 + bytes.size() % 64));
        return *this;
    }
    SddBuilder& freq_offset(uint16_t value, size_t length = 2) {
        std::vector<uint8_t> data = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
        data.resize(length);
        return element(0xC9, data);
    }
    // A power table of entries (1/16 dB each), padded or cut to length bytes.
    SddBuilder& power(uint8_t id, const std::vector<uint16_t>& entries, size_t length = 24) {
        std::vector<uint8_t> data;
        for (uint16_t e : entries) {
            data.push_back(static_cast<uint8_t>(e));
            data.push_back(static_cast<uint8_t>(e >> 8));
        }
        while (data.size() < length)
            data.push_back(static_cast<uint8_t>(0xA0 + data.size()));
        data.resize(length);
        return element(id, data);
    }
    // Drops the last n bytes: the last element then runs past the end.
    SddBuilder& truncate(size_t n) {
        bytes.resize(bytes.size() - n);
        return *this;
    }
};
