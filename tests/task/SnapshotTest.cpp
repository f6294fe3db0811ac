#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/TempDir.h"
#include "task/Archive.h"
#include "task/QuobrixDoc.h"

// Saves taken while other threads change the lists and slot texts under
// their locks must each be consistent: a URL list that matches its index, a
// page that matches its length.
TEST(Snapshot, SavesWhileWorkersWriteAreConsistent) {
    TempDir dir;
    CQuobrixDoc doc;
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
        CQuobrixDoc saved;
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
