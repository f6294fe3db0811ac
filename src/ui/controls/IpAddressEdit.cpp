#include "ui/controls/IpAddressEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

#include "common/StringTable.h"
#include "ui/UiText.h"

namespace {
constexpr int kMaxPart = 255;
constexpr int kDigits = 3;

// "300" -> "255"; "007" stays as typed.
QString ClampPart(const QString& part) {
    bool number = false;
    const int value = part.toInt(&number);
    return number && value > kMaxPart ? QString::number(kMaxPart) : part;
}
}  // namespace

CIpAddressEdit::CIpAddressEdit(QWidget* parent) : QFrame(parent) {
    // One sunken box on the base colour, the fields frameless inside it.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}")), this);
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    for (int index = 0; index < kFields; ++index) {
        if (index > 0) {
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        }
        auto* field = new QLineEdit(QStringLiteral("0"), this);
        field->setValidator(validator);
        field->setMaxLength(kDigits);
        field->setAlignment(Qt::AlignCenter);
        field->setFrame(false);
        field->setFixedWidth(width);
        field->installEventFilter(this);
        // One tab stop for the whole address; the fields are reached by
        // typing, the arrows or a click.
        field->setFocusPolicy(index == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        connect(field, &QLineEdit::textEdited, this, [this, index] { OnFieldEdited(index); });
        connect(field, &QLineEdit::textChanged, this, [this] { emit textChanged(text()); });
        m_arrFields[static_cast<size_t>(index)] = field;
        layout->addWidget(field);
    }
    setFocusProxy(m_arrFields[0]);
    setFocusPolicy(Qt::StrongFocus);
}

QString CIpAddressEdit::text() const {
    QStringList parts;
    for (const QLineEdit* field : m_arrFields) {
        parts.append(QString::number(field->text().toInt()));
    }
    return parts.join(u'.');
}

void CIpAddressEdit::setText(const QString& address) {
    const QStringList parts = address.trimmed().split(u'.');
    for (int index = 0; index < kFields; ++index) {
        QString part = parts.value(index).trimmed();
        bool number = false;
        const int value = part.toInt(&number);
        part = number && value >= 0 ? QString::number(std::min(value, kMaxPart)) : QString();
        m_arrFields[static_cast<size_t>(index)]->setText(part);
    }
}

void CIpAddressEdit::SetAccessibleName(const QString& name) {
    setAccessibleName(name);
    for (int index = 0; index < kFields; ++index) {
        m_arrFields[static_cast<size_t>(index)]->setAccessibleName(
            UiFormat(IDS_IP_FIELD_NAME, name, index + 1));
    }
}

void CIpAddressEdit::OnFieldEdited(int index) {
    QLineEdit* field = m_arrFields[static_cast<size_t>(index)];
    const QString clamped = ClampPart(field->text());
    if (clamped != field->text()) {
        field->setText(clamped);
    }
    // A full field moves on, as a typed "." would.
    if (field->text().size() == kDigits && field->cursorPosition() == kDigits &&
        index + 1 < kFields) {
        MoveTo(index + 1, false);
    }
}

void CIpAddressEdit::MoveTo(int index, bool atEnd) {
    // The field selects its number on entering (eventFilter).
    QLineEdit* field = m_arrFields[static_cast<size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    if (atEnd) {
        field->deselect();
        field->end(false);
    }
}

int CIpAddressEdit::IndexOf(const QObject* field) const {
    for (int index = 0; index < kFields; ++index) {
        if (m_arrFields[static_cast<size_t>(index)] == field) {
            return index;
        }
    }
    return -1;
}

bool CIpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index < 0) {
        return QFrame::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        // Entered from the keyboard or by the program, a field's number is
        // selected, so that typing replaces it ("0" -> "10", not "010").
        QLineEdit* entered = m_arrFields[static_cast<size_t>(index)];
        const bool handled = entered->event(event);
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
            entered->selectAll();
        }
        return handled;
    }
    if (event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QLineEdit* field = m_arrFields[static_cast<size_t>(index)];
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
    switch (key->key()) {
        case Qt::Key_Period:
            // After a full field has moved on, the "." the user types next
            // meets a field still wholly selected and is not a second move.
            if (!field->text().isEmpty() && field->selectedText() != field->text() &&
                index + 1 < kFields) {
                MoveTo(index + 1, false);
            }
            return true;
        case Qt::Key_Backspace:
            if (field->text().isEmpty() && index > 0) {
                MoveTo(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Left:
            if (atStart && index > 0) {
                MoveTo(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Right:
            if (atEnd && index + 1 < kFields) {
                MoveTo(index + 1, false);
                return true;
            }
            break;
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}
