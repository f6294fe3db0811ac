#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <filesystem>

#include "cli/CliRunner.h"
#include "support/FixtureServer.h"
#include "support/TaskFileBytes.h"
#include "support/TempDir.h"

namespace {
QJsonObject ParseObject(const std::string& text) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << text;
    return doc.object();
}

std::string Str(const QJsonObject& object, const char* key) {
    return object.value(key).toString().toStdString();
}

bool OneLine(const std::string& text) {
    return !text.empty() && text.find('\n') == text.size() - 1;
}

class CliTask : public ::testing::Test {
protected:
    CliResult Run(const std::vector<std::string>& args) { return RunCli(args, m_config.Path()); }
    QJsonObject Show(const std::string& file) {
        const CliResult shown = Run({"show", file});
        EXPECT_EQ(shown.status, 0) << shown.err;
        return ParseObject(shown.out);
    }

    TempDir m_config;
    TempDir m_dir;
};
}  // namespace

TEST_F(CliTask, NewCreatesTheTaskAsTheWizardDoesAndShowPrintsIt) {
    const std::string file = m_dir / "q/shop.old.qbx";
    const CliResult made = Run({"new", file, "--site", "  HTTP://Example.COM/dir/page.html ",
                                "--keywords", " apple+ +Pear "});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(m_dir / "q/shop.old/ResultPage0.html"));

    const QJsonObject task = Show(file);
    EXPECT_EQ(Str(task, "m_strTaskDir"), m_dir / "q/shop.old/");
    EXPECT_EQ(Str(task, "m_strStartAddress"), "Example.COM/dir/page.html");
    EXPECT_EQ(Str(task, "m_strKeywords"), "apple+ +Pear");
    EXPECT_EQ(task.value("m_arrUrls").toArray(), QJsonArray{"http://Example.COM/dir/page.html"});
    EXPECT_EQ(task.value("m_arrKeywords").toArray(), (QJsonArray{"apple", "Pear"}));
    EXPECT_EQ(task.value("m_nNextUrl").toInt(), 1);
    EXPECT_EQ(task.value("m_nState").toInt(), 62470);
    EXPECT_EQ(task.value("m_nAutoSaveMinutes").toInt(), 3);
    EXPECT_EQ(task.value("m_crLinkColor").toInt(), 65280);
    EXPECT_TRUE(task.value("m_bSiteMode").toBool());
    const QJsonArray slotList = task.value("slots").toArray();
    ASSERT_EQ(slotList.size(), 15);
    EXPECT_EQ(Str(slotList[0].toObject(), "m_strUrl"), "http://Example.COM/dir/page.html");
    EXPECT_EQ(Str(slotList[14].toObject(), "m_strUrl"), "");
    EXPECT_EQ(slotList[3].toObject().value("m_nRequested").toInt(), 0);
}

TEST_F(CliTask, NewTakesRangesCredentialsAndProperties) {
    const std::string file = m_dir / "range.qbx";
    const CliResult made = Run({"new", file, "--range", "10.0.0.20", "10.0.0.5", "--account", "ann",
                                "--password", "pw", "--match-case", "--timeout", "45", "--threads",
                                "4", "--link-color", "#FF8000", "--text-max-k", " 12 ",
                                "--image-filter", "0", "--depth", "2"});
    ASSERT_EQ(made.status, 0) << made.err;
    const QJsonObject task = Show(file);
    EXPECT_EQ(Str(task, "m_strStartAddress"), "10.0.0.5");
    EXPECT_EQ(Str(task, "m_strEndAddress"), "10.0.0.20");
    EXPECT_EQ(Str(task, "m_strCurrentSite"), "10.0.0.5");
    EXPECT_FALSE(task.value("m_bSiteMode").toBool());
    EXPECT_EQ(Str(task, "m_strSiteAuthorization"), "YW5uOnB3");
    EXPECT_TRUE(task.value("m_bMatchCase").toBool());
    EXPECT_EQ(task.value("m_nTimeout").toInt(), 45000);
    EXPECT_EQ(task.value("m_nMaxThreads").toInt(), 4);
    EXPECT_EQ(task.value("m_crLinkColor").toInt(), 0x0080FF);  // 0x00BBGGRR
    EXPECT_EQ(task.value("m_nTextMaxK").toInt(), 12);
    EXPECT_FALSE(task.value("m_bFilterImage").toBool());
    EXPECT_EQ(task.value("m_nDepth").toInt(), 2);

    ASSERT_EQ(Run({"new", m_dir / "top.qbx", "--range", "255.255.255.255", "255.255.255.255"}).status, 0);
    EXPECT_EQ(Str(Show(m_dir / "top.qbx"), "m_strStartAddress"), "255.255.255.254");
}

