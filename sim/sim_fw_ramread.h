// The firmware's RAM log: blocks of data it leaves for the host in two
// buffers of AHB memory, each announced by a flag-and-length word (bit 31:
// a block waits; bits 0-30: its length). The host takes a block and writes
// 0 to the word to hand the buffer back. The buffers and words are words of
// the driver's AHB space, so the host reads them with the driver's
// register requests (1014, 1015).
#pragma once

#include <array>
#include <cstdint>

struct SimModel;
struct SimPart;

inline constexpr uint32_t SIM_RAM_FLAG_ADDR = 0x01817BF8;  // buffer 0's word; buffer 1's at +4
inline constexpr uint32_t SIM_RAM_BUFFER_ADDR = 0x01817C00;
inline constexpr uint32_t SIM_RAM_BUFFER_SIZE = 2560;  // buffer 1 follows buffer 0
inline constexpr uint32_t SIM_RAM_READY = 0x80000000;

// blocks: still to produce; length: what each announces (above 2560 too,
// with 2560 bytes of data); pace: ms between two announcements (0: as soon
// as a buffer is free); sticky: the host's clear is answered but leaves the
// word set; produced, taken: blocks announced, and clears of announced
// words.
enum SimRamField { RAM_BLOCKS, RAM_LENGTH, RAM_PACE, RAM_STICKY, RAM_PRODUCED, RAM_TAKEN, RAM_FIELDS };

struct SimRamRead {
    std::array<uint32_t, RAM_FIELDS> f;
    bool announced_any;
    int64_t last_ms;  // when the last block was announced
};

// A block's bytes: byte i of block k (counted from the reset) is
// (k + i) mod 256.
uint8_t sim_ram_byte(uint32_t block, uint32_t i);

// The driver's AHB requests ask here first: a read that covers a flag word
// makes the firmware announce what is due by now_ms; a write to a flag word
// is the host's clear, taken here (true) rather than stored as it is.
void sim_ramread_before_read(SimModel* m, uint32_t addr, uint32_t count, int64_t now_ms);
bool sim_ramread_write(SimModel* m, uint32_t addr, uint32_t value);

extern const SimPart sim_ramread_part;
