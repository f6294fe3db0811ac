#pragma once

// Notifications from the task to its windows. The numbers are fixed: front
// ends and tests rely on them.
constexpr unsigned WM_USER = 1024;

constexpr unsigned WM_THREAD_STATUS = WM_USER + 26;    // 1050: wParam slot * 256 + phase, lParam text
constexpr unsigned WM_THREADS_RESET = WM_USER + 27;    // 1051: posted, never sent
constexpr unsigned WM_TASK_STATE = WM_USER + 36;       // 1060: lParam the state's status text
constexpr unsigned WM_LINKS_QUEUED = WM_USER + 46;     // 1070: lParam links queued
constexpr unsigned WM_LINKS_REQUESTED = WM_USER + 47;  // 1071: lParam links requested
constexpr unsigned WM_SITES_LEFT = WM_USER + 48;       // 1072: lParam sites left
constexpr unsigned WM_AUTHORIZE = WM_USER + 56;        // 1080: lParam URL; result 1 when credentials given
constexpr unsigned WM_FILE_ERROR = WM_USER + 57;       // 1081: wParam errno, lParam file path
constexpr unsigned WM_NAVIGATE_VIEW = WM_USER + 58;    // 1082: lParam address to show
// 1083, posted: a page was not retrieved. wParam FailureParam (common/PageFailure.h),
// lParam its URL
constexpr unsigned WM_PAGE_FAILED = WM_USER + 59;
// 1084: the task paused for an outage. wParam FailureParam of the last try, lParam the
// site or proxy that could not be reached
constexpr unsigned WM_OUTAGE_PAUSED = WM_USER + 60;
// 1085, posted once a run: an HTTPS site is fetched without checking its
// certificate ("Check certificates" is off). lParam the text to show.
constexpr unsigned WM_CERTIFICATES_UNCHECKED = WM_USER + 61;

// What a worker is doing; the low byte of WM_THREAD_STATUS's wParam, and the
// thread list's icon index.
enum Phase : int {
    PHASE_ENDED = 0,
    PHASE_CONNECT = 1,
    PHASE_READ = 2,
    PHASE_PARSE = 3,
};
