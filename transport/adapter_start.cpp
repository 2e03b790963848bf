// Firmware start, downloads and the raw driver-level requests: what the
// Target's request operation carries, beside the broker's request path.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "adapter.h"
#include "adapter_wait.h"
#include "common/file_read.h"
#include "common/hi_msg.h"
#include "common/rqm_context.h"
#include "common/sdd_elements.h"
#include "target_temp.h"

inline constexpr uint32_t START_CNF_SIZE = 168;

int GetSddVersion(RqmApiContext* ctx, const uint8_t* pData, uint32_t Size) {
    if (pData == nullptr || Size < 4 || pData[0] != SDD_ELEMENT_VERSION || pData[1] != 2)
        return 0;
    ctx->SddVersionMajor = pData[2];
    ctx->SddVersionMinor = pData[3];
    return 1;
}

static TargetStartRequest* new_start_request(uint32_t type, uint32_t size) {
    auto* req = static_cast<TargetStartRequest*>(malloc(START_REQ_DATA_OFF + static_cast<size_t>(size)));
    if (req != nullptr)
        start_request_set_head(req, type, size);
    return req;
}

TargetStartRequest* MakeTargetStartRequest(RqmApiContext* ctx, const char* pchPath) {
    if (pchPath[0] == '^') {
        const char* name = pchPath + 1;
        const auto size = static_cast<uint32_t>(strlen(name) + 1);
        TargetStartRequest* req = new_start_request(START_REQ_TYPE_NAME, size);
        if (req == nullptr) {
            RQM_UI_Printf(ctx, "cannot allocate memory for adapter message\n");
            return nullptr;
        }
        memcpy(req + START_REQ_DATA_OFF, name, size);
        return req;
    }
    // The file goes out whole or not at all: one that cannot be measured
    // or read whole gives no request.
    uint32_t size = 0;
    TargetStartRequest* req = rqm_read_whole_file(ctx, pchPath, START_REQ_DATA_OFF, START_REQ_MAX_DATA,
                                                  "cannot allocate memory for adapter image\n", &size);
    if (req != nullptr)
        start_request_set_head(req, START_REQ_TYPE_CONTENT, size);
    return req;
}

static void withdraw_expectation(RqmApiContext* ctx) {
    std::lock_guard lock(ctx->CnfLock);
    ctx->ExpectedMsgId = 0;
    ctx->ExpectedMsgSize = 0;
}

// Waits for the startup indication that a start or reconnect awaits, and
// takes the firmware facts from it. Anything else is not a start.
static int await_startup(RqmApiContext* ctx, uint32_t seconds) {
    time_lock(&ctx->CnfSemaphore, seconds, 0);
    uint8_t ind[START_CNF_SIZE] = {};
    const uint32_t got = adapter_take_answer(ctx, ind, sizeof ind);
    if (got < STARTUP_IND_MIN_SIZE || (hi_msg_id(ind) & HI_MSG_ID_MASK) != HI_STARTUP_IND_ID) {
        withdraw_expectation(ctx);
        return 0;
    }
    Adapter_TakeStartupFacts(ctx, ind);
    ctx->LastRxValid = 0;
    return 1;
}

