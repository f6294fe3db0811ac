#pragma once

#include <cstdint>

class ITask;
class QWidget;

// Runs "Task options" (pages General and Retrieval) over doc's properties,
// keywords and abstract settings; crDefaultLinkColor is the application's
// colour for retrieved links, which "Automatic" picks. With OK the task takes
// every value the user changed (the timeout in milliseconds); a value left as
// it was keeps what the task holds by then. Its keywords are marked changed
// and it is marked modified, so the next save writes them; true then. May run
// while the task runs: every value goes in through its atomic or SetKeywords.
bool RunTaskOptions(QWidget* parent, ITask& doc, uint32_t crDefaultLinkColor);
