#pragma once

class CQuobrixApp;
class QWidget;

// Runs "Applition Options" over the application's proxy and agent options
// (page General) and those of today's web (page Web). With OK the options
// take the values the user changed (the others keep what the application
// holds by then), the proxy credential is derived again and every option is
// written to the store (a failed write is ignored, as at start-up); true then.
bool RunAppOptions(QWidget* parent, CQuobrixApp& app);
