#pragma once

#include <memory>
#include <string>

#include "task/TaskLock.h"

class ITask;

// The task record of a command: a new, empty task until one is opened or made.
std::unique_ptr<ITask> CreateTaskRecord();

// Opens a task file as the desktop's Open does; a file that cannot be read
// ends the command with its message ("Unexpected file format.").
void OpenTaskOrFail(ITask& doc, const std::string& path);
// Both: a command's record with the task file at path open.
std::unique_ptr<ITask> OpenTaskRecordOrFail(const std::string& path);

// Saves the task at its path; a failure ends the command.
void SaveTaskOrFail(ITask& doc, const std::string& path);

// The absolute form of a path the user typed, without resolving links and
// without folding "..", so that it names what the system would open.
std::string AbsolutePath(const std::string& path);

// The task's lock for this command (strUse: "run"), held until the returned
// lock goes. A task that another program has ends the command with the
// message that names it.
CTaskLock LockTaskOrFail(const std::string& path, const std::string& strUse);
