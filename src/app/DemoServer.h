#pragma once

#include <mutex>
#include <string>

#include "server/LocalServer.h"

// A small static web server on a loopback address for the demo: serves the
// files of one folder, with "{{SITE1}}" and "{{SITE2}}" in text files
// replaced by the two demo sites' "address:port". HTTP/1.0, one request per
// connection, on the listener of the program's own local server.
class CDemoServer {
public:
    CDemoServer(std::string folder, const std::string& address);

    bool IsListening() const { return m_nPort != 0; }
    std::string HostPort() const;  // "127.0.0.1:40123"
    void SetSites(const std::string& site1, const std::string& site2);

private:
    void Serve(CConnection& connection, const std::string& request);
    std::string Answer(const std::string& target) const;

    const std::string m_strFolder;
    const std::string m_strAddress;
    mutable std::mutex m_lock;  // the sites
    std::string m_strSite1;
    std::string m_strSite2;
    int m_nPort = 0;
    CLocalServer m_server;  // last: stopped first, before the fields it serves from
};
