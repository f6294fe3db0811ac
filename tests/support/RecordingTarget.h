#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "common/NotifyTarget.h"

// A notification receiver for tests: keeps every message in order and
// answers Send with a chosen result.
class RecordingTarget : public INotifyTarget {
public:
    struct Message {
        unsigned message;
        int64_t wParam;
        NotifyParam lParam;
        bool posted;
    };

    int64_t Send(unsigned message, int64_t wParam, const NotifyParam& lParam) override;
    void Post(unsigned message, int64_t wParam, const NotifyParam& lParam) override;

    std::vector<Message> Messages() const;
    // The lParam texts of every message with that number.
    std::vector<std::string> Texts(unsigned message) const;
    // The lParam numbers of every message with that number.
    std::vector<int64_t> Numbers(unsigned message) const;

    int64_t m_nAnswer = 0;

private:
    mutable std::mutex m_lock;
    std::vector<Message> m_arrMessages;
};
