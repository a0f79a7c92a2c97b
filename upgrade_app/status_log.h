#pragma once

// Status lines of the upgrade. In the engineering window each line is added to the status box
// and appended to the status file in the application-data folder; the wizard drops them.

#include <string>

class CCorvikUpgradeDlg;

inline constexpr char kStatusLogFailed[] = "Status Log failed!";

// Callable on the GUI thread only. The line carries its own line breaks. It is taken by value,
// so a caller may pass the window's own status text.
void UpdateStatus(CCorvikUpgradeDlg* pDlg, std::string strStatus);

// Appends the line to the status file; false when the file cannot be opened (also when the
// application-data folder cannot be determined). A write error throws CFileException.
bool WriteStatusFile(const std::string& strStatus);
