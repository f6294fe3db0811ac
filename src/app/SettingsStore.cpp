#include "app/SettingsStore.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

namespace {
constexpr char kFolderName[] = "Dunvespil";
constexpr char kFileName[] = "Quobrix.ini";

// Font sizes in points. Above these the largest dialogs (the "Task options"
// sheet, the wizard) outgrow a 1024 x 768 screen; below 6 no text can be read.
constexpr int kMinFontSize = 6;
constexpr int kMaxNormalFontSize = 14;
constexpr int kMaxTitleFontSize = 32;

// A stored font size within its bounds. 0 or less stays: it means the face's
// own size, which fits any screen.
int BoundFontSize(int nPoints, int nMax) {
    return nPoints <= 0 ? nPoints : std::clamp(nPoints, kMinFontSize, nMax);
}

QString Key(const char* section, const char* name) {
    return QString::fromLatin1(section) + u'/' + QString::fromLatin1(name);
}

// The home folder: $HOME, or the password database's entry when it is unset.
std::string HomeFolder() {
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return home;
    }
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// Creates the missing folders along the file's path owner-only, and the file
// itself with mode 0600, forcing that mode on an existing file too. QSettings
// replaces the file through a temporary copy that takes over the old file's
// mode, so preparing it before a write keeps the password private whatever
// the umask. Returns 0, or the error that keeps the file from being written.
int PrepareOwnerOnlyFile(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0700);
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return errno;
    }
    fchmod(fd, 0600);
    close(fd);
    return 0;
}

// Reads a 32-bit integer. Text that is not a decimal number, or one that
// needs more than 32 bits, gives the default. Unsigned values above INT_MAX
// wrap, as a 32-bit register value read as signed would.
int ReadInt(const QSettings& settings, const QString& key, int nDefault) {
    const QVariant value = settings.value(key);
    if (!value.isValid() || value.typeId() == QMetaType::QStringList) {
        return nDefault;
    }
    bool bOk = false;
    // Not QVariant::toInt: it silently truncates numbers beyond 32 bits.
    const qlonglong number = value.toString().trimmed().toLongLong(&bOk, 10);
    if (!bOk || number < INT32_MIN || number > static_cast<qlonglong>(UINT32_MAX)) {
        return nDefault;
    }
    return static_cast<int>(static_cast<uint32_t>(number));
}

std::string ReadString(const QSettings& settings, const QString& key,
                       const std::string& strDefault) {
    const QVariant value = settings.value(key);
    if (!value.isValid()) {
        return strDefault;
    }
    // An unquoted text with commas, typed into the file by hand, comes back
    // as a list; its parts were most likely separated by ", ".
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    }
    if (!value.canConvert<QString>()) {
        return strDefault;
    }
    return value.toString().toStdString();
}

void WriteString(QSettings& settings, const QString& key, const std::string& text) {
    settings.setValue(key, QString::fromStdString(text));
}

// Flushes the writes and makes sure the file is still owner-only. False,
// with errno, when they did not reach the file: the error met when preparing
// it, else EACCES (QSettings could not write its temporary copy or rename
// it) or EINVAL (the file could not be parsed, so it was left alone).
bool Finish(QSettings& settings, const std::string& path, int prepareError) {
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        errno = prepareError != 0                             ? prepareError
                : settings.status() == QSettings::FormatError ? EINVAL
                                                              : EACCES;
        return false;
    }
    chmod(path.c_str(), 0600);
    return true;
}
}  // namespace

std::string CSettingsStore::DefaultPath() {
    const char* configHome = getenv("XDG_CONFIG_HOME");
    // Relative values are invalid for XDG_CONFIG_HOME and are ignored.
    std::string folder = configHome != nullptr && configHome[0] == '/' ? std::string(configHome)
                                                                       : HomeFolder() + "/.config";
    return WithoutTrailingSlash(std::move(folder)) + "/" + kFolderName + "/" + kFileName;
}

CSettingsStore::CSettingsStore(std::string strPath) : m_strPath(std::move(strPath)) {}

