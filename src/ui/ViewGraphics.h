#pragma once

#include <string_view>

// How the browser view draws. Through the system's OpenGL by default; where
// that OpenGL renders in software (no graphics driver: a virtual machine, a
// remote desktop, a virtual X server), composing the window through it costs
// the GUI thread tens of milliseconds a frame, and keys wait: there the view
// draws in software directly, which is far cheaper. The user's own
// QT_QUICK_BACKEND choice stands. Once per process, on the GUI thread, before
// the first view is made.
void ChooseViewGraphics();

// "llvmpipe (LLVM 15.0.6, 256 bits)" -> true: an OpenGL renderer that draws
// on the processor.
bool IsSoftwareRenderer(std::string_view renderer);
