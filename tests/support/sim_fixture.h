// The fixture the program's whole-run tests share: one stand-in per test
// suite, back to its start state before each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/cli_run.h"
#include "tests/support/sim_process.h"
#include "transport/hi_msg.h"

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
    // The driver-level requests the stand-in received, in order: the
    // markers of a run's start-up, its record traffic, and the connect and
    // disconnect between them. What the firmware gets is left out, so that
    // the order stays readable whatever a command sends.
    std::vector<unsigned> driver_requests() {
        std::vector<unsigned> ids;
        for (const std::vector<uint8_t>& m : messages(sim_->received())) {
            if (m.size() < 4)
                continue;
            const unsigned id = hi_msg_id(m.data()) & HI_MSG_ID_MASK;
            if (id == 993 || id == 994 || id == 1016 || id == 1018 || id == 1019)
                ids.push_back(id);
        }
        return ids;
    }

    inline static SimProcess* sim_ = nullptr;
};