void CSettingsStore::LoadOptions(CAppOptions& options) const {
    const CAppOptions defaults;
    const QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);

    CWindowRect& rc = options.m_rcWindow;
    rc.Top = ReadInt(settings, Key("Placement", "Top"), defaults.m_rcWindow.Top);
    rc.Left = ReadInt(settings, Key("Placement", "Left"), defaults.m_rcWindow.Left);
    rc.Right = ReadInt(settings, Key("Placement", "Right"), defaults.m_rcWindow.Right);
    rc.Bottom = ReadInt(settings, Key("Placement", "Bottom"), defaults.m_rcWindow.Bottom);
    rc = RepairWindowRect(rc);
    options.m_nCmdShow = ReadInt(settings, Key("Placement", "ShowCmd"), defaults.m_nCmdShow);

    options.m_nNormalFontSize =
        BoundFontSize(ReadInt(settings, Key("Font", "NormalSize"), defaults.m_nNormalFontSize),
                      kMaxNormalFontSize);
    options.m_strNormalFontFace =
        ReadString(settings, Key("Font", "Normal"), defaults.m_strNormalFontFace);
    options.m_nTitleFontSize = BoundFontSize(
        ReadInt(settings, Key("Font", "TitleSize"), defaults.m_nTitleFontSize), kMaxTitleFontSize);
    options.m_strTitleFontFace =
        ReadString(settings, Key("Font", "Title"), defaults.m_strTitleFontFace);
    options.m_nTextSize = ReadInt(settings, Key("Font", "iExporer"), defaults.m_nTextSize);

    options.m_bUseProxy =
        ReadInt(settings, Key("Proxy", "UseProxy"), defaults.m_bUseProxy ? 1 : 0) != 0;
    options.m_strProxyAddress =
        ReadString(settings, Key("Proxy", "Address"), defaults.m_strProxyAddress);
    options.m_nProxyPort = ReadInt(settings, Key("Proxy", "Port"), defaults.m_nProxyPort);
    options.m_strProxyUser = ReadString(settings, Key("Proxy", "User"), defaults.m_strProxyUser);
    options.m_strProxyPassword =
        ReadString(settings, Key("Proxy", "Password"), defaults.m_strProxyPassword);

    options.m_strAgent = ReadString(settings, Key("Agent", "ID"), defaults.m_strAgent);

    DeriveProxyAuthorization(options);

    options.m_crRetrievedLinks =
        static_cast<uint32_t>(ReadInt(settings, Key("Settings", "DefaultColorOfRetrievedLinks"),
                                      static_cast<int>(defaults.m_crRetrievedLinks)));
}

bool CSettingsStore::SaveOptions(const CAppOptions& options) const {
    const int prepareError = PrepareOwnerOnlyFile(m_strPath);
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);

    settings.setValue(Key("Font", "NormalSize"), options.m_nNormalFontSize);
    WriteString(settings, Key("Font", "Normal"), options.m_strNormalFontFace);
    settings.setValue(Key("Font", "TitleSize"), options.m_nTitleFontSize);
    WriteString(settings, Key("Font", "Title"), options.m_strTitleFontFace);
    settings.setValue(Key("Font", "iExporer"), options.m_nTextSize);

    settings.setValue(Key("Proxy", "UseProxy"), options.m_bUseProxy ? 1 : 0);
    WriteString(settings, Key("Proxy", "Address"), options.m_strProxyAddress);
    settings.setValue(Key("Proxy", "Port"), options.m_nProxyPort);
    WriteString(settings, Key("Proxy", "User"), options.m_strProxyUser);
    WriteString(settings, Key("Proxy", "Password"), options.m_strProxyPassword);

    WriteString(settings, Key("Agent", "ID"), options.m_strAgent);

    settings.setValue(Key("Settings", "DefaultColorOfRetrievedLinks"),
                      static_cast<uint>(options.m_crRetrievedLinks));
    return Finish(settings, m_strPath, prepareError);
}

bool CSettingsStore::SavePlacement(int nCmdShow, const CWindowRect& rc) const {
    const int prepareError = PrepareOwnerOnlyFile(m_strPath);
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    settings.setValue(Key("Placement", "ShowCmd"), nCmdShow);
    settings.setValue(Key("Placement", "Left"), rc.Left);
    settings.setValue(Key("Placement", "Top"), rc.Top);
    settings.setValue(Key("Placement", "Right"), rc.Right);
    settings.setValue(Key("Placement", "Bottom"), rc.Bottom);
    return Finish(settings, m_strPath, prepareError);
}

bool CSettingsStore::SaveTextSize(int nTextSize) const {
    const int prepareError = PrepareOwnerOnlyFile(m_strPath);
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    settings.setValue(Key("Font", "iExporer"), nTextSize);
    return Finish(settings, m_strPath, prepareError);
}
