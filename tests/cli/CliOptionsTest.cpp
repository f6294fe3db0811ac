#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "cli/CliRunner.h"
#include "support/TempDir.h"

namespace {
QJsonObject Parse(const std::string& text) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
}
}  // namespace

TEST(CliOptions, AFirstRunWritesEveryOptionButThePlacementOwnerOnly) {
    TempDir config;
    const CliResult result = RunCli({"options"}, config.Path());
    ASSERT_EQ(result.status, 0) << result.err;
    const QJsonObject options = Parse(result.out);
    EXPECT_EQ(options.value("m_strAgent").toString(), "Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)");
    EXPECT_EQ(options.value("m_crRetrievedLinks").toInt(), 65280);
    EXPECT_EQ(options.value("m_nTextSize").toInt(), 2);

    const std::string file = config / "Dunvespil/Quobrix.ini";
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const std::string ini = ReadFileBytes(file);
    for (const char* value : {"NormalSize", "Normal", "TitleSize", "Title", "iExporer", "UseProxy",
                              "Address", "Port", "User", "Password", "ID",
                              "DefaultColorOfRetrievedLinks"}) {
        EXPECT_NE(ini.find(std::string(value) + "="), std::string::npos) << value;
    }
    EXPECT_EQ(ini.find("[Placement]"), std::string::npos);
    // Web options at their defaults leave the file as earlier versions wrote it.
    EXPECT_EQ(ini.find("[Web]"), std::string::npos);
}

TEST(CliOptions, ProxySettingsAreStoredWithTheirCredential) {
    TempDir config;
    CliResult result = RunCli({"options", "--use-proxy", "1", "--proxy-address", "127.0.0.1",
                               "--proxy-port", "3128", "--proxy-user", "ann", "--proxy-password", "pw",
                               "--agent", "Quobrix test; x, y"},
                              config.Path());
    ASSERT_EQ(result.status, 0) << result.err;
    // A later run reads back what the first stored.
    result = RunCli({"options"}, config.Path());
    const QJsonObject options = Parse(result.out);
    EXPECT_TRUE(options.value("m_bUseProxy").toBool());
    EXPECT_EQ(options.value("m_strProxyAddress").toString(), "127.0.0.1");
    EXPECT_EQ(options.value("m_nProxyPort").toInt(), 3128);
    EXPECT_EQ(options.value("m_strProxyAuthorization").toString(), "YW5uOnB3");
    EXPECT_EQ(options.value("m_strAgent").toString(), "Quobrix test; x, y");

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"options", "--use-proxy", "yes"},
          std::vector<std::string>{"options", "--proxy-port", "70000"},
          std::vector<std::string>{"options", "--proxy-port", "-1"},
          std::vector<std::string>{"options", "--proxy-address", ""},
          std::vector<std::string>{"options", "--proxy-address", " ", "--use-proxy", "1"}}) {
        const CliResult refused = RunCli(bad, config.Path());
        EXPECT_EQ(refused.status, 2) << bad[2];
    }
    const QJsonObject kept = Parse(RunCli({"options"}, config.Path()).out);
    EXPECT_EQ(kept.value("m_nProxyPort").toInt(), 3128);
    EXPECT_EQ(kept.value("m_strProxyAddress").toString(), "127.0.0.1");
}

TEST(CliOptions, WebOptionsAreStoredAndBadValuesRefused) {
    TempDir config;
    const QJsonObject defaults = Parse(RunCli({"options"}, config.Path()).out);
    EXPECT_TRUE(defaults.value("m_bCheckCertificates").toBool());
    EXPECT_FALSE(defaults.value("m_bRobots").toBool());
    EXPECT_EQ(defaults.value("m_nDelayMs").toInt(-1), 0);

    ASSERT_EQ(RunCli({"options", "--check-certificates", "0", "--https-links", "1",
                      "--follow-redirects", "1", "--robots", "1", "--delay-ms", "60000"},
                     config.Path())
                  .status,
              0);
    const QJsonObject stored = Parse(RunCli({"options"}, config.Path()).out);
    EXPECT_FALSE(stored.value("m_bCheckCertificates").toBool(true));
    EXPECT_TRUE(stored.value("m_bHttpsLinks").toBool());
    EXPECT_TRUE(stored.value("m_bFollowRedirects").toBool());
    EXPECT_TRUE(stored.value("m_bRobots").toBool());
    EXPECT_EQ(stored.value("m_nDelayMs").toInt(), 60000);

    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"options", "--robots", "yes"}, "--robots: Please enter 0 or 1."},
        {{"options", "--check-certificates", "2"}, "--check-certificates: Please enter 0 or 1."},
        {{"options", "--delay-ms", "60001"},
         "--delay-ms: Please enter an integer between 0 and 60000."},
        {{"options", "--delay-ms", "-1"}, "--delay-ms: Please enter a positive integer."},
    };
    for (const auto& [args, message] : cases) {
        const CliResult refused = RunCli(args, config.Path());
        EXPECT_EQ(refused.status, 2) << args[1];
        EXPECT_EQ(refused.err, "quobrix-cli: " + message + "\n");
    }
    const QJsonObject kept = Parse(RunCli({"options"}, config.Path()).out);
    EXPECT_TRUE(kept.value("m_bRobots").toBool());
    EXPECT_EQ(kept.value("m_nDelayMs").toInt(), 60000);
}

TEST(CliOptions, AProxyWithoutAnAddressIsRefused) {
    TempDir config;
    const CliResult refused = RunCli({"options", "--use-proxy", "1"}, config.Path());
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "quobrix-cli: --use-proxy: Please enter the address of the HTTP proxy server.\n");
    // Turning it off, or other options, are not held up by the missing address.
    ASSERT_EQ(RunCli({"options", "--use-proxy", "0", "--proxy-address", ""}, config.Path()).status,
              0);
    EXPECT_FALSE(Parse(RunCli({"options"}, config.Path()).out).value("m_bUseProxy").toBool());
}

TEST(CliOptions, AnAgentWithControlCharactersIsRefused) {
    TempDir config;
    for (const char* agent :
         {"Quobrix\r\nX-Inj: 1", "Quobrix\n", "Quo\tbrix", "Quo\x7F", "Quo\x01"}) {
        const CliResult refused = RunCli({"options", "--agent", agent}, config.Path());
        EXPECT_EQ(refused.status, 2) << agent;
        EXPECT_EQ(refused.err.rfind("quobrix-cli: --agent: ", 0), 0u) << refused.err;
        EXPECT_EQ(refused.err.find('\n'), refused.err.size() - 1) << refused.err;
    }
    EXPECT_EQ(Parse(RunCli({"options"}, config.Path()).out).value("m_strAgent").toString(),
              "Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)");
}

TEST(CliOptions, ASettingsFileThatCannotBeWrittenEndsWithStatusOne) {
    TempDir config;
    // A folder in the file's place cannot be replaced, whoever runs the test.
    const std::string file = config / "Dunvespil/Quobrix.ini";
    std::filesystem::create_directories(file);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"options"},
          std::vector<std::string>{"options", "--agent", "x"}}) {
        const CliResult failed = RunCli(args, config.Path());
        EXPECT_EQ(failed.status, 1) << failed.err;
        EXPECT_NE(failed.err.find("Cannot write the options to " + file + ": "), std::string::npos)
            << failed.err;
        EXPECT_EQ(failed.out, "");
    }
}
