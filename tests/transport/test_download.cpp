// Firmware start and the downloads that carry files, on the real channel
// with the receive thread, against the stand-in driver: how a file is cut
// into chunks (offsets, lengths, flags), when a reboot handshake goes
// first, what the stand-in puts back together, and the start sequence with
// the SDD file's version.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "common/hi_msg.h"
#include "sim/sim_util.h"
#include "tests/support/cli_run.h"
#include "tests/support/received.h"
#include "tests/support/sim_process.h"
#include "tests/support/threads.h"
#include "transport/TargetCli.h"
#include "transport/adapter.h"
#include "transport/target_temp.h"
#include "transport/vormac_adapter.h"

// The stand-in takes every datagram, so a driver that refuses one is made
// here: the test binary links with adapter_sendmsg wrapped, and the send
// that brings g_refuse_send down to 0 is not made and answers as the
// channel answers a datagram nobody takes.
static unsigned g_refuse_send = 0;
extern "C" int __real__Z15adapter_sendmsgPKvi(const void*, int);
extern "C" int __wrap__Z15adapter_sendmsgPKvi(const void* msg, int len) {
    if (g_refuse_send != 0 && --g_refuse_send == 0)
        return -1 - NL_HEADER_SIZE;
    return __real__Z15adapter_sendmsgPKvi(msg, len);
}

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint16_t kImageId = HI_FW_DOWNLOAD_REQ_ID;
constexpr uint16_t kSddId = HI_SDD_DOWNLOAD_REQ_ID;
const Bytes kReboot = {0x04, 0x00, 0xFF, 0x03};

Bytes file_bytes(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(seed + 13 * i + (i >> 8));
    return b;
}

// The chunk the target must send: MsgLen, id, offset, flags, data.
Bytes chunk(uint16_t id, uint32_t offset, uint32_t flags, const Bytes& data) {
    Bytes m(12, 0);
    hi_set_msg_len(m.data(), static_cast<uint16_t>(12 + data.size()));
    hi_set_msg_id(m.data(), id);
    hi_wr32(m.data() + 4, offset);
    hi_wr32(m.data() + 8, flags);
    m.insert(m.end(), data.begin(), data.end());
    return m;
}

Bytes part(const Bytes& b, size_t from, size_t to) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from), b.begin() + static_cast<std::ptrdiff_t>(to));
}

class Download : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok()) << sim.last_error();
        ASSERT_TRUE(dir.ok());
        g_received.clear();  // indications nobody awaited
        ASSERT_EQ(adapter_connect(), 0);
        ctx = RQM_Create(nullptr, nullptr);
        ASSERT_NE(ctx, nullptr);
        RQM_SetConnectionType(ctx, 5);
        RQM_SetCallbackFunction(ctx, receive);
        ASSERT_EQ(Adapter_Init(ctx), 1);
        cli = ctx->Target->pTargetCli;
    }
    void TearDown() override {
        if (ctx != nullptr)
            RQM_Stop(ctx);
        adapter_disconnect();
    }

    void ctl(const std::string& line) { ASSERT_TRUE(sim.control(line)) << line << ": " << sim.last_error(); }
    std::string get(const std::string& key) {
        std::vector<std::string> out;
        EXPECT_TRUE(sim.control("get " + key, &out)) << key << ": " << sim.last_error();
        return out.size() == 1 ? out[0] : std::string("?");
    }
    // What the target sent since the last look, as HI messages.
    std::vector<Bytes> wire() {
        auto got = messages(sim.received());
        EXPECT_TRUE(sim.control("log clear"));
        return got;
    }
    std::string path(const char* name) const { return dir.path() + "/" + name; }
    std::string write_file(const char* name, const Bytes& bytes) {
        EXPECT_TRUE(dir.write(name, std::string(bytes.begin(), bytes.end())));
        return path(name);
    }
    // The boot loader reports ready before the download, as after a reboot
    // the transport saw: no handshake goes first.
    void loader_ready() {
        ctl("send boot 3 0");
        ASSERT_TRUE(eventually([&] { return cli->bBootLoaderReady == 1; }));
        ctl("log clear");
    }
    // Target request id with the start request made from path.
    int request(uint8_t id, const std::string& file, std::string* out = nullptr) {
        TargetStartRequest* req = MakeTargetStartRequest(ctx, file.c_str());
        EXPECT_NE(req, nullptr) << file;
        if (req == nullptr)
            return -1;
        const uint32_t size = hi_rd32(req + START_REQ_SIZE_OFF);
        testing::internal::CaptureStdout();
        const int result = Target_Request(ctx->Target, id, req, START_REQ_DATA_OFF + size, 0);
        const std::string text = testing::internal::GetCapturedStdout();
        if (out != nullptr)
            *out = text;
        free(req);
        return result;
    }

    SimProcess sim;
    TempDir dir;
    RqmApiContext* ctx = nullptr;
    TargetCliContext* cli = nullptr;
};

