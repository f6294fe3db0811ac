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
#include <type_traits>
#include <utility>
#include <variant>

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

int BoundNormalFontSize(int nPoints) {
    return BoundFontSize(nPoints, kMaxNormalFontSize);
}

int BoundTitleFontSize(int nPoints) {
    return BoundFontSize(nPoints, kMaxTitleFontSize);
}

// A hand-edited delay beyond a minute would look like a hung task.
int BoundDelay(int nMs) {
    return std::clamp(nMs, 0, kMaxDelayMs);
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

// Where an option lives in the file, and how it is stored there. The kind
// follows from the member's type: int and bool (1 or 0) as numbers, text as
// text, a colour as an unsigned number.
using COptionMember =
    std::variant<int CAppOptions::*, bool CAppOptions::*, std::string CAppOptions::*,
                 uint32_t CAppOptions::*, int CWindowRect::*>;

// Which save writes an entry.
enum class Saved {
    Options,    // SaveOptions, every time
    Placement,  // SavePlacement only
    // SaveOptions, when a value of its section differs from the default or
    // the section is already in the file: the files of those who never set
    // these options stay as earlier versions wrote them.
    WhenSet,
};

struct CSettingsKey {
    const char* section;
    const char* name;
    COptionMember member;
    Saved saved = Saved::Options;
    int (*bound)(int) = nullptr;  // keeps a number read within its bounds
};

// Every stored option, in the order the saves write them; a missing value
// reads as the member's value in a fresh CAppOptions.
const CSettingsKey kSettingsKeys[] = {
    {"Placement", "ShowCmd", &CAppOptions::m_nCmdShow, Saved::Placement},
    {"Placement", "Left", &CWindowRect::Left, Saved::Placement},
    {"Placement", "Top", &CWindowRect::Top, Saved::Placement},
    {"Placement", "Right", &CWindowRect::Right, Saved::Placement},
    {"Placement", "Bottom", &CWindowRect::Bottom, Saved::Placement},
    {"Font", "NormalSize", &CAppOptions::m_nNormalFontSize, Saved::Options, BoundNormalFontSize},
    {"Font", "Normal", &CAppOptions::m_strNormalFontFace},
    {"Font", "TitleSize", &CAppOptions::m_nTitleFontSize, Saved::Options, BoundTitleFontSize},
    {"Font", "Title", &CAppOptions::m_strTitleFontFace},
    {"Font", "iExporer", &CAppOptions::m_nTextSize},
    {"Proxy", "UseProxy", &CAppOptions::m_bUseProxy},
    {"Proxy", "Address", &CAppOptions::m_strProxyAddress},
    {"Proxy", "Port", &CAppOptions::m_nProxyPort},
    {"Proxy", "User", &CAppOptions::m_strProxyUser},
    {"Proxy", "Password", &CAppOptions::m_strProxyPassword},
    {"Agent", "ID", &CAppOptions::m_strAgent},
    {"Settings", "DefaultColorOfRetrievedLinks", &CAppOptions::m_crRetrievedLinks},
    {"Web", "CheckCertificates", &CAppOptions::m_bCheckCertificates, Saved::WhenSet},
    {"Web", "HttpsLinks", &CAppOptions::m_bHttpsLinks, Saved::WhenSet},
    {"Web", "FollowRedirects", &CAppOptions::m_bFollowRedirects, Saved::WhenSet},
    {"Web", "Robots", &CAppOptions::m_bRobots, Saved::WhenSet},
    {"Web", "DelayMs", &CAppOptions::m_nDelayMs, Saved::WhenSet, BoundDelay},
};

const CSettingsKey& EntryOf(const COptionMember& member) {
    return *std::find_if(std::begin(kSettingsKeys), std::end(kSettingsKeys),
                         [&](const CSettingsKey& entry) { return entry.member == member; });
}

// The member an entry names; window edges live in m_rcWindow.
template <typename Options, typename Member>
auto& Field(Options& options, Member member) {
    if constexpr (std::is_same_v<Member, int CWindowRect::*>) {
        return options.m_rcWindow.*member;
    } else {
        return options.*member;
    }
}

void ReadEntry(const QSettings& settings, const CSettingsKey& entry, const CAppOptions& defaults,
               CAppOptions& options) {
    const QString key = Key(entry.section, entry.name);
    std::visit(
        [&](auto member) {
            auto& field = Field(options, member);
            const auto& fallback = Field(defaults, member);
            using Value = std::remove_reference_t<decltype(field)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                field = ReadString(settings, key, fallback);
            } else if constexpr (std::is_same_v<Value, bool>) {
                field = ReadInt(settings, key, fallback ? 1 : 0) != 0;
            } else if constexpr (std::is_same_v<Value, uint32_t>) {
                field = static_cast<uint32_t>(ReadInt(settings, key, static_cast<int>(fallback)));
            } else {
                const int value = ReadInt(settings, key, fallback);
                field = entry.bound != nullptr ? entry.bound(value) : value;
            }
        },
        entry.member);
}

