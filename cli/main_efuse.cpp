// The efuse commands: read and write efuse elements, and read the antifuse
// bits.
#include "main.h"

// Not in this build yet: they fail without a word of their own.
int proc_read_efuse(int, char**) {
    return -1;
}
int proc_write_efuse(int, char**) {
    return -1;
}
int proc_get_antifuse(int, char**) {
    return -1;
}
