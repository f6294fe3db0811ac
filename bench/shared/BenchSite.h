#pragma once

#include <cstddef>
#include <string>

// The bench's web site, made in code (the same bytes every time) and written
// into a folder for nginx to serve:
//   index.html, p0001.html .. p1999.html  2,000 pages of about 10 KB, each
//       with 15 to 25 links to other pages and one or two images; every
//       page is reached from index.html
//   img/i000.png, img/i001.gif ..          200 small PNG and GIF images
//   big.html                               one 5 MB page that links only to itself
class CBenchSite {
public:
    static constexpr int kPages = 2000;
    static constexpr int kImages = 200;
    static constexpr size_t kBigPageBytes = 5 * 1024 * 1024;
    static constexpr const char* kBigPage = "big.html";

    // Writes the site; false, with strError, when a file could not be
    // written or a made image does not decode.
    bool Write(const std::string& strFolder, std::string& strError);

    // What a complete crawl stores: from "/" every page and image, from
    // "/big.html" the page alone.
    static size_t PageCrawlFiles() { return kPages + kImages; }
    static size_t BigCrawlFiles() { return 1; }

    // "2,000 pages (10.1 KB each on average), 200 images, a 5.0 MB page"
    std::string Summary() const;

private:
    size_t m_nPageBytes = 0;
    size_t m_nImageBytes = 0;
    size_t m_nBigBytes = 0;
};
