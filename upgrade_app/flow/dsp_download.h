#pragma once

// The two DSP downloads that the recovery dialog leads to (the application image again, or the
// composite image of the boot-block recovery) start the same way; only the job differs.

class CCorvikUpgradeDlg;

// Reply time-out of either download.
inline constexpr int kDspDownloadReplyTimeout = 20000;

// Clears the abort, has the worker announce the download's end, takes the way out of the window
// away until then and shows the step text and the warning.
void AnnounceDspDownload(CCorvikUpgradeDlg& dialog);
