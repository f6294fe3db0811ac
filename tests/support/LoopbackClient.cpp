#include "support/LoopbackClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

int ConnectLoopback(int port) {
    const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(sock);
        return -1;
    }
    return sock;
}

std::string ReadAnswer(int sock, std::chrono::milliseconds limit, const std::string& until) {
    std::string answer;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[8192];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd entry{sock, POLLIN, 0};
        if (poll(&entry, 1, 50) <= 0) {
            continue;
        }
        const ssize_t got = recv(sock, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        answer.append(buffer, static_cast<size_t>(got));
        if (!until.empty() && answer.find(until) != std::string::npos) {
            break;
        }
    }
    return answer;
}
