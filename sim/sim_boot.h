// What the stand-in holds when it starts, as a driver that has loaded the
// chip does: an SDD in use and the file it came from. The SDD is the
// stand-in's own; its file lies in a private directory that lives as long
// as the daemon, unless the daemon is started with a file of the user's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/file_read.h"

// The SDD the stand-in boots with: version 2.3, a crystal frequency offset,
// and the user power table in both of its elements (0xE3, read below
// version 2.5, and 0xB0), holding the same powers.
std::vector<uint8_t> sim_boot_sdd();

inline constexpr uint16_t SIM_BOOT_SDD_VERSION = 23;  // 10 x major + minor
inline constexpr uint16_t SIM_BOOT_FREQ_OFFSET = 66;
inline constexpr char SIM_BOOT_SDD_NAME[] = "rqm_sdd.sdd";

// The first max bytes of the regular file at path, opened as the tool opens
// its files (rqm_open_regular): never blocking, and refused unless it is a
// regular file. A FIFO at the path would otherwise hold the whole stand-in
// in open() waiting for a writer, its control and the tool's runs
// unanswered and its stop signals never read; a directory or a device is
// no SDD. RQM_FILE_OK, RQM_FILE_NO_OPEN, RQM_FILE_NOT_REGULAR or
// RQM_FILE_READ_FAILED; bytes are untouched unless the file is read.
RqmFileStatus sim_read_file(const std::string& path, size_t max, std::vector<uint8_t>* bytes);
// What a "cannot read FILE" line adds: ": not a regular file", ": a read
// failed", or nothing (read, or the file does not open).
const char* sim_file_status_text(RqmFileStatus s);

// The whole file, made anew in place of whatever stood at the path; false
// when it cannot be written.
bool sim_write_file(const std::string& path, const std::vector<uint8_t>& bytes);

// A fresh directory under $TMPDIR (or /tmp, when the path of the SDD file
// in it would be longer than the driver keeps) and the path of the SDD
// file in it, which is not written yet. false, with the reason in err,
// when no directory can be made.
bool sim_private_dir_make(std::string* dir, std::string* sdd_path, std::string* err);
// The SDD file and the directory; whatever else lies there stays.
void sim_private_dir_remove(const std::string& dir, const std::string& sdd_path);
