// Transmission through the test firmware: the transmit settings kept in
// the parameter block, the packet buffers and their payloads, the transmit
// request in its plain, PRBS and all-in-one forms, and the firmware's
// transmit counters and configuration. Every function takes the API
// context first and reports a nonzero result under its own name.
#pragma once

#include <cstdint>

struct RqmApiContext;

// ---- Transmit settings in the parameter block ----
//
// Read-modify-writes of the transmit control word (parameter word 4) and
// the guard-interval word (0); the other bits of both stay as they were.
// A read that fails writes nothing.

// Mode 0 to 7 into bits 10-12; another mode gives 9 before anything is
// sent, since it would spill into the bandwidth and sub-channel bits.
inline constexpr int RQM_TX_MODE_MAX = 7;
int RQM_SetMode(RqmApiContext* pRqmApiContext, int Mode);
// The mode (0 to 7), or the code of the failed read: the two are not told
// apart.
int RQM_GetMode(RqmApiContext* pRqmApiContext);
int RQM_SetRate(RqmApiContext* pRqmApiContext, int Rate);
// Power index 0 to 15 into bits 0-3; above 15 gives 9, nothing sent.
int RQM_SetTxPower(RqmApiContext* pRqmApiContext, unsigned PowerIndex);
// Bandwidth 2 (40 MHz) sets bit 13; any other value clears it.
int RQM_SetTxBandWidth(RqmApiContext* pRqmApiContext, int Bandwidth);
int RQM_GetTxBandWidth(RqmApiContext* pRqmApiContext);  // bit 13, or the error code
// The lower sub-channel sets bit 14 (rqmcli: the value 0; rqmcli-hf: 1);
// any other value clears it.
int RQM_SetTxSubChannel(RqmApiContext* pRqmApiContext, int SubChannel);
int RQM_GetTxSubChannel(RqmApiContext* pRqmApiContext);  // bit 14 (1 lower), or the error code
// 1 (short, 400 ns) sets bit 6 of word 0; any other value clears it.
inline constexpr int RQM_GUARD_INTERVAL_LONG = 0;
inline constexpr int RQM_GUARD_INTERVAL_SHORT = 1;
int RQM_SetTxGuardInterval(RqmApiContext* pRqmApiContext, int GuardInterval);
int RQM_SetTxDurationField(RqmApiContext* pRqmApiContext, int Value);

// The crystal frequency offset, 0 to 127. In rqmcli, on the chip variant
// (word 18 of the tool-state record), it lives in bits 20-26 of a PRCM
// register; otherwise it is written to a parameter word and read back from
// the chip register the callers name.
inline constexpr uint32_t RQM_FREQ_OFFSET_REG = 0x0AC8015C;
inline constexpr uint32_t RQM_FREQ_OFFSET_PRCM = 0x40040058;
inline constexpr uint32_t RQM_FREQ_OFFSET_PRCM_SHIFT = 20;
inline constexpr uint32_t RQM_FREQ_OFFSET_PRCM_MASK = 0x7Fu << RQM_FREQ_OFFSET_PRCM_SHIFT;
inline constexpr int RQM_FREQ_OFFSET_MAX = 127;
// The offset, or -1 when the register cannot be read; 0 (255 reported)
// without a context.
int RQM_GetFreqOffset(RqmApiContext* pRqmApiContext, uint32_t Address);
// A value of 128 to 255 is taken as 127, with a warning. Then prints the
// offset read back from RQM_FREQ_OFFSET_REG (-1 unread) or, on the PRCM
// path, the one written, even when the write failed; a PRCM register
// that cannot be read is not written, and nothing is printed.
int RQM_SetFreqOffset(RqmApiContext* pRqmApiContext, uint32_t MibOffset, uint8_t Value);

// ---- Packet payloads and transmission ----

// The transmit request's command word: a counted burst (its count set by
// RQM_SetNumberOfTxPkts), a continuous transmission, or the stop; the PRBS
// bit ORed into the first two makes the payload a PRBS sequence.
typedef uint32_t TxCommand;
inline constexpr TxCommand TX_COMMAND_BURST = 1;
inline constexpr TxCommand TX_COMMAND_CONTINUOUS = 2;
inline constexpr TxCommand TX_COMMAND_STOP = 3;
inline constexpr TxCommand TX_COMMAND_PRBS = 4;

// One of the firmware's transmit packet buffers, 0 to 3, each of at most
// RQM_PACKET_MAX_BYTES.
typedef uint32_t PacketId;
inline constexpr PacketId RQM_PACKET_IDS = 4;
inline constexpr uint32_t RQM_PACKET_MAX_BYTES = 8192;

