#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "api_variant.h"
#include "common/file_read.h"
#include "memory_request.h"
#include "rqm_api.h"
#include "rqm_request.h"

const char* const ResaultStr[RQM_RESULT_NAMED_CODES] = {
    "BOOT_SUCCESS",      "BOOT_ERR_DECODE",     "BOOT_ERR_CHECKSUM",     "BOOT_ERR_FILE_SIZE",
    "BOOT_ERR_BAD_OP",   "BOOT_ERR_CONNECTED",  "BOOT_ERR_WLAN_MODE",    "RQM_ERR_NOT_CONNECT",
    "RQM_ERR_IO_FAILED", "RQM_ERR_DRIVER_HANG", "RQM_ERR_CHECK_VERSION",
};

const char* const TipStr[RQM_RESULT_NAMED_CODES] = {
    "",
    "Firmware error!",
    "Firmware error!",
    "Firmware error!",
    "Invalid operation!",
    "RQM has already connected!",
    "Please turn off WIFI!",
    "Please connect first!",
    "Try to solve it by reboot!",
    "Try to solve it by reboot!",
    "Please upgrade rqm cli version!",
};

const char* const EfuseStatusStr[RQM_RESULT_NAMED_CODES] = {
    "EFUSE_STATUS_CODE__SUCCESS",        "EFUSE_STATUS_CODE__DEFAULT",
    "EFUSE_STATUS_CODE__CS_ERR",         "EFUSE_STATUS_CODE__PARSE_ERR",
    "EFUSE_STATUS_CODE__RW_ERR",         "EFUSE_STATUS_CODE__DI_ERR",
    "EFUSE_STATUS_CODE__NODATA_ERR",     "EFUSE_STATUS_CODE__HAVEWRITE_ERR",
    "EFUSE_STATUS_CODE__NOTMATCH_ERR",   "EFUSE_STATUS_CODE__NOTSUPPORTNOW",
    "EFUSE_STATUS_CODE__INVALID_PARAMS",
};

static uint32_t last_named_code() {
    return g_api_variant.LastNamedResultCode;
}

void RQM_ErrorCheck(RqmApiContext* pRqmApiContext, uint32_t ErrCode, const char* pFuncName) {
    if (ErrCode == 0)
        return;
    const int code = static_cast<int>(ErrCode);
    if (ErrCode > last_named_code()) {
        printf("%s failed (%d:unknown error)\n", pFuncName, code);
        return;
    }
    if (pRqmApiContext != nullptr) {
        RQM_UI_ErrPrintf(pRqmApiContext, "%s failed (%d)\n", pFuncName, code);
        printf("%s failed (%d:%s\t%s)\n", pFuncName, code, ResaultStr[ErrCode], TipStr[ErrCode]);
        return;
    }
    char line[200];
    snprintf(line, sizeof line, "RQM_API: ERROR: %s(): ErrCode:%d, %s\t %s)\n", pFuncName, code,
             ResaultStr[ErrCode], TipStr[ErrCode]);
    printf("%s", line);
}

int reported(RqmApiContext* pRqmApiContext, int Result, const char* pFuncName) {
    RQM_ErrorCheck(pRqmApiContext, static_cast<uint32_t>(Result), pFuncName);
    return Result;
}

void RW_EFUSE_ERROR_CHECK(RqmApiContext* pRqmApiContext, uint32_t ErrCode) {
    if (ErrCode == 0)
        return;
    const int code = static_cast<int>(ErrCode);
    if (ErrCode >= RQM_RESULT_NAMED_CODES) {
        printf("RQM_RW_Efuse_Data failed! (%d:unknown error)\n", code);
        return;
    }
    if (pRqmApiContext != nullptr) {
        RQM_UI_ErrPrintf(pRqmApiContext, "RQM_RW_Efuse_Data failed! (ErrCode:%d)\n", code);
        printf("RQM_RW_Efuse_Data failed! (ErrCode %d:%s)\n", code, EfuseStatusStr[ErrCode]);
        return;
    }
    char line[200];
    snprintf(line, sizeof line, "RQM_API ERROR! RQM_RW_Efuse_Data(): ErrCode:%d, %s)\n", code,
             EfuseStatusStr[ErrCode]);
    printf("%s", line);
}

static void debug_trace(RqmApiContext* pRqmApiContext, const char* fmt, const char* text) {
    if (pRqmApiContext == nullptr || pRqmApiContext->pfnUI_Puts_Cb == nullptr)
        return;
    char line[500];
    snprintf(line, sizeof line, fmt, text);
    pRqmApiContext->pfnUI_Puts_Cb(pRqmApiContext->pUserCB_Context, line);
}

void RQM_Debug_EnterFunction0(RqmApiContext* pRqmApiContext, const char* pFuncName) {
    debug_trace(pRqmApiContext, "RQM_API: ENTER: %s(): ", pFuncName);
}

void RQM_Debug_PrintOutput0(RqmApiContext* pRqmApiContext, const char* pText) {
    debug_trace(pRqmApiContext, "RQM_API: OUTPUT: %s(): ", pText);
}

