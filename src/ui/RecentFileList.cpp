#include "ui/RecentFileList.h"

#include <sys/stat.h>

#include <QDir>
#include <QSettings>

namespace {
constexpr char kSection[] = "Recent File List";
constexpr int kMenuTextChars = 60;  // longer paths lose their middle

QString Key(int number) {
    return QString::fromLatin1("%1/File%2").arg(QLatin1String(kSection)).arg(number);
}
}  // namespace

void CRecentFileList::Load(const QString& storePath) {
    const QSettings settings(storePath, QSettings::IniFormat);
    m_arrFiles.clear();
    for (int number = 1; number <= kSize; ++number) {
        const QString path = settings.value(Key(number)).toString();
        if (!path.isEmpty() && !m_arrFiles.contains(path)) {
            m_arrFiles.append(path);
        }
    }
}

void CRecentFileList::Save(const QString& storePath) const {
    // The store holds the proxy password: start-up made it owner-only, and a
    // rewrite keeps the file's mode.
    QSettings settings(storePath, QSettings::IniFormat);
    settings.remove(QLatin1String(kSection));
    for (int index = 0; index < m_arrFiles.size(); ++index) {
        settings.setValue(Key(index + 1), m_arrFiles[index]);
    }
    settings.sync();
    chmod(storePath.toLocal8Bit().constData(), 0600);
}

void CRecentFileList::Add(const QString& path) {
    m_arrFiles.removeAll(path);
    m_arrFiles.prepend(path);
    while (m_arrFiles.size() > kSize) {
        m_arrFiles.removeLast();
    }
}

void CRecentFileList::Remove(const QString& path) {
    m_arrFiles.removeAll(path);
}

QString CRecentFileList::MenuText(int index) const {
    QString path = m_arrFiles.value(index);
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QLatin1String("/") && path.startsWith(home + u'/')) {
        path = u'~' + path.mid(home.size());
    }
    if (path.size() > kMenuTextChars) {
        const int keep = (kMenuTextChars - 3) / 2;
        path = path.left(keep) + QLatin1String("...") + path.right(keep);
    }
    path.replace(u'&', QLatin1String("&&"));
    return QString::fromLatin1("&%1 ").arg(index + 1) + path;
}
