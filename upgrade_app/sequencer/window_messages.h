#pragma once

// The main window's messages to itself (runner messages, map starters, checks, file-sent
// follow-ups), its two timers and the global abort flag of the upgrade.

#include "platform/thread/messages.h"
#include "platform/win_types.h"

inline constexpr platform::UINT WM_UPG_START_UPGRADE_MAP = platform::WM_USER + 36;
inline constexpr platform::UINT WM_UPG_NEXT_TASK = platform::WM_USER + 38;
inline constexpr platform::UINT WM_UPG_START_DSP1209_MAP = platform::WM_USER + 39;
inline constexpr platform::UINT WM_UPG_START_DS_MAP = platform::WM_USER + 40;
inline constexpr platform::UINT WM_UPG_START_DETECTION = platform::WM_USER + 43;
inline constexpr platform::UINT WM_UPG_NEXT_DETECTION_TASK = platform::WM_USER + 44;
inline constexpr platform::UINT WM_UPG_DETECTION_REPLY = platform::WM_USER + 45;
inline constexpr platform::UINT WM_UPG_CHOOSE_DSP_MAP = platform::WM_USER + 46;
inline constexpr platform::UINT WM_UPG_SEND_DSP_FIRMWARE = platform::WM_USER + 49;
inline constexpr platform::UINT WM_UPG_ENABLE_UPGRADE = platform::WM_USER + 51;
inline constexpr platform::UINT WM_UPG_START_DSP1211_MAP = platform::WM_USER + 52;
inline constexpr platform::UINT WM_UPG_START_CVM_MAP = platform::WM_USER + 53;
inline constexpr platform::UINT WM_UPG_START_CVM_UPGRADE = platform::WM_USER + 54;
inline constexpr platform::UINT WM_UPG_SEND_CVM = platform::WM_USER + 55;
inline constexpr platform::UINT WM_UPG_START_CONSOLE_MAP = platform::WM_USER + 56;
inline constexpr platform::UINT WM_UPG_CVM_REPLY = platform::WM_USER + 57;
inline constexpr platform::UINT WM_UPG_NEXT_CVM_TASK = platform::WM_USER + 58;
inline constexpr platform::UINT WM_UPG_START_CONSOLE_PARAMS = platform::WM_USER + 59;
inline constexpr platform::UINT WM_UPG_NEXT_CONSOLE_PARAM_TASK = platform::WM_USER + 60;
inline constexpr platform::UINT WM_UPG_SEND_CVM_HEADER = platform::WM_USER + 61;
inline constexpr platform::UINT WM_UPG_START_VERIFICATION = platform::WM_USER + 63;
inline constexpr platform::UINT WM_UPG_START_VERIFICATION_MAP = platform::WM_USER + 64;
inline constexpr platform::UINT WM_UPG_BOOTROM_RECOVERY = platform::WM_USER + 66;
inline constexpr platform::UINT WM_UPG_NEXT_BB_TASK = platform::WM_USER + 67;
inline constexpr platform::UINT WM_UPG_SEND_BB_DSP_FILE = platform::WM_USER + 68;

// Window timers: the reply time-out (kind 0) and the step delay (kind 1).
inline constexpr platform::UINT_PTR kReplyTimerId = 110;
inline constexpr platform::UINT_PTR kStepTimerId = 112;
inline constexpr int kReplyTimerKind = 0;
inline constexpr int kStepTimerKind = 1;
// The reply time-out of a job whose step gives none of its own.
inline constexpr int kReplyTimeout = 20000;

// Set by every abort; cleared by the Upgrade button, the DSP-table starters, the DSP download
// senders and the main runner at the end of a table.
extern platform::BYTE g_bAbort;
