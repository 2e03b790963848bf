// The register-file table on files alone: how lines become entries (what a
// short line keeps, names cut at 79 characters, numbers that end with their
// line), and files that cannot be used. The parser reads a buffer of
// exactly the file's size, so a read past the text shows up under ASan.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "tests/support/rows.h"

namespace {

// A file under /tmp, removed at the end.
struct TmpFile {
    std::string path;
    explicit TmpFile(const std::string& text) {
        char tmpl[] = "/tmp/rqm-regfile-XXXXXX";
        const int fd = mkstemp(tmpl);
        path = tmpl;
        if (fd >= 0) {
            EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
            close(fd);
        }
    }
    ~TmpFile() { unlink(path.c_str()); }
};

constexpr uint32_t kKeptAddr = 0xAAAA0000;
constexpr uint32_t kKeptVal = 0xBBBB0000;

// Every slot holds something a short line must keep.
void fill_table() {
    for (unsigned i = 0; i < REG_FILE_MAX_ENTRIES; ++i) {
        snprintf(g_reg_file.name[i], REG_FILE_NAME_SIZE, "OLD%u", i);
        g_reg_file.addr[i] = kKeptAddr + i;
        g_reg_file.w_val[i] = kKeptVal + i;
        g_reg_file.r_val[i] = 0;
    }
    g_reg_file.g_num = 0;
}

struct Entry {
    std::string name;
    uint32_t addr;
    uint32_t val;
};

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<Entry> entries;
};

const std::string k79(79, 'N');

const ParseCase kParseCases[] = {
    {"AddressEndsTheLineValueKept",
     "REG_B\thex0AC80160\nREG_C\thex0AC80164 = hex2\n",
     {{"REG_B", 0x0AC80160, kKeptVal}, {"REG_C", 0x0AC80164, 2}}},
    {"EmptyLineKeepsBoth", "\nREG_A\thex1 = hex2\n", {{"", kKeptAddr, kKeptVal}, {"REG_A", 1, 2}}},
    {"CrLfGivesAddressZero", "REG_D\r\n", {{"REG_D", 0, kKeptVal}}},
    {"SpaceAfterAddressGivesValueZero", "REG_E\thex10 \n", {{"REG_E", 0x10, 0}}},
    {"NumbersAsTheBoardReadsThem", "R\thex-1 = hex123456789\n", {{"R", 0xFFFFFFFF, 0xFFFFFFFF}}},
    // A number never continues on the next line.
    {"HexBeforeTheLineEnd", "REG_G\thex\n12AB\thex5 = hex6\n", {{"REG_G", 0, kKeptVal}, {"12AB", 5, 6}}},
    // The last line has no LF: no entry, and nothing read past the text.
    {"HexAtTheEndOfTheText", "REG_A\thex1 = hex2\nREG_H\thex", {{"REG_A", 1, 2}}},
    {"Name79", k79 + "\thex8 = hex9\n", {{k79, 8, 9}}},
    {"Name80IsCut", k79 + "X\thex8 = hex9\n", {{k79, 8, 9}}},
};

class RegFileParse : public testing::TestWithParam<ParseCase> {};

TEST_P(RegFileParse, EntriesAndWhatTheyKeep) {
    const ParseCase& c = GetParam();
    fill_table();
    TmpFile f(c.text);
    testing::internal::CaptureStdout();
    ASSERT_EQ(RQM_reg_file_parse(f.path.c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "file_len=0kB\nread_len=0kB\n");
    ASSERT_EQ(g_reg_file.g_num, c.entries.size());
    for (size_t i = 0; i < c.entries.size(); ++i) {
        const Entry& e = c.entries[i];
        const uint32_t slot = static_cast<uint32_t>(i);
        EXPECT_EQ(g_reg_file.name[i], e.name) << i;
        EXPECT_EQ(g_reg_file.addr[i], e.addr == kKeptAddr ? kKeptAddr + slot : e.addr) << i;
        EXPECT_EQ(g_reg_file.w_val[i], e.val == kKeptVal ? kKeptVal + slot : e.val) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, RegFileParse, testing::ValuesIn(kParseCases), RowName());

TEST(RegFile, AThousandEntriesAtMostAndTheSizeInKilobytes) {
    fill_table();
    std::string text;
    for (int i = 0; i < 1001; ++i)
        text += "REG\thex" + std::to_string(i) + "\n";
    TmpFile f(text);
    testing::internal::CaptureStdout();
    ASSERT_EQ(RQM_reg_file_parse(f.path.c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "file_len=10kB\nread_len=10kB\n");
    EXPECT_EQ(g_reg_file.g_num, 1000);
    EXPECT_EQ(g_reg_file.addr[999], 0x999u);
}

TEST(RegFile, PathsThatCannotBeUsed) {
    EXPECT_EQ(RQM_reg_file_parse("/nonexistent-dir/regs.txt"), 1);
    EXPECT_EQ(RQM_reg_file_save("/nonexistent-dir/out.txt"), 1);
    // A full disk shows when the file is closed.
    g_reg_file.g_num = 1;
    EXPECT_EQ(RQM_reg_file_save("/dev/full"), 1);
    EXPECT_EQ(RQM_reg_file_write_ex(nullptr), RQM_INVALID_PARAMETER);
    EXPECT_EQ(RQM_reg_file_read_ex(nullptr, "x"), RQM_INVALID_PARAMETER);
}

}  // namespace
