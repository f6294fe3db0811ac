#pragma once

#include <QWebEnginePage>

class QUrl;

// Where a page shown in the browser view may send the view. The view shows
// the task's local server (result pages, and stored copies that run in a
// sandbox of their own there), the user manual and what the user types; a
// page's script must not carry it out of that, nor onto an address that
// runs outside every sandbox.

// True when a main-frame navigation may go ahead.
//   urlFrom: the page the request comes from; for a redirect, the address
//     being redirected ("http://127.0.0.1:PORT/host/a.html" for a stored copy).
//   urlLocalRoot: the task's local server, "http://127.0.0.1:PORT/".
//   userInput: the user pressed a key or a mouse button in the view since
//     urlFrom was reached, a moment ago.
// The program's own navigations (typed, back and forward, reload) always go.
// A page never goes to a data:, javascript: or file: address, except from one
// file: page to another (the user manual is a folder of them); and a page on
// the local server leaves it only after the user's input, so that a stored
// copy does not go online by itself.
bool MayPageNavigate(const QUrl& url, QWebEnginePage::NavigationType type, const QUrl& urlFrom,
                     const QUrl& urlLocalRoot, bool userInput);

// True when a request for a new window is followed in the view (there is only
// the one): a user's click on an http or https link, never a page's own
// window.open, nor a data:, javascript:, about: or file: address.
bool MayOpenInView(const QUrl& url, bool userInitiated);
