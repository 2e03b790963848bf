// The driver-channel target: the receive thread that classifies every
// incoming HI message, and the window and boot flags the sending side uses.
#pragma once

#include <pthread.h>

#include <array>
#include <atomic>
#include <cstdint>

#include "common/rqm_sync.h"

struct TargetContext;

inline constexpr unsigned TARGET_CLI_RX_BUFFER_SIZE = 3000;
inline constexpr char TARGET_CLI_RX_THREAD_NAME[] = "rqm-rx";

typedef void (*TargetCliRxCb)(void* pUser, uint8_t* pMsg);

// Every flag and counter below is shared between the receive thread and the
// sender, hence atomic; each keeps its plain 32-bit meaning.
struct TargetCliContext {
    TargetContext* pTarget;
    std::atomic<uint32_t> bRxReset;
    std::atomic<uint32_t> bExit;
    std::atomic<uint32_t> bBootInd;
    std::atomic<uint32_t> bBootLoaderReady;
    std::atomic<uint32_t> bSddOk;
    std::atomic<uint32_t> SendWindow;
    std::atomic<uint32_t> TxSeq;
    std::atomic<uint32_t> CnfCount;
    std::atomic<uint32_t> RxSeq;
    TargetCliRxCb pfnRxCb;
    void* pRxCbUser;
    std::array<uint8_t, TARGET_CLI_RX_BUFFER_SIZE> RxBuffer;
    // Written by TargetCli_Exit to end the thread's wait in poll at once.
    int WakeFd;
    // A sender waiting for room in the send window sleeps on WindowCv; the
    // receive thread wakes it when a confirmation is counted or a startup
    // indication resets the window, and the stopper when the target stops.
    RqmMutex WindowLock;
    RqmCond WindowCv;
    uint32_t WindowWaiters;  // senders inside the window wait; under WindowLock
};

extern pthread_t tID;                   // the receive thread; 0 when none runs
extern std::atomic<int> rxed_boot_ind;  // set by every BOOT indication, never cleared

TargetCliContext* TargetCli_Create(TargetContext* pTarget);
// Returns 1 when the receive thread runs, 0 when it could not be started.
int TargetCli_Init(TargetCliContext* p, uint16_t UartPort, const char* UartCfg, TargetCliRxCb pfnRxCb,
                   void* pRxCbUser);
void TargetCli_Exit(TargetCliContext* p);

// One step of the receive thread: RxBuffer holds length bytes, the last
// datagram included. Classifies the first message in it, hands it on if it
// is usable, and returns how many bytes stay held for the next datagram.
uint32_t TargetCli_HandleRx(TargetCliContext* p, uint32_t length);

// Sending side.
int TargetCli_Request(TargetCliContext* p, uint8_t MsgId, void* pData, uint32_t DataLen, uint32_t ReplyLen);
int TargetCli_SendToAdapter(TargetCliContext* p, uint8_t* pMsg, uint8_t Resend, uint32_t WaitMs);
int TargetCli_WriteHiMsg(TargetCliContext* p, const uint8_t* pMsg);
int Cli_Stop(TargetCliContext* p);
int TargetCli_Stop(TargetCliContext* p);
int TargetCli_Disconnect(TargetCliContext* p);
int TargetCli_Reconnect(TargetCliContext* p);
int TargetCli_WaitBootInd(TargetCliContext* p);
int TargetCli_Download(TargetCliContext* p, const uint8_t* pData, uint32_t Size, uint32_t Type);
int TargetCli_DownloadSDD(TargetCliContext* p, const uint8_t* pData, uint32_t Size, uint32_t Type);
int OpenCommPort(int, int, const char*);

// Prints the first MsgLen bytes of a message; msg must hold them.
void DumpHiMsg(const uint8_t* msg);
