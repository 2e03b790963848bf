// Arbitrary bytes as an SDD file through the element walk, for every id.
// The file sits in a buffer of exactly its length, so a look past it is an
// ASan report; an element handed back must lie whole inside the file.
// fuzz-sources: api/phy_sdd_element.cpp
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "api/rqm_sdd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536)
        return 0;
    auto* file = static_cast<uint8_t*>(malloc(size > 0 ? size : 1));
    if (file == nullptr)
        return 0;
    memcpy(file, data, size);
    const int count = static_cast<int>(size);
    for (int id = 0; id < 256; ++id) {
        const uint8_t* found = nullptr;
        uint8_t len = 0;
        const int offset = rqm_get_sdd_param(file, count, static_cast<uint8_t>(id), &found, &len);
        if (offset < 0 || offset > count)
            __builtin_trap();
        if (found != nullptr) {
            if (found != file + offset + 2 || offset + 2 + len > count || file[offset] != id)
                __builtin_trap();
            volatile uint8_t sink = 0;
            for (unsigned i = 0; i < len; ++i)
                sink = sink + found[i];
        }
    }
    free(file);
    return 0;
}
