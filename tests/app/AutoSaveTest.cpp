#include <gtest/gtest.h>

#include <vector>

#include "app/AutoSave.h"
#include "common/StringTable.h"
#include "task/QuobrixDoc.h"

namespace {
// Ticks the counter for whole minutes [from, to) of a task with a two-minute
// interval and returns the minutes at whose end a save happened. changeAt:
// the minute at whose start the task gets unsaved changes (-1: never).
std::vector<int> SavesBetween(CQuobrixDoc& doc, CAutoSave& autoSave, int from, int to,
                              int changeAt = -1) {
    std::vector<int> saves;
    for (int minute = from; minute < to; ++minute) {
        if (minute == changeAt) {
            doc.SetModifiedFlag();
        }
        for (int second = 0; second < 60; ++second) {
            autoSave.Tick(doc, [&] {
                saves.push_back(minute + 1);
                doc.SetModifiedFlag(false);  // what a save does
            });
        }
    }
    return saves;
}
}  // namespace

TEST(AutoSaveTest, RunningTaskIsSavedAtEveryInterval) {
    CQuobrixDoc doc;
    doc.m_nAutoSaveMinutes = 2;
    doc.m_nState = IDS_STATE_SEEKING;
    doc.SetModifiedFlag();
    CAutoSave autoSave;
    EXPECT_EQ(SavesBetween(doc, autoSave, 0, 6), (std::vector<int>{2, 4, 6}));
    EXPECT_TRUE(doc.IsModified());  // marked again for the next interval
}

TEST(AutoSaveTest, IntervalWithoutChangesSavesNothingAndCountsAgain) {
    CQuobrixDoc doc;
    doc.m_nAutoSaveMinutes = 2;
    CAutoSave autoSave;
    // Unchanged at the end of minute 2; changed during minute 3; saved at the end of minute 4.
    EXPECT_EQ(SavesBetween(doc, autoSave, 0, 5, 2), (std::vector<int>{4}));
    EXPECT_FALSE(doc.IsModified());
}

TEST(AutoSaveTest, NoIntervalNoCounting) {
    CQuobrixDoc doc;
    doc.SetModifiedFlag();
    CAutoSave autoSave;
    EXPECT_TRUE(SavesBetween(doc, autoSave, 0, 3).empty());
    // Seconds counted without an interval do not shorten the first one.
    doc.m_nAutoSaveMinutes = 1;
    EXPECT_EQ(SavesBetween(doc, autoSave, 3, 4), (std::vector<int>{4}));
}
