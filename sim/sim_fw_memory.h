// The firmware's memory model: the chip's memory words, its registers and
// the parameter block, which lies in the same address space at the Mib
// base the firmware announces. The memory and register requests, the
// parameter-block access, PRCM and GPIO registers and the com-bus mode
// belong here.
#pragma once

#include <array>
#include <cstdint>
#include <map>

struct SimFirmware;
struct SimPart;

inline constexpr unsigned SIM_MIB_SIZE = 4096;  // parameter block bytes at the Mib base

struct SimMemory {
    std::map<uint32_t, uint32_t> words;  // sparse, word-addressed; unset words read 0
    std::map<uint32_t, uint32_t> regs;   // sparse register file
    std::array<uint8_t, SIM_MIB_SIZE> mib;
};

// Memory words; addr must be 4-aligned. Within SIM_MIB_SIZE bytes from
// the Mib base they are the parameter block's.
uint32_t fw_mem_read(const SimFirmware& fw, uint32_t addr);
void fw_mem_write(SimFirmware* fw, uint32_t addr, uint32_t value);

extern const SimPart sim_memory_part;
