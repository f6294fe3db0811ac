#pragma once

#include <QString>
#include <QStringList>

// The most recently used task files, newest first, at most six: kept in the
// settings store's "Recent File List" section as "File1" .. "File6", read at
// start-up and written when the main window closes.
class CRecentFileList {
public:
    static constexpr int kSize = 6;

    void Load(const QString& storePath);
    void Save(const QString& storePath) const;

    // path goes to the top; an entry of the same path further down goes.
    void Add(const QString& path);
    void Remove(const QString& path);

    const QStringList& Files() const { return m_arrFiles; }

    // The menu text of entry index: "&1 ~/tasks/shop.qbx", "&&" for "&".
    QString MenuText(int index) const;

private:
    QStringList m_arrFiles;
};
