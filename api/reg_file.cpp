// Register files and register dumps over the memory and register access.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/hi_bytes.h"
#include "memory_request.h"
#include "rqm_api.h"
#include "rqm_request.h"

RegFileTable g_reg_file{};

namespace {

constexpr unsigned SAVE_LINE_SIZE = 256;
constexpr char HEX_MARK[] = "hex";
constexpr size_t HEX_MARK_LEN = sizeof HEX_MARK - 1;

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

struct FreeDeleter {
    void operator()(void* p) const { free(p); }
};
template <typename T>
using Heap = std::unique_ptr<T, FreeDeleter>;

bool printable(char c) {
    return c >= 0x20 && c <= 0x7E;
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// strtoul(p, &end, 16) as the 32-bit board computes it, over [p, pEnd)
// only: the text has no terminator, and a number never runs into the next
// line.
uint32_t bounded_strtoul16(const char* p, const char* pEnd, const char** ppEnd) {
    const char* q = p;
    while (q < pEnd && is_space(*q))
        ++q;
    bool negative = false;
    if (q < pEnd && (*q == '+' || *q == '-'))
        negative = *q++ == '-';
    if (pEnd - q >= 3 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X') && hex_digit(q[2]) >= 0)
        q += 2;
    const char* digits = q;
    uint64_t value = 0;
    for (; q < pEnd && hex_digit(*q) >= 0; ++q)
        value = value > UINT32_MAX ? value : value << 4 | static_cast<uint64_t>(hex_digit(*q));
    if (q == digits) {
        *ppEnd = p;
        return 0;
    }
    *ppEnd = q;
    if (value > UINT32_MAX)
        return UINT32_MAX;
    return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(value)) : static_cast<uint32_t>(value);
}

// Cuts the entries into runs of consecutive addresses and hands each run
// to Op (its first entry and length); the first failure is the result.
template <typename Op>
int for_each_run(Op op) {
    for (unsigned i = 0; i < g_reg_file.g_num;) {
        unsigned n = 1;
        while (i + n < g_reg_file.g_num && g_reg_file.addr[i + n] == g_reg_file.addr[i + n - 1] + 4)
            ++n;
        const int result = op(i, n);
        if (result != RQM_SUCCESS)
            return result;
        i += n;
    }
    return RQM_SUCCESS;
}

int dump_registers(RqmApiContext* ctx, const char* pchListPath, const char* pchOutPath, uint32_t RfFlag,
                   uint32_t RfParam) {
    uint32_t size = 0;
    Heap<char> text(reinterpret_cast<char*>(ReadBinaryFileIntoBuffer(ctx, pchListPath, 0, &size)));
    if (text == nullptr)
        return RQM_FILE_ERROR;
    File out(fopen(pchOutPath, "w"));
    if (out == nullptr)
        return RQM_FILE_ERROR;
    RemoveCommentsFromText(ctx, text.get(), &size);
    uint32_t count = 0;
    Heap<uint32_t> addrs(ConvertTextDataInTextBasedHexAddrsFormatToBinary(ctx, text.get(), size, &count));
    text.reset();
    if (addrs == nullptr)
        return RQM_FILE_ERROR;
    Heap<uint32_t> values(static_cast<uint32_t*>(calloc(count + 1u, sizeof(uint32_t))));
    if (values == nullptr)
        return RQM_OUT_OF_MEMORY;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t a = addrs.get()[i];
        uint32_t* v = &values.get()[i];
        const int result =
            RfFlag != 0 ? RQM_ReadRegisterRfAccess(ctx, a, v, RfParam) : RQM_ReadRegister(ctx, a, v);
        if (result != RQM_SUCCESS)
            return result;
    }
    for (uint32_t i = 0; i < count; ++i) {
        char line[32];
        const int n = snprintf(line, sizeof line, "0x%08x,0x%08x\n", addrs.get()[i], values.get()[i]);
        if (fwrite(line, 1, static_cast<size_t>(n), out.get()) != static_cast<size_t>(n))
            return RQM_FILE_ERROR;
    }
    // Buffered lines meet a full disk only here.
    return fclose(out.release()) == 0 ? RQM_SUCCESS : RQM_FILE_ERROR;
}

struct DumpArgs {
    const char* pchListPath;
    const char* pchOutPath;
    uint32_t RfParam;
};

int rf_dump(RqmApiContext* ctx, void* pArg) {
    const DumpArgs& a = *static_cast<const DumpArgs*>(pArg);
    return RQM_DumpRegistersToFileProcess(ctx, a.pchListPath, a.pchOutPath, 1, a.RfParam);
}

}  // namespace

// ---- Register dumps ----

int RQM_DumpRegistersToFileProcess(RqmApiContext* ctx, const char* pchListPath, const char* pchOutPath,
                                   uint32_t RfFlag, uint32_t RfParam) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_DumpRegistersToFileProcess");
    if (pchListPath == nullptr || pchOutPath == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_DumpRegistersToFileProcess");
    return reported(ctx, dump_registers(ctx, pchListPath, pchOutPath, RfFlag, RfParam),
                    "RQM_DumpRegistersToFileProcess");
}

int RQM_DumpRegistersToFile(RqmApiContext* ctx, const char* pchListPath, const char* pchOutPath) {
    return reported(ctx, RQM_DumpRegistersToFileProcess(ctx, pchListPath, pchOutPath, 0, 0),
                    "RQM_DumpRegistersToFile");
}

