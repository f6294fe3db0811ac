#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/PageFailure.h"

class CQuobrixDoc;

// One retrieval of one URL by one slot: reads the response in blocks of at
// most 512 bytes, examines its header, applies the file filters, stores the
// body with its companion header file and keeps the page text. Runs on the
// slot's own thread.
class CPageTransfer {
public:
    CPageTransfer(CQuobrixDoc& doc, int slot, std::string url);

    // The length of the page text, or -1 when the retrieval failed or
    // yielded no text. The socket is connected and the request sent.
    int Run();

private:
    enum class Step { More, Done, Failed, Unauthorized };

    Step OnBlock(const char* data, size_t count);
    Step GatherHeader(const char* data, size_t count);
    Step ExamineHeader(size_t end);
    Step OnBody(const char* data, size_t count);
    Step Redirect(int status, const std::string& location);
    bool RetryWithCredentials();
    // False when the disk is full (the task is then paused).
    bool StoreFile(const std::string& header);
    [[nodiscard]] bool WriteStored(const char* data, size_t count);
    void DiskFull(int error, const std::string& path);
    void AppendText(const char* data, size_t count);
    void ReportProgress();
    void RemoveStoredFile();
    void CloseFile();
    [[nodiscard]] bool BodyComplete() const;
    void Publish();
    void Reset();
    // The step that ends the transfer for this reason.
    Step Fail(FailureReason reason, int status = 0);

    CQuobrixDoc& m_doc;
    const int m_nSlot;
    const std::string m_strUrl;
    const std::string m_strProgressPrefix;  // "Reading web page: http://..."

    uint64_t m_nTotal = 0;          // bytes read by this call, header included
    bool m_bHeaderDone = false;
    std::vector<std::string> m_arrPending;  // blocks read before the header's end
    size_t m_nPendingBytes = 0;
    std::string m_strText;          // the page text
    std::string m_strHeaderLower;
    std::optional<uint32_t> m_nAnnounced;  // the Content-Length; the body ends there
    uint64_t m_nLimitBytes = 0;            // its class's size limit (0: none), on the bytes read
    uint64_t m_nBodyBytes = 0;
    int m_fd = -1;                  // the stored file
    std::string m_strStoredPath;
    CPageFailure m_failure;  // why it failed, when it did
};
