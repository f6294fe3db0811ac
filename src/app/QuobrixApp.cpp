#include "app/QuobrixApp.h"

#include <utility>

CQuobrixApp::CQuobrixApp(std::string strStorePath) : m_store(std::move(strStorePath)) {}

void CQuobrixApp::LoadOptions() {
    m_store.LoadOptions(*this);
}

bool CQuobrixApp::SaveOptions() const {
    return m_store.SaveOptions(*this);
}

bool CQuobrixApp::ApplyEditedOptions() {
    DeriveProxyAuthorization(*this);
    return m_store.SaveOptions(*this);
}

void CQuobrixApp::SetTextSize(int nTextSize) {
    m_nTextSize = nTextSize;
    // The size holds for this session either way; the store's error is not for the user.
    (void)m_store.SaveTextSize(nTextSize);
}

void CQuobrixApp::SavePlacement(int nCmdShow, const CWindowRect& rcNormal) const {
    // The window is closing: nobody is left to tell when this fails.
    (void)m_store.SavePlacement(nCmdShow, rcNormal);
}
