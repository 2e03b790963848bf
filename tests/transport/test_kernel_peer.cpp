// The shipped programs' peer: the driver's netlink protocol does not exist
// on a machine without the driver, so opening the channel must fail cleanly.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "transport/netlink_peer.h"
#include "transport/vormac_adapter.h"

namespace {

TEST(KernelPeer, OwnPortIsThePidAndTheKernelIsPortZero) {
    PeerAddress own, kernel;
    memset(&own, 0xEE, sizeof own);
    memset(&kernel, 0xEE, sizeof kernel);
    ASSERT_EQ(peer_own_address(&own), sizeof(sockaddr_nl));
    ASSERT_EQ(peer_destination(&kernel), sizeof(sockaddr_nl));
    EXPECT_EQ(own.nl.nl_family, AF_NETLINK);
    EXPECT_EQ(own.nl.nl_pad, 0);
    EXPECT_EQ(own.nl.nl_pid, static_cast<uint32_t>(getpid()));
    EXPECT_EQ(own.nl.nl_groups, 0u);
    EXPECT_EQ(kernel.nl.nl_family, AF_NETLINK);
    EXPECT_EQ(kernel.nl.nl_pid, 0u);
    EXPECT_EQ(kernel.nl.nl_groups, 0u);
}

TEST(KernelPeer, RamDumpOnTheBoardsCard) {
    EXPECT_STREQ(peer_ram_dump_path(), "/sdcard/ram.bin");
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
