#include "ui/UiText.h"

QString UiText(unsigned id) {
    return QString::fromStdString(LoadString(id));
}
