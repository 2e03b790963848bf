// The walk over an SDD file's elements. Kept apart from the file access
// so that it can be fuzzed alone.
#include "rqm_sdd.h"

int rqm_get_sdd_param(const uint8_t* pFile, int Count, uint8_t Id, const uint8_t** ppData, uint8_t* pLength) {
    int walked = 0;
    while (walked < Count) {
        // An element whose header or data run past the bytes read is not
        // there: nothing beyond them is ever looked at, or written later.
        if (walked + 2 > Count)
            break;
        const uint8_t len = pFile[walked + 1];
        if (walked + 2 + len > Count)
            break;
        if (pFile[walked] == Id) {
            *ppData = pFile + walked + 2;
            *pLength = len;
            return walked;
        }
        walked += 2 + len;
    }
    return walked;
}
