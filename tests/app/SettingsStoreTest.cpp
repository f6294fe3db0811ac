#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QSettings>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/QuobrixApp.h"
#include "support/TempDir.h"

namespace {
int ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

// Files are read through a copy under a fresh name, so that QSettings parses
// the text on disk instead of answering from the values this process wrote.
std::string FreshCopy(const TempDir& dir, const std::string& path) {
    static int s_nCopy = 0;
    const std::string copy = dir / ("copy" + std::to_string(++s_nCopy) + ".ini");
    std::filesystem::copy_file(path, copy);
    return copy;
}

// Every value of the file as "Section/Name=text", sorted.
std::vector<std::string> EntriesOf(const TempDir& dir, const std::string& path) {
    const QSettings settings(QString::fromStdString(FreshCopy(dir, path)), QSettings::IniFormat);
    std::vector<std::string> entries;
    for (const QString& key : settings.allKeys()) {
        entries.push_back((key + u'=' + settings.value(key).toString()).toStdString());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

CAppOptions LoadFrom(const std::string& path) {
    CAppOptions options;
    CSettingsStore(path).LoadOptions(options);
    return options;
}

CAppOptions LoadFromText(const TempDir& dir, const std::string& text) {
    static int s_nFile = 0;
    const std::string path = dir / ("text" + std::to_string(++s_nFile) + ".ini");
    WriteFileBytes(path, text);
    return LoadFrom(path);
}

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { m_oldMask = umask(022); }
    void TearDown() override { umask(m_oldMask); }

    TempDir m_dir;
    // Its folder does not exist yet, as on a first start.
    std::string m_strPath = m_dir / "config/Dunvespil/Quobrix.ini";
    mode_t m_oldMask = 0;
};
}  // namespace

TEST_F(SettingsStoreTest, FirstStartWritesEveryOptionButThePlacement) {
    CQuobrixApp app(m_strPath);
    app.LoadOptions();
    ASSERT_TRUE(app.SaveOptions());

    EXPECT_TRUE(app == CAppOptions());
    EXPECT_EQ(ModeOf(m_dir / "config/Dunvespil"), 0700);
    EXPECT_EQ(ModeOf(m_strPath), 0600);
    const std::vector<std::string> expected = {
        "Agent/ID=Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)",
        "Font/Normal=Tahoma",
        "Font/NormalSize=8",
        "Font/Title=Tahoma",
        "Font/TitleSize=16",
        "Font/iExporer=2",
        "Proxy/Address=",
        "Proxy/Password=",
        "Proxy/Port=0",
        "Proxy/UseProxy=0",
        "Proxy/User=",
        "Settings/DefaultColorOfRetrievedLinks=65280",
    };
    EXPECT_EQ(EntriesOf(m_dir, m_strPath), expected);
}

TEST_F(SettingsStoreTest, FileStaysOwnerOnlyAcrossSaves) {
    // A file left readable by others is tightened by the next save.
    std::filesystem::create_directories(m_dir / "config/Dunvespil");
    WriteFileBytes(m_strPath, "[Font]\nNormalSize=9\n");
    chmod(m_strPath.c_str(), 0644);

    CQuobrixApp app(m_strPath);
    ASSERT_TRUE(app.SaveOptions());
    EXPECT_EQ(ModeOf(m_strPath), 0600) << "first save";
    ASSERT_TRUE(app.SaveOptions());
    EXPECT_EQ(ModeOf(m_strPath), 0600) << "second save";
    app.SavePlacement(1, {1, 2, 3, 4});
    app.SetTextSize(4);
    EXPECT_EQ(ModeOf(m_strPath), 0600) << "placement and text size";
}

TEST_F(SettingsStoreTest, EveryValueRoundTripsThroughTheFile) {
    CQuobrixApp app(m_strPath);
    app.m_rcWindow = {-20, 30, 1300, 900};
    app.m_nCmdShow = 1;
    app.m_nNormalFontSize = 10;
    app.m_strNormalFontFace = "DejaVu Sans";
    app.m_nTitleFontSize = -3;
    app.m_strTitleFontFace = "Noto Sans CJK 日本語";
    app.m_nTextSize = 4;
    app.m_bUseProxy = true;
    app.m_strProxyAddress = "proxy.example.net";
    app.m_nProxyPort = 8080;
    app.m_strProxyUser = " Jürgen, the admin ";
    app.m_strProxyPassword = "@a=b,c;d \"q\" \\x";
    app.m_strAgent = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko)";
    app.m_crRetrievedLinks = 0x00FFEEDD;
    app.m_bCheckCertificates = false;
    app.m_bHttpsLinks = true;
    app.m_bFollowRedirects = true;
    app.m_bRobots = true;
    app.m_nDelayMs = 1500;
    ASSERT_TRUE(app.ApplyEditedOptions());
    app.SavePlacement(app.m_nCmdShow, app.m_rcWindow);

