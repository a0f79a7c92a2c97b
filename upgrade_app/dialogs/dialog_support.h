#pragma once

// What the wizard's windows share: their font, and the main window the follow-up dialogs report
// to.

#include <string_view>

#include "platform/ui/font.h"
#include "platform/win_types.h"

class CCorvikUpgradeDlg;

// The main window of the calling thread, as the framework keeps it; the application's when the
// thread is no program thread of its own. Null when there is none.
platform::HWND ThreadMainWindow();
// The same window as the program's main window object, or null.
CCorvikUpgradeDlg* ThreadMainDialog();

// A message box owned by the thread's main window (no owner without one), with an OK button.
void ShowBoxOverMainWindow(std::string_view text, std::string_view caption);

// The program's face; a negative height is the character height in pixels.
void CreateArialFont(platform::Font& font, int height, int weight);
