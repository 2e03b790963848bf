// The firmware's receive and tone-generator model. The receive engine
// counts frames while it runs: frames the control injects, and frames a
// generator adds at a preset rate, both kept across the tool's runs until
// the next start. It keeps the last frame's information and bytes, the
// receive settings of the one-word requests, and the RX control word of
// chip memory. The tone generator keeps the words of its last request.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct SimPart;

// The engine, one word per field, named so that the control presets any
// field without a key of its own. rate: frames a second the generator adds
// while the engine runs; ctrl: the RX control word.
enum SimRxField {
    RX_RUNNING,
    RX_TOTAL,
    RX_ERRORS,
    RX_CRC_ERRORS,
    RX_RATE,
    RX_CTRL,
    RX_PHY_STATS,
    RX_FILTER,
    RX_FILTER_TYPES,
    RX_ACK_DELAY,
    RX_NAV,
    RX_NAV_TYPE,
    RX_MONITOR,
    RX_FIELDS
};
extern const std::array<const char*, RX_FIELDS> sim_rx_field_names;

// The last frame's information, as the frame-capture request returns it;
// the generator's frames carry it too. valid: a frame arrived since the
// engine last started.
enum SimRxFrameField {
    FRAME_VALID,
    FRAME_TSF,
    FRAME_LENGTH,
    FRAME_RATE,
    FRAME_START0,
    FRAME_END0,
    FRAME_END1,
    FRAME_PHY_ERROR,
    FRAME_BUF_ADDR,
    FRAME_FIELDS
};
extern const std::array<const char*, FRAME_FIELDS> sim_rx_frame_field_names;

// The tool's receive buffer holds 3000 bytes: a receive-data answer, its
// 20-byte head included, never carries more.
inline constexpr unsigned SIM_RX_BUFFER_SIZE = 3000;
inline constexpr unsigned SIM_RX_DATA_HEAD_SIZE = 20;
inline constexpr unsigned SIM_RX_CAPTURE_MAX = SIM_RX_BUFFER_SIZE - SIM_RX_DATA_HEAD_SIZE;

// The chip address of the RX control word.
inline constexpr uint32_t SIM_RX_CTRL_ADDR = 0x8ABB8004;

inline constexpr unsigned SIM_TONE_WORDS = 4;

struct SimRx {
    std::array<uint32_t, RX_FIELDS> engine;
    std::array<uint32_t, FRAME_FIELDS> frame;
    std::vector<uint8_t> capture;  // the last frame's bytes, at most SIM_RX_CAPTURE_MAX
    std::array<uint32_t, SIM_TONE_WORDS> tone;
    int64_t gen_origin_ms;  // when the generator began its count
    uint64_t gen_counted;   // frames it has added since
};

// Counts the frames the generator has made by now_ms (monotonic ms).
void sim_rx_advance(SimRx* rx, int64_t now_ms);
// The generator begins its count afresh at now_ms.
void sim_rx_restart_clock(SimRx* rx, int64_t now_ms);

// Chip memory the receive engine owns (the RX control word): true and the
// value when addr is one of its words. The memory model's reads and writes
// of chip memory go here first.
bool sim_rx_mem_read(const SimRx& rx, uint32_t addr, uint32_t* value);
bool sim_rx_mem_write(SimRx* rx, uint32_t addr, uint32_t value);

extern const SimPart sim_rx_part;
