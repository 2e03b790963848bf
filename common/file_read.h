// Whole files read into memory: the SDD and image files the transport hands
// to the driver, the text and SDD files the API reads, and the settings
// file. One reader, so that how a file is opened, measured and read is
// decided in one place.
//
// Only a regular file is read, and only up to the caller's bound: a FIFO
// must not stop the tool in open() waiting for a writer, and a device such
// as /dev/zero, or a file far larger than any real one, must not make it
// read without end. The open never blocks; what it opened is checked with
// fstat before a byte is read.
#pragma once

#include <cstdint>

struct RqmApiContext;

enum RqmFileStatus : int {
    RQM_FILE_OK = 0,
    RQM_FILE_NO_OPEN,      // no path, or it does not open
    RQM_FILE_NOT_REGULAR,  // a directory, FIFO, device or socket
    RQM_FILE_TOO_LARGE,    // more bytes than the caller's bound
    RQM_FILE_READ_FAILED,  // a read that failed or fell short
    RQM_FILE_NO_MEMORY,
};

// Opens the path with Flags (O_RDONLY or O_RDWR; never blocking, closed on
// exec) when it is a regular file: the descriptor, or -1 with *pStatus
// saying why. pSize (when given) receives the file's size.
int rqm_open_regular(const char* pchPath, int Flags, RqmFileStatus* pStatus, uint64_t* pSize = nullptr);

// Reads the whole regular file at pchPath, at most MaxSize bytes, into a
// new buffer (the caller frees it with free()): Headroom bytes left free in
// front, then the file's bytes; an empty file still gives a buffer.
// *pSize (when given) receives the file's size once the buffer is made, so
// a read that fails after that has already stored it. *ppBuffer is null
// unless the result is RQM_FILE_OK.
RqmFileStatus rqm_load_file(const char* pchPath, uint32_t Headroom, uint32_t MaxSize, uint8_t** ppBuffer,
                            uint32_t* pSize);

// The line that tells the user why a file that opened was not read, on
// standard output: "\"%s\" is not a regular file!", "\"%s\" is larger than
// %u bytes!" or "read \"%s\" is failure!". Nothing for RQM_FILE_OK or
// RQM_FILE_NO_OPEN, whose line is the caller's.
void rqm_put_file_refusal(const char* pchPath, RqmFileStatus Status, uint32_t MaxSize);

// rqm_load_file with the API's reports through the print hooks: "Cannot
// open file %s\n" (no path, or it does not open), "Image file error\n" (not
// a regular file, one past MaxSize, or a read that fails or falls short),
// or the caller's pchNoMemory text when the buffer cannot be had. Null on
// failure.
uint8_t* rqm_read_whole_file(RqmApiContext* pRqmApiContext, const char* pchPath, uint32_t Headroom,
                             uint32_t MaxSize, const char* pchNoMemory, uint32_t* pSize);