// ---- how a file is cut ----

struct ChunkCase {
    const char* name;
    uint8_t request;  // target request 1 (image) or 8 (SDD)
    size_t size;      // file bytes; or a '^' name when name is set
    const char* name_path;
    // Offset, flags and length of each chunk that goes out, in order.
    std::vector<std::array<uint32_t, 3>> chunks;
    unsigned refused = 0;  // the chunk the driver refuses, 1 the first; 0 none
};

constexpr uint8_t kImg = TARGET_MSG_ID_START_ADAPTER;
constexpr uint8_t kSdd = TARGET_MSG_ID_SEND_SDD;

const ChunkCase kChunkCases[] = {
    {"ImageEmpty", kImg, 0, nullptr, {}},
    {"ImageOneChunkShort", kImg, 1023, nullptr, {{0, 2, 1023}}},
    {"ImageOneWholeChunk", kImg, 1024, nullptr, {{0, 2, 1024}}},
    {"ImageOneByteOver", kImg, 1025, nullptr, {{0, 1, 1024}, {1024, 2, 1}}},
    {"ImageThreeChunks", kImg, 2500, nullptr, {{0, 1, 1024}, {1024, 0, 1024}, {2048, 2, 452}}},
    {"ImageThreeWholeChunks", kImg, 3072, nullptr, {{0, 1, 1024}, {1024, 0, 1024}, {2048, 2, 1024}}},
    {"ImageByName", kImg, 0, "^fw.bin", {{0, 6, 7}}},
    {"SddEmpty", kSdd, 0, nullptr, {}},
    {"SddThreeChunks", kSdd, 2500, nullptr, {{0, 1, 1024}, {1024, 0, 1024}, {2048, 2, 452}}},
    // A refused chunk ends the download: what followed it would reach the
    // driver as a broken file.
    {"SddSecondChunkRefused", kSdd, 2500, nullptr, {{0, 1, 1024}}, 2},
    // A path is sent as it stands, with its NUL.
    {"SddByPath",
     kSdd,
     0,
     "^/lib/firmware/rqm/a-long-directory-name/and-an-even-longer-one/that-goes-on/rqm_sdd.sdd",
     {{0, 6, 88}}},
};

class Chunks : public Download, public testing::WithParamInterface<ChunkCase> {};

