// The HI messages a stand-in received, parsed, so that a test states what
// went out in one line:
//
//     EXPECT_EQ(r.wire.one(757).words(), (Words{0, 0x0B}));
//     EXPECT_EQ(r.wire.ids({993, 994}), (std::vector<unsigned>{993, 994}));
//
// What a test expects is written with HiBuild (tests/support/rows.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

using Words = std::vector<uint32_t>;

// One message as it arrived, cut to its MsgLen (shorter only when fewer
// bytes came).
struct HiMsg {
    std::vector<uint8_t> bytes;

    unsigned id() const;   // MsgId without the sequence bits
    unsigned seq() const;  // bits 13-15 of MsgId
    unsigned len() const;  // MsgLen
    // Little-endian fields by offset; a field past the end fails the test
    // and reads 0.
    uint8_t u8(size_t off) const;
    uint16_t u16(size_t off) const;
    uint32_t u32(size_t off) const;
    // The whole 32-bit words from `from` on; from 4 they are every word
    // after MsgLen and MsgId, as the message builders take them.
    Words words(size_t from = 4) const;

    bool operator==(const HiMsg&) const = default;
};

void PrintTo(const HiMsg& m, std::ostream* os);

// Messages as a test writes them (HiBuild), to compare with what came:
//
//     EXPECT_EQ(r.wire.with({55}), hi_msgs({HiBuild(55, {0, 2}).zeros(8)}));
std::vector<HiMsg> hi_msgs(const std::vector<std::vector<uint8_t>>& msgs);

class HiLog {
public:
    HiLog() = default;
    // From whole datagrams as the stand-in logs them, netlink header first.
    explicit HiLog(const std::vector<std::vector<uint8_t>>& datagrams);

    const std::vector<HiMsg>& all() const { return msgs_; }
    bool empty() const { return msgs_.empty(); }
    size_t size() const { return msgs_.size(); }

    // In the order they came; only those with these ids, or all for none.
    // A message shorter than MsgLen and MsgId is in all() alone.
    std::vector<HiMsg> with(const std::vector<unsigned>& ids = {}) const;
    std::vector<HiMsg> without(const std::vector<unsigned>& ids) const;
    std::vector<unsigned> ids(const std::vector<unsigned>& only = {}) const;
    std::vector<std::vector<uint8_t>> bytes(const std::vector<unsigned>& only = {}) const;
    // The words from 4 of each message with the id.
    std::vector<Words> words(unsigned id) const;
    size_t count(unsigned id) const;
    bool has(unsigned id) const { return count(id) > 0; }
    // The one message with the id; any other count fails the test and
    // gives an empty message.
    HiMsg one(unsigned id) const;
    // The messages of a later stretch, after these.
    HiLog& operator+=(const HiLog& later);

private:
    std::vector<HiMsg> msgs_;
};
