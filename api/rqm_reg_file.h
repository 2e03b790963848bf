// Register files and register dumps.
//
// A register dump reads every register named in an address-list text file
// (hex words, "0x" optional, with comments) and writes one line
// "0x%08x,0x%08x" per register, in list order: the records the
// register-value loader (RQM_BlockRegInit) reads back.
//
// The register-file table holds up to 1000 named registers parsed from a
// register file, one line each: the name, then "hex<address>", then
// "hex<value>" (what RQM_reg_file_save writes: "%s\thex%08X = hex%X").
// It is one table for the whole program, not tied to a context, and not
// guarded: one caller at a time.
#pragma once

#include <cstdint>

struct RqmApiContext;

inline constexpr unsigned REG_FILE_MAX_ENTRIES = 1000;
inline constexpr unsigned REG_FILE_NAME_SIZE = 80;  // 79 characters and the NUL

struct RegFileTable {
    char name[REG_FILE_MAX_ENTRIES][REG_FILE_NAME_SIZE];
    uint32_t addr[REG_FILE_MAX_ENTRIES];
    uint32_t w_val[REG_FILE_MAX_ENTRIES];  // to write
    uint32_t r_val[REG_FILE_MAX_ENTRIES];  // read back
    uint16_t g_num;                        // entries in use
};
extern RegFileTable g_reg_file;

// Dumps with direct register reads, or (RfFlag nonzero) with RF-access
// reads and RfParam. 37 when the list or the output cannot be used; a
// failed read leaves the output empty and is the result.
int RQM_DumpRegistersToFile(RqmApiContext* pRqmApiContext, const char* pchListPath, const char* pchOutPath);
int RQM_DumpRegistersToFileProcess(RqmApiContext* pRqmApiContext, const char* pchListPath,
                                   const char* pchOutPath, uint32_t RfFlag, uint32_t RfParam);
// The RF-access dump with the com-bus mode at 1 for its length.
int RQM_DumpRegistersToFileRfAccess(RqmApiContext* pRqmApiContext, const char* pchListPath,
                                    const char* pchOutPath, uint32_t RfParam);

// Fills the table from the file (entries past the new count keep what they
// held): 0, or 1 when it cannot be opened or read.
int RQM_reg_file_parse(const char* pchPath);
// The table's names and addresses with the values read back: 0, or 1 when
// the file cannot be written.
int RQM_reg_file_save(const char* pchPath);
// The table to and from the chip in runs of consecutive addresses.
int RQM_reg_file_write(RqmApiContext* pRqmApiContext);
int RQM_reg_file_read(RqmApiContext* pRqmApiContext);
// As a register list; the write then reads back and gives the memcmp of
// the values written and read (0: all equal).
int RQM_reg_file_write_ex(RqmApiContext* pRqmApiContext);
int RQM_reg_file_read_ex(RqmApiContext* pRqmApiContext, const char* pchPath);

// The parser's steps within one line, [pPos, pLineEnd) without its LF.
// The name: the printable run after any non-printable lead, cut to 79
// characters; returns where the run ends.
const char* RQM_name_parse(const char* pPos, const char* pLineEnd, char* pName);
// The number after the next "hex" on the line, read as strtoul reads base
// 16 on the board (32-bit, saturating), and where its digits end; 0 and
// the line end when the line holds no further "hex".
uint32_t RQM_hex_parse(const char* pPos, const char* pLineEnd, const char** ppEnd);
