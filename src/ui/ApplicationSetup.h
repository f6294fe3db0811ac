#pragma once

// What every start of the desktop program's windows does around its
// QApplication (the program itself, and the bench that runs it in-process).

// Before the QApplication is made: the browser view shares its rendering
// context with the windows.
void PrepareApplication();

// Once it is made: the program's style, names, icon and desktop entry.
void DescribeApplication();
