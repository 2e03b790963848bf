// Reception through the API against the stand-in's receive engine: the
// counters past 16 bits, the last frame and the capture within the
// receive buffer, all forgotten at the next start; frames the engine
// generates while it runs, and none after the stop.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "api/rqm_api.h"
#include "tests/support/api_calls.h"

namespace {

class RxSim : public ApiOnSim {
protected:
    void SetUp() override {
        ApiOnSim::SetUp();
        open({});
        testing::internal::CaptureStdout();
    }
    void TearDown() override {
        testing::internal::GetCapturedStdout();
        ApiOnSim::TearDown();
    }
};

TEST_F(RxSim, InjectedFramesCountedUntilTheStop) {
    ASSERT_EQ(RQM_Configure_RxCapturePhyStats(ctx_, 2), 0);
    ASSERT_EQ(RQM_ReceivePackets_Start(ctx_), 0);
    ctl("set rxinject count 70000 errors 5 crc 7 length 4000");
    ctl("set rxinject count 1 mode 4");
    uint32_t total = 0, errors = 0, crc = 0;
    ASSERT_EQ(RQM_ReceivePackets_Stop(ctx_, &total, &errors, &crc), 0);
    EXPECT_EQ(total, 70001u);
    EXPECT_EQ(errors, 5u);
    EXPECT_EQ(crc, 7u);
    EXPECT_EQ(get("rx.running"), "0");
    RxFrameInfo info{};
    RxFrameTrailer trailer{};
    std::vector<uint8_t> data(RX_FRAME_DATA_SIZE);
    ASSERT_EQ(RQM_GetRxFrame_Extended(ctx_, &info, data.data(), &trailer), 0);
    EXPECT_EQ(info.FrameLength, 4000);
    EXPECT_EQ(trailer.PacketIdLessOne, 70000u);
    EXPECT_EQ(data[1023], 0xFF);
    // The capture of a 4000-byte frame fills what the tool's receive
    // buffer takes.
    RxDataHead head{};
    std::vector<uint8_t> rxData(RX_DATA_BUFFER_SIZE);
    uint32_t len = 0;
    ASSERT_EQ(RQM_GetRx(ctx_, 2, &head, rxData.data(), &len), 0);
    EXPECT_EQ(len, 2980u);
    EXPECT_EQ(head.MsgLen, 3000);
    EXPECT_EQ(rxData[2979], 2979 & 0xFF);
    EXPECT_EQ(get("rx.phystats"), "2");
    // The next start forgets all of it.
    ASSERT_EQ(RQM_ReceivePackets_Start(ctx_), 0);
    ASSERT_EQ(RQM_GetRxStatistics(ctx_, &total, nullptr, nullptr), 0);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(RQM_GetRxFrame(ctx_, &info, nullptr), 1) << "no frame since the start";
    ASSERT_EQ(RQM_GetRx(ctx_, 1, nullptr, rxData.data(), &len), 0);
    EXPECT_EQ(len, 0u);
}

TEST_F(RxSim, GeneratorAddsFramesAtItsRateWhileRunning) {
    ASSERT_EQ(RQM_ReceivePackets_Start(ctx_), 0);
    ctl("set rx rate 1000");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    uint32_t total = 0, errors = 9;
    ASSERT_EQ(RQM_ReceivePackets_Stop(ctx_, &total, &errors, nullptr), 0);
    EXPECT_GE(total, 100u);
    EXPECT_LT(total, 100000u);
    EXPECT_EQ(errors, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    uint32_t after = 0;
    ASSERT_EQ(RQM_GetRxStatistics(ctx_, &after, nullptr, nullptr), 0);
    EXPECT_EQ(after, total) << "stopped, it counts nothing more";
    RxFrameInfo info{};
    EXPECT_EQ(RQM_GetRxFrame(ctx_, &info, nullptr), 0);
    EXPECT_EQ(rx_mode(info.StartStatus0), 2u);
}

}  // namespace
