#include "common/file_read.h"

#include <cstdio>
#include <cstdlib>

#include "common/rqm_context.h"

uint8_t* rqm_read_whole_file(RqmApiContext* ctx, const char* pchPath, uint32_t Headroom, uint32_t MaxSize,
                             const char* pchNoMemory, uint32_t* pSize) {
    FILE* file = pchPath != nullptr ? fopen(pchPath, "rb") : nullptr;
    if (file == nullptr) {
        RQM_UI_Printf(ctx, "Cannot open file %s\n", pchPath != nullptr ? pchPath : "");
        return nullptr;
    }
    // A directory or a pipe opens fine but has no size to learn.
    long end = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        end = ftell(file);
    if (end < 0 || static_cast<unsigned long>(end) > MaxSize || fseek(file, 0, SEEK_SET) != 0) {
        RQM_UI_Printf(ctx, "Image file error\n");
        fclose(file);
        return nullptr;
    }
    const auto size = static_cast<uint32_t>(end);
    // Counted in 64 bits: on the 32-bit board headroom and size together
    // may exceed what malloc can be asked for.
    uint64_t total = uint64_t{Headroom} + size;
    if (total == 0)
        total = 1;
    auto* buffer = total <= SIZE_MAX ? static_cast<uint8_t*>(malloc(static_cast<size_t>(total))) : nullptr;
    if (buffer == nullptr) {
        RQM_UI_Printf(ctx, "%s", pchNoMemory);
        fclose(file);
        return nullptr;
    }
    if (pSize != nullptr)
        *pSize = size;
    // A file that shrank since the seek reads short; half a file is no file.
    if (fread(buffer + Headroom, 1, size, file) != size || ferror(file)) {
        RQM_UI_Printf(ctx, "Image file error\n");
        free(buffer);
        fclose(file);
        return nullptr;
    }
    fclose(file);
    return buffer;
}
