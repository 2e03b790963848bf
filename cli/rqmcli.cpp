#include "main.h"

int main(int argc, char** argv) {
    return rqm_main(argc, argv);
}
