// The request/confirm broker: one request at a time goes out through the
// Target and waits for its confirmation with a timeout and attempts.
#pragma once

#include <semaphore.h>

#include <cstdint>

#include "rqm_transport.h"  // SbusConfig
#include "start_request.h"

struct RqmApiContext;

// Waits on sem for at most sec seconds and nsec nanoseconds from now.
// 0 when taken, -1 when the time ran out or the clock could not be read.
int time_lock(sem_t* sem, uint32_t sec, long nsec);
int get_ms_time();

int Adapter_Init(RqmApiContext* pRqmApiContext);
void Adapter_Exit(RqmApiContext* pRqmApiContext);
int Adapter_Request(RqmApiContext* pRqmApiContext, uint8_t* pReq, uint8_t* pCnf, uint32_t CnfSize);
// Adapter_Request for a request whose confirmation repeats its EchoLen
// bytes at EchoOff (at most RQM_ECHO_MAX, within the request): only a
// confirmation that carries the same bytes there is its answer. One cut
// off before them cannot be told apart and is taken as before.
int Adapter_RequestEcho(RqmApiContext* pRqmApiContext, uint8_t* pReq, uint8_t* pCnf, uint32_t CnfSize,
                        uint32_t EchoOff, uint32_t EchoLen);
int Adapter_Request_Connect(RqmApiContext* pRqmApiContext, uint8_t* pReq, uint8_t* pCnf, uint32_t CnfSize);
void Adapter_Receive(void* pRqmApiContext, uint8_t* pMsg);
int Adapter_CheckAndDisplayError(RqmApiContext* pRqmApiContext, int ErrorCode);

// Reads the firmware facts of a startup indication of at least 160 bytes
// into the context (the connect handshake, start and reconnect share it).
void Adapter_TakeStartupFacts(RqmApiContext* pRqmApiContext, const uint8_t* pInd);
// rqmcli's step after the connect handshake: the platform code in the
// firmware label sets the chip-variant word of the tool-state record.
void Adapter_CheckPlatformCode(RqmApiContext* pRqmApiContext);

// Stores the SDD version when the file of size bytes starts with its
// version element; 1 then, else 0.
int GetSddVersion(RqmApiContext* pRqmApiContext, const uint8_t* pData, uint32_t Size);
// A new start request (start_request.h) for the path; the caller frees it
// with free(). Null after a report when the file cannot be read whole.
TargetStartRequest* MakeTargetStartRequest(RqmApiContext* pRqmApiContext, const char* pchPath);
int Adapter_Start(RqmApiContext* pRqmApiContext, const char* pchImagePath);
int Adapter_Reconnect(RqmApiContext* pRqmApiContext);
int Adapter_Stop(RqmApiContext* pRqmApiContext);
int Adapter_RawRequestToDriver(RqmApiContext* pRqmApiContext, uint8_t MsgId, void* pData, uint32_t DataLen,
                               uint32_t ReplyLen);
int Adapter_ProgramWupBit(RqmApiContext* pRqmApiContext, uint8_t Enable);
int Adapter_ConfigSbus(RqmApiContext* pRqmApiContext, const SbusConfig* pCfg);
