// Comment removal, the three text converters and the file functions. Every
// text is copied into a buffer of exactly its length, so a read past the end
// shows up under ASan.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "common/file_read.h"

namespace {

struct FreeDeleter {
    void operator()(void* p) const { free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// Never null, even for an empty text.
struct Text {
    explicit Text(const std::string& s) : buf(static_cast<char*>(malloc(s.empty() ? 1 : s.size()))) {
        memcpy(buf.get(), s.data(), s.size());
        len = static_cast<uint32_t>(s.size());
    }
    Owned<char> buf;
    uint32_t len;
};

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; i++)
        out += s;
    return out;
}

struct CommentCase {
    const char* name;
    std::string in;
    std::string out;
};

void PrintTo(const CommentCase& c, std::ostream* os) {
    *os << c.name;
}

class Comments : public testing::TestWithParam<CommentCase> {};

TEST_P(Comments, CleanedInPlace) {
    const CommentCase& c = GetParam();
    Text t(c.in);
    RemoveCommentsFromText(nullptr, t.buf.get(), &t.len);
    EXPECT_EQ(std::string(t.buf.get(), t.len), c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Comments,
    testing::Values(CommentCase{"BlockWithLooseStarAndSlash", "a/* x * / y */b", "ab"},
                    CommentCase{"OpeningStarDoesNotClose", "a/*/ b", "a"},
                    CommentCase{"DoubleStarCloses", "a/*x**/b", "ab"},
                    CommentCase{"UnclosedBlockTakesTheRest", "a/* never\nclosed\nb", "a"},
                    CommentCase{"LineCommentKeepsLineEnd", "x = 1 \t // note\r\ny", "x = 1\r\ny"},
                    CommentCase{"LineCommentAtEnd", "a//c", "a"},
                    CommentCase{"ThreeLfBecomeOne", "a\n\n\nb", "a\nb"},
                    CommentCase{"CrLfRunBecomesOne", "a\r\n\r\n\r\nb", "a\r\nb"},
                    CommentCase{"BlankLineRemoved", "a\n \t\nb", "a\nb"},
                    CommentCase{"CommentLinesRemoved", "a\n/*x*/\n// y\nb", "a\nb"},
                    CommentCase{"MayBeginWithOneLineEnd", "// head\n\nx", "\nx"},
                    CommentCase{"SlashLast", "a/", "a/"}, CommentCase{"OpenBlockLast", "a/*", "a"},
                    CommentCase{"StarLastInsideBlock", "a/* *", "a"},
                    CommentCase{"BlanksOfLastLineStay", "a \t", "a \t"}, CommentCase{"Empty", "", ""}),
    [](const testing::TestParamInfo<CommentCase>& i) { return std::string(i.param.name); });

TEST(CommentsNull, NullTextOrLengthIsLeftAlone) {
    uint32_t len = 5;
    RemoveCommentsFromText(nullptr, nullptr, &len);
    EXPECT_EQ(len, 5u);
    char c = 'a';
    RemoveCommentsFromText(nullptr, &c, nullptr);
}

enum Kind { REG, FRAME, WORDS };

struct Result {
    bool ok;
    uint32_t count;
    std::vector<uint32_t> items;  // register records as address, value
};

Result convert(Kind kind, const char* text, uint32_t len) {
    Result r{false, 99, {}};
    void* out = nullptr;
    if (kind == REG) {
        uint32_t* a = ConvertTextDataToRegValueFormat(nullptr, text, len, &r.count);
        if (a != nullptr)
            r.items.assign(a, a + 2 * r.count);
        out = a;
    } else if (kind == FRAME) {
        uint8_t* a = ConvertTextDataInFrameFileFormatToBinary(nullptr, text, len, &r.count);
        if (a != nullptr)
            r.items.assign(a, a + r.count);
        out = a;
    } else {
        uint32_t* a = ConvertTextDataInTextBasedHexAddrsFormatToBinary(nullptr, text, len, &r.count);
        if (a != nullptr)
            r.items.assign(a, a + r.count);
        out = a;
    }
    r.ok = out != nullptr;
    free(out);
    return r;
}

// On success the items, on failure the count reached before the fault.
struct ConvertCase {
    Kind kind;
    const char* name;
    std::string in;
    bool ok;
    std::vector<uint32_t> items;
    uint32_t failCount;
};

void PrintTo(const ConvertCase& c, std::ostream* os) {
    *os << c.name;
}

class Convert : public testing::TestWithParam<ConvertCase> {};

TEST_P(Convert, ItemsOrCountAtFault) {
    const ConvertCase& c = GetParam();
    Text t(c.in);
    const Result r = convert(c.kind, t.buf.get(), t.len);
    ASSERT_EQ(r.ok, c.ok);
    if (c.ok)
        EXPECT_EQ(r.items, c.items);
    else
        EXPECT_EQ(r.count, c.failCount);
}

const std::string kRec1 = "0x00000010,0x000000ff";
const std::string kRec2 = "0x0000ABCD,0xdeadBEEF";
const std::vector<uint32_t> kBoth = {0x10, 0xff, 0xabcd, 0xdeadbeef};

std::vector<uint32_t> rec1_times(int n) {
    std::vector<uint32_t> v;
    for (int i = 0; i < n; i++)
        v.insert(v.end(), {0x10, 0xff});
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    RegValue, Convert,
    testing::Values(ConvertCase{REG, "TwoSplitByLf", kRec1 + "\n" + kRec2, true, kBoth, 0},
                    ConvertCase{REG, "LeadingLfFails", "\n" + kRec1, false, {}, 0},
                    ConvertCase{REG, "NoSeparatorBetween", kRec1 + kRec2, true, kBoth, 0},
                    ConvertCase{REG, "TrailingSeparators", kRec1 + " \r\n\t,.", true, {0x10, 0xff}, 0},
                    ConvertCase{REG, "UpperX", "0X00000010,0x000000ff", false, {}, 0},
                    ConvertCase{REG, "NoComma", "0x00000010;0x000000ff", false, {}, 0},
                    ConvertCase{REG, "ValueUpperX", "0x00000010,0X000000ff", false, {}, 0},
                    ConvertCase{REG, "SecondWrong", kRec1 + "\n0x00000020 0x00000002", false, {}, 1},
                    ConvertCase{REG, "LastCutShort", kRec1 + "\n" + kRec2.substr(0, 20), false, {}, 1},
                    // Digits end at the first character that is not one.
                    ConvertCase{REG, "DigitsStopAtNonHex", "0x0000001g,0x00000zff", true, {0x1, 0x0}, 0},
                    // 22 records of 21 characters fill the bound of length / 22 + 1.
                    ConvertCase{REG, "TwentyTwoBackToBack", repeat(kRec1, 22), true, rec1_times(22), 0},
                    ConvertCase{REG, "TwentyThreeBackToBack", repeat(kRec1, 23), false, {}, 22}),
    [](const testing::TestParamInfo<ConvertCase>& i) { return std::string(i.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Frame, Convert,
    testing::Values(ConvertCase{FRAME, "Separated", "12, 34.56\t78", true, {0x12, 0x34, 0x56, 0x78}, 0},
                    ConvertCase{FRAME, "SeparatorAsSecondChar", "1 2 ", true, {0x10, 0x20}, 0},
                    ConvertCase{FRAME, "ThreeDigits", "123", false, {}, 1},
                    ConvertCase{FRAME, "NotHex", "zz", true, {0}, 0},
                    ConvertCase{FRAME, "Case", "aB Cd", true, {0xab, 0xcd}, 0},
                    ConvertCase{FRAME, "SurroundingSeparators", "\r\n 12 \r\n", true, {0x12}, 0},
                    ConvertCase{FRAME, "SeparatorsOnly", " ,.\t\r\n", false, {}, 0},
                    ConvertCase{FRAME, "OddLast", "1,2", false, {}, 1},
                    ConvertCase{FRAME, "FourDigits", "1234", true, {0x12, 0x34}, 0},
                    ConvertCase{FRAME, "SixDigitsFillBound", "123456", true, {0x12, 0x34, 0x56}, 0},
                    ConvertCase{FRAME, "EightDigits", "12345678", false, {}, 3}),
    [](const testing::TestParamInfo<ConvertCase>& i) { return std::string(i.param.name); });

INSTANTIATE_TEST_SUITE_P(
    HexWords, Convert,
    testing::Values(ConvertCase{WORDS, "LeadingBlanks", " \t0x10 0x20", true, {0x10, 0x20}, 0},
                    ConvertCase{WORDS, "MixedSeparators", "ff.10\r\n7,", true, {0xff, 0x10, 0x7}, 0},
                    ConvertCase{WORDS, "EightDigits", "0xFFFFFFFe", true, {0xfffffffe}, 0},
                    ConvertCase{WORDS, "NineDigits", "123456789", true, {0xffffffff}, 0},
                    ConvertCase{WORDS, "NineDigitsLeadingZero", "000000001", true, {0xffffffff}, 0},
                    ConvertCase{WORDS, "Case", "0xabcdef 0xABCDEF", true, {0xabcdef, 0xabcdef}, 0},
                    ConvertCase{WORDS, "UpperX", "0X1", false, {}, 1},
                    ConvertCase{WORDS, "PrefixAtEnd", "1 0x", false, {}, 2},
                    ConvertCase{WORDS, "PrefixThenSeparator", "0x 1", false, {}, 0},
                    ConvertCase{WORDS, "NotHex", "1 g", false, {}, 1},
                    ConvertCase{WORDS, "SeparatorsOnly", " ,. ", true, {}, 0}),
    [](const testing::TestParamInfo<ConvertCase>& i) { return std::string(i.param.name); });

TEST(Converters, EmptyTextGivesEmptyArrayNullTextNull) {
    Text empty("");
    for (Kind k : {REG, FRAME, WORDS}) {
        const Result e = convert(k, empty.buf.get(), 0);
        EXPECT_TRUE(e.ok) << k;
        EXPECT_EQ(e.count, 0u) << k;
        const Result n = convert(k, nullptr, 21);
        EXPECT_FALSE(n.ok) << k;
        EXPECT_EQ(n.count, 0u) << k;
    }
}

class Files : public testing::Test {
protected:
    std::string path(const char* leaf) {
        std::string p = testing::TempDir() + "rqm_text_" + std::to_string(getpid()) + "_" + leaf;
        made.push_back(p);
        return p;
    }
    void put(const std::string& p, const std::string& data) {
        FILE* f = fopen(p.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(data.data(), 1, data.size(), f);
        ASSERT_EQ(fclose(f), 0);
    }
    void TearDown() override {
        for (const std::string& p : made)
            remove(p.c_str());
    }
    std::vector<std::string> made;
};

TEST_F(Files, ReadLeavesHeadroomInFront) {
    const std::string p = path("headroom");
    put(p, std::string("ab\0c", 4));
    uint32_t size = 99;
    Owned<uint8_t> buf(ReadBinaryFileIntoBuffer(nullptr, p.c_str(), 5, &size));
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(memcmp(buf.get() + 5, "ab\0c", 4), 0);
}

TEST_F(Files, EmptyFileGivesEmptyBuffer) {
    const std::string p = path("empty");
    put(p, "");
    uint32_t size = 99;
    Owned<uint8_t> buf(ReadBinaryFileIntoBuffer(nullptr, p.c_str(), 0, &size));
    EXPECT_NE(buf, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(Files, UnreadablePathsGiveNull) {
    // A directory opens, but is no file; a FIFO nobody writes would hold
    // the open for ever, and /dev/zero the read.
    const std::string fifo = path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& p : {path("missing"), testing::TempDir(), fifo, std::string("/dev/zero")})
        EXPECT_EQ(ReadBinaryFileIntoBuffer(nullptr, p.c_str(), 0, nullptr), nullptr) << p;
    EXPECT_EQ(ReadBinaryFileIntoBuffer(nullptr, nullptr, 0, nullptr), nullptr);
}

// The reader's bound: a file of the largest size the caller holds is read
// behind its headroom, one byte more is refused and its size not stored.
TEST_F(Files, WholeFileReaderKeepsToItsBound) {
    const std::string p = path("bound");
    put(p, "12345");
    for (const auto& [max, ok] : {std::pair{5u, true}, std::pair{4u, false}}) {
        uint32_t size = 99;
        Owned<uint8_t> buf(rqm_read_whole_file(nullptr, p.c_str(), 8, max, "", &size));
        EXPECT_EQ(buf != nullptr, ok) << max;
        EXPECT_EQ(size, ok ? 5u : 99u) << max;
        if (ok) {
            EXPECT_EQ(memcmp(buf.get() + 8, "12345", 5), 0);
        }
    }
}

TEST_F(Files, WriteRoundTripTruncates) {
    const std::string p = path("write");
    const uint8_t data[] = {0, 0xff, '\n', 0x7f};
    ASSERT_EQ(WriteBufferIntoBinaryFile(nullptr, "0123456789", 10, p.c_str()), 0);
    testing::internal::CaptureStdout();
    ASSERT_EQ(WriteBufferIntoBinaryFile(nullptr, data, sizeof data, p.c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    uint32_t size = 0;
    Owned<uint8_t> back(ReadBinaryFileIntoBuffer(nullptr, p.c_str(), 0, &size));
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(size, sizeof data);
    EXPECT_EQ(memcmp(back.get(), data, sizeof data), 0);
}

TEST_F(Files, WriteFailuresGive37) {
    // One byte stays in the stream's buffer and fails at the close; a
    // megabyte fails in the write itself.
    const std::vector<uint8_t> big(1 << 20, 0x5a);
    const std::pair<std::string, uint32_t> cases[] = {
        {path("no-dir") + "/x", 1}, {"/dev/full", 1}, {"/dev/full", 1 << 20}};
    for (const auto& [file, len] : cases) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(WriteBufferIntoBinaryFile(nullptr, big.data(), len, file.c_str()), 37) << file;
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "WriteBufferIntoBinaryFile failed (37:unknown error)\n");
    }
}

// What a caller does: read, clean, convert.
TEST_F(Files, RegisterFilePipeline) {
    const std::string p = path("regs");
    put(p, kRec1 + "   // first\r\n\r\n/* second */" + kRec2 + "\r\n");
    uint32_t size = 0;
    Owned<uint8_t> buf(ReadBinaryFileIntoBuffer(nullptr, p.c_str(), 0, &size));
    ASSERT_NE(buf, nullptr);
    char* text = reinterpret_cast<char*>(buf.get());
    RemoveCommentsFromText(nullptr, text, &size);
    const Result r = convert(REG, text, size);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.items, kBoth);
}

}  // namespace