TEST_F(CliTask, BadArgumentsEndWithStatusTwoAndOneLine) {
    const std::string file = m_dir / "t.qbx";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"new", file, "--site", "  http:// "}, "A valid internet address is required to continue."},
        {{"new", file}, "--site"},
        {{"new", file, "--site", "a.example", "--range", "10.0.0.1", "10.0.0.2"}, "--range"},
        {{"new", file, "--range", "10.0.0.1", "10.0.0.300"}, "--range"},
        {{"new", file, "--site", "a.example", "--results-per-page", "5"},
         "--results-per-page: Please enter an integer between 10 and 1000."},
        {{"new", file, "--site", "a.example", "--threads", "16"},
         "--threads: Please enter an integer between 1 and 15."},
        {{"new", file, "--site", "a.example", "--retries", "x"},
         "--retries: Please enter a positive integer."},
        {{"new", file, "--site", "a.example", "--timeout", "99999999999"},
         "--timeout: Please enter an integer between 0 and 600."},
        {{"new", file, "--site", "a.example", "--link-color", "red"}, "--link-color"},
        {{"new", file, "--site", "a.example", "--text-max-k", "12kb"},
         "--text-max-k: Please enter a positive integer."},
        {{"new", file, "--site", "a.example", "--abstract-max-length", "200"}, "abstract"},
        {{"new", file, "--site", "a.example", "--password", "pw"}, "--account"},
        {{"new", file, "--site", "ftp://a.example/"},
         "--site: ftp:// addresses cannot be searched; give an http:// or https:// address"},
        {{"new", file, "--site", "a.example:70000/"},
         "--site: the port \"70000\" is not a number from 1 to 65535"},
        {{"new", file, "--site", "a.example:http"},
         "--site: the port \"http\" is not a number from 1 to 65535"},
        {{"new", file, "--site", "http://:8080/"}, "--site: the address has no host name"},
        {{"new", "", "--site", "a.example"}, "give the name of the task file to create"},
        {{"new", m_dir.Path(), "--site", "a.example"}, "names a folder"},
        {{"run", file, "--max-seconds", "-3"}, "--max-seconds: Please enter a positive integer."},
        {{"run", file, "--max-seconds", "99999999999"},
         "--max-seconds: Please enter an integer between 0 and 2147483647."},
        {{"serve", file, "--port", "70000"},
         "--port: Please enter an integer between 0 and 65535."},
        {{"frobnicate"}, "frobnicate"},
    };
    for (const auto& [args, message] : cases) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_TRUE(OneLine(result.err)) << result.err;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(file)) << "nothing is created on bad input";
    }
}

