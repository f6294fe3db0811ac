#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "support/TempDir.h"
#include "support/TestDoc.h"
#include "task/TaskLock.h"

namespace {
namespace fs = std::filesystem;

constexpr int kAnswerMs = 10000;  // how long a child may take to try the lock
constexpr int kHoldMs = 30000;    // a child that is never told to go ends by itself

// The other program of these tests: a process of its own that tries the
// lock of a task and, when it got it, holds it until it is told to go (its
// pipe closes) or is killed. Its answer is "held" or the refusal message.
class COtherProcess {
public:
    explicit COtherProcess(const std::string& taskPath) {
        int answer[2];
        int go[2];
        if (pipe2(answer, O_CLOEXEC) != 0 || pipe2(go, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe: " << errno;
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            close(answer[0]);
            close(go[1]);  // so that the parent's close is the end of the pipe
            CTaskLock lock;
            const std::string text =
                lock.Acquire(taskPath, "hold") ? "held" : lock.RefusalMessage(taskPath);
            (void)!write(answer[1], text.data(), text.size());
            close(answer[1]);
            pollfd wait = {go[0], POLLIN, 0};
            poll(&wait, 1, kHoldMs);
            lock.Release();
            _exit(0);
        }
        close(answer[1]);
        close(go[0]);
        m_hGo = go[1];
        ReadAnswer(answer[0]);
        close(answer[0]);
    }
    ~COtherProcess() {
        if (m_hGo >= 0) {
            close(m_hGo);
        }
        Wait();
    }
    COtherProcess(const COtherProcess&) = delete;
    COtherProcess& operator=(const COtherProcess&) = delete;

    const std::string& Answer() const { return m_strAnswer; }
    pid_t Pid() const { return m_pid; }
    // Ends it as a crash would: no release, its lock file stays.
    void Kill() {
        kill(m_pid, SIGKILL);
        Wait();
    }

private:
    void ReadAnswer(int fd) {
        for (;;) {
            pollfd ready = {fd, POLLIN, 0};
            char buffer[512];
            if (poll(&ready, 1, kAnswerMs) <= 0) {
                ADD_FAILURE() << "no answer from the other process";
                return;
            }
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got <= 0) {
                return;
            }
            m_strAnswer.append(buffer, static_cast<size_t>(got));
        }
    }
    void Wait() {
        if (m_pid > 0) {
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

    pid_t m_pid = -1;
    int m_hGo = -1;
    std::string m_strAnswer;
};

std::string Refusal(const std::string& path, const std::string& program, pid_t pid) {
    return path + " is in use by " + program + " (process " + std::to_string(pid) +
           "); a task is used by one program at a time.";
}

class TaskLockTest : public ::testing::Test {
protected:
    TaskLockTest() {
        fs::create_directories(m_dir / "real");
        WriteFileBytes(m_task, "task");
        m_strProgram = program_invocation_short_name;
    }

    TempDir m_dir;
    const std::string m_task = m_dir / "real/shop.qbx";
    std::string m_strProgram;
};
}  // namespace

TEST_F(TaskLockTest, AHeldTaskIsRefusedToAnotherProcessUnderAnySpelling) {
    fs::create_symlink(m_task, m_dir / "alias.qbx");
    fs::create_directory_symlink(m_dir / "real", m_dir / "linked");
    fs::create_directories(m_dir / "real/sub");
    CTaskLock lock;
    ASSERT_TRUE(lock.Acquire(m_task, "run"));
    ASSERT_TRUE(lock.IsHeld());
    EXPECT_EQ(ReadFileBytes(m_dir / "real/.shop.qbx.lock"),
              std::to_string(getpid()) + " " + m_strProgram + " run\n");

    for (const std::string& spelling :
         {m_task, m_dir / "alias.qbx", m_dir / "linked/shop.qbx", m_dir / "real/sub/../shop.qbx"}) {
        SCOPED_TRACE(spelling);
        EXPECT_TRUE(lock.IsFor(spelling));
        const COtherProcess other(spelling);
        EXPECT_EQ(other.Answer(), Refusal(spelling, m_strProgram + " run", getpid()));
    }
    EXPECT_FALSE(lock.IsFor(m_dir / "real/other.qbx"));
    // A second lock in the same process is a second holder too.
    CTaskLock again;
    EXPECT_FALSE(again.Acquire(m_dir / "alias.qbx"));
    EXPECT_EQ(again.HolderPid(), getpid());
}

TEST_F(TaskLockTest, AReleasedLockLeavesNoFileAndIsFreeForTheNext) {
    CTaskLock lock;
    ASSERT_TRUE(lock.Acquire(m_task));
    lock.Release();
    EXPECT_FALSE(lock.IsHeld());
    EXPECT_FALSE(fs::exists(m_dir / "real/.shop.qbx.lock"));
    {
        const COtherProcess other(m_task);
        EXPECT_EQ(other.Answer(), "held");
        EXPECT_FALSE(lock.Acquire(m_task, "run"));
        EXPECT_EQ(lock.RefusalMessage(m_task),
                  Refusal(m_task, m_strProgram + " hold", other.Pid()));
    }
    EXPECT_TRUE(lock.Acquire(m_task));
}

TEST_F(TaskLockTest, AKilledHolderLetsGo) {
    COtherProcess other(m_task);
    ASSERT_EQ(other.Answer(), "held");
    other.Kill();
    ASSERT_TRUE(fs::exists(m_dir / "real/.shop.qbx.lock"));  // a crash removes nothing
    CTaskLock lock;
    EXPECT_TRUE(lock.Acquire(m_task, "run"));
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_EQ(ReadFileBytes(m_dir / "real/.shop.qbx.lock"),
              std::to_string(getpid()) + " " + m_strProgram + " run\n");
}

TEST_F(TaskLockTest, WhereNoLockCanBeHadTheTaskIsUsedWithoutOne) {
    WriteFileBytes(m_dir / "plain", "not a folder");
    WriteFileBytes(m_dir / "target", "kept");
    fs::create_symlink(m_dir / "target", m_dir / "real/.planted.qbx.lock");
    for (const std::string& path :
         {m_dir / "missing/shop.qbx", m_dir / "plain/shop.qbx", m_dir / "real/planted.qbx"}) {
        SCOPED_TRACE(path);
        CTaskLock lock;
        EXPECT_TRUE(lock.Acquire(path));
        EXPECT_FALSE(lock.IsHeld());
        EXPECT_FALSE(lock.IsFor(path));
    }
    EXPECT_EQ(ReadFileBytes(m_dir / "target"), "kept");  // never written through a link
}

// The record of a front end that keeps its task open: Save As takes the new
// name before it copies, and lets the old one go after.
TEST_F(TaskLockTest, SaveAsMovesTheLockAndIsRefusedATaskHeldElsewhere) {
    CTestDoc doc;
    doc.m_bLockTasks = true;
    CNewTaskRecord record;
    record.m_strStartAddress = "127.0.0.1:1/";
    record.m_strEndAddress = record.m_strStartAddress;
    const std::string orig = m_dir / "orig.qbx";
    CTaskLock lock;
    std::string error;
    ASSERT_TRUE(doc.LockTaskFile(orig, lock, error));
    ASSERT_TRUE(doc.CreateNewTask(record, orig, 1, error)) << error;
    doc.KeepTaskLock(orig, std::move(lock));
    EXPECT_TRUE(doc.m_taskLock.IsFor(orig));
    // Its own task again: nothing more to take.
    CTaskLock same;
    EXPECT_TRUE(doc.LockTaskFile(orig, same, error));
    EXPECT_FALSE(same.IsHeld());

    {
        const std::string held = m_dir / "held.qbx";
        const COtherProcess other(held);
        ASSERT_EQ(other.Answer(), "held");
        EXPECT_FALSE(doc.SaveTaskAs(held, error));
        EXPECT_EQ(error, Refusal(held, m_strProgram + " hold", other.Pid()));
        EXPECT_FALSE(fs::exists(m_dir / "held"));  // nothing copied
        EXPECT_EQ(doc.GetPathName(), orig);
        EXPECT_TRUE(doc.m_taskLock.IsFor(orig));
    }

    const std::string copy = m_dir / "copy.qbx";
    ASSERT_TRUE(doc.SaveTaskAs(copy, error)) << error;
    EXPECT_TRUE(doc.m_taskLock.IsFor(copy));
    EXPECT_EQ(COtherProcess(orig).Answer(), "held");
    EXPECT_EQ(COtherProcess(copy).Answer(), Refusal(copy, m_strProgram, getpid()));
}