// One-word settings of the next transmission.
int RQM_ReceiveAck(RqmApiContext* pRqmApiContext, uint32_t ExpectAck);  // 0 or 1
int RQM_SetTxNav(RqmApiContext* pRqmApiContext, uint32_t Nav);
int RQM_SetBackoff(RqmApiContext* pRqmApiContext, uint32_t Backoff);
int RQM_TxSendSoundingFrame(RqmApiContext* pRqmApiContext, uint32_t Sounding);  // 0 or 1
int RQM_TxDelayBetweenTwoFrames(RqmApiContext* pRqmApiContext, uint32_t Delay);
int RQM_SelectPacketId(RqmApiContext* pRqmApiContext, PacketId Id);
int RQM_SetNumberOfTxPkts(RqmApiContext* pRqmApiContext, uint32_t Count);
// Sends its value with the request of the packet count.
int RQM_EnableSoundingFrame(RqmApiContext* pRqmApiContext, uint32_t Value);

// Loads a packet buffer in pieces as large as the firmware's messages and
// the channel allow. 3 when the firmware has announced no size that
// carries a piece (none is known before a startup indication in this run).
// A zero length sends one empty piece.
int RQM_DefinePacketPayload(RqmApiContext* pRqmApiContext, PacketId Id, const void* pPayload,
                            uint32_t Length);
// The bytes of a frame file (two-digit hex bytes, with comments); 37 when
// it cannot be read or converted.
int RQM_DefinePacketId(RqmApiContext* pRqmApiContext, PacketId Id, const char* pchPath);

// The transmit request. The counts (each output optional) are printed as
// "txed=%d, acked=%d"; a refusal of the firmware is a warning line, and
// the result is 0 once a whole answer came (rqmcli-hf: the refusal word).
// An answer cut short is 1, with nothing printed or written.
int RQM_TransmitPRBS(RqmApiContext* pRqmApiContext, TxCommand Command, uint32_t Seed, uint16_t Length,
                     uint32_t* pTxed, uint32_t* pAcked);
int RQM_TransmitPackets(RqmApiContext* pRqmApiContext, TxCommand Command, uint32_t* pTxed, uint32_t* pAcked);
// The whole set-up and the transmission in one call; for a counted burst,
// 42 when fewer or more packets went out than were asked for.
int RQM_TransmitPackets_Comprehensive(RqmApiContext* pRqmApiContext, TxCommand Command, uint32_t NumPackets,
                                      int Rate, int Mode, int ChanBandwidth, unsigned PowerIndex,
                                      uint32_t Delay, const void* pPayload, uint32_t Length,
                                      uint32_t Sounding, uint32_t ExpectAck, int EnablePhy, int Prbs);

// ---- Transmit statistics and configuration ----

// CCA sensitivity for transmission: type 0, 1 or 2, else 9 (with or
// without a context).
inline constexpr int RQM_CCA_TYPE_MAX = 2;
int RQM_SetCcaSensitiveTx(RqmApiContext* pRqmApiContext, int Type);

// The firmware's ten transmit counters, in the order its answer gives them.
struct TxStatistics {
    uint32_t Successes;
    uint32_t Acked;
    uint32_t FailPtcsAbort;
    uint32_t FailBtAbort;
    uint32_t Queued;
    uint32_t TtcsEnd;
    uint32_t AckTtcsEnd;
    uint32_t AckSuccess;
    uint32_t NtdStats;
    uint32_t FiqCount;
};

// The firmware's ten transmit counters, each output optional. Written
// once a whole answer came, whatever its status; one cut short is 1 and
// writes nothing.
int RQM_GetTxStatistics(RqmApiContext* pRqmApiContext, uint32_t* pSuccesses, uint32_t* pAcked,
                        uint32_t* pFailPtcsAbort, uint32_t* pFailBtAbort, uint32_t* pQueued,
                        uint32_t* pTtcsEnd, uint32_t* pAckTtcsEnd, uint32_t* pAckSuccess, uint32_t* pNtdStats,
                        uint32_t* pFiqCount);

// The firmware's transmit configuration, word by word in the order of its
// answer. pWords of RQM_GetFwTxConfig (seven words, or null) is its Word,
// written as the counters are.
enum FwTxConfigWord : unsigned {
    FW_TX_CONFIG_CTRL0,
    FW_TX_CONFIG_CTRL1,
    FW_TX_CONFIG_RATE,
    FW_TX_CONFIG_LENGTH,
    FW_TX_CONFIG_HT40_MPPDU,
    FW_TX_CONFIG_TX_BELOW,
    FW_TX_CONFIG_SHORT_GI,
};
inline constexpr unsigned RQM_FW_TX_CONFIG_WORDS = 7;
struct FwTxConfig {
    uint32_t Word[RQM_FW_TX_CONFIG_WORDS];
};
int RQM_GetFwTxConfig(RqmApiContext* pRqmApiContext, uint32_t* pWords);