TEST_P(Chunks, OffsetsFlagsLengthsAndWhatTheDriverJoined) {
    const ChunkCase& c = GetParam();
    const bool image = c.request == kImg;
    const uint16_t id = image ? kImageId : kSddId;
    loader_ready();
    if (HasFatalFailure())
        return;
    Bytes content = file_bytes(c.size, image ? 0x31 : 0x72);
    std::string file;
    if (c.name_path != nullptr) {
        file = c.name_path;
        content.assign(c.name_path + 1, c.name_path + strlen(c.name_path) + 1);
    } else {
        file = write_file("file.bin", content);
    }
    std::string out;
    g_refuse_send = c.refused;
    const int result = request(c.request, file, &out);
    g_refuse_send = 0;
    char head[64];
    snprintf(head, sizeof head, "Target_Request\ntarget_driver_request:  MsgId: 0x%x\n", c.request);
    EXPECT_EQ(out, std::string(head) + (c.refused != 0 ? "Driver exception!Please check!!\n" : ""));

    std::vector<Bytes> want;
    for (const auto& [offset, flags, len] : c.chunks)
        want.push_back(chunk(id, offset, flags, part(content, offset, offset + len)));
    EXPECT_EQ(wire(), want);
    if (c.refused != 0) {
        EXPECT_EQ(result, 0) << "a chunk that did not go out fails even an SDD download";
        EXPECT_EQ(get(image ? "download fw" : "download sdd"), "none");
        return;
    }
    if (c.chunks.empty()) {
        EXPECT_EQ(result, 1) << "nothing to send is done at once";
        EXPECT_EQ(get(image ? "download fw" : "download sdd"), "none");
        return;
    }
    const std::string joined =
        c.name_path != nullptr ? std::string("name ") + (c.name_path + 1) : "bytes " + sim_hex(content);
    EXPECT_EQ(get(image ? "download fw" : "download sdd"), joined);
    if (image) {
        // The loopback BOOT usually beats the target's 3 ms boot wait, but a
        // loaded machine may not: the verdict must only agree with the flag.
        EXPECT_TRUE(result == 1 || result == 0) << result;
        EXPECT_TRUE(eventually([&] { return cli->bBootInd == 1 && g_received.saw(HI_STARTUP_IND_ID); }))
            << "the firmware the image started announces itself";
        EXPECT_EQ(cli->SendWindow, 4u);
        EXPECT_EQ(get("connected"), "1");
    } else {
        EXPECT_EQ(result, 1) << "an SDD download counts as done whatever the driver says";
        EXPECT_TRUE(eventually([&] { return cli->bSddOk == 1; }));
        EXPECT_EQ(get("connected"), "0");
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Chunks, testing::ValuesIn(kChunkCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Download, ChunksBypassTheSendWindow) {
    loader_ready();
    if (HasFatalFailure())
        return;
    cli->SendWindow = 1;
    cli->TxSeq = 5;
    cli->CnfCount = 4;  // the window is full: a numbered send would wait
    const Bytes content = file_bytes(1500, 0x05);
    request(kSdd, write_file("sdd.bin", content));
    EXPECT_EQ(wire(), (std::vector<Bytes>{chunk(kSddId, 0, 1, part(content, 0, 1024)),
                                          chunk(kSddId, 1024, 2, part(content, 1024, 1500))}));
    EXPECT_EQ(cli->TxSeq, 5u);
}

// ---- the reboot handshake before a download ----

struct HandshakeCase {
    const char* name;
    uint8_t request;
    uint32_t loaderReady, sddOk, bootInd;  // the flags before the download
    unsigned reboots;                      // 0x3FF messages before any chunk
    bool chunks;                           // whether the file went out
    int result;
};

// Neither a reboot nor an image gets a BOOT back here, so that every wait
// ends the same way whatever the machine's load.
const HandshakeCase kHandshakeCases[] = {
    {"ImageFresh", kImg, 0, 0, 0, 2, false, 0},         {"SddFresh", kSdd, 0, 0, 0, 2, false, 0},
    {"ImageAfterSomeBoot", kImg, 0, 0, 1, 2, false, 0}, {"SddAfterSomeBoot", kSdd, 0, 0, 1, 0, true, 1},
    {"ImageAfterTheSdd", kImg, 0, 1, 0, 0, true, 0},    {"SddAfterTheSdd", kSdd, 0, 1, 0, 0, true, 1},
    {"ImageLoaderReady", kImg, 1, 0, 0, 0, true, 0},    {"SddLoaderReady", kSdd, 1, 0, 0, 0, true, 1},
};

class Handshake : public Download, public testing::WithParamInterface<HandshakeCase> {};

TEST_P(Handshake, RebootsOnlyWhenNothingSaysTheLoaderIsThere) {
    const HandshakeCase& c = GetParam();
    ctl("fault 1023 noanswer");
    ctl("fault 1022 noanswer");
    ctl("fault 1021 noanswer");
    cli->bBootLoaderReady = c.loaderReady;
    cli->bSddOk = c.sddOk;
    cli->bBootInd = c.bootInd;
    const Bytes content = file_bytes(100, 0x44);
    const uint16_t id = c.request == TARGET_MSG_ID_START_ADAPTER ? kImageId : kSddId;
    EXPECT_EQ(request(c.request, write_file("f.bin", content)), c.result);
    std::vector<Bytes> want(c.reboots, kReboot);
    if (c.chunks)
        want.push_back(chunk(id, 0, 2, content));
    EXPECT_EQ(wire(), want);
}

INSTANTIATE_TEST_SUITE_P(Flags, Handshake, testing::ValuesIn(kHandshakeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The stand-in answers the reboot with the boot loader's report at once,
// which usually lands within the target's 3 ms look; when it does not, the
// target tries once more and then gives up without sending the file.
TEST_F(Download, HandshakeAnsweredByTheBootLoader) {
    const Bytes content = file_bytes(1100, 0x09);
    const int result = request(TARGET_MSG_ID_SEND_SDD, write_file("sdd.bin", content));
    const std::vector<Bytes> got = wire();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0], kReboot);
    if (result == 0) {
        EXPECT_EQ(got, (std::vector<Bytes>{kReboot, kReboot})) << "two tries, no chunk";
        return;
    }
    EXPECT_EQ(result, 1);
    const size_t reboots = got.size() - 2;
    ASSERT_TRUE(reboots == 1 || reboots == 2) << got.size();
    EXPECT_EQ(std::vector<Bytes>(got.begin() + static_cast<std::ptrdiff_t>(reboots), got.end()),
              (std::vector<Bytes>{chunk(kSddId, 0, 1, part(content, 0, 1024)),
                                  chunk(kSddId, 1024, 2, part(content, 1024, 1100))}));
    EXPECT_EQ(get("download sdd"), "bytes " + sim_hex(content));
    EXPECT_TRUE(eventually([&] { return cli->bSddOk == 1; }));
}

TEST_F(Download, MissingOrUnreadableFileMakesNoRequest) {
    for (const std::string& file : {path("missing.bin"), dir.path()}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(MakeTargetStartRequest(ctx, file.c_str()), nullptr);
    }
    EXPECT_TRUE(wire().empty());
}

// ---- the start sequence ----

// A start waits for the image's BOOT within the target's 3 ms; on a loaded
// machine (a sanitizer build beside the other trees' tests) it may miss it
// several times in a row, so a start is tried up to ten times.
int start(RqmApiContext* ctx, const std::string& image, std::string* out) {
    int result = 0;
    for (int attempt = 0; attempt < 10 && result != 1; ++attempt) {
        testing::internal::CaptureStdout();
        result = Adapter_Start(ctx, image.c_str());
        *out = testing::internal::GetCapturedStdout();
    }
    return result;
}

const std::string kStartLines =
    "Adapter_Start\nMakeTargetStartRequest\nTARGET_MSG_ID_SEND_SDD\nTarget_Request\n"
    "target_driver_request:  MsgId: 0x8\nbootloader\nTARGET_MSG_ID_START_ADAPTER\nTarget_Request\n"
    "target_driver_request:  MsgId: 0x1\n";

struct StartCase {
    const char* name;
    Bytes sddHead;  // the SDD file's first bytes (more follow)
    uint8_t major, minor;
};

const StartCase kStartCases[] = {
    {"VersionElementFirst", {0xC0, 0x02, 0x02, 0x05}, 2, 5},
    {"OtherVersion", {0xC0, 0x02, 0x11, 0x00}, 0x11, 0},
    {"ElementOfAnotherLength", {0xC0, 0x03, 0x02, 0x05}, 0, 0},
    {"AnotherElementFirst", {0xC1, 0x02, 0x02, 0x05}, 0, 0},
};

class Start : public Download, public testing::WithParamInterface<StartCase> {};

TEST_P(Start, SddThenImageThenTheFirmwareFacts) {
    const StartCase& c = GetParam();
    ctl("set maxmsg 1200");
    ctl("set label FW_START_TEST");
    ctl("set mib 0x00140000");
    loader_ready();
    if (HasFatalFailure())
        return;
    Bytes sdd = c.sddHead;
    const Bytes rest = file_bytes(1300, 0x5A);
    sdd.insert(sdd.end(), rest.begin(), rest.end());
    const Bytes image = file_bytes(2100, 0x17);
    ASSERT_EQ(RQM_SetSDDPath(ctx, write_file("rqm.sdd", sdd).c_str()), RQM_SUCCESS);
    ctx->SddVersionMajor = 9;
    ctx->SddVersionMinor = 9;
    std::string out;
    ASSERT_EQ(start(ctx, write_file("fw.bin", image), &out), 1);
    EXPECT_EQ(out, kStartLines);
    EXPECT_EQ(ctx->SddVersionMajor, c.major);
    EXPECT_EQ(ctx->SddVersionMinor, c.minor);
    EXPECT_EQ(get("download sdd"), "bytes " + sim_hex(sdd));
    EXPECT_EQ(get("download fw"), "bytes " + sim_hex(image));
    EXPECT_EQ(ctx->MaxMsgSize, 1200u);
    EXPECT_STREQ(ctx->FirmwareLabel, "FW_START_TEST");
    EXPECT_EQ(ctx->MibBaseAddress, 0x00140000u);
    EXPECT_EQ(ctx->FirmwareApiVer, 0x0427);
    EXPECT_EQ(ctx->FwRunning, 1);
}

INSTANTIATE_TEST_SUITE_P(SddFiles, Start, testing::ValuesIn(kStartCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Download, StartWithTheSddByNameKeepsTheVersion) {
    loader_ready();
    if (HasFatalFailure())
        return;
    ASSERT_EQ(RQM_SetSDDPath(ctx, "^rqm_sdd.sdd"), RQM_SUCCESS);
    ctx->SddVersionMajor = 3;
    ctx->SddVersionMinor = 4;
    std::string out;
    ASSERT_EQ(start(ctx, write_file("fw.bin", file_bytes(10, 1)), &out), 1);
    EXPECT_EQ(out, kStartLines);
    EXPECT_EQ(ctx->SddVersionMajor, 3);
    EXPECT_EQ(ctx->SddVersionMinor, 4);
    EXPECT_EQ(get("download sdd"), "name rqm_sdd.sdd");
}

// Without the boot loader's report the SDD file never goes out, and the
// start ends there; the version was read from the file all the same.
TEST_F(Download, StartStopsWhenTheBootLoaderNeverReports) {
    ctl("fault 1023 noanswer");
    ASSERT_EQ(RQM_SetSDDPath(ctx, write_file("rqm.sdd", {0xC0, 0x02, 0x02, 0x05, 0x00}).c_str()),
              RQM_SUCCESS);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Adapter_Start(ctx, write_file("fw.bin", file_bytes(10, 1)).c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Adapter_Start\nMakeTargetStartRequest\nTARGET_MSG_ID_SEND_SDD\nTarget_Request\n"
              "target_driver_request:  MsgId: 0x8\n");
    EXPECT_EQ(wire(), (std::vector<Bytes>{kReboot, kReboot}));
    EXPECT_EQ(ctx->SddVersionMajor, 2);
    EXPECT_EQ(ctx->SddVersionMinor, 5);
    EXPECT_EQ(ctx->FwRunning, 0);
}

// An image the boot loader does not report on fails the start at once,
// without the ten seconds' wait for a startup.
TEST_F(Download, StartFailsWhenTheImageIsNotReported) {
    loader_ready();
    if (HasFatalFailure())
        return;
    ctl("fault 1022 noanswer");
    const Bytes sdd = {0xC0, 0x02, 0x01, 0x00};
    const Bytes image = file_bytes(1030, 0x60);
    ASSERT_EQ(RQM_SetSDDPath(ctx, write_file("rqm.sdd", sdd).c_str()), RQM_SUCCESS);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Adapter_Start(ctx, write_file("fw.bin", image).c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), kStartLines);
    EXPECT_EQ(wire(),
              (std::vector<Bytes>{chunk(kSddId, 0, 2, sdd), chunk(kImageId, 0, 1, part(image, 0, 1024)),
                                  chunk(kImageId, 1024, 2, part(image, 1024, 1030))}));
    EXPECT_EQ(ctx->FwRunning, 0);
    EXPECT_EQ(get("download fw"), "bytes " + sim_hex(image)) << "the driver has it; only its report is lost";
}

// A driver that refuses the image answers with a BOOT indication where the
// startup belongs: that is no start, and the facts stay as they were.
TEST_F(Download, StartRefusedByTheDriverIsNoStart) {
    loader_ready();
    if (HasFatalFailure())
        return;
    ctl("fault 1022 refuse 7");
    ctx->MaxMsgSize = 99;
    testing::internal::CaptureStdout();
    EXPECT_EQ(Adapter_Start(ctx, write_file("fw.bin", file_bytes(10, 1)).c_str()), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ctx->MaxMsgSize, 99u);
    EXPECT_EQ(ctx->FwRunning, 0);
}

struct StartFailCase {
    const char* name;
    const char* sdd;    // "" for none; a relative name is made in the directory
    const char* image;  // the same
    std::string out;
    uint8_t major;  // the version bytes after, from 9 before
};

const StartFailCase kStartFailCases[] = {
    {"SddMissing", "missing.sdd", "fw.bin", "Adapter_Start\nMakeTargetStartRequest\n", 0},
    {"SddIsADirectory", ".", "fw.bin", "Adapter_Start\nMakeTargetStartRequest\n", 0},
    {"ImageMissing", "", "missing.bin", "Adapter_Start\nSDD file not set ... \n\nbootloader\n", 9},
};

class StartFails : public Download, public testing::WithParamInterface<StartFailCase> {};

TEST_P(StartFails, BeforeAnythingIsSent) {
    const StartFailCase& c = GetParam();
    write_file("fw.bin", file_bytes(10, 1));
    const auto named = [&](const char* n) { return n[0] == '\0' ? std::string() : path(n); };
    ASSERT_EQ(RQM_SetSDDPath(ctx, named(c.sdd).c_str()), RQM_SUCCESS);
    ctx->SddVersionMajor = 9;
    ctx->SddVersionMinor = 9;
    testing::internal::CaptureStdout();
    EXPECT_EQ(Adapter_Start(ctx, named(c.image).c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
    EXPECT_EQ(ctx->SddVersionMajor, c.major);
    EXPECT_EQ(ctx->SddVersionMinor, c.major);
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(ctx->FwRunning, 0);
}

INSTANTIATE_TEST_SUITE_P(Paths, StartFails, testing::ValuesIn(kStartFailCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