TEST_F(CliTask, NewGivesANameWithoutExtensionItsOwn) {
    // A file "shop" beside a folder "shop" cannot be: the task is shop.qbx.
    const CliResult made = Run({"new", m_dir / "shop", "--site", "a.example"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find(m_dir / "shop.qbx"), std::string::npos) << made.out;
    EXPECT_EQ(Str(Show(m_dir / "shop.qbx"), "m_strTaskDir"), m_dir / "shop/");
    EXPECT_TRUE(std::filesystem::is_regular_file(m_dir / "shop/ResultPage0.html"));
}

TEST_F(CliTask, TheProgramSaysWhatItIsAndHowToUseIt) {
    const CliResult version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Quobrix Version 1.10(Build 628)\n");

    const CliResult bare = Run({});
    EXPECT_EQ(bare.status, 0) << bare.err;
    EXPECT_NE(bare.out.find("Usage: quobrix-cli"), std::string::npos) << bare.out;
    EXPECT_NE(bare.out.find("status"), std::string::npos) << bare.out;
    EXPECT_EQ(bare.err, "");

    // Defaults, value forms and what a keyword matches.
    const std::pair<std::vector<std::string>, std::vector<std::string>> helps[] = {
        {{"new", "--help"},
         {"--timeout SECONDS", "(default 60)", "--results-per-page N", "(default 50)",
          "--auto-save N", "(default 3)", "--prompt-auth 0|1", "(default 0)", "at first #00FF00",
          "any one of them", "inside a longer word"}},
        {{"set", "--help"}, {"--threads N", "(default 10)", "keeps its value", "any one of them"}},
        {{"run", "--help"}, {"--max-seconds SECONDS", "0 = no limit", "4 paused", "5 finished, but"}},
        {{"serve", "--help"}, {"--port N"}},
        {{"options", "--help"}, {"--use-proxy 0|1", "--proxy-port N", "(default 0)"}},
    };
    for (const auto& [args, texts] : helps) {
        const CliResult help = Run(args);
        EXPECT_EQ(help.status, 0) << args[0];
        for (const std::string& text : texts) {
            EXPECT_NE(help.out.find(text), std::string::npos) << args[0] << ": " << text;
        }
    }
}

TEST_F(CliTask, NewRefusesToReplaceAFileUnlessForced) {
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", "a.example"}).status, 0);
    const CliResult again = Run({"new", file, "--site", "b.example"});
    EXPECT_EQ(again.status, 2);
    EXPECT_EQ(Str(Show(file), "m_strStartAddress"), "a.example");
    ASSERT_EQ(Run({"new", file, "--site", "b.example", "--force"}).status, 0);
    EXPECT_EQ(Str(Show(file), "m_strStartAddress"), "b.example");
}

TEST_F(CliTask, SetChangesPropertiesAsTheSheetDoes) {
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", "a.example", "--keywords", "old"}).status, 0);
    const CliResult changed = Run({"set", file, "--keywords", "  river + lake ", "--match-case",
                                   "--timeout", "45", "--results-per-page", "1000", "--pause-after-site",
                                   "1", "--recolor-links", "0", "--others-max-k", "0"});
    ASSERT_EQ(changed.status, 0) << changed.err;
    QJsonObject task = Show(file);
    EXPECT_EQ(Str(task, "m_strKeywords"), "river + lake");
    EXPECT_EQ(task.value("m_arrKeywords").toArray(), (QJsonArray{"river", "lake"}));
    EXPECT_TRUE(task.value("m_bMatchCase").toBool());
    EXPECT_EQ(task.value("m_nTimeout").toInt(), 45000);
    EXPECT_EQ(task.value("m_nResultsPerPage").toInt(), 1000);
    EXPECT_TRUE(task.value("m_bPauseAfterSite").toBool());
    EXPECT_FALSE(task.value("m_bRecolorLinks").toBool());
    EXPECT_EQ(task.value("m_nOthersMaxK").toInt(), 0);

    // A bad value changes nothing, not even the valid ones given with it.
    const CliResult refused = Run({"set", file, "--depth", "3", "--results-per-page", "5"});
    EXPECT_EQ(refused.status, 2);
    task = Show(file);
    EXPECT_EQ(task.value("m_nDepth").toInt(), 0);
    EXPECT_EQ(task.value("m_nResultsPerPage").toInt(), 1000);

    ASSERT_EQ(Run({"set", file, "--no-match-case"}).status, 0);
    EXPECT_FALSE(Show(file).value("m_bMatchCase").toBool());
}

TEST_F(CliTask, SetSaysWhatItChangedAndRefusesToChangeNothing) {
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", "a.example", "--keywords", "old"}).status, 0);
    const CliResult changed =
        Run({"set", file, "--keywords", " river ", "--match-case", "--threads", "4", "--timeout",
             "45", "--link-color", "#FF8000", "--depth", "0"});
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_EQ(changed.out,
              "keywords: \"old\" -> \"river\"\n"
              "match-case: 0 -> 1\n"
              "link-color: #00FF00 -> #FF8000\n"
              "timeout: 60 -> 45\n"
              "threads: 10 -> 4\n");

    const std::string saved = ReadFileBytes(file);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"set", file, "--threads", "4", "--keywords", "river"},
          std::vector<std::string>{"set", file}}) {
        const CliResult same = Run(args);
        EXPECT_EQ(same.status, 2) << args.size();
        EXPECT_TRUE(OneLine(same.err)) << same.err;
        EXPECT_NE(same.err.find("nothing"), std::string::npos) << same.err;
        EXPECT_EQ(same.out, "");
    }
    EXPECT_EQ(ReadFileBytes(file), saved) << "nothing changed, nothing saved";
}

TEST_F(CliTask, ServeRefusesATaskWithoutItsFolderAndAPortInUse) {
    const std::string file = m_dir / "t.qbx";
    ASSERT_EQ(Run({"new", file, "--site", "a.example"}).status, 0);

    // A port another program listens on.
    const int taken = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(taken, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(taken, 1), 0);
    ASSERT_EQ(getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string port = std::to_string(ntohs(address.sin_port));
    const CliResult inUse = Run({"serve", file, "--port", port});
    close(taken);
    EXPECT_EQ(inUse.status, 1);
    EXPECT_EQ(inUse.err,
              "quobrix-cli: cannot serve on 127.0.0.1: port " + port + " is already in use\n");
    EXPECT_EQ(inUse.out, "");

    std::filesystem::remove_all(m_dir / "t");
    const CliResult missing = Run({"serve", file});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "quobrix-cli: the task folder " + m_dir / "t/" +
                               " is missing: there is nothing to serve\n");
    EXPECT_EQ(missing.out, "");
}