int RQM_DumpRegistersToFileRfAccess(RqmApiContext* ctx, const char* pchListPath, const char* pchOutPath,
                                    uint32_t RfParam) {
    if (ctx == nullptr)
        return reported(ctx, RQM_NO_CONTEXT, "RQM_DumpRegistersToFileRfAccess");
    // Checked before the mode is touched: a dump that cannot be made sends
    // nothing.
    if (pchListPath == nullptr || pchOutPath == nullptr)
        return reported(ctx, RQM_INVALID_PARAMETER, "RQM_DumpRegistersToFileRfAccess");
    DumpArgs args = {pchListPath, pchOutPath, RfParam};
    return reported(ctx, rqm_com_bus_bracket(ctx, rf_dump, &args), "RQM_DumpRegistersToFileRfAccess");
}

// ---- The register-file table ----

const char* RQM_name_parse(const char* pPos, const char* pLineEnd, char* pName) {
    while (pPos < pLineEnd && !printable(*pPos))
        ++pPos;
    size_t n = 0;
    for (; pPos < pLineEnd && printable(*pPos); ++pPos)
        if (n < REG_FILE_NAME_SIZE - 1)
            pName[n++] = *pPos;
    pName[n] = '\0';
    return pPos;
}

uint32_t RQM_hex_parse(const char* pPos, const char* pLineEnd, const char** ppEnd) {
    for (const char* p = pPos; pLineEnd - p >= static_cast<ptrdiff_t>(HEX_MARK_LEN); ++p)
        if (memcmp(p, HEX_MARK, HEX_MARK_LEN) == 0)
            return bounded_strtoul16(p + HEX_MARK_LEN, pLineEnd, ppEnd);
    *ppEnd = pLineEnd;
    return 0;
}

int RQM_reg_file_parse(const char* pchPath) {
    File file(pchPath != nullptr ? fopen(pchPath, "r") : nullptr);
    if (file == nullptr)
        return 1;
    long end = -1;
    if (fseek(file.get(), 0, SEEK_END) == 0)
        end = ftell(file.get());
    if (end < 0 || fseek(file.get(), 0, SEEK_SET) != 0)
        return 1;
    const auto size = static_cast<size_t>(end);
    printf("file_len=%dkB\n", static_cast<int>(size / 1024));
    Heap<char> text(static_cast<char*>(malloc(size > 0 ? size : 1)));
    if (text == nullptr)
        return 1;
    const size_t got = fread(text.get(), 1, size, file.get());
    printf("read_len=%dkB\n", static_cast<int>(got / 1024));

    const char* p = text.get();
    const char* const end_of_data = p + got;
    unsigned entries = 0;
    while (entries < REG_FILE_MAX_ENTRIES && p < end_of_data) {
        const char* lf = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end_of_data - p)));
        if (lf == nullptr)
            break;  // a last line without its LF makes no entry
        const unsigned k = entries++;
        const char* q = RQM_name_parse(p, lf, g_reg_file.name[k]);
        if (q < lf) {
            g_reg_file.addr[k] = RQM_hex_parse(q, lf, &q);
            if (q < lf)
                g_reg_file.w_val[k] = RQM_hex_parse(q, lf, &q);
        }
        p = lf + 1;
    }
    g_reg_file.g_num = static_cast<uint16_t>(entries);
    return 0;
}

int RQM_reg_file_save(const char* pchPath) {
    File file(pchPath != nullptr ? fopen(pchPath, "w+") : nullptr);
    if (file == nullptr)
        return 1;
    for (unsigned i = 0; i < g_reg_file.g_num; ++i) {
        char line[SAVE_LINE_SIZE] = {};
        // The name is at most 79 characters: the line always fits.
        int n = snprintf(line, sizeof line - 1, "%s\thex%08X = hex%X", g_reg_file.name[i], g_reg_file.addr[i],
                         g_reg_file.r_val[i]);
        n = n < 0 ? 0 : std::min<int>(n, static_cast<int>(sizeof line) - 2);
        line[n++] = '\n';
        if (fwrite(line, 1, static_cast<size_t>(n), file.get()) != static_cast<size_t>(n))
            return 1;
    }
    return fclose(file.release()) == 0 ? 0 : 1;
}

int RQM_reg_file_write(RqmApiContext* ctx) {
    return for_each_run([ctx](unsigned first, unsigned n) {
        return RQM_WriteRegBlk(ctx, g_reg_file.addr[first], &g_reg_file.w_val[first], n);
    });
}

int RQM_reg_file_read(RqmApiContext* ctx) {
    return for_each_run([ctx](unsigned first, unsigned n) {
        const int result = RQM_ReadMemory(ctx, g_reg_file.addr[first], &g_reg_file.r_val[first], 4 * n);
        // Chip memory is little-endian, whatever the host is.
        for (unsigned i = first; i < first + n; ++i)
            g_reg_file.r_val[i] = hi_rd32(reinterpret_cast<const uint8_t*>(&g_reg_file.r_val[i]));
        return result;
    });
}

int RQM_reg_file_write_ex(RqmApiContext* ctx) {
    if (ctx == nullptr)
        return RQM_INVALID_PARAMETER;
    int result = RQM_WriteRegsterEx(ctx, g_reg_file.addr, g_reg_file.w_val, g_reg_file.g_num);
    if (result == RQM_SUCCESS)
        result = RQM_ReadRegsterEx(ctx, g_reg_file.addr, g_reg_file.r_val, g_reg_file.g_num);
    if (result != RQM_SUCCESS)
        return result;
    return memcmp(g_reg_file.w_val, g_reg_file.r_val, 4u * g_reg_file.g_num);
}

int RQM_reg_file_read_ex(RqmApiContext* ctx, const char* pchPath) {
    if (ctx == nullptr || pchPath == nullptr)
        return RQM_INVALID_PARAMETER;
    const int result = RQM_ReadRegsterEx(ctx, g_reg_file.addr, g_reg_file.r_val, g_reg_file.g_num);
    if (result != RQM_SUCCESS)
        return result;
    return RQM_reg_file_save(pchPath);
}
