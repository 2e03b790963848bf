// API calls against the stand-in as table rows: the stand-in's presets and
// the tool-state words the API reads, then one call; what it returns,
// prints and leaves in its outputs, the messages it sent and what the
// stand-in holds after. A row states only what it checks.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "common/driver_data.h"
#include "tests/support/hi_log.h"
#include "tests/support/rows.h"
#include "tests/support/sim_fixture.h"

using Presets = std::vector<std::string>;

struct ApiCall {
    const char* name;
    Presets presets = {};
    int (*call)(RqmApiContext* ctx, std::string* got) = nullptr;  // got: what its outputs hold after
    int result = RQM_SUCCESS;
    std::string got = "";
    std::optional<std::string> out = "";  // stdout, reports and printouts; kAnyOutput: not looked at
    std::optional<std::vector<Bytes>> sent = std::nullopt;        // every message, sequence bits cleared
    std::optional<std::vector<unsigned>> ids = std::nullopt;      // the ids of every message
    std::vector<std::pair<std::string, std::string>> after = {};  // stand-in key and value
    uint16_t variant = 0;                                         // the tool state's chip-variant word
    uint16_t sddVersion = 25;                                     // and its SDD version
};

inline void PrintTo(const ApiCall& c, std::ostream* os) {
    *os << c.name;
}

inline const std::vector<Bytes> kNothingSent = {};
inline const std::optional<std::string> kAnyOutput = std::nullopt;

// The API open in this process against the suite's stand-in, the tool
// state's words back at their defaults.
class ApiOnSim : public InProcessOn<WithSim> {
protected:
    void SetUp() override {
        InProcessOn<WithSim>::SetUp();
        tool_state(0, 25);
    }
    static void tool_state(uint16_t variant, uint16_t sddVersion) {
        g_driver_data.Word[CLI_WORD_CHIP_VARIANT] = variant;
        g_driver_data.Word[CLI_WORD_SDD_VERSION] = sddVersion;
    }
    HiLog log() { return HiLog(sim().received()); }
    // What went out since open(), without the sequence numbers.
    std::vector<Bytes> sent() {
        std::vector<Bytes> msgs = wire();
        for (Bytes& m : msgs)
            m[3] &= 0x1F;
        return msgs;
    }
};

class ApiCalls : public ApiOnSim, public testing::WithParamInterface<ApiCall> {
protected:
    void check(const ApiCall& c) {
        open(c.presets);
        if (HasFatalFailure())
            return;
        tool_state(c.variant, c.sddVersion);
        std::string got;
        testing::internal::CaptureStdout();
        const int result = c.call(ctx_, &got);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(got, c.got);
        if (c.out) {
            EXPECT_EQ(out, *c.out);
        }
        if (c.sent) {
            EXPECT_EQ(sent(), *c.sent);
        }
        if (c.ids) {
            EXPECT_EQ(log().ids(), *c.ids);
        }
        for (const auto& [key, value] : c.after)
            EXPECT_EQ(get(key), value) << key;
    }
};
