#include "NginxServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "common/FileUtil.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr auto kStartTime = std::chrono::seconds(10);
constexpr auto kStopTime = std::chrono::seconds(5);
constexpr int kPortTries = 3;  // another program may take the free port first

// A port that was free a moment ago: bind port 0 on loopback and ask.
int FreeLoopbackPort() {
    const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0) {
        return 0;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    int port = 0;
    if (bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    close(sock);
    return port;
}

// The status line of GET / on 127.0.0.1:port, empty when nothing answered.
std::string FetchStatusLine(int port) {
    const int sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0) {
        return {};
    }
    timeval limit{1, 0};
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    std::string answer;
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        const std::string request = "GET / HTTP/1.0\r\n\r\n";
        if (send(sock, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            char buffer[256];
            ssize_t got = 0;
            while (answer.find("\r\n") == std::string::npos &&
                   (got = recv(sock, buffer, sizeof(buffer), 0)) > 0) {
                answer.append(buffer, static_cast<size_t>(got));
            }
        }
    }
    close(sock);
    return answer.substr(0, answer.find("\r\n"));
}
}  // namespace

CNginxServer::CNginxServer(std::string strBinary, std::string strRoot, std::string strPrefix)
    : m_strBinary(std::move(strBinary)),
      m_strRoot(std::move(strRoot)),
      m_strPrefix(std::move(strPrefix)) {}

CNginxServer::~CNginxServer() {
    Stop();
}

