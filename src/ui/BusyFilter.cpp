#include "ui/BusyFilter.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QWidget>

namespace {
bool IsInput(const QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        case QEvent::Close:
            return event->spontaneous();  // the window manager's close box
        default:
            return false;
    }
}
}  // namespace

CBusyFilter::CBusyFilter(QWidget* window) : QObject(window), m_pWindow(window) {
    qApp->installEventFilter(this);
}

CBusyFilter::~CBusyFilter() {
    SetBusy(false);
}

void CBusyFilter::SetBusy(bool busy) {
    if (busy == m_bBusy) {
        return;
    }
    m_bBusy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool CBusyFilter::IsGuarded(const QObject* receiver) const {
    // Up the owners: the window itself, its bars, menus and actions are
    // guarded; anything inside a dialog is not.
    for (const QObject* object = receiver; object != nullptr; object = object->parent()) {
        if (object == m_pWindow) {
            return true;
        }
        if (qobject_cast<const QDialog*>(object) != nullptr) {
            return false;
        }
    }
    return false;
}

bool CBusyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (!m_bBusy || !IsInput(event) || !IsGuarded(watched)) {
        return false;
    }
    // An ignored close keeps the window; an accepted shortcut override keeps
    // the shortcut from firing.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
    } else {
        event->ignore();
    }
    return true;
}
