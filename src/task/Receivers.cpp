#include "task/QuobrixDoc.h"

void CQuobrixDoc::SetReceivers(INotifyTarget* frame, INotifyTarget* threadBar,
                               INotifyTarget* view) {
    m_hWndMainFrame = frame;
    m_hWndThreadBar = threadBar;
    m_hWndView = view;
}

void CQuobrixDoc::SetViewReceiver(INotifyTarget* view) {
    m_hWndView = view;
}

void CQuobrixDoc::ClearReceivers() {
    SetReceivers(nullptr, nullptr, nullptr);
}

void CQuobrixDoc::SendStateAndCounts() {
    SetState(m_nState);
    NotifySitesLeft();
    NotifyLinkCounts();
}