void WriteEntry(QSettings& settings, const CSettingsKey& entry, const CAppOptions& options) {
    const QString key = Key(entry.section, entry.name);
    std::visit(
        [&](auto member) {
            const auto& field = Field(options, member);
            using Value = std::remove_cvref_t<decltype(field)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                WriteString(settings, key, field);
            } else if constexpr (std::is_same_v<Value, bool>) {
                settings.setValue(key, field ? 1 : 0);
            } else if constexpr (std::is_same_v<Value, uint32_t>) {
                settings.setValue(key, static_cast<uint>(field));
            } else {
                settings.setValue(key, field);
            }
        },
        entry.member);
}

bool DiffersFromDefault(const CSettingsKey& entry, const CAppOptions& options,
                        const CAppOptions& defaults) {
    return std::visit(
        [&](auto member) { return Field(options, member) != Field(defaults, member); },
        entry.member);
}

// Whether SaveOptions writes entry. A section of Saved::WhenSet entries is
// written whole or not at all, so a value set back to its default replaces
// the one in the file.
bool SavedWithOptions(const QSettings& settings, const CSettingsKey& entry,
                      const CAppOptions& options) {
    if (entry.saved != Saved::WhenSet) {
        return entry.saved == Saved::Options;
    }
    const QString section = QString::fromLatin1(entry.section);
    if (settings.childGroups().contains(section)) {
        return true;
    }
    const CAppOptions defaults;
    return std::any_of(
        std::begin(kSettingsKeys), std::end(kSettingsKeys), [&](const CSettingsKey& other) {
            return other.saved == Saved::WhenSet && section == QString::fromLatin1(other.section) &&
                   DiffersFromDefault(other, options, defaults);
        });
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
    for (const CSettingsKey& entry : kSettingsKeys) {
        ReadEntry(settings, entry, defaults, options);
    }
    options.m_rcWindow = RepairWindowRect(options.m_rcWindow);
    DeriveProxyAuthorization(options);
}

bool CSettingsStore::SaveOptions(const CAppOptions& options) const {
    const int prepareError = PrepareOwnerOnlyFile(m_strPath);
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    for (const CSettingsKey& entry : kSettingsKeys) {
        if (SavedWithOptions(settings, entry, options)) {
            WriteEntry(settings, entry, options);
        }
    }
    return Finish(settings, m_strPath, prepareError);
}

bool CSettingsStore::SavePlacement(int nCmdShow, const CWindowRect& rc) const {
    CAppOptions placement;
    placement.m_nCmdShow = nCmdShow;
    placement.m_rcWindow = rc;
    const int prepareError = PrepareOwnerOnlyFile(m_strPath);
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    for (const CSettingsKey& entry : kSettingsKeys) {
        if (entry.saved == Saved::Placement) {
            WriteEntry(settings, entry, placement);
        }
    }
    return Finish(settings, m_strPath, prepareError);
}

bool CSettingsStore::SaveTextSize(int nTextSize) const {
    CAppOptions textSize;
    textSize.m_nTextSize = nTextSize;
    const int prepareError = PrepareOwnerOnlyFile(m_strPath);
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    WriteEntry(settings, EntryOf(&CAppOptions::m_nTextSize), textSize);
    return Finish(settings, m_strPath, prepareError);
}
