#pragma once

#include <atomic>
#include <list>
#include <mutex>
#include <string>
#include <thread>

// A small static web server on a loopback address for the demo: serves the
// files of one folder, with "{{SITE1}}" and "{{SITE2}}" in text files
// replaced by the two demo sites' "address:port". HTTP/1.0, one request per
// connection.
class CDemoServer {
public:
    CDemoServer(std::string folder, const std::string& address);
    ~CDemoServer();
    CDemoServer(const CDemoServer&) = delete;
    CDemoServer& operator=(const CDemoServer&) = delete;

    bool IsListening() const { return m_nPort != 0; }
    std::string HostPort() const;  // "127.0.0.1:40123"
    void SetSites(const std::string& site1, const std::string& site2);

private:
    struct Connection {
        std::thread thread;
        int sock = -1;  // -1 once its thread closed it
        bool done = false;
    };

    void AcceptLoop();
    void Serve(Connection* connection, int sock);
    void JoinFinished();
    std::string Answer(const std::string& target) const;

    const std::string m_strFolder;
    std::string m_strAddress;
    int m_nPort = 0;
    int m_sockListen = -1;
    std::atomic<bool> m_bStopping{false};
    std::string m_strSite1;
    std::string m_strSite2;
    std::thread m_acceptThread;
    mutable std::mutex m_lock;  // the sites and the connections
    std::list<Connection> m_connections;
};
