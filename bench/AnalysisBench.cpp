// Measures the analysis of a retrieved page (strip, keywords and abstract,
// link extraction) in MB/s, queueing into large URL lists, and, for
// comparison, fetching the same page over loopback.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "task/QuobrixDoc.h"

namespace {
// A page of about the given size: paragraphs with keywords, a link every
// few hundred bytes, a script and a style block.
std::string MakePage(size_t size) {
    std::string page =
        "<html><head><title>Orchard news</title><style>p { color: green; }</style>"
        "<script>var x = '<a href=\"hidden.html\">';</script></head><body>\n";
    int n = 0;
    while (page.size() < size) {
        page += "<p>The orchard pressed its apples into cider&nbsp;this week, and the  "
                "growers met in the barn to taste the new season's juice. ";
        page += "<a href=\"/news/item" + std::to_string(n % 500) + ".html\">item " +
                std::to_string(n) + "</a> <img src='pics/p" + std::to_string(n % 50) +
                ".gif'></p>\n";
        ++n;
    }
    page += "</body></html>";
    return page;
}

void PrepareDoc(CQuobrixDoc& doc) {
    doc.m_bSiteMode = true;
    doc.m_strCurrentSite = "bench.example";
    doc.m_strUrl[0] = "http://bench.example/news/index.html";
    doc.SetKeywords("perry+cider", false);
}

void BM_AnalysePage(benchmark::State& state) {
    CQuobrixDoc doc;
    PrepareDoc(doc);
    const std::string page = MakePage(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        doc.m_strPage[0] = page;
        doc.StripPage(0);
        doc.CheckKeywords(0);
        doc.ExtractLinks(0);
        benchmark::DoNotOptimize(doc.m_strAbstract[0].data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_AnalysePage)->Arg(10 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMicrosecond);

// Queues N new URLs into an empty list, then offers each once more.
void BM_QueueUrls(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<std::string> urls;
    urls.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        urls.push_back("http://bench.example/catalog/section" + std::to_string(i % 97) + "/item" +
                       std::to_string(i) + ".html");
    }
    for (auto _ : state) {
        CQuobrixDoc doc;
        for (const std::string& url : urls) {
            doc.QueueUrl(url);
        }
        for (const std::string& url : urls) {
            benchmark::DoNotOptimize(doc.QueueUrl(url));
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 2 * count);
}
BENCHMARK(BM_QueueUrls)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A loopback server that answers every connection with the same response.
class CLoopbackServer {
public:
    explicit CLoopbackServer(std::string response) : m_response(std::move(response)) {
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        listen(m_listen, 16);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            for (;;) {
                const int sock = accept(m_listen, nullptr, nullptr);
                if (sock < 0) {
                    return;
                }
                char request[4096];
                (void)!recv(sock, request, sizeof request, 0);
                size_t sent = 0;
                while (sent < m_response.size()) {
                    const ssize_t n = send(sock, m_response.data() + sent,
                                           m_response.size() - sent, MSG_NOSIGNAL);
                    if (n <= 0) {
                        break;
                    }
                    sent += static_cast<size_t>(n);
                }
                close(sock);
            }
        });
    }
    ~CLoopbackServer() {
        shutdown(m_listen, SHUT_RDWR);
        m_thread.join();
        close(m_listen);
    }
    int Port() const { return m_port; }

private:
    std::string m_response;
    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
};

void BM_FetchOverLoopback(benchmark::State& state) {
    const std::string page = MakePage(static_cast<size_t>(state.range(0)));
    CLoopbackServer server("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                           std::to_string(page.size()) + "\r\n\r\n" + page);
    char folder[] = "/tmp/quobrix-bench-XXXXXX";
    CQuobrixDoc doc;
    doc.m_strTaskDir = std::string(mkdtemp(folder)) + "/";
    doc.m_strCurrentSite = "127.0.0.1:" + std::to_string(server.Port());
    doc.m_strUrl[0] = "http://" + doc.m_strCurrentSite + "/page.html";
    doc.m_nTextMaxK = 0;  // the 1 MB page is just above the default limit
    for (auto _ : state) {
        if (doc.RetrievePage(0) <= 0) {
            state.SkipWithError("fetch failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FetchOverLoopback)
    ->Arg(10 * 1024)
    ->Arg(1024 * 1024)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
