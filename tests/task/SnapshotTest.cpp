#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/TempDir.h"
#include "support/TestDoc.h"
#include "support/WaitFor.h"
#include "task/Archive.h"

// Saves taken while other threads change the lists and slot texts under
// their locks must each be consistent: a URL list that matches its index, a
// page that matches its length.
TEST(Snapshot, SavesWhileWorkersWriteAreConsistent) {
    TempDir dir;
    CTestDoc doc;
    std::atomic<bool> done{false};

    std::thread queuer([&] {
        for (int i = 0; !done && i < 200000; ++i) {
            std::scoped_lock lock(doc.m_csSlots, doc.m_csUrls);
            doc.m_arrUrls.push_back("http://example.com/" + std::to_string(i));
            doc.m_nNextUrl = static_cast<int>(doc.m_arrUrls.size());
            doc.m_strUrl[1] = doc.m_arrUrls.back();
        }
    });
    std::thread reader([&] {
        for (int i = 0; !done && i < 200000; ++i) {
            std::lock_guard lock(doc.m_csSlotText[2]);
            doc.m_strPage[2].assign(static_cast<size_t>(i % 5000), 'x');
            doc.m_nPageLength[2] = i % 5000;
        }
    });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int saves = 0;
    while (saves < 40 && std::chrono::steady_clock::now() < deadline) {
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(dir / "live.qbx", error)) << error;
        CTestDoc saved;
        ASSERT_TRUE(saved.OnOpenDocument(dir / "live.qbx", error)) << error;
        EXPECT_EQ(saved.m_nNextUrl, static_cast<int>(saved.m_arrUrls.size()));
        if (!saved.m_arrUrls.empty()) {
            EXPECT_EQ(saved.m_strUrl[1], saved.m_arrUrls.back());
        }
        EXPECT_EQ(saved.m_nPageLength[2], static_cast<int>(saved.m_strPage[2].size()));
        ++saves;
    }
    done = true;
    queuer.join();
    reader.join();
    EXPECT_GT(saves, 0);
}

// A save writes each slot's texts under that slot's lock alone: while it
// waits for a busy slot, the workers can still take the shared locks, and
// the pages before it are already on their way to the file, not copied.
TEST(Snapshot, ASaveWaitingForABusySlotHoldsNoSharedLock) {
    TempDir dir;
    CTestDoc doc;
    doc.m_strPage[2].assign(1 << 20, 'p');
    doc.m_nPageLength[2] = 1 << 20;
    doc.m_strPage[3] = "busy";
    std::unique_lock busy(doc.m_csSlotText[3]);

    std::thread saver([&] {
        std::string error;
        EXPECT_TRUE(doc.OnSaveDocument(dir / "t.qbx", error)) << error;
    });
    // The bytes of slot 2 reach the disk before the save waits for slot 3.
    const auto written = [&] {
        std::uintmax_t largest = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            std::error_code ignored;
            largest = std::max(largest, entry.file_size(ignored));
        }
        return largest;
    };
    const bool reachedSlot3 =
        WaitFor([&] { return written() > (1u << 20); }, std::chrono::seconds(5));
    EXPECT_TRUE(reachedSlot3) << "the save waits for slot 3 with nothing written";
    if (reachedSlot3) {
        std::unique_lock<CMutex> scheduler(doc.m_csSlots, std::try_to_lock);
        std::unique_lock<CMutex> urls(doc.m_csUrls, std::try_to_lock);
        std::unique_lock<CMutex> results(doc.m_csResults, std::try_to_lock);
        EXPECT_TRUE(scheduler.owns_lock() && urls.owns_lock() && results.owns_lock());
    }
    busy.unlock();
    saver.join();

    CTestDoc saved;
    std::string error;
    ASSERT_TRUE(saved.OnOpenDocument(dir / "t.qbx", error)) << error;
    EXPECT_EQ(saved.m_strPage[2].size(), 1u << 20);
    EXPECT_EQ(saved.m_strPage[3], "busy");
}
