// The receive commands: start receiving with the RX statistics, and stop.
#include "main.h"

// Not in this build yet: they fail without a word of their own.
int proc_rx(int, char**) {
    return -1;
}
int proc_rx_stop(int, char**) {
    return -1;
}
