#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/StringTable.h"
#include "support/FixtureServer.h"
#include "support/RecordingTarget.h"
#include "support/TempDir.h"
#include "support/TestDoc.h"
#include "support/WaitFor.h"

// A task record wired to recording receivers, with a task directory of its
// own, for crawls against fixture servers on loopback.
class EngineTest : public ::testing::Test {
protected:
    EngineTest();

    // Replaces the task record (a test's own kind of record), wired as the
    // first one was.
    void UseDoc(std::unique_ptr<CTestDoc> pDoc);
    // A site-mode task starting at server's path ("/" by default).
    void SiteTask(const FixtureServer& server, const std::string& path = "/");
    // An address-range task fetched through the fixture proxy.
    void RangeTask(const std::string& first, const std::string& last, const FixtureServer& proxy);
    // A paused task that resumes with these URLs queued (from index next on)
    // and these URLs in the slots.
    void PausedWith(const std::vector<std::string>& urls, int next,
                    const std::vector<std::pair<int, std::string>>& slotUrls);

    // Starts (or resumes) and waits until the run has ended: not running, no
    // stop in progress, no worker left. False on time-out.
    bool RunToEnd(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool WaitUntilEnded(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool Ended();

    // The targets requested of a server, in order.
    static std::vector<std::string> Targets(const FixtureServer& server);

    TempDir m_dir;
    RecordingTarget m_frame;
    RecordingTarget m_bar;
    RecordingTarget m_view;
    std::unique_ptr<CTestDoc> m_pDoc;
    CTestDoc& doc() { return *m_pDoc; }
};
