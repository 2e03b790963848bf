// The fixture the program's whole-run tests share: one stand-in per test
// suite, back to its start state before each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "api/rqm_api.h"
#include "cli/main.h"
#include "common/hi_msg.h"
#include "sim/sim_msg.h"
#include "tests/support/cli_run.h"
#include "tests/support/sim_process.h"
#include "transport/adapter.h"
#include "transport/vormac_adapter.h"

// The driver-level requests of a run, in order: the markers of its
// start-up, its record traffic, and the connect and disconnect between
// them. What the firmware gets is left out, so that the order stays
// readable whatever a command sends.
inline std::vector<unsigned> driver_requests(const HiLog& wire) {
    return wire.ids({993, 994, 1016, 1018, 1019});
}

class WithSim : public testing::Test {
protected:
    static void SetUpTestSuite() { sim_ = new SimProcess(); }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(sim_->ok()) << sim_->last_error();
        ASSERT_TRUE(sim_->control("reset")) << sim_->last_error();
    }

    SimProcess& sim() { return *sim_; }
    void ctl(const std::string& line) {
        ASSERT_TRUE(sim_->control(line)) << line << ": " << sim_->last_error();
    }
    std::string get(const std::string& key) {
        std::vector<std::string> out;
        EXPECT_TRUE(sim_->control("get " + key, &out)) << key << ": " << sim_->last_error();
        return out.size() == 1 ? out[0] : std::string("?");
    }
    // A whole run of a program against the suite's stand-in.
    CliRun run_on_sim(const std::string& program, std::vector<std::string> words,
                      const SettingsFile& settings = Settings::None, int timeout_ms = 10000,
                      const EnvOverrides& env = {}) {
        return ::run_on_sim(*sim_, program, std::move(words), settings, timeout_ms, env);
    }

    inline static SimProcess* sim_ = nullptr;
};

// The API on the driver channel, set up as the program sets it up, and
// optionally the connect handshake, so that the firmware's facts (its
// largest message among them) are known. The handshake is driven directly:
// the tool's own connect adds a second's wait for the boot loader.
struct ApiSession {
    RqmApiContext* ctx = nullptr;

    void open(bool handshake) {
        // The ARM pass runs whole runs only; this is a host case.
        const char* marked = getenv("RQMTEST_WHOLE_RUN");
        ASSERT_FALSE(marked != nullptr && strcmp(marked, "1") == 0)
            << "an in-process session in a test marked as a whole run: take its suite off WHOLE_RUN_SUITES";
        ASSERT_EQ(adapter_connect(), 0);
        ctx = RQM_Create(nullptr, nullptr);
        ASSERT_NE(ctx, nullptr);
        RQM_SetCallbackFunction(ctx, RQM_CallBack_C);
        RQM_SetConnectionType(ctx, 5);
        Adapter_Init(ctx);
        ctx->FwRunning = 0;
        ASSERT_EQ(RQM_GetAPIContext(ctx), RQM_SUCCESS);
        if (!handshake)
            return;
        std::vector<uint8_t> req(12, 0);
        hi_set_msg_len(req.data(), 12);
        hi_set_msg_id(req.data(), SIM_CONNECT_REQ_ID);
        hi_wr32(req.data() + 4, CliVersion);
        hi_wr32(req.data() + 8, 50);
        testing::internal::CaptureStdout();
        const int connected = Adapter_Request_Connect(ctx, req.data(), nullptr, 0);
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(connected, RQM_SUCCESS);
        ASSERT_EQ(ctx->FwRunning, 1);
    }
    void close() {
        if (ctx != nullptr) {
            RQM_Stop(ctx);
            ctx = nullptr;
            adapter_disconnect();
        }
    }
};

// A fixture with the API open in this process, on top of a fixture that
// owns the stand-in: presets first, then the session, then a clean log so
// that wire() shows only what the test itself sent.
template <typename Base>
class InProcessOn : public Base {
protected:
    void TearDown() override {
        api_.close();
        Base::TearDown();
    }
    void open(const std::vector<std::string>& presets) {
        for (const std::string& line : presets)
            this->ctl(line);
        api_.open(true);
        ctx_ = api_.ctx;
        this->ctl("log clear");
    }
    std::vector<std::vector<uint8_t>> wire() { return messages(this->sim().received()); }

    ApiSession api_;
    RqmApiContext* ctx_ = nullptr;
};