    EXPECT_EQ(app.m_strProxyAuthorization, "IErDvHJnZW4sIHRoZSBhZG1pbiA6QGE9YixjO2QgInEiIFx4");
    const CAppOptions loaded = LoadFrom(FreshCopy(m_dir, m_strPath));
    EXPECT_TRUE(loaded == app) << ReadFileBytes(m_strPath);
}

TEST_F(SettingsStoreTest, ValuesOfTheWrongKindReadAsTheirDefaults) {
    const CAppOptions options = LoadFromText(m_dir,
                                             "[Font]\n"
                                             "NormalSize=abc\n"
                                             "TitleSize=99999999999\n"
                                             "iExporer=0x10\n"
                                             "[Proxy]\n"
                                             "UseProxy=yes\n"
                                             "Port= 3128 \n"
                                             "[Placement]\n"
                                             "ShowCmd=1,2\n"
                                             "Left=\n"
                                             "[Settings]\n"
                                             "DefaultColorOfRetrievedLinks=4294967295\n");
    EXPECT_EQ(options.m_nNormalFontSize, 8);
    EXPECT_EQ(options.m_nTitleFontSize, 16);
    EXPECT_EQ(options.m_nTextSize, 2);
    EXPECT_FALSE(options.m_bUseProxy);
    EXPECT_EQ(options.m_nProxyPort, 3128);
    EXPECT_EQ(options.m_nCmdShow, 3);
    EXPECT_EQ(options.m_rcWindow.Left, 100);
    // Still 32 bits: an unsigned colour value is accepted.
    EXPECT_EQ(options.m_crRetrievedLinks, 0xFFFFFFFFu);
}

TEST_F(SettingsStoreTest, WebOptionsReadAsDefaultsWhenAbsentAndDelayIsBounded) {
    const struct {
        const char* text;
        bool checkCertificates;
        bool robots;
        int delayMs;
    } cases[] = {
        {"[Proxy]\nPort=3128\n", true, false, 0},
        {"[Web]\nCheckCertificates=0\nRobots=1\nDelayMs=250\n", false, true, 250},
        {"[Web]\nDelayMs=60000\n", true, false, 60000},
        {"[Web]\nDelayMs=60001\n", true, false, 60000},
        {"[Web]\nDelayMs=-1\n", true, false, 0},
        {"[Web]\nDelayMs=soon\nRobots=yes\n", true, false, 0},
    };
    for (const auto& c : cases) {
        const CAppOptions options = LoadFromText(m_dir, c.text);
        EXPECT_EQ(options.m_bCheckCertificates, c.checkCertificates) << c.text;
        EXPECT_FALSE(options.m_bHttpsLinks) << c.text;
        EXPECT_FALSE(options.m_bFollowRedirects) << c.text;
        EXPECT_EQ(options.m_bRobots, c.robots) << c.text;
        EXPECT_EQ(options.m_nDelayMs, c.delayMs) << c.text;
    }
}

TEST_F(SettingsStoreTest, WebSectionIsWrittenOnceSetAndThenKept) {
    const std::vector<std::string> defaultWeb = {
        "Web/CheckCertificates=1", "Web/DelayMs=0", "Web/FollowRedirects=0",
        "Web/HttpsLinks=0",        "Web/Robots=0",
    };
    const std::vector<std::string> httpsLinks = {
        "Web/CheckCertificates=1", "Web/DelayMs=0", "Web/FollowRedirects=0",
        "Web/HttpsLinks=1",        "Web/Robots=0",
    };
    CAppOptions withHttpsLinks;
    withHttpsLinks.m_bHttpsLinks = true;
    const struct {
        const char* name;
        const char* before;  // the file before the save
        CAppOptions options;
        bool load;                     // loaded from the file first, as at start-up
        std::vector<std::string> web;  // the "Web" values after the save
    } cases[] = {
        {"never set", "", CAppOptions(), false, {}},
        {"set", "", withHttpsLinks, false, httpsLinks},
        // Set back to the defaults: the file must not keep the old value.
        {"set back", "[Web]\nHttpsLinks=1\n", CAppOptions(), false, defaultWeb},
        {"bounded at start-up",
         "[Web]\nDelayMs=99999\n",
         CAppOptions(),
         true,
         {"Web/CheckCertificates=1", "Web/DelayMs=60000", "Web/FollowRedirects=0",
          "Web/HttpsLinks=0", "Web/Robots=0"}},
    };
    for (const auto& c : cases) {
        const std::string path = m_dir / (std::string(c.name) + ".ini");
        WriteFileBytes(path, c.before);
        CAppOptions options = c.options;
        if (c.load) {
            CSettingsStore(path).LoadOptions(options);
        }
        ASSERT_TRUE(CSettingsStore(path).SaveOptions(options)) << c.name;
        std::vector<std::string> web;
        for (const std::string& entry : EntriesOf(m_dir, path)) {
            if (entry.starts_with("Web/")) {
                web.push_back(entry);
            }
        }
        EXPECT_EQ(web, c.web) << c.name;
    }
}

