// The sending side of the driver-channel target: the send window with its
// sequence numbers, the header-only messages it sends itself, the boot
// wait and the dispatcher of target requests.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "TargetCli.h"
#include "common/hi_msg.h"
#include "start_request.h"
#include "target_temp.h"
#include "vormac_adapter.h"

int TargetCli_WriteHiMsg(TargetCliContext*, const uint8_t* pMsg) {
    if (adapter_sendmsg(pMsg, hi_msg_len(pMsg)) <= 0) {
        puts("Driver exception!Please check!!");
        return 0;
    }
    return 1;
}

// Numbered messages still waiting for their confirmation, as the firmware
// counts them in 16 bits. The difference is taken modulo 2^16, so the
// window holds across the counters' wrap at 0x8000 as well.
static bool window_full(const TargetCliContext* p) {
    const auto unconfirmed =
        static_cast<int16_t>(static_cast<uint16_t>(p->TxSeq.load() - p->CnfCount.load()));
    return unconfirmed >= static_cast<int16_t>(p->SendWindow.load());
}

int TargetCli_SendToAdapter(TargetCliContext* p, uint8_t* pMsg, uint8_t Resend, uint32_t WaitMs) {
    if (p->SendWindow != 0) {
        // A resend carries the number of the send before it, and that
        // send's own unconfirmed slot must not block it.
        if (Resend == 1)
            p->TxSeq--;
        const timespec deadline =
            rqm_deadline_after(WaitMs / 1000, static_cast<long>(WaitMs % 1000) * 1000000L);
        std::lock_guard lock(p->WindowLock);
        // Counted, so that a stopper frees the record only after every
        // waiter has left it.
        p->WindowWaiters++;
        const bool room =
            p->WindowCv.wait_until(p->WindowLock, deadline, [p] { return p->bExit != 0 || !window_full(p); });
        const bool sending = room && p->bExit == 0;
        if (!sending) {
            if (Resend == 1)
                p->TxSeq++;
        } else {
            const uint16_t id = hi_msg_id(pMsg) & HI_MSG_ID_MASK;
            hi_set_msg_id(pMsg, static_cast<uint16_t>(id | ((p->TxSeq & 7) << HI_MSG_SEQ_SHIFT)));
            p->TxSeq++;
        }
        p->WindowWaiters--;
        if (p->bExit)
            p->WindowCv.notify_all();
        if (!sending)
            return TARGET_SEND_GAVE_UP;
    }
    return TargetCli_WriteHiMsg(p, pMsg) ? TARGET_SEND_SENT : TARGET_SEND_FAILED;
}

static int send_header_only(TargetCliContext* p, uint16_t id) {
    uint8_t msg[HI_MSG_HEADER_SIZE];
    hi_set_msg_len(msg, HI_MSG_HEADER_SIZE);
    hi_set_msg_id(msg, id);
    return TargetCli_WriteHiMsg(p, msg);
}

int Cli_Stop(TargetCliContext* p) {
    p->bBootInd = 0;
    p->bBootLoaderReady = 0;
    p->bSddOk = 0;
    UI_Printf(p->pTarget, "Requsting firmware to reboot board\n");
    return send_header_only(p, HI_REBOOT_REQ_ID);
}

int TargetCli_Stop(TargetCliContext* p) {
    return Cli_Stop(p);
}

int TargetCli_Disconnect(TargetCliContext* p) {
    p->bBootInd = 0;
    p->bBootLoaderReady = 0;
    p->bSddOk = 0;
    UI_Printf(p->pTarget, "Sending BOOT Indication to indicate disconnect\n");
    return send_header_only(p, HI_DISCONNECT_REQ_ID);
}

int TargetCli_Reconnect(TargetCliContext* p) {
    p->bBootInd = 0;
    UI_Printf(p->pTarget, "Sending BOOT Indication to indicate Reconnect\n");
    return send_header_only(p, HI_RECONNECT_REQ_ID);
}

int TargetCli_WaitBootInd(TargetCliContext* p) {
    for (int look = 0; look < 3; ++look) {
        usleep(1000);
        if (p->bBootInd)
            return 1;
    }
    p->bRxReset = 1;
    UI_Printf(p->pTarget, "The UART boot loader is not running\n");
    return 0;
}

int OpenCommPort(int, int, const char*) {
    return 0;
}

inline constexpr uint32_t DOWNLOAD_CHUNK = 1024;
inline constexpr unsigned DOWNLOAD_HEAD = 12;
inline constexpr uint32_t CHUNK_FLAG_FIRST = 1;
inline constexpr uint32_t CHUNK_FLAG_LAST = 2;
inline constexpr uint32_t CHUNK_FLAG_NAME = 4;

