#include "ui/sheets/ChangedValues.h"

void CChangedValues::StoreChanged() const {
    for (const std::function<void()>& store : m_arrStores) {
        store();
    }
}
