// The API context's setters and queries, and the result reports, without a
// transport.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api/rqm_api.h"

namespace {

struct ReportCase {
    int code;
    bool withContext;
    const char* out;
};

class ErrorCheck : public testing::TestWithParam<ReportCase> {};

TEST_P(ErrorCheck, ReportLine) {
    const ReportCase& c = GetParam();
    RqmApiContext* ctx = c.withContext ? RQM_Create(nullptr, nullptr) : nullptr;
    testing::internal::CaptureStdout();
    RQM_ErrorCheck(ctx, static_cast<uint32_t>(c.code), "RQM_SetChannel");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    RQM_Destroy(ctx);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ErrorCheck,
    testing::Values(
        ReportCase{0, true, ""}, ReportCase{0, false, ""},
        ReportCase{1, true, "RQM_SetChannel failed (1:BOOT_ERR_DECODE\tFirmware error!)\n"},
        ReportCase{2, true, "RQM_SetChannel failed (2:BOOT_ERR_CHECKSUM\tFirmware error!)\n"},
        ReportCase{3, true, "RQM_SetChannel failed (3:BOOT_ERR_FILE_SIZE\tFirmware error!)\n"},
        ReportCase{4, true, "RQM_SetChannel failed (4:BOOT_ERR_BAD_OP\tInvalid operation!)\n"},
        ReportCase{5, true, "RQM_SetChannel failed (5:BOOT_ERR_CONNECTED\tRQM has already connected!)\n"},
        ReportCase{6, true, "RQM_SetChannel failed (6:BOOT_ERR_WLAN_MODE\tPlease turn off WIFI!)\n"},
        ReportCase{7, true, "RQM_SetChannel failed (7:RQM_ERR_NOT_CONNECT\tPlease connect first!)\n"},
        ReportCase{8, true, "RQM_SetChannel failed (8:RQM_ERR_IO_FAILED\tTry to solve it by reboot!)\n"},
        ReportCase{9, true, "RQM_SetChannel failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!)\n"},
        ReportCase{10, true,
                   "RQM_SetChannel failed (10:RQM_ERR_CHECK_VERSION\tPlease upgrade rqm cli version!)\n"},
        ReportCase{11, true, "RQM_SetChannel failed (11:unknown error)\n"},
        ReportCase{255, true, "RQM_SetChannel failed (255:unknown error)\n"},
        ReportCase{-1, true, "RQM_SetChannel failed (-1:unknown error)\n"},
        ReportCase{1, false,
                   "RQM_API: ERROR: RQM_SetChannel(): ErrCode:1, BOOT_ERR_DECODE\t Firmware error!)\n"},
        ReportCase{
            10, false,
            "RQM_API: ERROR: RQM_SetChannel(): ErrCode:10, RQM_ERR_CHECK_VERSION\t Please upgrade rqm cli "
            "version!)\n"},
        ReportCase{11, false, "RQM_SetChannel failed (11:unknown error)\n"},
        ReportCase{255, false, "RQM_SetChannel failed (255:unknown error)\n"},
        ReportCase{-1, false, "RQM_SetChannel failed (-1:unknown error)\n"}));

TEST(ErrorCheckBounds, LongNameWithoutContextIsCutToTheLine) {
    std::string name(400, 'f');
    testing::internal::CaptureStdout();
    RQM_ErrorCheck(nullptr, 7, name.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout().size(), 199u);
}

TEST(EfuseCheck, ReportLines) {
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    testing::internal::CaptureStdout();
    RW_EFUSE_ERROR_CHECK(ctx, 0);
    RW_EFUSE_ERROR_CHECK(nullptr, 0);
    RW_EFUSE_ERROR_CHECK(ctx, 7);
    RW_EFUSE_ERROR_CHECK(nullptr, 10);
    RW_EFUSE_ERROR_CHECK(ctx, 11);
    RW_EFUSE_ERROR_CHECK(nullptr, 0xFFFFFFFFu);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "RQM_RW_Efuse_Data failed! (ErrCode 7:EFUSE_STATUS_CODE__HAVEWRITE_ERR)\n"
              "RQM_API ERROR! RQM_RW_Efuse_Data(): ErrCode:10, EFUSE_STATUS_CODE__INVALID_PARAMS)\n"
              "RQM_RW_Efuse_Data failed! (11:unknown error)\n"
              "RQM_RW_Efuse_Data failed! (-1:unknown error)\n");
    RQM_Destroy(ctx);
}

