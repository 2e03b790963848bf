// What the thread tests ask of the process: how many receive threads are
// alive, and a bounded wait for a condition another thread makes true.
#pragma once

#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "transport/TargetCli.h"

// Receive threads alive in this process, found by their name.
inline int receive_threads() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.')
                continue;
            const std::string path = std::string("/proc/self/task/") + e->d_name + "/comm";
            if (FILE* f = fopen(path.c_str(), "r")) {
                char name[32] = {};
                if (fgets(name, sizeof name, f) != nullptr &&
                    std::string(name) == std::string(TARGET_CLI_RX_THREAD_NAME) + "\n")
                    ++n;
                fclose(f);
            }
        }
        closedir(d);
    }
    return n;
}

// True as soon as pred holds, false if it still does not after limit.
template <typename Pred>
bool eventually(Pred pred, std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return pred();
}