int Adapter_Start(RqmApiContext* ctx, const char* pchImagePath) {
    puts("Adapter_Start");
    if (ctx->SddPath[0] == '\0') {
        puts("SDD file not set ... \n");
        RQM_UI_Printf(ctx, "SDD file not set ... \n");
    } else {
        puts("MakeTargetStartRequest");
        TargetStartRequest* req = MakeTargetStartRequest(ctx, ctx->SddPath);
        if (req == nullptr) {
            ctx->SddVersionMajor = 0;
            ctx->SddVersionMinor = 0;
            return 0;
        }
        if (ctx->SddPath[0] != '^' &&
            !GetSddVersion(ctx, req + START_REQ_DATA_OFF, start_request_size(req))) {
            ctx->SddVersionMajor = 0;
            ctx->SddVersionMinor = 0;
            RQM_UI_Printf(ctx, "Failed to determine SDD file version!\n");
        }
        RQM_UI_Printf(ctx, "start adapter with SDD file %s ... \n", ctx->SddPath);
        puts("TARGET_MSG_ID_SEND_SDD");
        const int ok = Target_Request(ctx->Target, TARGET_MSG_ID_SEND_SDD, req, start_request_length(req), 0);
        free(req);
        if (ok == 0) {
            withdraw_expectation(ctx);
            RQM_UI_Printf(ctx, "start adapter with SDD file %s : failed \n", ctx->SddPath);
            return 0;
        }
    }

    puts("bootloader");
    if (ctx->BootLoaderPath[0] == '\0') {
        RQM_UI_Printf(ctx, "BootLoader file not set ... \n");
    } else {
        TargetStartRequest* req = MakeTargetStartRequest(ctx, ctx->BootLoaderPath);
        if (req == nullptr)
            return 0;
        RQM_UI_Printf(ctx, "Bootloader :start adapter with image %s ... \n", ctx->BootLoaderPath);
        puts("TARGET_MSG_ID_SEND_BOOT_LOADER");
        const int ok =
            Target_Request(ctx->Target, TARGET_MSG_ID_SEND_BOOT_LOADER, req, start_request_length(req), 0);
        free(req);
        if (ok == 0) {
            withdraw_expectation(ctx);
            return 0;
        }
    }

    TargetStartRequest* image = nullptr;
    if (pchImagePath == nullptr || pchImagePath[0] == '\0') {
        image = new_start_request(START_REQ_TYPE_CONTENT, 0);
        if (image == nullptr)
            return 0;
        RQM_UI_Printf(ctx, "start adapter (image is loaded by ARM debugger),  ... \n");
    } else {
        RQM_UI_Printf(ctx, ">>start adapter for Fw image ... \n");
        image = MakeTargetStartRequest(ctx, pchImagePath);
        if (image == nullptr)
            return 0;
        RQM_UI_Printf(ctx, "start adapter with image %s ... \n", pchImagePath);
    }
    adapter_expect(ctx, HI_STARTUP_IND_ID, START_CNF_SIZE);
    puts("TARGET_MSG_ID_START_ADAPTER");
    const int ok =
        Target_Request(ctx->Target, TARGET_MSG_ID_START_ADAPTER, image, start_request_length(image), 0);
    free(image);
    if (ok == 0) {
        withdraw_expectation(ctx);
        return 0;
    }
    return await_startup(ctx, 10);
}

int Adapter_Reconnect(RqmApiContext* ctx) {
    adapter_expect(ctx, HI_STARTUP_IND_ID, START_CNF_SIZE);
    if (Target_Request(ctx->Target, TARGET_MSG_ID_RECONNECT, nullptr, 0, 0) == 0) {
        withdraw_expectation(ctx);
        return 0;
    }
    return await_startup(ctx, 5);
}

int Adapter_Stop(RqmApiContext* ctx) {
    return Target_Request(ctx->Target, TARGET_MSG_ID_STOP, nullptr, 0, 0);
}

int Adapter_RawRequestToDriver(RqmApiContext* ctx, uint8_t MsgId, void* pData, uint32_t DataLen,
                               uint32_t ReplyLen) {
    if (Target_Request(ctx->Target, MsgId, pData, DataLen, ReplyLen) == 0) {
        RQM_UI_Printf(ctx, "Driver Reported Failure\n");
        return RQM_TRANSPORT_LOST;
    }
    return RQM_SUCCESS;
}

// A raw configuration body: three words, the first repeating the id.
static int raw_config(RqmApiContext* ctx, uint8_t id, uint32_t word2, uint32_t word3) {
    uint8_t body[12] = {};
    hi_wr32(body, id);
    hi_wr32(body + 4, word2);
    hi_wr32(body + 8, word3);
    return Adapter_RawRequestToDriver(ctx, id, body, sizeof body, 0);
}

int Adapter_ProgramWupBit(RqmApiContext* ctx, uint8_t Enable) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    return raw_config(ctx, TARGET_MSG_ID_RAW_CONFIG, 3, Enable == 0 ? 1 : 0);
}

int Adapter_ConfigSbus(RqmApiContext* ctx, const SbusConfig* pCfg) {
    if (ctx == nullptr)
        return RQM_NO_CONTEXT;
    if (pCfg == nullptr) {
        RQM_UI_Printf(ctx, "NULL Param\n");
        return RQM_INVALID_PARAMETER;
    }
    // Words a mode does not use go out as 0.
    int result = pCfg->Mode == 0 ? raw_config(ctx, TARGET_MSG_ID_RAW_CONFIG_SBUS0, pCfg->Param1, 0)
                 : pCfg->Mode == 1
                     ? raw_config(ctx, TARGET_MSG_ID_RAW_CONFIG_SBUS1, pCfg->Param1, pCfg->Param2)
                     : raw_config(ctx, TARGET_MSG_ID_RAW_CONFIG_SBUS1, 0, 0);
    if (result != RQM_SUCCESS) {
        RQM_UI_Printf(ctx, "%s", "HIF [%1] Config Failed\n");
        return result;
    }
    result = raw_config(ctx, TARGET_MSG_ID_RAW_CONFIG, 8, pCfg->DriveStrength & 0xFF);
    if (result != RQM_SUCCESS)
        RQM_UI_Printf(ctx, "HIF Drive Strength Set Failed\n");
    return result;
}
