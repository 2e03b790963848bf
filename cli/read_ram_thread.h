// The RAM-read thread of "read_reg -s": the chip's firmware leaves blocks
// of data in two RAM buffers and announces each through a flag-and-length
// word; the thread takes every announced block, appends it to the dump
// file and hands the buffer back, until the main thread clears the run
// flag `setting.mem_r_start` (after the user typed 'q') and joins it.
//
// While it runs, the thread alone sends chip requests; the main thread only
// reads its input and prints.
#pragma once

#include <pthread.h>

#include <cstdint>
#include <cstdio>

#include "transport/netlink_peer.h"

// The dump file is "/sdcard/ram.bin" on the board; a simulation program
// keeps it where RQMSIM_RAMDIR says. The peer linked in decides
// (peer_ram_dump_path).

// Register types of the driver-level register requests.
inline constexpr uint32_t RAM_REG_TYPE_HIF = 1;
inline constexpr uint32_t RAM_REG_TYPE_AHB = 2;
// AHB: the flag-and-length words of buffers 0 and 1, then the buffers.
inline constexpr uint32_t RAM_FLAG_ADDR = 0x01817BF8;
inline constexpr uint32_t RAM_BUFFER_ADDR = 0x01817C00;
inline constexpr uint32_t RAM_BUFFER_SIZE = 2560;
inline constexpr uint32_t RAM_BUFFERS = 2;
// Bit 31: the buffer holds a block for the host; bits 0-30 its length.
inline constexpr uint32_t RAM_FLAG_READY = 0x80000000;
inline constexpr uint32_t RAM_FLAG_LENGTH_MASK = 0x7FFFFFFF;
inline constexpr uint32_t RAM_READ_CHUNK = 1024;

extern pthread_t tReadThreadID;

// Starts the thread dumping to peer_ram_dump_path(), or to a path of the
// caller's, which must outlive the thread. 0, or -1 after "Create pthread
// error!".
int start_read_thread();
int start_read_thread_to(const char* pchDumpPath);
// Joins the thread; the join's result, with what the thread ended with in
// *ppEnd when given.
int wait_r_thread_end(void** ppEnd = nullptr);
// The thread ends with this when a block could not be appended to the
// dump file (after a line that names the file), else with nullptr.
extern void* const RAM_DUMP_LOST;
void* ReadThread(void* pArg);

// The run flag, shared with the thread.
uint16_t mem_r_start_load();
void mem_r_start_store(uint16_t Value);

// The thread's steps, each 0 or -1. The three bits are set in the HIF
// registers (read, set, printed, written back) before the first poll.
int set_wakeup_bit();
int set_dmode_bit();
int set_bt_hif_bit();
// Both flag-and-length words in one read; zeroed first, so that a read
// that brings less leaves no earlier block announced.
int read_flag_and_len(uint32_t* pWords);
int clear_flag_and_len(int Buffer);
// Length bytes of the buffer in reads of 1024 and the rest.
int read_ram_data(int Buffer, uint32_t Length, uint8_t* pOut);

// read_reg with the dump path and the input the 'q' comes from as
// arguments; proc_read_reg passes peer_ram_dump_path() and stdin. With -s it
// fails when the thread could not keep the blocks it took in the file.
int read_reg_run(int argc, char** argv, const char* pchDumpPath, FILE* pInput);
