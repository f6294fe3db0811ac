#include "common/AppOptions.h"

#include <algorithm>
#include <array>
#include <cassert>

#include "common/Base64.h"

namespace {
// Smallest main window that still shows its bars and a usable view.
constexpr int kMinWindowWidth = 300;
constexpr int kMinWindowHeight = 200;

const std::array<std::string, kFixedAgentCount>& FixedAgents() {
    static const std::array<std::string, kFixedAgentCount> agents = {
        "Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)",
        "Mozilla/4.7 [en] (WinNT; I)",
        "Quobrix/1.10(" + std::string(kVendorHomePage) + "; " + std::string(kSupportMailAddress) +
            ")",
    };
    return agents;
}
}  // namespace

void DeriveProxyAuthorization(CAppOptions& options) {
    if (options.m_strProxyAddress.empty()) {
        return;
    }
    options.m_strProxyAuthorization =
        CBase64::Encode(options.m_strProxyUser + ":" + options.m_strProxyPassword);
}

CWindowRect RepairWindowRect(CWindowRect rc) {
    if (rc.Right < 0) {
        rc.Left = 100;
        rc.Right = 700;
    }
    if (rc.Bottom < 0) {
        rc.Top = 100;
        rc.Bottom = 500;
    }
    return rc;
}

CWindowGeometry InitialWindowGeometry(const CWindowRect& rc, int nScreenWidth, int nScreenHeight) {
    // Widen before subtracting: stored edges are any 32-bit values.
    const long long width = static_cast<long long>(rc.Right) - rc.Left;
    const long long height = static_cast<long long>(rc.Bottom) - rc.Top;
    CWindowGeometry geometry;
    geometry.X = rc.Left;
    geometry.Y = rc.Top;
    geometry.Width = static_cast<int>(
        std::max<long long>(std::min<long long>(width, nScreenWidth), kMinWindowWidth));
    geometry.Height = static_cast<int>(
        std::max<long long>(std::min<long long>(height, nScreenHeight), kMinWindowHeight));
    return geometry;
}

const std::string& FixedAgentText(int nIndex) {
    assert(nIndex >= 0 && nIndex < kFixedAgentCount);
    return FixedAgents()[static_cast<size_t>(nIndex)];
}

int FindFixedAgent(std::string_view agent) {
    const auto& agents = FixedAgents();
    for (int i = 0; i < kFixedAgentCount; ++i) {
        if (agents[static_cast<size_t>(i)] == agent) {
            return i;
        }
    }
    return kCustomAgent;
}
