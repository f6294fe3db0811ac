#include "results/FailurePage.h"
#include "server/Connection.h"
#include "server/OwnPagePolicy.h"
#include "task/QuobrixDoc.h"

namespace {
constexpr size_t kRowsPerSend = 64;  // rows gathered into one send
}  // namespace

// The record as it is now, newest last. Its URLs come from the web: like the
// result pages, nothing in it may run.
void CQuobrixDoc::ServeFailurePage(CConnection& connection, int port) {
    const std::vector<CFailureEntry> entries = ReadFailureRecord(GetTaskDir());
    std::string bytes = "HTTP/1.0 200 OK\r\nConnection: close\r\n" + OwnPagePolicyLine(port) +
                        "Content-Type: text/html; charset=utf-8\r\n\r\n" + FailurePageHead();
    for (size_t at = 0; at < entries.size(); ++at) {
        bytes += FailurePageRow(entries[at]);
        if ((at + 1) % kRowsPerSend == 0) {
            if (!connection.Send(bytes)) {
                return;
            }
            bytes.clear();
        }
    }
    connection.Send(bytes + FailurePageFoot());
}