// Reboots into the boot loader and waits for it, at most twice.
static bool boot_loader_handshake(TargetCliContext* p) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0)
            UI_Printf(p->pTarget, "Trying again...\n");
        TargetCli_Stop(p);
        if (TargetCli_WaitBootInd(p))
            return true;
    }
    UI_Printf(p->pTarget, "Kindly Reboot the versatile board!\n");
    return false;
}

// Sends the data in chunks of at most 1024 bytes, outside the window; 1
// when every chunk went out.
static int send_chunks(TargetCliContext* p, uint16_t msgId, const uint8_t* pData, uint32_t Size,
                       uint32_t Type, const char* progress) {
    uint8_t chunk[DOWNLOAD_HEAD + DOWNLOAD_CHUNK];
    uint32_t sent = 0;
    while (sent < Size) {
        const uint32_t n = Size - sent < DOWNLOAD_CHUNK ? Size - sent : DOWNLOAD_CHUNK;
        uint32_t flags = 0;
        if (sent == 0)
            flags = CHUNK_FLAG_FIRST;
        if (sent + n == Size)
            flags = CHUNK_FLAG_LAST;
        if (Type & START_REQ_TYPE_NAME)
            flags |= CHUNK_FLAG_NAME;
        hi_set_msg_len(chunk, static_cast<uint16_t>(n + DOWNLOAD_HEAD));
        hi_set_msg_id(chunk, msgId);
        hi_wr32(chunk + 4, sent);
        hi_wr32(chunk + 8, flags);
        memcpy(chunk + DOWNLOAD_HEAD, pData + sent, n);
        sent += n;
        UI_Printf(p->pTarget, progress, static_cast<int>(Size - sent));
        if (!TargetCli_WriteHiMsg(p, chunk))
            return 0;
    }
    return 1;
}

int TargetCli_Download(TargetCliContext* p, const uint8_t* pData, uint32_t Size, uint32_t Type) {
    if (p->bBootLoaderReady == 0 && p->bSddOk == 0 && !boot_loader_handshake(p))
        return 0;
    p->bBootInd = 0;
    if (!send_chunks(p, HI_FW_DOWNLOAD_REQ_ID, pData, Size, Type, "\rFW Download Remaining = %07d bytes\n"))
        return 0;
    UI_Printf(p->pTarget, "\n");
    return TargetCli_WaitBootInd(p);
}

int TargetCli_DownloadSDD(TargetCliContext* p, const uint8_t* pData, uint32_t Size, uint32_t Type) {
    if (p->bBootLoaderReady == 0 && p->bSddOk == 0 && p->bBootInd == 0 && !boot_loader_handshake(p))
        return 0;
    p->bBootInd = 0;
    if (!send_chunks(p, HI_SDD_DOWNLOAD_REQ_ID, pData, Size, Type, "\rSDD Download Remaining = %07d bytes"))
        return 0;
    TargetCli_WaitBootInd(p);
    // Some boards never report the SDD result; the download counts as done.
    if (p->bSddOk == 0)
        UI_Printf(
            p->pTarget,
            "Target SDD Send Failed, Reporting success for FPGA compatibility! This is OK for FPGA only\n");
    return 1;
}

int TargetCli_Request(TargetCliContext* p, uint8_t MsgId, void* pData, uint32_t DataLen, uint32_t ReplyLen) {
    printf("target_driver_request:  MsgId: 0x%x\n", MsgId);
    switch (MsgId) {
    case TARGET_MSG_ID_START_ADAPTER:
    case TARGET_MSG_ID_SEND_SDD: {
        uint32_t type = 0, size = 0;
        const uint8_t* bytes = nullptr;
        if (!start_request_parse(pData, DataLen, &type, &size, &bytes))
            return 0;
        if (size == 0)
            return 1;
        return MsgId == TARGET_MSG_ID_START_ADAPTER ? TargetCli_Download(p, bytes, size, type)
                                                    : TargetCli_DownloadSDD(p, bytes, size, type);
    }
    case TARGET_MSG_ID_STOP:
        TargetCli_Stop(p);
        return TargetCli_WaitBootInd(p) == 1 ? 1 : 0;
    case TARGET_MSG_ID_RECONNECT:
        TargetCli_Reconnect(p);
        return TargetCli_WaitBootInd(p) == 1 ? 1 : 0;
    default:
        UI_Printf(p->pTarget, "Ignoring all the driver requests...except start\n");
        if (pData != nullptr && ReplyLen <= DataLen)
            memset(pData, 0, ReplyLen);
        return 1;
    }
}
