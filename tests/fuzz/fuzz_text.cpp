// Arbitrary bytes through comment removal and the three converters. Each
// text sits in a buffer of exactly its length, so any read past it is an
// ASan report; the invariants below are checked with a trap.
// fuzz-sources: api/util.cpp common/file_read.cpp common/print_hooks.cpp
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "api/api_variant.h"
#include "api/rqm_api.h"

// The converters report nothing that differs between the programs; the
// reports they can make need a profile to link.
const RqmApiVariant g_api_variant = {.LastNamedResultCode = 10};

namespace {

void require(bool ok) {
    if (!ok)
        __builtin_trap();
}

char* exact_copy(const void* p, size_t n) {
    char* copy = static_cast<char*>(malloc(n > 0 ? n : 1));
    require(copy != nullptr);
    memcpy(copy, p, n);
    return copy;
}

// Touches every element so that an array smaller than its count is caught.
template <typename T>
void touch(const T* array, size_t n) {
    volatile T sink = 0;
    for (size_t i = 0; i < n; i++)
        sink = sink ^ array[i];
}

void convert_all(const char* text, uint32_t len) {
    uint32_t count = UINT32_MAX;
    uint32_t* regs = ConvertTextDataToRegValueFormat(nullptr, text, len, &count);
    require(count <= len / 22 + 1);
    require(regs != nullptr || len > 0);
    if (regs != nullptr)
        touch(regs, size_t{count} * 2);
    free(regs);

    count = UINT32_MAX;
    uint8_t* bytes = ConvertTextDataInFrameFileFormatToBinary(nullptr, text, len, &count);
    require(count <= len / 3 + 1);
    require(bytes != nullptr || len > 0);
    if (bytes != nullptr)
        touch(bytes, count);
    free(bytes);

    count = UINT32_MAX;
    uint32_t* words = ConvertTextDataInTextBasedHexAddrsFormatToBinary(nullptr, text, len, &count);
    require(count <= len / 2 + 1);
    require(words != nullptr || len > 0);
    if (words != nullptr)
        touch(words, count);
    free(words);
}

bool is_subsequence(const char* part, uint32_t partLen, const char* whole, uint32_t wholeLen) {
    uint32_t i = 0;
    for (uint32_t j = 0; j < wholeLen && i < partLen; j++)
        if (part[i] == whole[j])
            i++;
    return i == partLen;
}

void check_cleaned(const char* text, uint32_t len) {
    for (uint32_t i = 1; i < len; i++) {
        const bool lineEnd = text[i] == '\r' || text[i] == '\n';
        require(!(lineEnd && (text[i - 1] == ' ' || text[i - 1] == '\t')));
        require(!(text[i] == '\n' && text[i - 1] == '\n'));
        if (i >= 3)
            require(memcmp(text + i - 3, "\r\n\r\n", 4) != 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    const uint32_t n = static_cast<uint32_t>(size);

    char* raw = exact_copy(data, size);
    convert_all(raw, n);
    if (n >= 2) {
        const uint32_t pairs = n / 2 > 255 ? 255 : n / 2;
        uint8_t* out = static_cast<uint8_t*>(malloc(pairs));
        require(out != nullptr);
        ConvertTextToBinaryGen(raw, static_cast<uint8_t>(pairs), out);
        touch(out, pairs);
        free(out);
    }

    uint32_t len = n;
    RemoveCommentsFromText(nullptr, raw, &len);
    require(len <= n);
    require(is_subsequence(raw, len, reinterpret_cast<const char*>(data), n));
    check_cleaned(raw, len);

    // The cleaned text again in a buffer of its own exact length.
    char* cleaned = exact_copy(raw, len);
    free(raw);
    convert_all(cleaned, len);
    free(cleaned);
    return 0;
}
