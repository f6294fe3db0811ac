#include <thread>

#include "EngineFixture.h"
#include "GuiThreadTarget.h"
#include "HeldDoc.h"
#include "common/Base64.h"
#include "common/Messages.h"

namespace {
using namespace std::chrono_literals;
using Step = HeldDoc::RunStep;

struct Command {
    const char* name;
    void (CTestDoc::*pCommand)();
    unsigned nStoppedState;
};
const Command kStopCommands[] = {
    {"pause", &CTestDoc::OnTaskPause, IDS_STATE_PAUSED},
    {"abort", &CTestDoc::OnTaskAbort, IDS_STATE_ABORTED},
};

FixtureServer::Response Silent() {
    FixtureServer::Response response;
    response.silent = true;
    return response;
}
}  // namespace

class RunControlTest : public EngineTest {
protected:
    HeldDoc& Held(Step step) {
        auto pDoc = std::make_unique<HeldDoc>(step);
        HeldDoc& held = *pDoc;
        UseDoc(std::move(pDoc));
        return held;
    }
};

// The last worker finishes while a pause or abort is on its way: the run
// ends as finished, with no stop left raised that no worker would lower.
TEST_F(RunControlTest, AStopThatMeetsTheEndOfTheRunIsNotLeftRaised) {
    for (const Command& c : kStopCommands) {
        SCOPED_TRACE(c.name);
        FixtureServer server;
        server.SetDefault(FixtureServer::Ok("done"));
        HeldDoc& held = Held(Step::Command);
        SiteTask(server);
        doc().OnTaskRun();
        std::thread command([&] { (doc().*c.pCommand)(); });
        ASSERT_TRUE(held.WaitUntilHeld());
        EXPECT_TRUE(WaitFor([&] { return doc().m_nState == IDS_STATE_FINISHED && !doc().HasActiveWorkers(); }));
        held.Release();
        command.join();

        ASSERT_TRUE(WaitUntilEnded(5s));
        EXPECT_FALSE(doc().IsStopping());
        EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    }
}

// A pause or abort that lands after a worker's last look at the stop, before
// its fetch begins: the fetch fails at once instead of waiting on a server
// that never answers, and the URL stays for the resume.
TEST_F(RunControlTest, AStopBeforeAFetchBeginsFailsItAtOnce) {
    for (const Command& c : kStopCommands) {
        SCOPED_TRACE(c.name);
        FixtureServer server;
        server.SetDefault(Silent());
        HeldDoc& held = Held(Step::Fetch);
        SiteTask(server);
        doc().m_nTimeout = 0;  // no time limit: only the stop can end the fetch
        doc().OnTaskRun();
        ASSERT_TRUE(held.WaitUntilHeld());
        (doc().*c.pCommand)();
        held.Release();

        ASSERT_TRUE(WaitUntilEnded(5s));
        EXPECT_EQ(server.RequestCount(), 0u);
        EXPECT_EQ(doc().m_nState, c.nStoppedState);
        EXPECT_EQ(doc().m_strUrl[0], server.Url("/"));
    }
}

TEST_F(RunControlTest, NoThreadStartsOnceJoinWorkersHasTakenTheThreads) {
    FixtureServer server;
    server.SetDefault(FixtureServer::Ok("x"));
    HeldDoc& held = Held(Step::Choose);
    SiteTask(server);
    const std::vector<std::string> urls = {server.Url("/0"), server.Url("/1"), server.Url("/2")};
    PausedWith(urls, 1, {{0, urls[0]}});
    doc().OnTaskRun();
    ASSERT_TRUE(held.WaitUntilHeld());  // two URLs wait: it would start a second worker

    std::thread joiner([&] { doc().JoinWorkers(); });
    ASSERT_TRUE(held.WaitUntilReached(Step::Join));
    held.Release();
    joiner.join();

    // The worker went on alone; every thread of the task has been joined.
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        EXPECT_FALSE(doc().m_hThread[slot].Joinable()) << slot;
    }
    EXPECT_EQ(server.RequestCount(), 3u);
    EXPECT_TRUE(doc().IsRunEnded());
    EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
}