std::string CNginxServer::Find() {
    std::string path = getenv("PATH") != nullptr ? getenv("PATH") : "";
    path += ":/usr/sbin:/usr/local/sbin";
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/nginx";
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

std::string CNginxServer::HostPort() const {
    return "127.0.0.1:" + std::to_string(m_nPort);
}

std::string CNginxServer::TlsHostPort(TlsOffer offer) const {
    const int port = offer == TlsOffer::Tls12Only ? m_nTls12Port : m_nTlsPort;
    return port == 0 ? std::string() : "127.0.0.1:" + std::to_string(port);
}

void CNginxServer::ServeTls(std::string strChainFile, std::string strKeyFile) {
    m_strChainFile = std::move(strChainFile);
    m_strKeyFile = std::move(strKeyFile);
}

bool CNginxServer::Start(std::string& strError) {
    std::error_code error;
    std::filesystem::create_directories(m_strPrefix + "/temp", error);
    if (error) {
        strError = "cannot create " + m_strPrefix + ": " + error.message();
        return false;
    }
    for (int attempt = 0; attempt < kPortTries; ++attempt) {
        const bool bTls = !m_strChainFile.empty();
        m_nPort = FreeLoopbackPort();
        m_nTlsPort = bTls ? FreeLoopbackPort() : 0;
        m_nTls12Port = bTls ? FreeLoopbackPort() : 0;
        if (m_nPort == 0 || (bTls && (m_nTlsPort == 0 || m_nTls12Port == 0))) {
            strError = std::string("no free port on 127.0.0.1: ") + std::strerror(errno);
            return false;
        }
        if (bTls &&
            (m_nTlsPort == m_nPort || m_nTls12Port == m_nPort || m_nTls12Port == m_nTlsPort)) {
            strError = "no three free ports on 127.0.0.1";
            continue;  // the same free port offered twice
        }
        if (!WriteConfig(strError) || !Launch(strError)) {
            return false;
        }
        if (WaitUntilServing(strError)) {
            return true;
        }
        Stop();
        if (strError.find("Address already in use") == std::string::npos) {
            return false;
        }
    }
    return false;
}

bool CNginxServer::WriteConfig(std::string& strError) const {
    const std::string temp = m_strPrefix + "/temp/";
    std::ostringstream config;
    config << "# One run of a Quobrix bench: the bench's site on loopback.\n";
    // Workers run as nobody by default, who cannot read a private temporary
    // folder; the directive means something only to root.
    if (geteuid() == 0) {
        config << "user root;\n";
    }
    config << "worker_processes 1;\n"
           << "daemon off;\n"
           << "pid " << m_strPrefix << "/nginx.pid;\n"
           << "error_log " << m_strPrefix << "/error.log warn;\n"
           << "events { worker_connections 256; }\n"
           << "http {\n"
           << "    access_log off;\n"
           << "    sendfile on;\n"
           << "    client_body_temp_path " << temp << "body;\n"
           << "    proxy_temp_path " << temp << "proxy;\n"
           << "    fastcgi_temp_path " << temp << "fastcgi;\n"
           << "    uwsgi_temp_path " << temp << "uwsgi;\n"
           << "    scgi_temp_path " << temp << "scgi;\n"
           << "    types { text/html html; image/png png; image/gif gif; }\n"
           << "    default_type application/octet-stream;\n"
           << ServerBlock(m_nPort, nullptr);
    if (!m_strChainFile.empty()) {
        config << ServerBlock(m_nTlsPort, "TLSv1.2 TLSv1.3")
               << ServerBlock(m_nTls12Port, "TLSv1.2");
    }
    config << "}\n";
    std::ofstream file(m_strPrefix + "/nginx.conf", std::ios::trunc);
    file << config.str();
    file.close();
    if (!file) {
        strError = "cannot write " + m_strPrefix + "/nginx.conf";
        return false;
    }
    return true;
}

std::string CNginxServer::ServerBlock(int nPort, const char* protocols) const {
    std::ostringstream block;
    block << "    server {\n"
          << "        listen 127.0.0.1:" << nPort << (protocols != nullptr ? " ssl" : "") << ";\n";
    if (protocols != nullptr) {
        // As a site set up for HTTPS would: a session cache for clients that
        // resume by session id (tickets are on by default).
        block << "        ssl_protocols " << protocols << ";\n"
              << "        ssl_certificate " << m_strChainFile << ";\n"
              << "        ssl_certificate_key " << m_strKeyFile << ";\n"
              << "        ssl_session_cache shared:bench:1m;\n";
    }
    block << "        root " << m_strRoot << ";\n"
          << "        index index.html;\n"
          << "    }\n";
    return block.str();
}

bool CNginxServer::Launch(std::string& strError) {
    // Everything the child needs is made before the fork: between fork and
    // exec only async-signal-safe calls.
    const std::string prefix = m_strPrefix + "/";
    const std::string config = m_strPrefix + "/nginx.conf";
    const std::string errorLog = m_strPrefix + "/error.log";
    const std::string output = m_strPrefix + "/output.log";
    std::vector<const char*> argv = {m_strBinary.c_str(), "-p", prefix.c_str(), "-c",
                                     config.c_str(),      "-e", errorLog.c_str(), nullptr};
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // nginx goes when this process goes, however it ends.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(127);
        }
        const int fdNull = open("/dev/null", O_RDONLY);
        const int fdOut = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fdNull >= 0) {
            dup2(fdNull, STDIN_FILENO);
        }
        if (fdOut >= 0) {
            dup2(fdOut, STDOUT_FILENO);
            dup2(fdOut, STDERR_FILENO);
        }
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    if (m_pid < 0) {
        strError = std::string("fork: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool CNginxServer::WaitUntilServing(std::string& strError) {
    const auto deadline = Clock::now() + kStartTime;
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            strError = "nginx ended at once: " + ErrorLogTail();
            return false;
        }
        const std::string statusLine = FetchStatusLine(m_nPort);
        if (statusLine.find(" 200") != std::string::npos) {
            return true;
        }
        if (!statusLine.empty()) {
            strError = "nginx answers GET / with \"" + statusLine + "\": " + ErrorLogTail();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    strError = "nginx did not serve within 10 s: " + ErrorLogTail();
    return false;
}

std::string CNginxServer::ErrorLogTail() const {
    std::string text;
    for (const char* name : {"/output.log", "/error.log"}) {
        std::string bytes;
        if (ReadWholeFile(m_strPrefix + name, bytes)) {
            text += bytes;
        }
    }
    constexpr size_t kTail = 600;
    return text.size() > kTail ? text.substr(text.size() - kTail) : text;
}

void CNginxServer::Stop() {
    if (m_pid <= 0) {
        return;
    }
    kill(m_pid, SIGTERM);  // nginx's fast shutdown; it ends its worker too
    const auto deadline = Clock::now() + kStopTime;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
}
