#pragma once

#include <string>

#include "cli/ConsoleFrontEnd.h"

class ITask;

struct CRunOptions {
    int m_nMaxSeconds = 0;  // 0: no limit
    CConsoleFrontEnd::Verbosity m_verbosity = CConsoleFrontEnd::Verbosity::Normal;
    bool m_bServeAfter = false;  // keep serving the results after the crawl, until a signal
};

// Starts or resumes an opened task and runs it until it is finished or
// paused; SIGINT, SIGTERM or the time limit pause it. Auto-saves as the
// desktop's timer does, saves at the end, and returns the exit status:
// EXIT_OK finished, EXIT_NOTHING_RETRIEVED finished with every page failed,
// EXIT_PAUSED paused, EXIT_FILE_ERROR paused by a file error. A closed
// standard output pauses the run as SIGINT does.
int RunTaskToEnd(ITask& doc, const CRunOptions& options);
