#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <map>

#include "support/FixtureServer.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"
#include "task/QuobrixDoc.h"

namespace {
namespace fs = std::filesystem;

// Every file under a folder, by its path inside it, with its bytes.
std::map<std::string, std::string> FolderBytes(const std::string& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder, ec)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), folder).string()] = ReadFileBytes(entry.path());
        }
    }
    return files;
}

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : ~0u;
}

// A disk that fills up after a number of copied files.
class FillingDiskDoc : public CQuobrixDoc {
public:
    int m_nFilesLeft = -1;  // no limit

protected:
    bool CopyTaskFile(const std::string& from, const std::string& to) override {
        if (m_nFilesLeft == 0) {
            WriteFileBytes(to, "half");
            errno = ENOSPC;
            return false;
        }
        --m_nFilesLeft;
        return CQuobrixDoc::CopyTaskFile(from, to);
    }
};

class SaveTaskAsTest : public ::testing::Test {
protected:
    SaveTaskAsTest() {
        m_server.Route("/", FixtureServer::Ok("<html><a href=\"a.html\">a</a> apple</html>"));
        m_server.Route("/a.html", FixtureServer::Ok("<html>apple</html>"));
    }

    // orig.qbx, run to its end: result page, stored pages, header files and
    // the credential sidecar in orig/, and an e-mail list beside them.
    void MakeFinishedTask() {
        CNewTaskRecord record;
        record.m_strStartAddress = m_server.HostPort() + "/";
        record.m_strEndAddress = record.m_strStartAddress;
        record.m_strKeywords = "apple";
        record.m_strAccount = "ann";
        record.m_strPassword = "pw";
        std::string error;
        ASSERT_TRUE(m_doc.CreateNewTask(record, m_orig, 1, error)) << error;
        RunToEnd();
        ASSERT_TRUE(m_doc.OnSaveDocument(m_orig, error)) << error;
        WriteFileBytes(m_dir / "orig/EmailAddress.txt", "ann@example.invalid\n");
    }
    void RunToEnd() {
        m_doc.OnTaskRun();
        ASSERT_TRUE(WaitFor([&] { return m_doc.IsRunEnded(); }));
        m_doc.JoinWorkers();
    }
    // The task is still orig.qbx with its folder, and nothing of it changed.
    void ExpectOriginalKept(const std::map<std::string, std::string>& folder,
                            const std::string& file) {
        EXPECT_EQ(m_doc.GetPathName(), m_orig);
        EXPECT_EQ(m_doc.m_strTaskDir, m_dir / "orig/");
        EXPECT_EQ(m_doc.m_strResultPagePath, m_dir / "orig/ResultPage0.html");
        EXPECT_EQ(m_doc.m_strEmailListPath, m_dir / "orig/EmailAddress.txt");
        EXPECT_EQ(FolderBytes(m_dir / "orig"), folder);
        EXPECT_EQ(ReadFileBytes(m_orig), file);
    }

    TempDir m_dir;
    FixtureServer m_server;
    FillingDiskDoc m_doc;
    const std::string m_orig = m_dir / "orig.qbx";
};
}  // namespace

TEST_F(SaveTaskAsTest, TheCopyRunsInAFolderOfItsOwn) {
    MakeFinishedTask();
    const std::map<std::string, std::string> folder = FolderBytes(m_dir / "orig");
    ASSERT_TRUE(folder.count("ResultPage0.html") && folder.count(".QuobrixAuth") &&
                folder.count(m_server.HostPort() + "/a.html.Quobrix"));
    const std::string file = ReadFileBytes(m_orig);

    std::string error;
    ASSERT_TRUE(m_doc.SaveTaskAs(m_dir / "copy.qbx", error)) << error;
    EXPECT_EQ(m_doc.GetPathName(), m_dir / "copy.qbx");
    EXPECT_EQ(m_doc.GetTitle(), "copy");
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_doc.m_strTaskDir, m_dir / "copy/");
    EXPECT_EQ(m_doc.m_strResultPagePath, m_dir / "copy/ResultPage0.html");
    EXPECT_EQ(m_doc.m_strEmailListPath, m_dir / "copy/EmailAddress.txt");
    for (int slot = 0; slot < SLOT_COUNT; ++slot) {
        EXPECT_EQ(m_doc.m_strLocalPath[slot].find(m_dir / "orig/"), std::string::npos) << slot;
    }
    EXPECT_EQ(FolderBytes(m_dir / "copy"), folder);
    EXPECT_EQ(ModeOf(m_dir / "copy/.QuobrixAuth"), 0600u);

    // The copy runs afresh: it writes only into its own folder.
    m_server.Route("/a.html", FixtureServer::Ok("<html>apple, changed</html>"));
    RunToEnd();
    EXPECT_EQ(m_server.RequestCount(), 4u);
    EXPECT_EQ(ReadFileBytes(m_dir / ("copy/" + m_server.HostPort() + "/a.html")),
              "<html>apple, changed</html>");
    EXPECT_EQ(FolderBytes(m_dir / "orig"), folder);
    EXPECT_EQ(ReadFileBytes(m_orig), file);

    // The copy reopens as itself.
    CQuobrixDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(m_dir / "copy.qbx", error)) << error;
    EXPECT_EQ(reopened.m_strTaskDir, m_dir / "copy/");
}

