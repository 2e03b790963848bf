#include "tests/support/hi_log.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/hi_msg.h"
#include "tests/support/cli_run.h"

namespace {

bool fits(const HiMsg& m, size_t off, size_t width) {
    if (off + width <= m.bytes.size())
        return true;
    ADD_FAILURE() << width << " bytes at " << off << " lie past the end of " << testing::PrintToString(m);
    return false;
}

bool contains(const std::vector<unsigned>& ids, unsigned id) {
    if (ids.empty())
        return true;
    for (unsigned want : ids)
        if (want == id)
            return true;
    return false;
}

}  // namespace

unsigned HiMsg::id() const {
    return bytes.size() >= 4 ? hi_msg_id(bytes.data()) & HI_MSG_ID_MASK : 0;
}

unsigned HiMsg::seq() const {
    return bytes.size() >= 4 ? hi_msg_id(bytes.data()) >> HI_MSG_SEQ_SHIFT : 0;
}

unsigned HiMsg::len() const {
    return bytes.size() >= 2 ? hi_msg_len(bytes.data()) : 0;
}

uint8_t HiMsg::u8(size_t off) const {
    return fits(*this, off, 1) ? bytes[off] : 0;
}

uint16_t HiMsg::u16(size_t off) const {
    return fits(*this, off, 2) ? hi_rd16(bytes.data() + off) : 0;
}

uint32_t HiMsg::u32(size_t off) const {
    return fits(*this, off, 4) ? hi_rd32(bytes.data() + off) : 0;
}

Words HiMsg::words(size_t from) const {
    Words w;
    for (size_t off = from; off + 4 <= bytes.size(); off += 4)
        w.push_back(hi_rd32(bytes.data() + off));
    return w;
}

void PrintTo(const HiMsg& m, std::ostream* os) {
    *os << "HI " << m.id() << " (" << m.bytes.size() << " bytes:";
    for (uint8_t b : m.bytes) {
        char hex[4];
        snprintf(hex, sizeof hex, " %02x", b);
        *os << hex;
    }
    *os << ")";
}

HiLog::HiLog(const std::vector<std::vector<uint8_t>>& datagrams) {
    for (std::vector<uint8_t>& m : messages(datagrams))
        msgs_.push_back(HiMsg{std::move(m)});
}

std::vector<HiMsg> HiLog::with(const std::vector<unsigned>& ids) const {
    std::vector<HiMsg> out;
    for (const HiMsg& m : msgs_)
        if (m.bytes.size() >= 4 && contains(ids, m.id()))
            out.push_back(m);
    return out;
}

std::vector<HiMsg> HiLog::without(const std::vector<unsigned>& ids) const {
    std::vector<HiMsg> out;
    for (const HiMsg& m : with())
        if (!contains(ids, m.id()) || ids.empty())
            out.push_back(m);
    return out;
}

std::vector<unsigned> HiLog::ids(const std::vector<unsigned>& only) const {
    std::vector<unsigned> out;
    for (const HiMsg& m : with(only))
        out.push_back(m.id());
    return out;
}

std::vector<std::vector<uint8_t>> HiLog::bytes(const std::vector<unsigned>& only) const {
    std::vector<std::vector<uint8_t>> out;
    for (const HiMsg& m : with(only))
        out.push_back(m.bytes);
    return out;
}

std::vector<Words> HiLog::words(unsigned id) const {
    std::vector<Words> out;
    for (const HiMsg& m : with({id}))
        out.push_back(m.words());
    return out;
}

size_t HiLog::count(unsigned id) const {
    return with({id}).size();
}

HiLog& HiLog::operator+=(const HiLog& later) {
    msgs_.insert(msgs_.end(), later.msgs_.begin(), later.msgs_.end());
    return *this;
}

std::vector<HiMsg> hi_msgs(const std::vector<std::vector<uint8_t>>& msgs) {
    std::vector<HiMsg> out;
    for (const std::vector<uint8_t>& m : msgs)
        out.push_back(HiMsg{m});
    return out;
}

HiMsg HiLog::one(unsigned id) const {
    const std::vector<HiMsg> found = with({id});
    if (found.size() == 1)
        return found[0];
    ADD_FAILURE() << found.size() << " messages with id " << id << " where one was expected";
    return HiMsg{};
}
