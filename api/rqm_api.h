// The test API: one context per caller, integer result codes, and the
// callbacks through which the API hands text and indications back.
//
// A program that hosts the API includes this header (it brings the other
// public ones) and opens the driver channel itself before it starts a
// context (adapter_connect, transport/rqm_transport.h, included here).
#pragma once

#include <cstdint>

#include "common/driver_data.h"
#include "common/rqm_context.h"
#include "transport/rqm_transport.h"

// Lifecycle and setters. A null context gives 255.
RqmApiContext* RQM_Create(void* pUserCB_Context, RqmUiPutsCb pfnUI_Puts_Cb);
int RQM_SetBootLoaderPath(RqmApiContext* pRqmApiContext, const char* pchBootLoaderPath);
int RQM_SetFirmwarePath(RqmApiContext* pRqmApiContext, const char* pchFirmwarePath);
int RQM_SetSDDPath(RqmApiContext* pRqmApiContext, const char* pchSDDPath);
int RQM_SetRemoteMachineName(RqmApiContext* pRqmApiContext, const char* pchName);
int RQM_SetUARTCfg(RqmApiContext* pRqmApiContext, const char* pchUARTCfg);
// Connection types 1 to 5, of which the starters use three.
inline constexpr uint32_t RQM_CONNECTION_TYPE_MIN = 1;
inline constexpr uint32_t RQM_CONNECTION_TYPE_MAX = 5;
inline constexpr uint32_t RQM_CONNECTION_SPI_SDIO = 1;
inline constexpr uint32_t RQM_CONNECTION_REMOTE = 3;
inline constexpr uint32_t RQM_CONNECTION_CLI = 5;
int RQM_SetConnectionType(RqmApiContext* pRqmApiContext, uint32_t ConnectionType);
int RQM_SetUartPort(RqmApiContext* pRqmApiContext, uint16_t UartPort);
int RQM_SetTcpPort(RqmApiContext* pRqmApiContext, uint16_t TcpPort);
int RQM_SetCallbackFunction(RqmApiContext* pRqmApiContext, RqmRxIndMsgsCb pfnRxIndMsgsCb);
int RQM_Stop(RqmApiContext* pRqmApiContext);
int RQM_Destroy(RqmApiContext* pRqmApiContext);
int RQM_GetAPIContext(RqmApiContext* pRqmApiContext);

// Versions and labels.
inline constexpr char RQM_DLL_LABEL[] = "MOD_RQM_API_Q57.01.0003";
inline constexpr unsigned RQM_DLL_LABEL_SIZE = 24;
static_assert(sizeof RQM_DLL_LABEL == RQM_DLL_LABEL_SIZE);
int RQM_GetApiVersion(RqmApiContext* pRqmApiContext, uint16_t* pApiVersion);
int RQM_GetFwApiVersion(RqmApiContext* pRqmApiContext, uint16_t* pFwApiVersion);
int RQM_CheckFwDllCompatibility(RqmApiContext* pRqmApiContext, uint8_t* pCompatible);
int RQM_GetDllLabel(RqmApiContext* pRqmApiContext, char* pLabel);
int RQM_GetFirmwareLabel(RqmApiContext* pRqmApiContext, char* pLabel);

void RqmApiDefaultFn_RxIndMsgsCb(void* pUserCB_Context, uint8_t* pMsg);
void RqmApiDefaultFn_UIPutsCb(void* pUserCB_Context, const char* pText);
void RqmApiDefaultFn_UIPutsErrorCb(void* pUserCB_Context, const char* pText);

// Result reports.
inline constexpr int RQM_RESULT_NAMED_CODES = 11;  // codes 0 to 10 have a name and a tip
extern const char* const ResaultStr[RQM_RESULT_NAMED_CODES];
extern const char* const TipStr[RQM_RESULT_NAMED_CODES];
extern const char* const EfuseStatusStr[RQM_RESULT_NAMED_CODES];
void RQM_ErrorCheck(RqmApiContext* pRqmApiContext, uint32_t ErrCode, const char* pFuncName);
void RW_EFUSE_ERROR_CHECK(RqmApiContext* pRqmApiContext, uint32_t ErrCode);
void RQM_Debug_EnterFunction0(RqmApiContext* pRqmApiContext, const char* pFuncName);
void RQM_Debug_PrintOutput0(RqmApiContext* pRqmApiContext, const char* pText);
int RQM_Debug_EnterFunction(int Value);
int RQM_Debug_PrintOutput(int Value);

