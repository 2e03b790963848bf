// The firmware's memory model: the chip's bytes over the whole 32-bit
// space, the parameter block, which lies in the same space at the Mib base
// the firmware announces, the hardware and PRCM registers, the GPIO pins
// and their test mode, and the com-bus mode that the RF access path needs.
#pragma once

#include <array>
#include <cstdint>
#include <map>

struct SimFirmware;
struct SimPart;

inline constexpr unsigned SIM_MIB_SIZE = 4096;   // parameter block bytes at the Mib base
inline constexpr unsigned SIM_PAGE_SIZE = 4096;  // memory is kept in pages of this many bytes
inline constexpr unsigned SIM_GPIO_PINS = 16;
// The firmware shows the low byte of parameter word 296 (the frequency
// offset) in the low byte of this register.
inline constexpr uint32_t SIM_FREQ_OFFSET_MIB_OFF = 296;
inline constexpr uint32_t SIM_FREQ_OFFSET_REG = 0x0AC8015C;

struct SimMemory {
    std::map<uint32_t, std::array<uint8_t, SIM_PAGE_SIZE>> pages;  // by page number; absent pages read 0
    std::array<uint8_t, SIM_MIB_SIZE> mib;                         // moves with the Mib base
    std::map<uint32_t, uint32_t> regs;                             // hardware registers (7, 8)
    uint32_t reg_status;                                           // 7, 8 answer it at 12; 8 writes only on 0
    std::map<uint32_t, uint32_t> prcm;                             // PRCM registers (272, 273)
    uint32_t com_bus_mode;                                         // RF access (58) needs 1
    bool gpio_test_mode;
    uint16_t gpio_levels;  // bit n: pin n, as a GPIO read answers
    std::array<uint16_t, SIM_GPIO_PINS> gpio_config;
};

// Memory bytes and little-endian words at any address; within
// SIM_MIB_SIZE bytes from the Mib base they are the parameter block's.
uint8_t fw_mem_read8(const SimFirmware& fw, uint32_t addr);
void fw_mem_write8(SimFirmware* fw, uint32_t addr, uint8_t value);
uint32_t fw_mem_read(const SimFirmware& fw, uint32_t addr);
void fw_mem_write(SimFirmware* fw, uint32_t addr, uint32_t value);

extern const SimPart sim_memory_part;
