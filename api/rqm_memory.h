// Chip memory, registers and the firmware's parameter block through the
// test firmware. Every function takes the API context first and returns a
// result code; a nonzero one is reported under the function's name.
// Outputs are stored from a whole answer, whatever its status said; an
// answer cut short is result 1, and nothing is stored from it.
#pragma once

#include <cstdint>

struct RqmApiContext;

// ---- Memory and registers ----

// Bytes of chip memory, read 1024 at a time. A chunk the firmware refuses
// is still stored and the later ones read: the first refusal is the
// result. A chunk without a whole answer ends the read with its code,
// leaving that chunk and the rest of the buffer as they were.
int RQM_ReadMemory(RqmApiContext* pRqmApiContext, uint32_t Address, void* pBuffer, uint32_t Length);
int RQM_WriteMemory(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t Value);
// Bytes at any address, in messages as large as the firmware and the
// channel take; 3 when the firmware has announced no size that carries a
// byte (nothing announced in this run counts as none).
int RQM_WriteMemoryRange(RqmApiContext* pRqmApiContext, uint32_t Address, const void* pData, uint32_t Length);
// Consecutive words from Address, 256 a message.
int RQM_WriteRegBlk(RqmApiContext* pRqmApiContext, uint32_t Address, const uint32_t* pWords, uint32_t Count);
// Lists of registers: reads 256 a message, as memory is read (the first
// refusal is the result; a message without a whole answer ends them with
// its code), writes 128 a message (the first failure ends them).
int RQM_ReadRegsterEx(RqmApiContext* pRqmApiContext, const uint32_t* pAddrs, uint32_t* pValues,
                      uint32_t Count);
int RQM_WriteRegsterEx(RqmApiContext* pRqmApiContext, const uint32_t* pAddrs, const uint32_t* pValues,
                       uint32_t Count);
int RQM_ReadRegister(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t* pValue);
int RQM_WriteRegister(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t Value);
int RQM_HwReadReg(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t* pValue);
int RQM_HwWriteReg(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t Value);
// PRCM registers; 26 in a program without them.
int RQM_ReadPRCMRegister(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t* pValue);
int RQM_WritePRCMRegister(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t Value);
// A register-value text file ("0x%08x,0x%08x" records), 16 pairs a
// message; 37 when it cannot be read or a record does not convert.
int RQM_BlockRegInit(RqmApiContext* pRqmApiContext, const char* pchPath);

// ---- RF access ----

// One register over the RF access path; the com-bus mode must be 1.
int RQM_ReadRegisterRfAccess(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t* pValue,
                             uint32_t RfParam);
// With the com-bus mode switched to 1 for the call and set back after it.
// Reads fill ceil(Length / 4) words of pBuffer.
int RQM_ReadMemoryRfAccess(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t* pBuffer,
                           uint32_t Length, uint32_t RfParam);
int RQM_WriteMemoryRfAccess(RqmApiContext* pRqmApiContext, uint32_t Address, uint32_t Value);
int RQM_BlockRegInitRfAccess(RqmApiContext* pRqmApiContext, const char* pchPath);

// The communication-bus mode, 0 to 2, of which the RF access path needs
// 1; out-of-range values and a null context or output are refused without
// a report.
inline constexpr int RQM_COM_BUS_MODE_MAX = 2;
inline constexpr uint32_t RQM_COM_BUS_MODE_RF = 1;
int RQM_SetComBusMode(RqmApiContext* pRqmApiContext, int Mode);
int RQM_GetComBusMode(RqmApiContext* pRqmApiContext, uint32_t* pMode);

// ---- GPIO ----

int RQM_GPIO_Setup(RqmApiContext* pRqmApiContext, uint8_t Pin, uint16_t Config);
int RQM_GPIO_Read(RqmApiContext* pRqmApiContext, uint16_t* pValue);
int RQM_GPIO_Write(RqmApiContext* pRqmApiContext, uint8_t Pin, uint16_t Value);
int RQM_GPIO_ResetTestMode(RqmApiContext* pRqmApiContext, uint16_t* pValue);
int RQM_GPIO_SetTestMode(RqmApiContext* pRqmApiContext);

// ---- Parameter block ----

// Words of the firmware's parameter block, as byte offsets from its base
// (MibBaseAddress), with the fields the tool gives them.
inline constexpr uint32_t MIB_GUARD_INTERVAL_OFF = 0;
inline constexpr uint32_t MIB_GUARD_INTERVAL_SHORT = 0x0040;  // 400 ns; clear: 800 ns
inline constexpr uint32_t MIB_TX_CONTROL_WORD_OFF = 4;        // TxControlWord
inline constexpr uint32_t TX_CONTROL_POWER_MASK = 0x000F;     // power index 0..15
inline constexpr uint32_t TX_CONTROL_MODE_MASK = 0x1C00;
inline constexpr uint32_t TX_CONTROL_MODE_SHIFT = 10;
inline constexpr uint32_t TX_CONTROL_BW40 = 0x2000;              // bandwidth value 2
inline constexpr uint32_t TX_CONTROL_LOWER_SUBCHANNEL = 0x4000;  // sub-channel value 0 (rqmcli-hf: 1)
inline constexpr uint32_t MIB_TX_RATE_OFF = 8;
inline constexpr uint32_t MIB_PACKET_LENGTH_OFF = 12;
inline constexpr uint32_t MIB_FRAME_FORMAT_OFF = 16;
inline constexpr uint32_t FRAME_FORMAT_MAC_HEADER = 0x1;
inline constexpr uint32_t FRAME_FORMAT_CRC = 0x2;
inline constexpr uint32_t MIB_TX_START_OFF = 20;  // 1 as the last step before a transmission
inline constexpr uint32_t MIB_IFS_OFF = 84;
inline constexpr uint32_t MIB_TX_DURATION_OFF = 264;
inline constexpr uint32_t MIB_FREQ_OFFSET_OFF = 296;  // 0..127

// Length bytes of the block from Offset (a multiple of 4), read as memory.
int RQM_GetMib(RqmApiContext* pRqmApiContext, uint32_t Offset, uint32_t Length, void* pOut);
// One word of the block, written by the firmware's own request.
int RQM_SetMib(RqmApiContext* pRqmApiContext, uint32_t Offset, uint32_t Value);
