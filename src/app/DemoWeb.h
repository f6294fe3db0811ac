#pragma once

#include <string>

#include "app/DemoServer.h"
#include "task/NewTaskRecord.h"

// The demo's web: two small sites that link to each other, served on
// 127.0.0.1 and 127.0.0.2 (ports the system chooses) from resources/demo-site,
// and the task that searches them. The headless and the desktop demo share it.
class CDemoWeb {
public:
    CDemoWeb();

    bool IsListening() const { return m_site1.IsListening() && m_site2.IsListening(); }
    std::string Site1() const { return m_site1.HostPort(); }  // "127.0.0.1:40123"
    std::string Site2() const { return m_site2.HostPort(); }

    // What the demo's new task is made of: site mode from the first site,
    // keywords "cider+orchard".
    CNewTaskRecord TaskRecord() const;

    static constexpr const char* kKeywords = "cider+orchard";

private:
    CDemoServer m_site1;
    CDemoServer m_site2;
};

// The demo's web files: beside the program, installed, or in the source tree
// the program was built from.
std::string DemoSiteFolder();

// A new folder for a demo task under the user's cache directory
// ("~/.cache/quobrix/demo-20260101-120000-4242").
std::string DefaultDemoFolder();
