#include "common/ThreadHandle.h"

CThreadHandle CThreadHandle::Start(std::function<void()> body) {
    CThreadHandle handle;
    handle.m_pReturned = std::make_shared<std::atomic<bool>>(false);
    handle.m_thread = std::thread([body = std::move(body), returned = handle.m_pReturned] {
        body();
        returned->store(true);
    });
    return handle;
}

void CThreadHandle::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
    }
}
