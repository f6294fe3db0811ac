#include <gtest/gtest.h>

#include "engine/PageStore.h"

namespace {
const std::string D = "/tasks/shop/";
}

TEST(PageStore, MapsUrlsIntoTheTaskDirectory) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://host/", "host/index.html"},
        {"http://host", "host/index.html"},
        {"http://host/docs/a.html", "host/docs/a.html"},
        {"http://host/docs/", "host/docs/index.html"},
        {"http://host/docs", "host/docs"},
        {"http://host:8080/a.html", "host/a.html"},
        {"http://user:pw@host/a.html", "host/a.html"},
        {"http://host/cgi/q.asp?id=5&p=a/b", "host/cgi/q.asp-id=5&p=a-b"},
        {"http://host/list/?page=2", "host/list/index.html-page=2"},
        {"http://host/a.html#top", "host/a.html#top"},
        {"http://host/q?a/b:c*d?e\"f<g>h|i\\j", "host/q-a-b-c-d-e-f-g-h-i\\j"},
        {"http://WWW.Host.Example/Docs/A.html", "WWW.Host.Example/Docs/A.html"},
        {"http://host/a..b/.x/...", "host/a..b/.x/..."},
        {"http://host/a?x=/../..", "host/a-x=-..-.."}};
    for (const auto& [url, stored] : cases) {
        EXPECT_EQ(UrlToLocalPath(D, url), D + stored) << url;
    }
    EXPECT_EQ(UrlToLocalPath(D, "http://host:81/x"), UrlToLocalPath(D, "http://host/x"));
}

TEST(PageStore, RefusesUrlsThatCouldLeaveTheTaskDirectory) {
    const std::string refused[] = {"http://host/../x",
                                   "http://host/a/./b",
                                   "http://host/a/..",
                                   "http://host/..?x",
                                   "http://../x",
                                   "http://./x",
                                   "http://u@..:80/x",
                                   "https://host/",
                                   "http://host/" + std::string(300, 'a'),
                                   std::string("http://..\0x/", 12)};
    for (const std::string& url : refused) {
        EXPECT_EQ(UrlToLocalPath(D, url), "") << url;
    }
}
