#include "XKeySender.h"

#ifdef QUOBRIX_BENCH_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {
Display* DisplayOf(void* hDisplay) {
    return static_cast<Display*>(hDisplay);
}
}  // namespace

CXKeySender::~CXKeySender() {
    if (m_hDisplay != nullptr) {
        XCloseDisplay(DisplayOf(m_hDisplay));
    }
}

bool CXKeySender::Open(std::string& strError) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        strError = "cannot open the X display";
        return false;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        strError = "the X server has no test extension";
        return false;
    }
    m_nKeycode = XKeysymToKeycode(display, XK_Shift_L);
    if (m_nKeycode == 0) {
        XCloseDisplay(display);
        strError = "the X server's keyboard has no Shift key";
        return false;
    }
    m_hDisplay = display;
    return true;
}

bool CXKeySender::Press() {
    if (m_hDisplay == nullptr) {
        return false;
    }
    Display* display = DisplayOf(m_hDisplay);
    XTestFakeKeyEvent(display, m_nKeycode, True, CurrentTime);
    XTestFakeKeyEvent(display, m_nKeycode, False, CurrentTime);
    XFlush(display);
    return true;
}

#else

CXKeySender::~CXKeySender() = default;

bool CXKeySender::Open(std::string& strError) {
    strError = "built without the X test library (scripts/install-deps.sh --bench)";
    return false;
}

bool CXKeySender::Press() {
    return false;
}

#endif