std::vector<std::string> g_texts;
void collect(void*, const char* text) {
    g_texts.emplace_back(text);
}

TEST(DebugTrace, GoesToTheTextCallback) {
    g_texts.clear();
    RqmApiContext* ctx = RQM_Create(nullptr, collect);
    RQM_Debug_EnterFunction0(ctx, "RQM_Connect");
    RQM_Debug_PrintOutput0(ctx, std::string(600, 'x').c_str());
    RQM_Debug_EnterFunction0(nullptr, "nothing");
    ASSERT_EQ(g_texts.size(), 2u);
    EXPECT_EQ(g_texts[0], "RQM_API: ENTER: RQM_Connect(): ");
    EXPECT_EQ(g_texts[1].size(), 499u);
    EXPECT_EQ(RQM_Debug_EnterFunction(42), 42);
    EXPECT_EQ(RQM_Debug_PrintOutput(-3), -3);
    RQM_Destroy(ctx);
}

TEST(Create, DefaultsAndCallbacks) {
    g_texts.clear();
    RqmApiContext* ctx = RQM_Create(&g_texts, collect);
    EXPECT_EQ(ctx->Attempts, 1u);
    EXPECT_EQ(ctx->CnfTimeoutMs, 10000u);
    EXPECT_EQ(ctx->FwRunning, 0);
    EXPECT_EQ(ctx->pfnRxIndMsgsCb, nullptr);
    EXPECT_EQ(ctx->pUserCB_Context, &g_texts);
    // A bad connection type goes to the error-text callback, which is the
    // caller's text callback too.
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_SetConnectionType(ctx, 6), 9);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "RQM_SetConnectionType failed (9:RQM_ERR_DRIVER_HANG\tTry to solve it by reboot!)\n");
    ASSERT_EQ(g_texts.size(), 1u);
    EXPECT_EQ(g_texts[0], "RQM_SetConnectionType(): ERROR: Invalid connection type!\n");
    EXPECT_EQ(ctx->ConnectionType, 0u);
    EXPECT_EQ(RQM_SetConnectionType(ctx, 5), 0);
    EXPECT_EQ(ctx->ConnectionType, 5u);
    EXPECT_EQ(RQM_SetCallbackFunction(ctx, nullptr), 0);
    EXPECT_EQ(ctx->pfnRxIndMsgsCb, RqmApiDefaultFn_RxIndMsgsCb);
    RQM_Destroy(ctx);
}

TEST(Create, DefaultTextCallbacksPrint) {
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    testing::internal::CaptureStdout();
    ctx->pfnUI_Puts_Cb(nullptr, "a%d");
    ctx->pfnUI_PutsError_Cb(nullptr, "b\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "a%db\n");
    RQM_Destroy(ctx);
}

struct TextCase {
    const char* name;
    int (*setter)(RqmApiContext*, const char*);
    const char* (*get)(const RqmApiContext*);
    size_t capacity;  // the field's size, NUL included
};

class TextSetters : public testing::TestWithParam<TextCase> {};

TEST_P(TextSetters, FitOrRefuse) {
    const TextCase& c = GetParam();
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    const std::string fits(c.capacity - 1, 'a');
    EXPECT_EQ(c.setter(ctx, fits.c_str()), 0);
    EXPECT_EQ(std::string(c.get(ctx)), fits);
    const std::string too_long(c.capacity, 'b');
    testing::internal::CaptureStdout();
    EXPECT_EQ(c.setter(ctx, too_long.c_str()), 9);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("failed (9:"), std::string::npos);
    EXPECT_EQ(std::string(c.get(ctx)), fits) << "a refused text must leave the field as it was";
    EXPECT_EQ(c.setter(ctx, nullptr), 0);
    EXPECT_EQ(std::string(c.get(ctx)), "");
    testing::internal::CaptureStdout();
    EXPECT_EQ(c.setter(nullptr, "x"), 255);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("failed (255:unknown error)"), std::string::npos);
    RQM_Destroy(ctx);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TextSetters,
    testing::Values(TextCase{"FirmwarePath", RQM_SetFirmwarePath,
                             [](const RqmApiContext* c) -> const char* { return c->FirmwarePath; }, 256},
                    TextCase{"RemoteMachineName", RQM_SetRemoteMachineName,
                             [](const RqmApiContext* c) -> const char* { return c->RemoteMachineName; }, 256},
                    TextCase{"SddPath", RQM_SetSDDPath,
                             [](const RqmApiContext* c) -> const char* { return c->SddPath; }, 255},
                    TextCase{"BootLoaderPath", RQM_SetBootLoaderPath,
                             [](const RqmApiContext* c) -> const char* { return c->BootLoaderPath; }, 255}),
    [](const testing::TestParamInfo<TextCase>& info) { return info.param.name; });

