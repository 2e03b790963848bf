// What the table-driven tests share: rows that name their tests, and HI
// messages spelt field by field as a test states what it expects or what a
// fake answers. No socket, no stand-in: pure tests include it too.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "common/hi_msg.h"

using Bytes = std::vector<uint8_t>;

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