// Tool state the driver keeps between runs (the record travels as 50 bytes).
int RQM_Get_Cli_Param(RqmApiContext* pRqmApiContext, CliDriverData* pData, int* pOk, int Verbose);
int CheckVersion(uint32_t Version, int Verbose);
int RQM_SetParamToDrive(RqmApiContext* pRqmApiContext, const CliDriverData* pData);

// Generic senders: a firmware request of zero to four words, and what its
// confirmation carries. The result is the broker's code, else the Status;
// the outputs are written whatever the Status, but an answer that ends
// before the sender's last output word (taken or not) is 1 and writes
// nothing.
int RQM_SendReqToFw_InpZeroWord(RqmApiContext* pRqmApiContext, uint16_t MsgId);
int RQM_SendReqToFw_InpOneWord(RqmApiContext* pRqmApiContext, uint16_t MsgId, uint32_t In1);
int RQM_SendReqToFw_InpTwoWords(RqmApiContext* pRqmApiContext, uint16_t MsgId, uint32_t In1, uint32_t In2);
int RQM_SendReqToFw_InpThreeWords(RqmApiContext* pRqmApiContext, uint16_t MsgId, uint32_t In1, uint32_t In2,
                                  uint32_t In3);
int RQM_SendReqToFw_InpFourWords(RqmApiContext* pRqmApiContext, uint16_t MsgId, uint32_t In1, uint32_t In2,
                                 uint32_t In3, uint32_t In4);
int RQM_SendReqToFw_InpZeroWord_OutOneWord(RqmApiContext* pRqmApiContext, uint16_t MsgId, uint32_t* pOut1);
int RQM_SendReqToFw_InpOneWord_OutOneWord(RqmApiContext* pRqmApiContext, uint16_t MsgId, uint32_t In1,
                                          uint32_t* pOut1);
int RQM_SendReqToFw_InpTwoWords_OutOneWord(RqmApiContext* pRqmApiContext, uint16_t MsgId, uint32_t In1,
                                           uint32_t In2, uint32_t* pOut1);
int RQM_SendReqToFw_InpOneWords_OutTwoWords(RqmApiContext* pRqmApiContext, uint16_t MsgId, uint32_t In1,
                                            uint32_t* pOut1, uint32_t* pOut2);
int RQM_SendReqToFw_Raw(RqmApiContext* pRqmApiContext, uint16_t MsgId, const void* pPayload, uint16_t Length);

// The largest HI message the channel carries, and the one a raw request
// may be built to at all.
inline constexpr uint32_t RQM_CHANNEL_MAX_MSG = 1520;
inline constexpr uint32_t RQM_MAX_MSG_LEN = 8188;
uint32_t rqm_largest_message(const RqmApiContext* pRqmApiContext);

// General device requests. A register read by bus type brings at most
// RQM_REG_TYPE_MAX_BYTES. The MAC address kinds are 0 to 2; the debug
// port's first word is 0 to 31, its second 0 or 1 and its third 0 to 2;
// the self-tests are 0 to 4.
inline constexpr uint32_t RQM_REG_TYPE_MAX_BYTES = 1024;
inline constexpr uint32_t RQM_MAC_SOURCE = 0;
inline constexpr uint32_t RQM_MAC_DEST = 1;
inline constexpr uint32_t RQM_MAC_BSSID = 2;
inline constexpr uint32_t RQM_MAC_KIND_MAX = RQM_MAC_BSSID;
inline constexpr uint32_t RQM_MAC_ADDR_BYTES = 6;  // what RQM_GetMacAddr writes, RQM_SetMacAddr reads
inline constexpr uint32_t RQM_DEBUG_PORT_WORD1_MAX = 31;
inline constexpr uint32_t RQM_DEBUG_PORT_WORD3_MAX = 2;
inline constexpr uint32_t RQM_SELF_TEST_MAX = 4;

int RQM_Connect(RqmApiContext* pRqmApiContext);
int RQM_Disconnect(RqmApiContext* pRqmApiContext);
int RQM_Reconnect(RqmApiContext* pRqmApiContext);
int RQM_SoftReset(RqmApiContext* pRqmApiContext);
int RQM_ReadRegType(RqmApiContext* pRqmApiContext, uint32_t Type, uint32_t Address, uint32_t Count,
                    void* pDst);
