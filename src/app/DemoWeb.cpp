#include "app/DemoWeb.h"

#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "app/ProgramFiles.h"

std::string DemoSiteFolder() {
    const std::string found = FindProgramFile("demo-site");
    return found.empty() ? QUOBRIX_SOURCE_DEMO_SITE : found;
}

std::string DefaultDemoFolder() {
    const char* cache = getenv("XDG_CACHE_HOME");
    const char* home = getenv("HOME");
    const std::string base = cache != nullptr && cache[0] == '/' ? cache
                             : home != nullptr                  ? std::string(home) + "/.cache"
                                                                : "/tmp";
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    return base + "/quobrix/demo-" + stamp + "-" + std::to_string(getpid());
}

CDemoWeb::CDemoWeb()
    : m_site1(DemoSiteFolder() + "/site1", "127.0.0.1"),
      m_site2(DemoSiteFolder() + "/site2", "127.0.0.2") {
    m_site1.SetSites(Site1(), Site2());
    m_site2.SetSites(Site1(), Site2());
}

CNewTaskRecord CDemoWeb::TaskRecord() const {
    CNewTaskRecord record;
    record.m_strStartAddress = Site1() + "/";
    record.m_strEndAddress = record.m_strStartAddress;
    record.m_strKeywords = kKeywords;
    return record;
}
