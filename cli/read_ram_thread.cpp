#include "cli/read_ram_thread.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "common/hi_bytes.h"
#include "main.h"

pthread_t tReadThreadID{};

namespace {

int g_dump_lost_mark;

constexpr uint32_t HIF_REG_0 = 0;
constexpr uint32_t HIF_REG_1 = 1;
constexpr uint32_t WAKEUP_BIT = 0x1000;   // HIF register 1
constexpr uint32_t DMODE_BIT = 0x400;     // HIF register 0
constexpr uint32_t BT_HIF_BIT = 0x80000;  // HIF register 1

int set_hif_bit(uint32_t Reg, uint32_t Bit) {
    uint8_t bytes[4] = {};
    if (RQM_ReadRegType(cli_api(), RAM_REG_TYPE_HIF, Reg, sizeof bytes, bytes) != RQM_SUCCESS)
        return -1;
    const uint32_t value = hi_rd32(bytes) | Bit;
    printf("reg value: 0x%08X!\n", value);
    return RQM_WriteRegType(cli_api(), RAM_REG_TYPE_HIF, Reg, &value) == RQM_SUCCESS ? 0 : -1;
}

enum class Take { TAKEN, FAILED, DUMP_LOST };

// One announced block into the file and the buffer back to the chip.
// Anything but TAKEN ends the loop; a block that did not reach the file
// whole stays announced, so nothing is lost in the chip, and the file
// that could not take it is named.
Take take_block(const char* pchPath, int Buffer, uint32_t Length, uint8_t* pBlock, unsigned* pCount) {
    FILE* file = fopen(pchPath, "a+");
    if (file == nullptr) {
        printf("openfile [%s] error!\n", pchPath);
        return Take::DUMP_LOST;
    }
    fseek(file, 0, SEEK_END);
    memset(pBlock, 0, RAM_BUFFER_SIZE);
    if (read_ram_data(Buffer, Length, pBlock) != 0) {
        fclose(file);
        return Take::FAILED;
    }
    bool written = Length == 0 || fwrite(pBlock, Length, 1, file) == 1;
    // Buffered bytes meet a full disk only here.
    written = fclose(file) == 0 && written;
    if (!written) {
        printf("writefile [%s] error!\n", pchPath);
        return Take::DUMP_LOST;
    }
    ++*pCount;
    return clear_flag_and_len(Buffer) == 0 ? Take::TAKEN : Take::FAILED;
}

}  // namespace

void* const RAM_DUMP_LOST = &g_dump_lost_mark;

uint16_t mem_r_start_load() {
    return std::atomic_ref<uint16_t>(setting.mem_r_start).load();
}

void mem_r_start_store(uint16_t Value) {
    std::atomic_ref<uint16_t>(setting.mem_r_start).store(Value);
}

int set_wakeup_bit() {
    return set_hif_bit(HIF_REG_1, WAKEUP_BIT);
}

int set_dmode_bit() {
    return set_hif_bit(HIF_REG_0, DMODE_BIT);
}

int set_bt_hif_bit() {
    return set_hif_bit(HIF_REG_1, BT_HIF_BIT);
}

int read_flag_and_len(uint32_t* pWords) {
    uint8_t bytes[4 * RAM_BUFFERS] = {};
    pWords[0] = 0;
    pWords[1] = 0;
    if (RQM_ReadRegType(cli_api(), RAM_REG_TYPE_AHB, RAM_FLAG_ADDR, sizeof bytes, bytes) != RQM_SUCCESS)
        return -1;
    pWords[0] = hi_rd32(bytes);
    pWords[1] = hi_rd32(bytes + 4);
    return 0;
}

int clear_flag_and_len(int Buffer) {
    if (Buffer != 0 && Buffer != 1) {
        printf("bad ram number: %d!\n", Buffer);
        return -1;
    }
    const uint32_t zero = 0;
    const uint32_t addr = RAM_FLAG_ADDR + 4 * static_cast<uint32_t>(Buffer);
    return RQM_WriteRegType(cli_api(), RAM_REG_TYPE_AHB, addr, &zero) == RQM_SUCCESS ? 0 : -1;
}

int read_ram_data(int Buffer, uint32_t Length, uint8_t* pOut) {
    if (Length > RAM_BUFFER_SIZE || (Buffer != 0 && Buffer != 1))
        return -1;
    const uint32_t start = RAM_BUFFER_ADDR + RAM_BUFFER_SIZE * static_cast<uint32_t>(Buffer);
    for (uint32_t done = 0; done < Length;) {
        const uint32_t chunk = std::min(RAM_READ_CHUNK, Length - done);
        if (RQM_ReadRegType(cli_api(), RAM_REG_TYPE_AHB, start + done, chunk, pOut + done) != RQM_SUCCESS)
            return -1;
        done += chunk;
    }
    return 0;
}

void* ReadThread(void* pArg) {
    const auto* pchPath = static_cast<const char*>(pArg);
    puts("Reading mem thread begin!");
    unsigned count = 0;
    Take last = Take::TAKEN;
    if (set_wakeup_bit() == 0 && set_dmode_bit() == 0 && set_bt_hif_bit() == 0) {
        // The thread's own block buffer, for as long as it runs.
        std::array<uint8_t, RAM_BUFFER_SIZE> block;
        // Each pass is one request to the chip at least: the thread waits in
        // the broker, never in a loop of its own.
        bool going = true;
        while (going && mem_r_start_load() != 0) {
            uint32_t words[RAM_BUFFERS];
            going = read_flag_and_len(words) == 0;
            for (int n = 0; going && n < static_cast<int>(RAM_BUFFERS); ++n) {
                if ((words[n] & RAM_FLAG_READY) == 0)
                    continue;
                last = take_block(pchPath, n, words[n] & RAM_FLAG_LENGTH_MASK, block.data(), &count);
                going = last == Take::TAKEN;
            }
        }
    }
    printf("read cnt: %d \n", static_cast<int>(count));
    puts("Reading mem thread end!");
    return last == Take::DUMP_LOST ? RAM_DUMP_LOST : nullptr;
}

int start_read_thread_to(const char* pchDumpPath) {
    if (pthread_create(&tReadThreadID, nullptr, ReadThread, const_cast<char*>(pchDumpPath)) != 0) {
        puts("Create pthread error!");
        return -1;
    }
    return 0;
}

int start_read_thread() {
    return start_read_thread_to(peer_ram_dump_path());
}

int wait_r_thread_end(void** ppEnd) {
    return pthread_join(tReadThreadID, ppEnd);
}
