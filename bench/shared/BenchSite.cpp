#include "BenchSite.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "BenchImages.h"
#include "BenchRandom.h"

namespace {
constexpr uint64_t kSeed = 0x51756F62726978ULL;
constexpr size_t kPageBytes = 10 * 1024;   // about this much per page
constexpr size_t kParagraphBytes = 420;    // a link after each paragraph, while links are left
constexpr int kMinLinks = 15;
constexpr int kMaxLinks = 25;

const char* const kWords[] = {
    "orchard", "cider",  "harvest", "blossom", "ladder", "basket", "branch", "press",
    "season",  "grower", "market",  "barrel",  "valley", "frost",  "summer", "autumn",
    "tree",    "root",   "graft",   "bee",     "hill",   "river",  "farm",   "barn",
    "juice",   "crate",  "the",     "a",       "of",     "and",    "in",     "with",
    "old",     "new",    "green",   "red",     "sweet",  "sharp",  "early",  "late",
};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::string PageName(int page) {
    if (page == 0) {
        return "index.html";
    }
    char name[32];
    std::snprintf(name, sizeof(name), "p%04d.html", page);
    return name;
}

std::string ImageName(int image) {
    char name[32];
    std::snprintf(name, sizeof(name), "img/i%03d.%s", image, image % 2 == 0 ? "png" : "gif");
    return name;
}

// Words up to about size bytes; now and then one of the keywords.
void AppendWords(std::string& html, CBenchRandom& random, size_t size) {
    const size_t end = html.size() + size;
    while (html.size() < end) {
        const int pick = random.Between(0, 199);
        html += pick == 0 ? "apple" : pick == 1 ? "pear" : kWords[random.Next() % kWordCount];
        html += ' ';
    }
}

std::string MakePage(int page, CBenchRandom& random) {
    // The next page first, so that following links from index.html reaches
    // every page; the rest anywhere but here and the start page.
    std::vector<int> links = {page % (CBenchSite::kPages - 1) + 1};
    const int count = random.Between(kMinLinks, kMaxLinks);
    while (static_cast<int>(links.size()) < count) {
        const int target = random.Between(1, CBenchSite::kPages - 1);
        if (target != page && std::find(links.begin(), links.end(), target) == links.end()) {
            links.push_back(target);
        }
    }
    // Every image from some page: page n shows image n % 200, half of them another.
    std::vector<int> images = {page % CBenchSite::kImages};
    if (random.Between(0, 1) == 1) {
        images.push_back(random.Between(0, CBenchSite::kImages - 1));
    }

    const std::string title = "Orchard notes " + std::to_string(page);
    std::string html = "<!DOCTYPE html>\n<html><head><title>" + title +
                       "</title></head>\n<body><h1>" + title + "</h1>\n";
    for (const int image : images) {
        html += "<p><img src=\"" + ImageName(image) + "\" alt=\"picture " +
                std::to_string(image) + "\"></p>\n";
    }
    size_t nextLink = 0;
    while (nextLink < links.size() || html.size() + 16 < kPageBytes) {
        html += "<p>";
        AppendWords(html, random, kParagraphBytes);
        if (nextLink < links.size()) {
            const int target = links[nextLink++];
            html += "<a href=\"" + PageName(target) + "\">notes " + std::to_string(target) + "</a>";
        }
        html += "</p>\n";
    }
    html += "</body></html>\n";
    return html;
}

std::string MakeBigPage(CBenchRandom& random) {
    std::string html =
        "<!DOCTYPE html>\n<html><head><title>The big orchard page</title></head>\n<body>\n";
    const std::string end = "</body></html>\n";
    constexpr size_t kParagraph = 1000;
    constexpr size_t kLongestParagraph = kParagraph + 100;  // the last word and the link
    while (html.size() + kLongestParagraph + end.size() < CBenchSite::kBigPageBytes) {
        html += "<p>";
        AppendWords(html, random, kParagraph);
        html += "<a href=\"" + std::string(CBenchSite::kBigPage) + "\">to the top</a></p>\n";
    }
    html.append(CBenchSite::kBigPageBytes - end.size() - html.size(), '\n');  // to the exact size
    return html + end;
}

bool WriteFile(const std::string& path, const std::string& bytes, std::string& strError) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        strError = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string Kilobytes(size_t bytes, size_t count) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f KB", static_cast<double>(bytes) / 1024.0 /
                                                     static_cast<double>(count));
    return text;
}
}  // namespace

bool CBenchSite::Write(const std::string& strFolder, std::string& strError) {
    std::error_code error;
    std::filesystem::create_directories(strFolder + "/img", error);
    if (error) {
        strError = "cannot create " + strFolder + "/img: " + error.message();
        return false;
    }
    CBenchRandom random(kSeed);
    m_nPageBytes = m_nImageBytes = 0;
    for (int page = 0; page < kPages; ++page) {
        const std::string html = MakePage(page, random);
        m_nPageBytes += html.size();
        if (!WriteFile(strFolder + "/" + PageName(page), html, strError)) {
            return false;
        }
    }
    for (int image = 0; image < kImages; ++image) {
        const int width = random.Between(16, 64);
        const int height = random.Between(16, 64);
        const std::string bytes = image % 2 == 0 ? PngImage(width, height, random.Next())
                                                 : GifImage(width, height, random.Next());
        // The crawl counts them whatever they hold; the view shows them.
        const QImage decoded = QImage::fromData(QByteArray::fromStdString(bytes));
        if (decoded.isNull() || decoded.width() != width || decoded.height() != height) {
            strError = ImageName(image) + " as made does not decode";
            return false;
        }
        m_nImageBytes += bytes.size();
        if (!WriteFile(strFolder + "/" + ImageName(image), bytes, strError)) {
            return false;
        }
    }
    const std::string big = MakeBigPage(random);
    m_nBigBytes = big.size();
    return WriteFile(strFolder + "/" + kBigPage, big, strError);
}

std::string CBenchSite::Summary() const {
    char text[160];
    std::snprintf(text, sizeof(text), "%d pages (%s each on average), %d images (%s), a %.1f MB page",
                  kPages, Kilobytes(m_nPageBytes, kPages).c_str(), kImages,
                  Kilobytes(m_nImageBytes, kImages).c_str(),
                  static_cast<double>(m_nBigBytes) / (1024.0 * 1024.0));
    return text;
}
