// Whole files read into memory: the SDD and image files the transport hands
// to the driver, and the text and SDD files the API reads. One reader, so
// that how a file is opened, measured and read is decided in one place.
#pragma once

#include <cstdint>

struct RqmApiContext;

// Reads the whole file at pchPath into a new buffer (the caller frees it
// with free()): Headroom bytes left free in front, then the file's bytes;
// an empty file still gives a buffer. *pSize (when given) receives the
// file's size once the buffer is made, so a read that fails after that has
// already stored it. A file larger than MaxSize bytes is refused.
//
// Null on failure, after a report through the print hooks: "Cannot open
// file %s\n" (no path, or it does not open), "Image file error\n" (no size
// to learn, one past MaxSize, or a read that fails or falls short), or the
// caller's pchNoMemory text when the buffer cannot be had.
uint8_t* rqm_read_whole_file(RqmApiContext* pRqmApiContext, const char* pchPath, uint32_t Headroom,
                             uint32_t MaxSize, const char* pchNoMemory, uint32_t* pSize);
