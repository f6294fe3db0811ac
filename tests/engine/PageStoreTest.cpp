#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/Text.h"
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
        {"http://host:8080/a.html", "host:8080/a.html"},
        {"https://host/a.html", "host/a.html"},
        {"https://host:443/a.html", "host/a.html"},
        {"https://host:8443/a.html", "host:8443/a.html"},
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
}

// A folder per site: the host alone on the default port, "host:port" on any other.
TEST(PageStore, SitesOnOtherPortsHaveFoldersOfTheirOwn) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://host/a.html", "host/a.html"},
        {"http://host:80/a.html", "host/a.html"},
        {"http://host:0080/", "host/index.html"},
        {"http://Shop.Example:8080/", "Shop.Example:8080/index.html"},
        {"http://127.0.0.3:18084/a.html", "127.0.0.3:18084/a.html"},
        {"http://127.0.0.3:18085/a.html", "127.0.0.3:18085/a.html"},
        {"http://user:pw@127.0.0.3:18085/q?x:y", "127.0.0.3:18085/q-x-y"}};
    for (const auto& [url, stored] : cases) {
        EXPECT_EQ(UrlToLocalPath(D, url), D + stored) << url;
        // The local server is asked for "/" + the path below the task directory.
        EXPECT_EQ(UrlToLocalPath(D, "http://" + stored), D + stored) << url;
    }
}

// A task stored when every port of a host shared the host's folder still
// finds its copies there, until its site has a folder of its own.
TEST(PageStore, AnEarlierTaskKeepsItsCopiesInTheHostsFolder) {
    std::vector<std::string> asked;
    const auto exists = [&](const std::string& path) {
        asked.push_back(path);
        return path == D + "new:8080";
    };
    const std::pair<std::string, std::string> cases[] = {
        {"http://new:8080/a.html", D + "new:8080/a.html"},
        {"http://old:8080/a.html", D + "old/a.html"},
        {"http://old:80/a.html", D + "old/a.html"},
        {"http://old/docs/", D + "old/docs/index.html"},
        {"http://../x", ""}};
    for (const auto& [url, found] : cases) {
        EXPECT_EQ(FindLocalPath(D, url, exists), found) << url;
    }
    EXPECT_EQ(asked, (std::vector<std::string>{D + "new:8080", D + "old:8080"}))
        << "only a site on another port is looked for";
}

TEST(PageStore, RefusesUrlsThatCouldLeaveTheTaskDirectory) {
    const std::string refused[] = {"http://host/../x",
                                   "http://host/a/./b",
                                   "http://host/a/..",
                                   "http://host/..?x",
                                   "http://../x",
                                   "http://./x",
                                   "http://u@..:80/x",
                                   "ftp://host/",
                                   "http://host/" + std::string(300, 'a'),
                                   std::string("http://..\0x/", 12)};
    for (const std::string& url : refused) {
        EXPECT_EQ(UrlToLocalPath(D, url), "") << url;
    }
}

namespace {
// Every name along a stored path fits a folder entry with its companion beside
// it, none is a companion's name, and the path, below the task directory, is
// mapped to itself when the local server is asked for it.
void ExpectStorable(const std::string& stored) {
    ASSERT_EQ(stored.rfind(D, 0), 0u) << stored;
    const std::string below = stored.substr(D.size());
    std::vector<std::string> names(1);
    for (const char ch : below) {
        if (ch == '/') {
            names.emplace_back();
        } else {
            names.back().push_back(ch);
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        EXPECT_LE(name.size(), i + 1 < names.size() ? 255u : 247u) << stored;
        const size_t tail = std::min<size_t>(name.size(), 8);
        EXPECT_FALSE(EqualsNoCase(name.substr(name.size() - tail), ".Quobrix")) << stored;
    }
    EXPECT_EQ(UrlToLocalPath(D, "http://" + below), stored);
}
}  // namespace

// Hash marks are written out: a stored path must be the same on every machine
// and in every run, or the links of earlier result pages break.
TEST(PageStore, NoStoredNameIsACompanionName) {
    const std::pair<std::string, std::string> cases[] = {
        {"http://host/a.html.Quobrix", "host/a.html.Quobrix~45054f4803a87bc7"},
        {"http://host/A.HTML.qUoBrIx", "host/A.HTML.qUoBrIx~f0239b7ddb74d034"},
        {"http://host/a?x.Quobrix", "host/a-x.Quobrix~012353389044335f"},
        {"http://host/x.quobrix/a.html", "host/x.quobrix~f24ed21415f48dcd/a.html"},
        {"http://host/a.Quobrix?x", "host/a.Quobrix-x"},
        {"http://host/a.Quobrixx", "host/a.Quobrixx"}};
    for (const auto& [url, stored] : cases) {
        EXPECT_EQ(UrlToLocalPath(D, url), D + stored) << url;
        ExpectStorable(UrlToLocalPath(D, url));
    }
}

TEST(PageStore, LongNamesAreShortenedToFitBesideTheirCompanions) {
    const std::string e = "\xC3\xA9";  // "é" in UTF-8
    std::string accents;
    for (int i = 0; i < 124; ++i) {
        accents += e;
    }
    const std::pair<std::string, std::string> cases[] = {
        {"/" + std::string(247, 'n'), std::string(247, 'n')},
        {"/" + std::string(248, 'n'), std::string(230, 'n') + "~305f156ecd1bd997"},
        {"/" + std::string(255, 'f') + "/a", std::string(255, 'f') + "/a"},
        {"/" + std::string(256, 'f') + "/a", std::string(238, 'f') + "~509747601130b9ef/a"},
        // The name with its query text.
        {"/" + std::string(150, 'p') + "?" + std::string(149, 'q'),
         std::string(150, 'p') + "-" + std::string(79, 'q') + "~0e800b0148f8ab31"},
        // Below deep folders the name leaves the path within a URL's bounds.
        {"/" + std::string(200, 'd') + "/x?" + std::string(250, 'q'),
         std::string(200, 'd') + "/x-" + std::string(38, 'q') + "~496d0daadb11ef72"},
        // Never cut inside a character.
        {"/a" + accents, "a" + accents.substr(0, 228) + "~dc1d039bd8d7ff72"},
    };
    for (const auto& [path, stored] : cases) {
        SCOPED_TRACE(path.substr(0, 40));
        EXPECT_EQ(UrlToLocalPath(D, "http://host" + path), D + "host/" + stored);
        ExpectStorable(UrlToLocalPath(D, "http://host" + path));
    }
    EXPECT_NE(UrlToLocalPath(D, "http://host/" + std::string(248, 'n')),
              UrlToLocalPath(D, "http://host/" + std::string(249, 'n')));
}
