#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "support/TestDoc.h"

namespace {
CTaskProperties Edited() {
    CTaskProperties properties;
    properties.m_keywords = {"  pear+plum ", true};
    properties.m_bPauseAfterSite = true;
    properties.m_nDepth = 4;
    properties.m_nResultsPerPage = 20;
    properties.m_bPromptAuth = true;
    properties.m_nAutoSaveMinutes = 7;
    properties.m_abstract = {150, 2, -10};
    properties.m_bFilterText = false;
    properties.m_bFilterImage = false;
    properties.m_bFilterOthers = false;
    properties.m_nTextMaxK = 10;
    properties.m_nImageMaxK = 20;
    properties.m_nOthersMaxK = 30;
    properties.m_bRecolorLinks = false;
    properties.m_crLinkColor = 0x112233;
    properties.m_nRetries = 5;
    properties.m_nTimeout = 45500;
    properties.m_nMaxThreads = 2;
    return properties;
}
}  // namespace

TEST(TaskProperties, SetStoresEveryValueMarksTheKeywordsChangedAndTheTaskModified) {
    CTestDoc doc;
    doc.SetProperties(Edited());
    const CTaskProperties back = doc.GetProperties();
    EXPECT_EQ(back.m_keywords.m_strText, "pear+plum");  // trimmed, as SetKeywords does
    EXPECT_TRUE(back.m_keywords.m_bMatchCase);
    EXPECT_EQ(doc.m_arrKeywords, (std::vector<std::string>{"pear", "plum"}));
    EXPECT_TRUE(back.m_bPauseAfterSite);
    EXPECT_EQ(back.m_nDepth, 4);
    EXPECT_EQ(back.m_nResultsPerPage, 20);
    EXPECT_TRUE(back.m_bPromptAuth);
    EXPECT_EQ(back.m_nAutoSaveMinutes, 7);
    EXPECT_EQ(doc.AutoSaveMinutes(), 7);
    EXPECT_EQ(back.m_abstract.m_nMaxLength, 150);
    EXPECT_EQ(back.m_abstract.m_nStart, 2);
    EXPECT_EQ(back.m_abstract.m_nOffset, -10);
    EXPECT_FALSE(back.m_bFilterText);
    EXPECT_FALSE(back.m_bFilterImage);
    EXPECT_FALSE(back.m_bFilterOthers);
    EXPECT_EQ(back.m_nTextMaxK, 10);
    EXPECT_EQ(back.m_nImageMaxK, 20);
    EXPECT_EQ(back.m_nOthersMaxK, 30);
    EXPECT_FALSE(back.m_bRecolorLinks);
    EXPECT_EQ(back.m_crLinkColor, 0x112233u);
    EXPECT_EQ(back.m_nRetries, 5);
    EXPECT_EQ(back.m_nTimeout, 45500);
    EXPECT_EQ(back.m_nMaxThreads, 2);
    EXPECT_TRUE(doc.m_bKeywordsChanged);
    EXPECT_TRUE(doc.IsModified());
}

TEST(TaskProperties, StoreLeavesTheKeywordsTheAbstractAndTheModifiedFlag) {
    CTestDoc doc;
    doc.StoreProperties(Edited());
    const CTaskProperties back = doc.GetProperties();
    EXPECT_EQ(back.m_nMaxThreads, 2);
    EXPECT_EQ(back.m_nTimeout, 45500);
    EXPECT_EQ(back.m_keywords.m_strText, "");
    EXPECT_FALSE(back.m_keywords.m_bMatchCase);
    EXPECT_EQ(back.m_abstract.m_nMaxLength, 300);
    EXPECT_FALSE(doc.m_bKeywordsChanged);
    EXPECT_FALSE(doc.IsModified());
}

TEST(TaskProperties, WorkersHaveNotReturnedWhileAnotherThreadHoldsTheRun) {
    CTestDoc doc;
    EXPECT_TRUE(doc.HaveWorkersReturned());
    std::promise<void> held;
    std::promise<void> release;
    std::thread holder([&] {
        std::lock_guard lock(doc.m_csSlots);
        held.set_value();
        release.get_future().wait_for(std::chrono::seconds(10));
    });
    const bool bHeld =
        held.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    const bool bReturnedWhileHeld = doc.HaveWorkersReturned();
    release.set_value();
    holder.join();
    ASSERT_TRUE(bHeld);
    EXPECT_FALSE(bReturnedWhileHeld);
    EXPECT_TRUE(doc.HaveWorkersReturned());
}
