#pragma once

#include <QProxyStyle>

// The desktop's look: the platform style, with dialog buttons that carry
// their text only, so that every picture in a window is one of the
// program's own.
class CProgramStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