TEST_F(SaveTaskAsTest, RefusedOrAPlainSave) {
    MakeFinishedTask();
    const std::map<std::string, std::string> folder = FolderBytes(m_dir / "orig");
    std::string file = ReadFileBytes(m_orig);
    std::string error;

    // While it runs.
    m_doc.m_nState = IDS_STATE_SEEKING;
    EXPECT_FALSE(m_doc.SaveTaskAs(m_dir / "copy.qbx", error));
    EXPECT_EQ(error, "A search task is running, pause or stop it first.");
    m_doc.m_nState = IDS_STATE_FINISHED;
    EXPECT_FALSE(fs::exists(m_dir / "copy.qbx"));
    EXPECT_FALSE(fs::exists(m_dir / "copy"));

    // Folders that are not the copy's alone.
    fs::create_directories(m_dir / "taken");
    WriteFileBytes(m_dir / "taken/ResultPage0.html", "another task's row");
    WriteFileBytes(m_dir / "file", "not a folder");
    const std::pair<std::string, std::string> refused[] = {
        {"taken.qbx", "already exists"},
        {"file.qbx", "already exists"},
        {"orig.bak", "folder of the task that is open"},
        {"orig/inner.qbx", "folder of the task that is open"},
        {"orig.qbx/x.qbx", "cannot create the folder"},
    };
    for (const auto& [name, why] : refused) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(m_doc.SaveTaskAs(m_dir / name, error));
        EXPECT_NE(error.find("Cannot save " + m_dir / name), std::string::npos) << error;
        EXPECT_NE(error.find(why), std::string::npos) << error;
        EXPECT_FALSE(fs::exists(m_dir / name));
        ExpectOriginalKept(folder, file);
    }
    EXPECT_EQ(ReadFileBytes(m_dir / "taken/ResultPage0.html"), "another task's row");

    // Its own name: a plain save, nothing copied.
    m_doc.m_nDepth = 7;
    ASSERT_TRUE(m_doc.SaveTaskAs(m_dir / "./orig.qbx", error)) << error;
    EXPECT_NE(ReadFileBytes(m_orig), file);
    file = ReadFileBytes(m_orig);
    ExpectOriginalKept(folder, file);

    // An empty folder of the new name is used.
    fs::create_directories(m_dir / "empty");
    ASSERT_TRUE(m_doc.SaveTaskAs(m_dir / "empty.qbx", error)) << error;
    EXPECT_EQ(m_doc.m_strTaskDir, m_dir / "empty/");
    EXPECT_TRUE(fs::exists(m_dir / "empty/ResultPage0.html"));

    // A task without a folder: a plain save, no folder made.
    CQuobrixDoc untitled;
    untitled.OnNewDocument();
    ASSERT_TRUE(untitled.SaveTaskAs(m_dir / "untitled.qbx", error)) << error;
    EXPECT_EQ(untitled.GetPathName(), m_dir / "untitled.qbx");
    EXPECT_FALSE(fs::exists(m_dir / "untitled"));
}

TEST_F(SaveTaskAsTest, ACopyThatCannotBeMadeIsTakenBack) {
    MakeFinishedTask();
    const std::map<std::string, std::string> folder = FolderBytes(m_dir / "orig");
    const std::string file = ReadFileBytes(m_orig);
    std::string error;

    // The disk fills up after two files: what was copied goes again, with
    // the folders it made along the new name's path.
    m_doc.m_nFilesLeft = 2;
    EXPECT_FALSE(m_doc.SaveTaskAs(m_dir / "new/deeper/copy.qbx", error));
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(m_dir / "new"));
    ExpectOriginalKept(folder, file);

    // With an empty folder the user made, only what went into it goes.
    fs::create_directories(m_dir / "mine");
    m_doc.m_nFilesLeft = 1;
    EXPECT_FALSE(m_doc.SaveTaskAs(m_dir / "mine.qbx", error));
    EXPECT_TRUE(fs::is_directory(m_dir / "mine"));
    EXPECT_TRUE(fs::is_empty(m_dir / "mine"));
    EXPECT_FALSE(fs::exists(m_dir / "mine.qbx"));
    ExpectOriginalKept(folder, file);
}
