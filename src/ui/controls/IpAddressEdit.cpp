#include "ui/controls/IpAddressEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

#include "common/StringTable.h"

namespace {
constexpr int kMaxPart = 255;
constexpr int kDigits = 3;

// "300" -> "255"; "007" stays as typed.
QString ClampPart(const QString& strPart) {
    bool bNumber = false;
    const int nValue = strPart.toInt(&bNumber);
    return bNumber && nValue > kMaxPart ? QString::number(kMaxPart) : strPart;
}
}  // namespace

CIpAddressEdit::CIpAddressEdit(QWidget* parent) : QFrame(parent) {
    // One sunken box on the base colour, the fields frameless inside it.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(2, 1, 2, 1);
    pLayout->setSpacing(0);
    auto* pValidator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}")), this);
    const int nWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000"));
    for (int index = 0; index < kFields; ++index) {
        if (index > 0) {
            pLayout->addWidget(new QLabel(QStringLiteral("."), this));
        }
        auto* pField = new QLineEdit(QStringLiteral("0"), this);
        pField->setValidator(pValidator);
        pField->setMaxLength(kDigits);
        pField->setAlignment(Qt::AlignCenter);
        pField->setFrame(false);
        pField->setFixedWidth(nWidth);
        pField->installEventFilter(this);
        // One tab stop for the whole address; the fields are reached by
        // typing, the arrows or a click.
        pField->setFocusPolicy(index == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        connect(pField, &QLineEdit::textEdited, this, [this, index] { OnFieldEdited(index); });
        connect(pField, &QLineEdit::textChanged, this, [this] { emit textChanged(text()); });
        m_arrFields[static_cast<size_t>(index)] = pField;
        pLayout->addWidget(pField);
    }
    setFocusProxy(m_arrFields[0]);
    setFocusPolicy(Qt::StrongFocus);
}

QString CIpAddressEdit::text() const {
    QStringList parts;
    for (const QLineEdit* pField : m_arrFields) {
        parts.append(QString::number(pField->text().toInt()));
    }
    return parts.join(u'.');
}

void CIpAddressEdit::setText(const QString& strAddress) {
    const QStringList parts = strAddress.trimmed().split(u'.');
    for (int index = 0; index < kFields; ++index) {
        QString strPart = parts.value(index).trimmed();
        bool bNumber = false;
        const int nValue = strPart.toInt(&bNumber);
        strPart = bNumber && nValue >= 0 ? QString::number(std::min(nValue, kMaxPart)) : QString();
        m_arrFields[static_cast<size_t>(index)]->setText(strPart);
    }
}

void CIpAddressEdit::SetAccessibleName(const QString& strName) {
    setAccessibleName(strName);
    for (int index = 0; index < kFields; ++index) {
        m_arrFields[static_cast<size_t>(index)]->setAccessibleName(QString::fromStdString(
            FormatString(IDS_IP_FIELD_NAME, {strName.toStdString(), int64_t{index + 1}})));
    }
}

void CIpAddressEdit::OnFieldEdited(int nIndex) {
    QLineEdit* pField = m_arrFields[static_cast<size_t>(nIndex)];
    const QString strClamped = ClampPart(pField->text());
    if (strClamped != pField->text()) {
        pField->setText(strClamped);
    }
    // A full field moves on, as a typed "." would.
    if (pField->text().size() == kDigits && pField->cursorPosition() == kDigits &&
        nIndex + 1 < kFields) {
        MoveTo(nIndex + 1, false);
    }
}

void CIpAddressEdit::MoveTo(int nIndex, bool bAtEnd) {
    // The field selects its number on entering (eventFilter).
    QLineEdit* pField = m_arrFields[static_cast<size_t>(nIndex)];
    pField->setFocus(Qt::OtherFocusReason);
    if (bAtEnd) {
        pField->deselect();
        pField->end(false);
    }
}

int CIpAddressEdit::IndexOf(const QObject* pField) const {
    for (int index = 0; index < kFields; ++index) {
        if (m_arrFields[static_cast<size_t>(index)] == pField) {
            return index;
        }
    }
    return -1;
}

bool CIpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int nIndex = IndexOf(watched);
    if (nIndex < 0) {
        return QFrame::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        // Entered from the keyboard or by the program, a field's number is
        // selected, so that typing replaces it ("0" -> "10", not "010").
        QLineEdit* pEntered = m_arrFields[static_cast<size_t>(nIndex)];
        const bool bHandled = pEntered->event(event);
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason) {
            pEntered->selectAll();
        }
        return bHandled;
    }
    if (event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(watched, event);
    }
    const auto* pKey = static_cast<QKeyEvent*>(event);
    const QLineEdit* pField = m_arrFields[static_cast<size_t>(nIndex)];
    const bool bAtStart = pField->cursorPosition() == 0 && !pField->hasSelectedText();
    const bool bAtEnd =
        pField->cursorPosition() == pField->text().size() && !pField->hasSelectedText();
    switch (pKey->key()) {
        case Qt::Key_Period:
            // After a full field has moved on, the "." the user types next
            // meets a field still wholly selected and is not a second move.
            if (!pField->text().isEmpty() && pField->selectedText() != pField->text() &&
                nIndex + 1 < kFields) {
                MoveTo(nIndex + 1, false);
            }
            return true;
        case Qt::Key_Backspace:
            if (pField->text().isEmpty() && nIndex > 0) {
                MoveTo(nIndex - 1, true);
                return true;
            }
            break;
        case Qt::Key_Left:
            if (bAtStart && nIndex > 0) {
                MoveTo(nIndex - 1, true);
                return true;
            }
            break;
        case Qt::Key_Right:
            if (bAtEnd && nIndex + 1 < kFields) {
                MoveTo(nIndex + 1, false);
                return true;
            }
            break;
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}
