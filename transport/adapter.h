// The request/confirm broker: one request at a time goes out through the
// Target and waits for its confirmation with a timeout and attempts.
#pragma once

#include <semaphore.h>

#include <cstdint>

struct RqmApiContext;

// Waits on sem for at most sec seconds and nsec nanoseconds from now.
// 0 when taken, -1 when the time ran out or the clock could not be read.
int time_lock(sem_t* sem, uint32_t sec, long nsec);
int get_ms_time();

int Adapter_Init(RqmApiContext* pRqmApiContext);
void Adapter_Exit(RqmApiContext* pRqmApiContext);
int Adapter_Request(RqmApiContext* pRqmApiContext, uint8_t* pReq, uint8_t* pCnf, uint32_t CnfSize);
int Adapter_Request_Connect(RqmApiContext* pRqmApiContext, uint8_t* pReq, uint8_t* pCnf, uint32_t CnfSize);
void Adapter_Receive(void* pRqmApiContext, uint8_t* pMsg);
int Adapter_CheckAndDisplayError(RqmApiContext* pRqmApiContext, int ErrorCode);

// Reads the firmware facts of a startup indication of at least 160 bytes
// into the context (the connect handshake, start and reconnect share it).
void Adapter_TakeStartupFacts(RqmApiContext* pRqmApiContext, const uint8_t* pInd);
