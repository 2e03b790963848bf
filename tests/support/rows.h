// What the table-driven tests share: rows that name their tests, and HI
// messages spelt field by field (HiBuild) as a test states what it expects
// or what a fake answers, the one way the tests write a message; then, for
// the front end's tables, lists written as one text, the arguments of a
// command called in this process, what a call printed, and the lines every
// command ends with. No socket, no stand-in: pure tests include it too.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/hi_msg.h"

using Bytes = std::vector<uint8_t>;
using Msgs = std::vector<Bytes>;  // HI messages, each as HiBuild writes it
using Ids = std::vector<unsigned>;

// One list, then another: what runs send one after the other.
template <typename T>
std::vector<T> operator+(std::vector<T> first, const std::vector<T>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// The line a call that failed with the code reports: its name, the code,
// and the code's name and hint, as the tool's result table has them.
inline std::string failed(const std::string& name, int code) {
    static const char* const kTexts[] = {
        "",
        "BOOT_ERR_DECODE\tFirmware error!",
        "BOOT_ERR_CHECKSUM\tFirmware error!",
        "BOOT_ERR_FILE_SIZE\tFirmware error!",
        "BOOT_ERR_BAD_OP\tInvalid operation!",
        "BOOT_ERR_CONNECTED\tRQM has already connected!",
        "BOOT_ERR_WLAN_MODE\tPlease turn off WIFI!",
        "RQM_ERR_NOT_CONNECT\tPlease connect first!",
        "RQM_ERR_IO_FAILED\tTry to solve it by reboot!",
        "RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!",
        "RQM_ERR_CHECK_VERSION\tPlease upgrade rqm cli version!",
    };
    const bool named = code > 0 && code < static_cast<int>(std::size(kTexts));
    return name + " failed (" + std::to_string(code) + ":" + (named ? kTexts[code] : "unknown error") + ")\n";
}

// Names each test of a parameterised suite after its row's `name`.
struct RowName {
    template <typename Row>
    std::string operator()(const testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};

// An HI message: MsgId, then the fields in order from +4, the 32-bit words
// given first. MsgLen is where the fields end unless msglen() says else
// (an answer cut short, or claiming more than came).
class HiBuild {
public:
    explicit HiBuild(uint16_t id, std::initializer_list<uint32_t> words = {}) : b_(4, 0) {
        hi_set_msg_id(b_.data(), id);
        for (uint32_t w : words)
            u32(w);
    }
    HiBuild& u8(uint32_t v) {
        b_.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    HiBuild& u16(uint32_t v) { return u8(v).u8(v >> 8); }
    HiBuild& u32(uint32_t v) { return u16(v).u16(v >> 16); }
    HiBuild& be32(uint32_t v) { return u8(v >> 24).u8(v >> 16).u8(v >> 8).u8(v); }
    HiBuild& zeros(size_t n) {
        b_.resize(b_.size() + n);
        return *this;
    }
    HiBuild& put(const uint8_t* p, size_t n) {
        b_.insert(b_.end(), p, p + n);
        return *this;
    }
    HiBuild& msglen(uint16_t n) {
        len_ = n;
        return *this;
    }
    operator Bytes() const {
        Bytes m = b_;
        hi_set_msg_len(m.data(), len_ != 0 ? len_ : static_cast<uint16_t>(m.size()));
        return m;
    }

private:
    Bytes b_;
    uint16_t len_ = 0;
};

// The parts of text between separators; empty parts are left out.
inline std::vector<std::string> split(const std::string& text, char sep = ' ') {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, sep);)
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

// "key=value" parts of text, sep between them.
inline std::vector<std::pair<std::string, std::string>> pairs(const std::string& text, char sep = ';') {
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& kv : split(text, sep)) {
        const size_t eq = kv.find('=');
        out.emplace_back(kv.substr(0, eq), eq == std::string::npos ? "" : kv.substr(eq + 1));
    }
    return out;
}

// argc and argv of a command called in this process: the program's name,
// then the words (split at blanks).
class Argv {
public:
    explicit Argv(const std::string& words, const char* program = "rqmcli")
        : words_(split(std::string(program) + " " + words)) {
        for (std::string& w : words_)
            ptrs_.push_back(w.data());
        ptrs_.push_back(nullptr);
    }
    Argv(const Argv&) = delete;
    Argv& operator=(const Argv&) = delete;

    int argc() const { return static_cast<int>(words_.size()); }
    char** argv() { return ptrs_.data(); }

private:
    std::vector<std::string> words_;
    std::vector<char*> ptrs_;
};

// What fn printed on stdout.
template <typename Fn>
std::string printed(Fn&& fn) {
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

// The line a command closes with.
inline const std::string kOk = "Sending CMD OK!\n";
inline const std::string kError = "Sending CMD error!\n";