int RQM_Debug_EnterFunction(int Value) {
    return Value;
}

int RQM_Debug_PrintOutput(int Value) {
    return Value;
}

// ---------------------------------------------------------------------------
// Text formats and file utilities.
//
// File contents are never terminated, so every function here works from an
// explicit length and never reads or writes beyond it.

static bool is_separator(char c) {
    return c == '\n' || c == '\r' || c == ' ' || c == ',' || c == '.' || c == '\t';
}

static bool is_hex_digit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

static uint32_t skip_separators(const char* pText, uint32_t Pos, uint32_t Length) {
    while (Pos < Length && is_separator(pText[Pos]))
        Pos++;
    return Pos;
}

// Reads hex digits from Pos up to the first other character, at most MaxLen.
static uint32_t parse_hex_field(const char* pText, uint32_t Pos, uint32_t MaxLen) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < MaxLen && is_hex_digit(pText[Pos + i]); i++)
        value = value << 4 | ConvertTextToBinaryNibble(pText[Pos + i]);
    return value;
}

// The bounds are computed in 32 bits from a 32-bit length; on the 32-bit
// board the byte size may still exceed size_t.
static void* alloc_items(uint64_t Count, size_t ItemSize) {
    if (Count > SIZE_MAX / ItemSize)
        return nullptr;
    return malloc(static_cast<size_t>(Count) * ItemSize);
}

static void store_count(uint32_t* pCount, uint32_t Count) {
    if (pCount != nullptr)
        *pCount = Count;
}

// Every converter fails alike: the partial array goes, the count stays.
static std::nullptr_t conversion_failed(RqmApiContext* pRqmApiContext, void* pArray, uint32_t* pCount,
                                        uint32_t Count) {
    RQM_UI_Printf(pRqmApiContext, "ERROR: file is not in correct format\n");
    free(pArray);
    store_count(pCount, Count);
    return nullptr;
}

uint8_t* ReadBinaryFileIntoBuffer(RqmApiContext* pRqmApiContext, const char* pchFileName, uint32_t Headroom,
                                  uint32_t* pFileSize) {
    return rqm_read_whole_file(pRqmApiContext, pchFileName, Headroom, UINT32_MAX,
                               "cannot allocate memory for file contents\n", pFileSize);
}

void RemoveCommentsFromText(RqmApiContext*, char* pText, uint32_t* pLength) {
    if (pText == nullptr || pLength == nullptr)
        return;
    const uint32_t n = *pLength;
    // Removal only shrinks the text, so the output (w) never overtakes the
    // input (r) and the text is cleaned in place without a copy.
    uint32_t r = 0;
    uint32_t w = 0;
    while (r < n) {
        const char c = pText[r];
        if (c == '/' && r + 1 < n && pText[r + 1] == '/') {
            r += 2;
            while (r < n && pText[r] != '\r' && pText[r] != '\n')
                r++;
            continue;
        }
        if (c == '/' && r + 1 < n && pText[r + 1] == '*') {
            // The search starts after the opening star, so "/*/" stays open.
            r += 2;
            while (r + 1 < n && !(pText[r] == '*' && pText[r + 1] == '/'))
                r++;
            r = r + 1 < n ? r + 2 : n;
            continue;
        }
        if (c == '\r' || c == '\n') {
            while (w > 0 && (pText[w - 1] == ' ' || pText[w - 1] == '\t'))
                w--;
        }
        pText[w++] = c;
        r++;
        if (w >= 2 && pText[w - 1] == '\n' && pText[w - 2] == '\n')
            w--;
        if (w >= 4 && pText[w - 4] == '\r' && pText[w - 3] == '\n' && pText[w - 2] == '\r' &&
            pText[w - 1] == '\n')
            w -= 2;
    }
    *pLength = w;
}

// Whether the record at pRec holds only hex digits where its address and
// value are read: eight address digits, then value digits up to separators
// that fill the rest of the record.
static bool reg_value_digits_clean(const char* pRec, uint32_t RecordLen) {
    for (uint32_t i = 2; i < 10; i++)
        if (!is_hex_digit(pRec[i]))
            return false;
    uint32_t i = 13;
    while (i < RecordLen && is_hex_digit(pRec[i]))
        i++;
    if (i == 13)
        return false;
    for (; i < RecordLen; i++)
        if (!is_separator(pRec[i]))
            return false;
    return true;
}

