#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The per-user options that outlive any task. The application object holds
// them (CQuobrixApp derives from CAppOptions); the request builder reads the
// proxy and agent members, a new task takes m_crRetrievedLinks. Loaded once at
// start-up on the user-interface thread; workers only read them afterwards.

// Where the vendor can be reached; part of the program's own agent text.
inline constexpr std::string_view kVendorHomePage = "https://quobrix.dunvespil.org/";
inline constexpr std::string_view kSupportMailAddress = "support@dunvespil.org";

// A rectangle in screen pixels; Right and Bottom lie just outside it.
struct CWindowRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool operator==(const CWindowRect&) const = default;
};

// Where and how large the main window is created, in screen pixels.
struct CWindowGeometry {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;

    bool operator==(const CWindowGeometry&) const = default;
};

struct CAppOptions {
    // The main window's normal (restored) rectangle.
    CWindowRect m_rcWindow{100, 100, 700, 500};
    // Show state of the first display: 1 normal, 2 minimised, 3 maximised.
    int m_nCmdShow = 3;

    // Interface fonts, sizes in points. No editor; set through the store only.
    int m_nNormalFontSize = 8;
    std::string m_strNormalFontFace = "Tahoma";
    int m_nTitleFontSize = 16;
    std::string m_strTitleFontFace = "Tahoma";

    // Text size of the browser view: 0 smallest .. 4 largest.
    int m_nTextSize = 2;

    bool m_bUseProxy = false;
    std::string m_strProxyAddress;  // "proxy.example.net" or "10.0.0.5"
    int m_nProxyPort = 0;
    std::string m_strProxyUser;
    std::string m_strProxyPassword;  // plain text, as stored
    // Base64 of user ":" password, sent after "Basic "; derived, never stored.
    std::string m_strProxyAuthorization;

    std::string m_strAgent = "Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)";

    // Colour of retrieved links in a new task, 0x00BBGGRR (65280 is green).
    uint32_t m_crRetrievedLinks = 65280;

    // Abilities of today's web. At these defaults a task crawls, and writes
    // its files, as it always did (HTTPS start addresses aside).
    bool m_bCheckCertificates = true;  // verify an HTTPS site's chain and name
    bool m_bHttpsLinks = false;        // https:// links count like http:// ones
    bool m_bFollowRedirects = false;   // a 3xx Location is a page's one link
    bool m_bRobots = false;            // obey each site's robots.txt
    int m_nDelayMs = 0;                // least time between two requests to one site

    bool operator==(const CAppOptions&) const = default;
};

// Bounds of m_nDelayMs; a robots.txt Crawl-delay is capped at the upper one.
inline constexpr int kMaxDelayMs = 60000;

// Recomputes m_strProxyAuthorization from the account and password when a
// proxy address is set ("" and "" still give "Og==", the encoding of ":").
// Without an address the value is left as it was (empty after start-up).
void DeriveProxyAuthorization(CAppOptions& options);

// Repairs a stored rectangle with a negative edge, which would put the window
// out of reach: a negative Right resets Left and Right to 100 and 700, a
// negative Bottom resets Top and Bottom to 100 and 500. Other edges stay.
CWindowRect RepairWindowRect(CWindowRect rc);

// The main window's geometry at creation from its saved rectangle and the
// size of the full-screen client area. Width and height are first capped at
// the screen's, then raised to at least 300 x 200, so a window never opens
// too small to use even on a tiny screen.
CWindowGeometry InitialWindowGeometry(const CWindowRect& rc, int nScreenWidth, int nScreenHeight);

// The agent texts the options sheet offers as choices; anything else is a
// custom text. Indices 0 .. kFixedAgentCount - 1 are the radio buttons.
inline constexpr int kFixedAgentCount = 3;
inline constexpr int kCustomAgent = kFixedAgentCount;

// Fixed agent text nIndex (0 .. kFixedAgentCount - 1).
const std::string& FixedAgentText(int nIndex);

// Index of the fixed text equal to agent (exact, case-sensitive), or
// kCustomAgent when none is.
int FindFixedAgent(std::string_view agent);