// Activity flags and a running state read from a file have no thread behind
// them: the run starts, and it ends.
TEST_F(RunControlTest, ActivityReadFromAFileNeitherBlocksTheRunNorItsEnd) {
    struct Case {
        const char* name;
        unsigned nState;
        int nActiveSlot;
    };
    const Case cases[] = {{"active flags", IDS_STATE_PAUSED, 3},
                          {"running state", IDS_STATE_SEEKING, -1},
                          {"both", IDS_STATE_SEEKING, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureServer server;
        server.SetDefault(FixtureServer::Ok("x"));
        SiteTask(server);
        PausedWith({server.Url("/a")}, 1, {{0, server.Url("/a")}});
        doc().m_nState = c.nState;
        if (c.nActiveSlot >= 0) {
            doc().m_bActive[c.nActiveSlot] = true;
        }
        ASSERT_TRUE(RunToEnd(5s));
        EXPECT_EQ(Targets(server), std::vector<std::string>{"/a"});
        EXPECT_EQ(doc().m_nState, unsigned{IDS_STATE_FINISHED});
    }
}

// With a desktop front end, whose GUI thread takes the task locks between
// messages, no notification may wait for it while a task lock is held.
TEST_F(RunControlTest, NotificationsNeverWaitWhileATaskLockIsHeld) {
    struct Case {
        const char* name;
        std::function<void(FixtureServer&, FixtureServer&)> setUp;
        bool bSkip;  // skipped while the only worker is about to choose its next URL
        unsigned nEndState;
        size_t nOtherSiteRequests;
    };
    const Case cases[] = {
        {"skip to the next site",
         [&](FixtureServer& a, FixtureServer& b) {
             a.SetDefault(FixtureServer::Ok("<a href=\"http://" + b.HostPort() + "/\">"));
             b.SetDefault(FixtureServer::Ok("b"));
             SiteTask(a);
         },
         true, IDS_STATE_FINISHED, 1},
        {"result page that cannot be created",
         [&](FixtureServer& a, FixtureServer&) {
             a.SetDefault(FixtureServer::Ok("page"));
             SiteTask(a);
             WriteFileBytes(m_dir / "file", "not a folder");
             doc().m_strTaskDir = m_dir / "file/";
         },
         false, IDS_STATE_PAUSED, 0},
        {"credential prompt",
         [&](FixtureServer& a, FixtureServer&) {
             FixtureServer::Response guarded = FixtureServer::Ok("inside");
             guarded.requiredAuthorization = CBase64::Encode("ann:secret");
             a.SetDefault(guarded);
             SiteTask(a);
             doc().m_bPromptAuth = true;
         },
         false, IDS_STATE_FINISHED, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HeldDoc* pHeld = c.bSkip ? &Held(Step::Choose) : nullptr;
        if (pHeld == nullptr) {
            UseDoc(std::make_unique<CTestDoc>());
        }
        FixtureServer a;
        FixtureServer b("127.0.0.2");
        {
            GuiThreadTarget gui(doc());
            c.setUp(a, b);
            gui.Attach();
            doc().OnTaskRun();
            if (pHeld != nullptr) {
                ASSERT_TRUE(pHeld->WaitUntilHeld());
                doc().OnSkipCurrentSite();
                pHeld->Release();
            }
            EXPECT_TRUE(WaitUntilEnded(15s));
            EXPECT_EQ(gui.Deadlocks(), 0);
        }
        EXPECT_EQ(doc().m_nState, c.nEndState);
        EXPECT_EQ(b.RequestCount(), c.nOtherSiteRequests);
    }
}

// A name lookup may take long: it holds no lock that the GUI thread takes.
TEST_F(RunControlTest, TheSiteIsLookedUpWithoutALockTheGuiThreadTakes) {
    FixtureServer server;
    server.SetDefault(FixtureServer::Ok("x"));
    HeldDoc& held = Held(Step::Lookup);
    SiteTask(server);
    doc().OnTaskRun();
    ASSERT_TRUE(held.WaitUntilHeld());
    for (CMutex* pLock : {&doc().m_csResolve, &doc().m_csSites, &doc().m_csSlots,
                              &doc().m_csUrls, &doc().m_csResults, &doc().m_csOptions}) {
        const bool free = pLock->try_lock();
        EXPECT_TRUE(free);
        if (free) {
            pLock->unlock();
        }
    }
    held.Release();
    ASSERT_TRUE(WaitUntilEnded());
    EXPECT_EQ(server.RequestCount(), 1u);
}

// A worker that has given up its slot is slow to say so, and meanwhile the
// slot serves the next worker: the row keeps the new worker's line, never
// the old one's "Terminated".
TEST_F(RunControlTest, ASlotsNextWorkerKeepsItsLineOverThePreviousWorkersEnd) {
    FixtureServer server;
    server.Route("/a", Silent());
    server.Route("/b", FixtureServer::Ok("b"));
    server.Route("/c", FixtureServer::Ok("c"));
    server.Route("/d", Silent());
    HeldDoc& held = Held(Step::Leave);
    SiteTask(server);
    doc().m_nTimeout = 0;
    PausedWith({}, 0, {{0, server.Url("/a")}, {1, server.Url("/b")}});
    doc().OnTaskRun();
    ASSERT_TRUE(held.WaitUntilHeld());  // slot 1 is done with /b and has given it up

    // Slot 0 finds two links: it takes one and starts a new worker in slot 1.
    ASSERT_TRUE(doc().QueueUrl(server.Url("/c")));
    ASSERT_TRUE(doc().QueueUrl(server.Url("/d")));
    doc().OnAbortRetrieval(0);
    const auto slotOneLines = [&] {
        std::vector<std::string> lines;
        for (const RecordingTarget::Message& m : m_bar.Messages()) {
            if (m.message == WM_THREAD_STATUS && (m.wParam >> 8) == 1) {
                lines.push_back(std::get<std::string>(m.lParam));
            }
        }
        return lines;
    };
    const std::string requestingD = FormatString(IDS_STATUS_REQUESTING, {server.Url("/d")});
    ASSERT_TRUE(WaitFor([&] {
        const auto lines = slotOneLines();
        return !lines.empty() && lines.back() == requestingD;
    }));

    held.Release();
    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard lock(doc().m_csSlots);
        return std::all_of(doc().m_arrRetired.begin(), doc().m_arrRetired.end(),
                           [](const CThreadHandle& handle) { return handle.HasReturned(); });
    }));
    EXPECT_EQ(slotOneLines().back(), requestingD);

    doc().OnTaskAbort();
    EXPECT_TRUE(WaitUntilEnded(5s));
}
