#pragma once

#include <sys/types.h>

#include <string>

// The TLS versions one of CNginxServer's TLS ports offers.
enum class TlsOffer { Tls12And13, Tls12Only };

// nginx serving one folder on 127.0.0.1 (over HTTP, and over HTTPS on more
// ports when asked), as a child of this process: its own
// prefix folder (configuration, pid file, temporary folders, error log), in
// the foreground ("daemon off"), on ports found free by binding port 0. It
// is stopped when the object goes, and, should this process die first, by
// the system (the child asks for SIGTERM at its parent's death).
class CNginxServer {
public:
    // strBinary: the nginx program; strRoot: the folder served; strPrefix: a
    // folder of its own, created when missing.
    CNginxServer(std::string strBinary, std::string strRoot, std::string strPrefix);
    ~CNginxServer();
    CNginxServer(const CNginxServer&) = delete;
    CNginxServer& operator=(const CNginxServer&) = delete;

    // Also serves the folder over TLS on two more ports, with this
    // certificate chain (the server's certificate first) and its key: one
    // offering TLS 1.2 and 1.3, as sites are set up today, and one TLS 1.2
    // alone, as nginx before 1.23.4 did by default. Before Start.
    void ServeTls(std::string strChainFile, std::string strKeyFile);

    // Starts it and waits, at most 10 s, until it serves "/". False, with
    // strError (and the end of its error log), when it did not.
    bool Start(std::string& strError);
    // Ends it (SIGTERM, then SIGKILL after 5 s) and waits for it.
    void Stop();

    std::string HostPort() const;  // "127.0.0.1:40123"
    // "127.0.0.1:40124", "" without ServeTls.
    std::string TlsHostPort(TlsOffer offer) const;

    // The nginx program: the one on PATH, or in /usr/sbin (not on every
    // user's PATH). Empty when there is none.
    static std::string Find();

private:
    bool WriteConfig(std::string& strError) const;
    std::string ServerBlock(int nPort, const char* protocols) const;
    bool Launch(std::string& strError);
    bool WaitUntilServing(std::string& strError);
    std::string ErrorLogTail() const;

    std::string m_strBinary;
    std::string m_strRoot;
    std::string m_strPrefix;
    std::string m_strChainFile;
    std::string m_strKeyFile;
    int m_nPort = 0;
    int m_nTlsPort = 0;
    int m_nTls12Port = 0;
    pid_t m_pid = -1;
};