static uint32_t* convert_reg_values(RqmApiContext* pRqmApiContext, const char* pText, uint32_t Length,
                                    uint32_t* pCount, bool bStrict) {
    store_count(pCount, 0);
    if (pText == nullptr)
        return nullptr;
    constexpr uint32_t kRecordLen = 21;
    const uint32_t capacity = Length / (kRecordLen + 1) + 1;
    uint32_t* records = static_cast<uint32_t*>(alloc_items(uint64_t{capacity} * 2, sizeof(uint32_t)));
    if (records == nullptr)
        return nullptr;
    uint32_t count = 0;
    uint32_t pos = 0;
    while (pos < Length) {
        const char* rec = pText + pos;
        if (Length - pos < kRecordLen || count >= capacity || rec[0] != '0' || rec[1] != 'x' ||
            rec[10] != ',' || rec[11] != '0' || rec[12] != 'x' ||
            (bStrict && !reg_value_digits_clean(rec, kRecordLen)))
            return conversion_failed(pRqmApiContext, records, pCount, count);
        records[2 * count] = parse_hex_field(pText, pos + 2, 8);
        records[2 * count + 1] = parse_hex_field(pText, pos + 13, 8);
        count++;
        pos = skip_separators(pText, pos + kRecordLen, Length);
    }
    store_count(pCount, count);
    return records;
}

uint32_t* ConvertTextDataToRegValueFormat(RqmApiContext* pRqmApiContext, const char* pText, uint32_t Length,
                                          uint32_t* pCount) {
    return convert_reg_values(pRqmApiContext, pText, Length, pCount, false);
}

uint32_t* rqm_convert_reg_values_strict(RqmApiContext* pRqmApiContext, const char* pText, uint32_t Length,
                                        uint32_t* pCount) {
    return convert_reg_values(pRqmApiContext, pText, Length, pCount, true);
}

uint8_t* ConvertTextDataInFrameFileFormatToBinary(RqmApiContext* pRqmApiContext, const char* pText,
                                                  uint32_t Length, uint32_t* pCount) {
    store_count(pCount, 0);
    if (pText == nullptr)
        return nullptr;
    const uint32_t capacity = Length / 3 + 1;
    uint8_t* bytes = static_cast<uint8_t*>(alloc_items(capacity, 1));
    if (bytes == nullptr)
        return nullptr;
    uint32_t count = 0;
    uint32_t pos = skip_separators(pText, 0, Length);
    // Separators alone are a broken frame, not an empty one.
    if (Length > 0 && pos == Length)
        return conversion_failed(pRqmApiContext, bytes, pCount, count);
    while (pos < Length) {
        if (Length - pos < 2 || count >= capacity)
            return conversion_failed(pRqmApiContext, bytes, pCount, count);
        ConvertTextToBinaryGen(pText + pos, 1, bytes + count);
        count++;
        pos = skip_separators(pText, pos + 2, Length);
    }
    store_count(pCount, count);
    return bytes;
}

uint32_t* ConvertTextDataInTextBasedHexAddrsFormatToBinary(RqmApiContext* pRqmApiContext, const char* pText,
                                                           uint32_t Length, uint32_t* pCount) {
    store_count(pCount, 0);
    if (pText == nullptr)
        return nullptr;
    const uint32_t capacity = Length / 2 + 1;
    uint32_t* words = static_cast<uint32_t*>(alloc_items(capacity, sizeof(uint32_t)));
    if (words == nullptr)
        return nullptr;
    uint32_t count = 0;
    uint32_t pos = skip_separators(pText, 0, Length);
    while (pos < Length) {
        if (pos + 2 < Length && pText[pos] == '0' && pText[pos + 1] == 'x')
            pos += 2;
        if (!is_hex_digit(pText[pos]) || count >= capacity)
            return conversion_failed(pRqmApiContext, words, pCount, count);
        uint32_t digits = 0;
        uint32_t value = 0;
        for (; pos < Length && is_hex_digit(pText[pos]); pos++, digits++)
            value = value << 4 | ConvertTextToBinaryNibble(pText[pos]);
        words[count++] = digits > 8 ? 0xFFFFFFFFu : value;
        pos = skip_separators(pText, pos, Length);
    }
    store_count(pCount, count);
    return words;
}

void ConvertTextToBinaryGen(const char* pText, uint8_t Count, uint8_t* pOut) {
    for (uint32_t k = 0; k < Count; k++)
        pOut[k] = static_cast<uint8_t>(ConvertTextToBinaryNibble(pText[2 * k]) << 4 |
                                       ConvertTextToBinaryNibble(pText[2 * k + 1]));
}

uint8_t ConvertTextToBinaryNibble(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<uint8_t>(c - 'A' + 10);
    return 0;
}

int WriteBufferIntoBinaryFile(RqmApiContext* pRqmApiContext, const void* pData, uint32_t Length,
                              const char* pchFileName) {
    int result = RQM_FILE_ERROR;
    FILE* file = nullptr;
    if (pchFileName != nullptr && (pData != nullptr || Length == 0))
        file = fopen(pchFileName, "wb");
    if (file != nullptr) {
        const size_t written = Length > 0 ? fwrite(pData, 1, Length, file) : 0;
        result = written == Length ? RQM_SUCCESS : RQM_FILE_ERROR;
        // Buffered bytes meet a full disk only here.
        if (fclose(file) != 0)
            result = RQM_FILE_ERROR;
    }
    return reported(pRqmApiContext, result, "WriteBufferIntoBinaryFile");
}