TEST_F(CliTask, ShowReadsHandWrittenFilesAndEscapesBytesThatAreNotUtf8) {
    HandMadeTask task;
    task.keywords = "caf\xE9+na\xC3\xAFve";  // a Latin-1 byte, then valid UTF-8
    task.slot0Page = std::string(70000, 'p');
    task.urls = {};
    const std::u16string wide = u"\u4E2D.example";
    WriteFileBytes(m_dir / "hand.qbx", task.Bytes(&wide));
    const CliResult shown = Run({"show", m_dir / "hand.qbx"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find(R"("m_strKeywords": "caf\u00E9+na)" "\xC3\xAF" R"(ve")"), std::string::npos)
        << shown.out.substr(0, 600);
    const QJsonObject object = ParseObject(shown.out);
    EXPECT_EQ(Str(object, "m_strCurrentSite"), "\xE4\xB8\xAD.example");
    EXPECT_EQ(object.value("m_arrUrls").toArray().size(), 0);
    EXPECT_EQ(Str(object.value("slots").toArray()[0].toObject(), "m_strPage").size(), 70000u);
}

TEST_F(CliTask, UnreadableTaskFilesGiveStatusTwo) {
    HandMadeTask task;
    const std::string good = task.Bytes();
    WriteFileBytes(m_dir / "cut.qbx", good.substr(0, good.size() / 2));
    WriteFileBytes(m_dir / "huge.qbx", std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7));
    for (const char* name : {"cut.qbx", "huge.qbx"}) {
        const CliResult result = Run({"show", m_dir / name});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "quobrix-cli: Unexpected file format.\n");
        EXPECT_EQ(result.out, "");
    }
    const CliResult missing = Run({"show", m_dir / "missing.qbx"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(OneLine(missing.err));
    const CliResult set = Run({"set", m_dir / "cut.qbx", "--depth", "1"});
    EXPECT_EQ(set.status, 2);
    EXPECT_EQ(ReadFileBytes(m_dir / "cut.qbx"), good.substr(0, good.size() / 2));
}

TEST_F(CliTask, ATaskSavedWhileItRanResumesAndEnds) {
    FixtureServer server;
    server.Route("/", FixtureServer::Ok("<html>home</html>"));
    HandMadeTask task;
    task.taskDir = m_dir / "t/";
    task.startAddress = task.endAddress = task.currentSite = server.HostPort();
    task.urls = {server.Url("/")};
    task.sites = {server.HostPort()};
    task.slot0Url = server.Url("/");
    task.state = 62467;  // Seeking, with every slot's worker marked as running
    task.active = 1;
    std::filesystem::create_directories(m_dir / "t");
    WriteFileBytes(m_dir / "t.qbx", task.Bytes());

    const auto before = std::chrono::steady_clock::now();
    const CliResult ran = Run({"run", m_dir / "t.qbx", "--max-seconds", "3", "--quiet"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20));
    EXPECT_GE(server.RequestCount(), 1u);
    EXPECT_EQ(Show(m_dir / "t.qbx").value("m_nState").toInt(), 62471);
}

TEST_F(CliTask, SavesGoThroughSymbolicLinksAndNeverOverReadOnlyFiles) {
    const std::string real = m_dir / "archive/shop.qbx";
    ASSERT_EQ(Run({"new", real, "--site", "a.example"}).status, 0);
    std::filesystem::create_symlink(real, m_dir / "shop.qbx");
    ASSERT_EQ(Run({"set", m_dir / "shop.qbx", "--depth", "3"}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "shop.qbx"));
    EXPECT_EQ(Show(real).value("m_nDepth").toInt(), 3);

    ASSERT_EQ(chmod(real.c_str(), 0444), 0);
    const std::string before = ReadFileBytes(real);
    const CliResult refused = Run({"set", real, "--depth", "4"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(OneLine(refused.err)) << refused.err;
    EXPECT_NE(refused.err.find(real + ": Permission denied"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadFileBytes(real), before);
}

TEST_F(CliTask, AFailedNewLeavesNothingBehind) {
    // A file size limit stands for a full disk: the task file cannot be
    // written whole (the program inherits the limit and the ignored signal).
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 2000;
    setrlimit(RLIMIT_FSIZE, &limit);
    const CliResult failed = Run(
        {"new", m_dir / "q/shop.qbx", "--site", "a.example", "--keywords", std::string(3000, 'k')});
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(failed.status, 1) << failed.err;
    EXPECT_TRUE(OneLine(failed.err)) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "q")) << "no task file, task folder or sidecar";
    EXPECT_EQ(Run({"new", m_dir / "q/shop.qbx", "--site", "a.example"}).status, 0);
}

TEST_F(CliTask, PathsAreTakenAsTheSystemResolvesThem) {
    std::filesystem::create_directories(m_dir / "real/sub");
    std::filesystem::create_directories(m_dir / "a");
    std::filesystem::create_symlink(m_dir / "real/sub", m_dir / "a/link");
    // "a/link/.." is the folder above the link's target.
    ASSERT_EQ(Run({"new", m_dir / "a/link/../t.qbx", "--site", "a.example"}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(m_dir / "real/t.qbx"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "real/t/ResultPage0.html"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "a/t.qbx"));
}
