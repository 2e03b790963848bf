// The shipped programs' peer: the driver's netlink protocol does not exist
// on a machine without the driver, so opening the channel must fail cleanly.
#include <gtest/gtest.h>

#include "transport/netlink_peer.h"
#include "transport/vormac_adapter.h"

namespace {

TEST(KernelPeer, DriverProtocolAndKernelPort) {
    const NetlinkPeer peer = netlink_peer();
    EXPECT_EQ(peer.protocol, 30);
    EXPECT_EQ(peer.port, 0u);
}

TEST(KernelPeer, ConnectWithoutDriverFailsAndLeavesChannelClosed) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(adapter_connect(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "adapter_connect socket error(-1)!\n");
    EXPECT_EQ(sock_fd, -1);
    EXPECT_EQ(recvbuf, nullptr);
    uint8_t msg[4] = {4, 0, 0xF8, 0x03};
    testing::internal::CaptureStdout();
    EXPECT_EQ(adapter_sendmsg(msg, 4), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "adapter_sendmsg socket is not ready!\n");
}

}  // namespace