int RQM_WriteRegType(RqmApiContext* pRqmApiContext, uint32_t Type, uint32_t Address, const uint32_t* pValue);
int RQM_SDDConfig(RqmApiContext* pRqmApiContext, uint16_t Config);
int RQM_SleepControl(RqmApiContext* pRqmApiContext, uint32_t Mode, uint64_t Param);
int RQM_ConfigureClockGating(RqmApiContext* pRqmApiContext, uint32_t Enable);
int RQM_FetchCallbackMessage(RqmApiContext* pRqmApiContext, uint8_t* pBuffer, uint32_t* pLength);
int RQM_ConfigureEpta(RqmApiContext* pRqmApiContext);
int RQM_GetMacAddr(RqmApiContext* pRqmApiContext, uint32_t Kind, uint8_t* pMac);
int RQM_SetMacAddr(RqmApiContext* pRqmApiContext, uint32_t Kind, const uint8_t* pMac);
int RQM_HWT_HIF(RqmApiContext* pRqmApiContext, uint16_t Param1, uint16_t Param2, uint32_t* pResults);
int RQM_HWT_ENC(RqmApiContext* pRqmApiContext, uint16_t Param1, uint16_t Param2, uint32_t* pResults);
int RQM_HWT_MIC(RqmApiContext* pRqmApiContext, uint16_t Param1, uint16_t Param2, uint32_t* pResults);
int RQM_ConfigDebugPort(RqmApiContext* pRqmApiContext, uint32_t Word1, uint32_t Word2, uint32_t Word3,
                        uint32_t Word4);
int RQM_Get_HWId(RqmApiContext* pRqmApiContext, uint32_t* pId);
int RQM_SelfTest(RqmApiContext* pRqmApiContext, uint32_t TestNumber, uint32_t* pResult);
int RQM_SelfTest_ReadCtrlBlock(RqmApiContext* pRqmApiContext, uint8_t* pBlock1, uint8_t* pBlock2,
                               uint8_t* pBlock3, uint8_t* pBlock4, uint8_t* pBlock5);
int RQM_SelfTest_WriteCtrlBlock(RqmApiContext* pRqmApiContext, const uint8_t* pBlock1, const uint8_t* pBlock2,
                                const uint8_t* pBlock3, const uint8_t* pBlock4, const uint8_t* pBlock5);
int RQM_SendRawMsgToTgtProxy(RqmApiContext* pRqmApiContext, const void* pPayload, uint32_t Length);
int RQM_GetSddVersion(RqmApiContext* pRqmApiContext, uint8_t* pMajor, uint8_t* pMinor);
int RQM_Set_MsgParams(RqmApiContext* pRqmApiContext, uint32_t TimeoutMs, uint32_t Retries);
int RQM_Get_MsgParams(RqmApiContext* pRqmApiContext, uint32_t* pTimeoutMs, uint32_t* pRetries);

// Text formats and file utilities. Texts carry an explicit length and no
// terminator. Arrays and buffers returned are malloc'd; the caller frees
// them. The converters always store the count: on failure it is the number
// of items converted before the fault.
uint8_t* ReadBinaryFileIntoBuffer(RqmApiContext* pRqmApiContext, const char* pchFileName, uint32_t Headroom,
                                  uint32_t* pFileSize);
void RemoveCommentsFromText(RqmApiContext* pRqmApiContext, char* pText, uint32_t* pLength);
// Address/value pairs: element 2k is record k's address, 2k+1 its value.
uint32_t* ConvertTextDataToRegValueFormat(RqmApiContext* pRqmApiContext, const char* pText, uint32_t Length,
                                          uint32_t* pCount);
uint8_t* ConvertTextDataInFrameFileFormatToBinary(RqmApiContext* pRqmApiContext, const char* pText,
                                                  uint32_t Length, uint32_t* pCount);
uint32_t* ConvertTextDataInTextBasedHexAddrsFormatToBinary(RqmApiContext* pRqmApiContext, const char* pText,
                                                           uint32_t Length, uint32_t* pCount);
void ConvertTextToBinaryGen(const char* pText, uint8_t Count, uint8_t* pOut);
uint8_t ConvertTextToBinaryNibble(char c);
int WriteBufferIntoBinaryFile(RqmApiContext* pRqmApiContext, const void* pData, uint32_t Length,
                              const char* pchFileName);

// SDD file access.
#include "rqm_sdd.h"

// Start sequence and one-call starters.
#include "rqm_start.h"

// Efuse and antifuse.
#include "rqm_efuse.h"
// PHY configuration and output power.
#include "rqm_phy.h"
// Receive requests, the last frame's information and measurements.
#include "rqm_rx.h"

// The tone generator.
#include "rqm_tone.h"
// Memory, registers and the parameter block.
#include "rqm_memory.h"
// Transmit settings, payloads, transmission and its statistics.
#include "rqm_tx.h"
// Register files and register dumps.
#include "rqm_reg_file.h"
