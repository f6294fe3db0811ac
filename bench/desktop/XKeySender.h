#pragma once

#include <string>

// Presses a key through the X server (its test extension), on a connection
// of its own to $DISPLAY, as a keyboard would: the key reaches whichever
// window has the focus, through the toolkit's own event path. The key is
// Shift, which no window binds. One thread uses an object at a time.
//
// Kept apart from Qt: the X headers define names (KeyPress, None) that
// Qt's headers use too.
class CXKeySender {
public:
    CXKeySender() = default;
    ~CXKeySender();
    CXKeySender(const CXKeySender&) = delete;
    CXKeySender& operator=(const CXKeySender&) = delete;

    // False, with strError, when there is no display, no test extension, or
    // the bench was built without its library.
    bool Open(std::string& strError);
    // Presses and releases the key; false when not open.
    bool Press();

private:
    void* m_hDisplay = nullptr;  // the X connection (Display*)
    unsigned m_nKeycode = 0;
};
