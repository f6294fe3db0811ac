#pragma once

#include <functional>
#include <vector>

// The values a sheet opened with, kept beside the page members they filled,
// so that OK writes back only what the user changed. A value left as it was
// keeps whatever its owner holds by then, also when something else changed
// it while the sheet was open (an authorization prompt's "Do not prompt next
// time" during a run, say). Used on the user-interface thread.
class CChangedValues {
public:
    // page = source. Both must outlive StoreChanged.
    template <typename Source, typename Page>
    void Open(Source& source, Page& page) {
        const auto same = [](const Page& value) { return value; };
        Open(source, page, same, same);
    }

    // The same for a value the page shows in other units: page =
    // toPage(source), and back as toSource(page). 60500 ms shows as 60 s and,
    // untouched, stays 60500.
    template <typename Source, typename Page, typename ToPage, typename ToSource>
    void Open(Source& source, Page& page, ToPage toPage, ToSource toSource) {
        page = toPage(source);
        m_arrStores.push_back([&source, &page, toSource, opened = page] {
            if (!(page == opened)) {
                source = toSource(page);
            }
        });
    }

    // Writes back every page value that differs from the one it opened with.
    void StoreChanged() const;

private:
    std::vector<std::function<void()>> m_arrStores;
};
