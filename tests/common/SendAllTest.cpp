#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "common/SendAll.h"

namespace {
bool IsOpen(int fd) {
    return fcntl(fd, F_GETFD) != -1;
}

std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}
}  // namespace

TEST(SendAll, SendsABufferLargerThanTheSocketTakesAtOnce) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    int small = 4096;
    setsockopt(pair[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    std::string data(3 * 1024 * 1024, '\0');
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7);
    }
    std::string received;
    std::thread reader([&] { received = ReadAll(pair[1]); });
    EXPECT_EQ(SendAll(pair[0], data.data(), data.size()), static_cast<ssize_t>(data.size()));
    shutdown(pair[0], SHUT_WR);
    reader.join();
    EXPECT_EQ(received, data);
    close(pair[0]);
    close(pair[1]);
}

TEST(SendAll, AFailedFirstSendLeavesTheSocketOpen) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    close(pair[1]);
    const char text[] = "hello";
    EXPECT_EQ(SendAll(pair[0], text, 5), -1);
    EXPECT_TRUE(IsOpen(pair[0]));
    close(pair[0]);
}

TEST(SendAll, AFailureAfterPartOfTheDataClosesTheSocket) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    int small = 4096;
    setsockopt(pair[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    setsockopt(pair[1], SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    // The peer reads a little and then goes away, so a later send fails.
    std::thread peer([fd = pair[1]] {
        char buffer[1024];
        (void)!read(fd, buffer, sizeof buffer);
        close(fd);
    });
    const std::string data(8 * 1024 * 1024, 'x');
    EXPECT_EQ(SendAll(pair[0], data.data(), data.size()), -1);
    peer.join();
    EXPECT_FALSE(IsOpen(pair[0]));
}
