// Datagram framing of the netlink channel and its refusals, without a peer:
// a descriptor of /dev/null stands in for an open socket, so every send
// that passes the checks fails in sendmsg (ENOTSOCK) instead of going out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/hi_bytes.h"
#include "transport/vormac_adapter.h"

namespace {

struct FramingCase {
    int len;
    int size;  // padded datagram size
};

class DatagramSize : public testing::TestWithParam<FramingCase> {};

TEST_P(DatagramSize, PadsHeaderAndMessageToFour) {
    EXPECT_EQ(adapter_datagram_size(GetParam().len), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DatagramSize,
                         testing::Values(FramingCase{4, 20}, FramingCase{5, 24}, FramingCase{8, 24},
                                         FramingCase{9, 28}, FramingCase{1520, 1536},
                                         FramingCase{1521, 1540}));

TEST(Datagram, HeaderFieldsAndPayload) {
    const uint8_t msg[5] = {0x05, 0x00, 0xF8, 0x03, 0xAB};
    std::vector<uint8_t> dg(24, 0xEE);
    adapter_fill_datagram(dg.data(), 24, msg, 5, 0x01020304);
    const std::vector<uint8_t> want = {24,   0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0,
                                       0x04, 0x03, 0x02, 0x01, 0x05, 0x00, 0xF8, 0x03, 0xAB, 0, 0, 0};
    EXPECT_EQ(dg, want);
}

class ClosedOrFakeChannel : public testing::Test {
protected:
    void TearDown() override {
        if (sock_fd >= 0)
            close(sock_fd);
        sock_fd = -1;
    }
    static void open_fake() {
        sock_fd = open("/dev/null", O_RDWR);
        ASSERT_GE(sock_fd, 0);
    }
};

TEST_F(ClosedOrFakeChannel, SendAndReceiveRefuseOnClosedChannel) {
    const uint8_t msg[4] = {4, 0, 0xF8, 0x03};
    uint8_t buf[16];
    testing::internal::CaptureStdout();
    EXPECT_EQ(adapter_sendmsg(msg, 4), -1);
    EXPECT_EQ(adapter_recvmsg_nb(buf, sizeof buf), -1);
    EXPECT_EQ(adapter_recvmsg(buf, sizeof buf, 1), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "adapter_sendmsg socket is not ready!\n"
              "adapter_recvmsg_nb socket is not ready!\n"
              "adapter_recvmsg socket is not ready!\n");
}

struct SendLimitCase {
    int len;
    int result;
    const char* out;
};

class SendLimits : public ClosedOrFakeChannel, public testing::WithParamInterface<SendLimitCase> {};

TEST_P(SendLimits, RefusesOversizeAndNegativeBeforeSending) {
    open_fake();
    std::vector<uint8_t> msg(2000, 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(adapter_sendmsg(msg.data(), GetParam().len), GetParam().result);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().out);
}

// -17 is sendmsg's failure minus the header: the message passed every check.
INSTANTIATE_TEST_SUITE_P(
    Lengths, SendLimits,
    testing::Values(SendLimitCase{4, -17, ""}, SendLimitCase{1520, -17, ""},
                    SendLimitCase{1521, -1, "adapter_sendmsg msg len is too big(1540)!\n"},
                    SendLimitCase{1524, -1, "adapter_sendmsg msg len is too big(1540)!\n"},
                    SendLimitCase{-1, -1, ""}, SendLimitCase{-20, -1, ""}));

TEST_F(ClosedOrFakeChannel, NoRoomReceivesNothing) {
    open_fake();
    uint8_t buf[4] = {1, 2, 3, 4};
    for (int room : {0, -1, -4096}) {
        EXPECT_EQ(adapter_recvmsg_nb(buf, room), 0) << room;
        EXPECT_EQ(adapter_recvmsg(buf, room, 1), 0) << room;
    }
    EXPECT_EQ(buf[0], 1);
}

TEST_F(ClosedOrFakeChannel, DisconnectClosesDescriptorZeroAndIsIdempotent) {
    // Descriptor 0 is a real descriptor when standard input was closed.
    int saved = dup(0);
    ASSERT_GE(saved, 0);
    close(0);
    int fd = open("/dev/null", O_RDWR);
    ASSERT_EQ(fd, 0);
    sock_fd = 0;
    adapter_disconnect();
    EXPECT_EQ(sock_fd, -1);
    EXPECT_EQ(fcntl(0, F_GETFD), -1) << "descriptor 0 left open";
    adapter_disconnect();
    EXPECT_EQ(sock_fd, -1);
    EXPECT_EQ(recvbuf, nullptr);
    ASSERT_EQ(dup2(saved, 0), 0);
    close(saved);
}

}  // namespace