TEST_F(SettingsStoreTest, FontSizesAreKeptWithinBoundsAndStartUpWritesThem) {
    const struct {
        const char* text;
        int normal;
        int title;
    } cases[] = {
        {"[Font]\nNormalSize=100\nTitleSize=200\n", 14, 32},
        {"[Font]\nNormalSize=15\nTitleSize=33\n", 14, 32},
        {"[Font]\nNormalSize=14\nTitleSize=32\n", 14, 32},
        {"[Font]\nNormalSize=6\nTitleSize=6\n", 6, 6},
        {"[Font]\nNormalSize=1\nTitleSize=5\n", 6, 6},
        // The face's own size.
        {"[Font]\nNormalSize=0\nTitleSize=-3\n", 0, -3},
    };
    for (const auto& c : cases) {
        const CAppOptions options = LoadFromText(m_dir, c.text);
        EXPECT_EQ(options.m_nNormalFontSize, c.normal) << c.text;
        EXPECT_EQ(options.m_nTitleFontSize, c.title) << c.text;
    }

    // Start-up saves right after it loads: the file then holds the bounds.
    std::filesystem::create_directories(m_dir / "config/Dunvespil");
    WriteFileBytes(m_strPath, cases[0].text);
    CQuobrixApp app(m_strPath);
    app.LoadOptions();
    ASSERT_TRUE(app.SaveOptions());
    const std::vector<std::string> entries = EntriesOf(m_dir, m_strPath);
    EXPECT_NE(std::find(entries.begin(), entries.end(), "Font/NormalSize=14"), entries.end());
    EXPECT_NE(std::find(entries.begin(), entries.end(), "Font/TitleSize=32"), entries.end());
}

TEST_F(SettingsStoreTest, LoadRepairsNegativeEdgesAndDerivesTheCredential) {
    const struct {
        const char* text;
        CWindowRect expected;
        const char* authorization;
    } cases[] = {
        {"[Placement]\nLeft=10\nTop=20\nRight=-5\nBottom=400\n", {100, 20, 700, 400}, ""},
        {"[Placement]\nLeft=10\nTop=20\nRight=30\nBottom=-1\n", {10, 100, 30, 500}, ""},
        {"[Proxy]\nAddress=10.0.0.5\n", {100, 100, 700, 500}, "Og=="},
        {"[Proxy]\nUser=a\nPassword=b\n", {100, 100, 700, 500}, ""},
        {"[Proxy]\nAddress=p\nUser=a\nPassword=b\n", {100, 100, 700, 500}, "YTpi"},
    };
    for (const auto& c : cases) {
        const CAppOptions options = LoadFromText(m_dir, c.text);
        EXPECT_EQ(options.m_rcWindow, c.expected) << c.text;
        EXPECT_EQ(options.m_strProxyAuthorization, c.authorization) << c.text;
    }
}

TEST_F(SettingsStoreTest, PlacementAndTextSizeWriteOnlyTheirOwnValues) {
    CQuobrixApp app(m_strPath);
    app.SetTextSize(4);
    EXPECT_EQ(app.m_nTextSize, 4);
    EXPECT_EQ(EntriesOf(m_dir, m_strPath), std::vector<std::string>{"Font/iExporer=4"});

    app.SavePlacement(2, {5, 6, 705, 506});
    const std::vector<std::string> expected = {
        "Font/iExporer=4",     "Placement/Bottom=506", "Placement/Left=5",
        "Placement/Right=705", "Placement/ShowCmd=2",  "Placement/Top=6",
    };
    EXPECT_EQ(EntriesOf(m_dir, m_strPath), expected);
    const CAppOptions loaded = LoadFrom(FreshCopy(m_dir, m_strPath));
    EXPECT_EQ(loaded.m_rcWindow, (CWindowRect{5, 6, 705, 506}));
    EXPECT_EQ(loaded.m_nCmdShow, 2);
}