TEST(UartCfg, KeepsAtMost128CharactersWithoutNul) {
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    const std::string text(200, 'u');
    EXPECT_EQ(RQM_SetUARTCfg(ctx, text.c_str()), 0);
    EXPECT_EQ(std::string(ctx->UartCfg, sizeof ctx->UartCfg), text.substr(0, 128));
    EXPECT_EQ(RQM_SetUARTCfg(ctx, "115200,8N1"), 0);
    EXPECT_STREQ(ctx->UartCfg, "115200,8N1");
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_SetUARTCfg(ctx, nullptr), 9);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ctx->UartCfg[0], '\0');
    RQM_Destroy(ctx);
}

TEST(Queries, VersionsAndLabels) {
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    uint16_t ver = 0;
    uint8_t compatible = 9;
    char label[128] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_GetApiVersion(nullptr, &ver), 0);
    EXPECT_EQ(ver, 0x0427);
    EXPECT_EQ(RQM_GetApiVersion(ctx, nullptr), 9);
    EXPECT_EQ(RQM_GetFwApiVersion(nullptr, &ver), 255);
    EXPECT_EQ(RQM_GetFwApiVersion(ctx, nullptr), 9);
    EXPECT_EQ(RQM_GetFwApiVersion(ctx, &ver), 43);
    EXPECT_EQ(RQM_CheckFwDllCompatibility(ctx, &compatible), 43);
    EXPECT_EQ(compatible, 9);
    ctx->FwRunning = 1;
    ctx->FirmwareApiVer = 0x0428;
    EXPECT_EQ(RQM_GetFwApiVersion(ctx, &ver), 0);
    EXPECT_EQ(ver, 0x0428);
    EXPECT_EQ(RQM_CheckFwDllCompatibility(ctx, &compatible), 0);
    EXPECT_EQ(compatible, 0);
    ctx->FirmwareApiVer = 0x0427;
    EXPECT_EQ(RQM_CheckFwDllCompatibility(ctx, &compatible), 0);
    EXPECT_EQ(compatible, 1);
    EXPECT_EQ(RQM_GetDllLabel(ctx, label), 0);
    EXPECT_STREQ(label, "MOD_RQM_API_Q57.01.0003");
    EXPECT_EQ(RQM_GetDllLabel(ctx, nullptr), 9);
    EXPECT_EQ(RQM_GetFirmwareLabel(nullptr, label), 255);
    strcpy(ctx->FirmwareLabel, "FW_Q23");
    EXPECT_EQ(RQM_GetFirmwareLabel(ctx, label), 0);
    EXPECT_STREQ(label, "FW_Q23");
    testing::internal::GetCapturedStdout();
    RQM_Destroy(ctx);
}

TEST(Lifecycle, NullContextGives255) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(RQM_Stop(nullptr), 255);
    EXPECT_EQ(RQM_Destroy(nullptr), 255);
    EXPECT_EQ(RQM_GetAPIContext(nullptr), 255);
    EXPECT_EQ(RQM_SetUartPort(nullptr, 1), 255);
    EXPECT_EQ(RQM_SetTcpPort(nullptr, 1), 255);
    EXPECT_EQ(RQM_SetCallbackFunction(nullptr, nullptr), 255);
    testing::internal::GetCapturedStdout();
}

TEST(Lifecycle, StopOfANeverStartedContext) {
    // No broker was ever started: stopping must not touch a semaphore that
    // was never made.
    RqmApiContext* ctx = RQM_Create(nullptr, nullptr);
    EXPECT_EQ(RQM_Stop(ctx), 0);
}

}  // namespace
