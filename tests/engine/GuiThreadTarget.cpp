#include "GuiThreadTarget.h"

#include <chrono>
#include <memory>

#include "common/Messages.h"

namespace {
constexpr auto kDeadlockAfter = std::chrono::seconds(3);

struct Answer {
    std::mutex cs;
    std::condition_variable cvDone;
    bool bDone = false;
    int64_t nResult = 0;
};
}  // namespace

GuiThreadTarget::GuiThreadTarget(CTestDoc& doc) : m_doc(doc), m_hThread([this] { Run(); }) {}

GuiThreadTarget::~GuiThreadTarget() {
    if (m_doc.m_hWndMainFrame == this) {
        m_doc.m_hWndMainFrame = m_pEarlier[0];
        m_doc.m_hWndThreadBar = m_pEarlier[1];
        m_doc.m_hWndView = m_pEarlier[2];
    }
    {
        std::lock_guard lock(m_cs);
        m_bStopping = true;
    }
    m_cvJobs.notify_all();
    m_hThread.join();
}

void GuiThreadTarget::Attach() {
    m_pEarlier[0] = m_doc.m_hWndMainFrame;
    m_pEarlier[1] = m_doc.m_hWndThreadBar;
    m_pEarlier[2] = m_doc.m_hWndView;
    m_doc.m_hWndMainFrame = this;
    m_doc.m_hWndThreadBar = this;
    m_doc.m_hWndView = this;
}

int GuiThreadTarget::Deadlocks() const {
    std::lock_guard lock(m_cs);
    return m_nDeadlocks;
}

int64_t GuiThreadTarget::Handle(unsigned message, int64_t wParam, const NotifyParam& lParam,
                                bool posted) {
    // What the desktop's GUI thread may do between two messages.
    m_doc.TakeSnapshot();
    m_doc.GetAppOptions();
    { std::lock_guard lock(m_doc.m_csResolve); }
    if (posted) {
        RecordingTarget::Post(message, wParam, lParam);
        return 0;
    }
    RecordingTarget::Send(message, wParam, lParam);
    if (message != WM_AUTHORIZE) {
        return 0;
    }
    m_doc.AnswerAuthorization(std::get<std::string>(lParam), true, "ann", "secret", false);
    return 1;
}

int64_t GuiThreadTarget::Send(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    auto answer = std::make_shared<Answer>();
    {
        std::lock_guard lock(m_cs);
        m_jobs.push_back([this, answer, message, wParam, lParam] {
            const int64_t result = Handle(message, wParam, lParam, false);
            std::lock_guard answerLock(answer->cs);
            answer->nResult = result;
            answer->bDone = true;
            answer->cvDone.notify_all();
        });
    }
    m_cvJobs.notify_all();
    std::unique_lock lock(answer->cs);
    if (!answer->cvDone.wait_for(lock, kDeadlockAfter, [&] { return answer->bDone; })) {
        std::lock_guard countLock(m_cs);
        ++m_nDeadlocks;
        return 0;
    }
    return answer->nResult;
}

void GuiThreadTarget::Post(unsigned message, int64_t wParam, const NotifyParam& lParam) {
    {
        std::lock_guard lock(m_cs);
        m_jobs.push_back([this, message, wParam, lParam] { Handle(message, wParam, lParam, true); });
    }
    m_cvJobs.notify_all();
}

void GuiThreadTarget::Run() {
    std::unique_lock lock(m_cs);
    for (;;) {
        m_cvJobs.wait(lock, [this] { return m_bStopping || !m_jobs.empty(); });
        if (m_jobs.empty()) {
            return;
        }
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}
