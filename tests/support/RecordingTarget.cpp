#include "support/RecordingTarget.h"

int64_t RecordingTarget::Send(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    std::lock_guard lock(m_lock);
    m_arrMessages.push_back({message, wParam, lParam, false});
    return m_nAnswer;
}

void RecordingTarget::Post(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    std::lock_guard lock(m_lock);
    m_arrMessages.push_back({message, wParam, lParam, true});
}

std::vector<RecordingTarget::Message> RecordingTarget::Messages() const {
    std::lock_guard lock(m_lock);
    return m_arrMessages;
}

std::vector<std::string> RecordingTarget::Texts(unsigned message) const {
    std::vector<std::string> texts;
    for (const Message& m : Messages()) {
        if (m.message == message && std::holds_alternative<std::string>(m.lParam)) {
            texts.push_back(std::get<std::string>(m.lParam));
        }
    }
    return texts;
}

std::vector<int64_t> RecordingTarget::Numbers(unsigned message) const {
    std::vector<int64_t> numbers;
    for (const Message& m : Messages()) {
        if (m.message == message && std::holds_alternative<int64_t>(m.lParam)) {
            numbers.push_back(std::get<int64_t>(m.lParam));
        }
    }
    return numbers;
}
