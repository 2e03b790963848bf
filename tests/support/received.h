// What a receive callback was handed, message by message, each cut to its
// MsgLen. The callback runs on the receive thread and the test reads on its
// own, so every access takes the lock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "common/hi_msg.h"

class Received {
public:
    // The callback, with the recorder as its user pointer.
    static void deliver(void* user, uint8_t* msg) { static_cast<Received*>(user)->add(msg); }

    void add(const uint8_t* msg) {
        std::lock_guard lock(m_);
        msgs_.emplace_back(msg, msg + hi_msg_len(msg));
        cv_.notify_all();
    }
    void clear() {
        std::lock_guard lock(m_);
        msgs_.clear();
    }
    std::vector<std::vector<uint8_t>> msgs() {
        std::lock_guard lock(m_);
        return msgs_;
    }
    // MsgId as it came, sequence bits and all.
    std::vector<uint16_t> ids() {
        std::lock_guard lock(m_);
        std::vector<uint16_t> out;
        for (const std::vector<uint8_t>& m : msgs_)
            out.push_back(hi_msg_id(m.data()));
        return out;
    }
    bool saw(uint16_t id) {
        for (uint16_t i : ids())
            if (i == id)
                return true;
        return false;
    }
    // True once count messages have come, false if they have not by limit.
    bool wait_for(size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, limit, [&] { return msgs_.size() >= count; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::vector<uint8_t>> msgs_;
};

// For a callback that hands the test no user pointer of its own (the API's
// indication callback): one recorder for the process.
inline Received g_received;

inline void receive(void*, uint8_t* msg) {
    g_received.add(msg);
}
