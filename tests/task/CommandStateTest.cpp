#include <gtest/gtest.h>

#include "common/StringTable.h"
#include "support/TestDoc.h"

TEST(CommandState, TaskCommandsFollowTheStateTheSiteAndTheStopFlag) {
    struct Case {
        unsigned state;
        std::string site;
        bool stopping;
        bool run, pause, pauseChecked, abort, properties;
    };
    const Case cases[] = {
        {IDS_STATE_IDLE, "", false, false, false, false, false, false},
        {IDS_STATE_IDLE, "example.com", false, true, false, false, false, true},
        {IDS_STATE_SEEKING, "example.com", false, false, true, false, true, true},
        {IDS_STATE_PAUSED, "example.com", false, true, true, true, true, true},
        {IDS_STATE_PAUSED, "example.com", true, false, true, true, true, true},
        {IDS_STATE_FINISHED, "example.com", false, true, false, false, false, true},
        {IDS_STATE_ABORTED, "example.com", false, true, false, false, false, true},
    };
    for (const Case& c : cases) {
        CTestDoc doc;
        doc.m_nState = c.state;
        doc.m_strCurrentSite = c.site;
        doc.m_bStop = c.stopping;
        SCOPED_TRACE(LoadString(c.state) + " site '" + c.site + "' stopping " +
                     std::to_string(c.stopping));
        EXPECT_EQ(doc.CanRun(), c.run);
        EXPECT_EQ(doc.CanPause(), c.pause);
        EXPECT_EQ(doc.IsPauseChecked(), c.pauseChecked);
        EXPECT_EQ(doc.CanAbort(), c.abort);
        EXPECT_EQ(doc.CanEditProperties(), c.properties);
    }
}

TEST(CommandState, SkipNeedsARunningTaskWithASiteAfterTheCurrentOne) {
    CTestDoc doc;
    doc.m_nState = IDS_STATE_SEEKING;
    doc.m_arrSites = {"a.example", "b.example"};
    doc.m_nNextSite = 1;
    EXPECT_TRUE(doc.CanSkipSite());
    doc.m_nNextSite = 2;
    EXPECT_FALSE(doc.CanSkipSite());

    doc.m_bSiteMode = false;
    doc.m_strCurrentSite = "10.0.0.1";
    doc.m_strEndAddress = "10.0.0.3";
    EXPECT_TRUE(doc.CanSkipSite());
    doc.m_strCurrentSite = "10.0.0.3";
    EXPECT_FALSE(doc.CanSkipSite());
    doc.m_strCurrentSite = "10.0.0.1";
    doc.m_nState = IDS_STATE_PAUSED;
    EXPECT_FALSE(doc.CanSkipSite());

    EXPECT_FALSE(doc.CanActOnSlot(3));
    doc.m_bActive[3] = true;
    EXPECT_TRUE(doc.CanActOnSlot(3));
    EXPECT_FALSE(doc.CanActOnSlot(15));
    EXPECT_FALSE(doc.CanActOnSlot(-1));
}
