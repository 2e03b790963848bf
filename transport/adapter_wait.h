// The broker's wait for an answer, shared by its request path (adapter.cpp)
// and the firmware start (adapter_start.cpp). Not for other layers.
#pragma once

#include <cstdint>

struct RqmApiContext;

// Request bytes the awaited answer must repeat at the same offsets.
struct AdapterEcho {
    const uint8_t* pBytes = nullptr;
    uint32_t Off = 0;
    uint32_t Len = 0;  // 0: the id alone tells
};

// Awaits the message id, of at most size bytes, dropping posts that
// answers nobody took any more left behind.
void adapter_expect(RqmApiContext* ctx, uint16_t id, uint32_t size, AdapterEcho echo = {});
// Ends the wait and copies out the answer, if one was taken: its length,
// or 0.
uint32_t adapter_take_answer(RqmApiContext* ctx, uint8_t* dst, uint32_t room);