TEST(SettingsStoreDefaultPath, FollowsXdgConfigHomeOrHome) {
    const struct {
        const char* configHome;  // nullptr: unset
        const char* expected;
    } cases[] = {
        {"/xdg/conf", "/xdg/conf/Dunvespil/Quobrix.ini"},
        {"/xdg/conf/", "/xdg/conf/Dunvespil/Quobrix.ini"},
        {nullptr, "/home/someone/.config/Dunvespil/Quobrix.ini"},
        {"", "/home/someone/.config/Dunvespil/Quobrix.ini"},
        {"relative/conf", "/home/someone/.config/Dunvespil/Quobrix.ini"},
    };
    const char* oldHome = getenv("HOME");
    const char* oldConfigHome = getenv("XDG_CONFIG_HOME");
    const std::string strOldHome = oldHome ? oldHome : "";
    const std::string strOldConfigHome = oldConfigHome ? oldConfigHome : "";

    setenv("HOME", "/home/someone", 1);
    for (const auto& c : cases) {
        if (c.configHome != nullptr) {
            setenv("XDG_CONFIG_HOME", c.configHome, 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
        EXPECT_EQ(CSettingsStore::DefaultPath(), c.expected)
            << "XDG_CONFIG_HOME " << (c.configHome ? c.configHome : "unset");
    }

    oldHome ? setenv("HOME", strOldHome.c_str(), 1) : unsetenv("HOME");
    oldConfigHome ? setenv("XDG_CONFIG_HOME", strOldConfigHome.c_str(), 1)
                  : unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SettingsStoreTest, SavedFileKeepsItsBytesAndLoadsBackEqual) {
    CAppOptions edited;
    edited.m_nNormalFontSize = 10;
    edited.m_strNormalFontFace = "DejaVu Sans";
    edited.m_nTitleFontSize = -3;
    edited.m_strTitleFontFace = "Noto Sans CJK 日本語";
    edited.m_nTextSize = 4;
    edited.m_bUseProxy = true;
    edited.m_strProxyAddress = "proxy.example.net";
    edited.m_nProxyPort = 8080;
    edited.m_strProxyUser = " Jürgen, the admin ";
    edited.m_strProxyPassword = "@a=b,c;d \"q\" \\x";
    edited.m_strAgent = "Mozilla/5.0 (X11; Linux x86_64)";
    edited.m_crRetrievedLinks = 0xFFEEDDCC;
    edited.m_bRobots = true;
    edited.m_nDelayMs = 250;
    DeriveProxyAuthorization(edited);

    const struct {
        const char* name;
        CAppOptions options;
        const char* bytes;
    } cases[] = {
        {"defaults", CAppOptions(),
         "[Agent]\nID=\"Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)\"\n\n"
         "[Font]\nNormal=Tahoma\nNormalSize=8\nTitle=Tahoma\nTitleSize=16\niExporer=2\n\n"
         "[Proxy]\nAddress=\nPassword=\nPort=0\nUseProxy=0\nUser=\n\n"
         "[Settings]\nDefaultColorOfRetrievedLinks=65280\n"},
        {"edited", edited,
         "[Agent]\nID=\"Mozilla/5.0 (X11; Linux x86_64)\"\n\n"
         "[Font]\nNormal=DejaVu Sans\nNormalSize=10\nTitle=Noto Sans CJK 日本語\nTitleSize=-3\n"
         "iExporer=4\n\n"
         "[Proxy]\nAddress=proxy.example.net\nPassword=\"@@a=b,c;d \\\"q\\\" \\\\x\"\nPort=8080\n"
         "UseProxy=1\nUser=\" Jürgen, the admin \"\n\n"
         "[Settings]\nDefaultColorOfRetrievedLinks=4293844428\n\n"
         "[Web]\nCheckCertificates=1\nDelayMs=250\nFollowRedirects=0\nHttpsLinks=0\nRobots=1\n"},
    };
    for (const auto& c : cases) {
        const std::string path = m_dir / (std::string(c.name) + ".ini");
        ASSERT_TRUE(CSettingsStore(path).SaveOptions(c.options)) << c.name;
        EXPECT_EQ(ReadFileBytes(path), c.bytes) << c.name;
        EXPECT_TRUE(LoadFrom(FreshCopy(m_dir, path)) == c.options) << c.name;
    }
}
