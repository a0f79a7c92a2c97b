#pragma once

// Ids of the program's resources: dialog templates, their controls, the icon and the bitmap.
// String ids are in string_ids.h.

#include "platform/win_types.h"
#include "upgrade_app/resources/string_ids.h"

// Dialog templates.
inline constexpr platform::UINT IDD_ABOUTBOX = 100;
inline constexpr platform::UINT IDD_USB_ACCESS_FORM = 103;
inline constexpr platform::UINT IDD_ENGINEERING_WINDOW = 104;
inline constexpr platform::UINT IDD_RECOVERY_DIALOG = 177;
inline constexpr platform::UINT IDD_COMPLETE_DIALOG = 178;
inline constexpr platform::UINT IDD_WIZARD_WINDOW = 1063;
inline constexpr platform::UINT IDD_OPTIONS_DIALOG = 1089;
inline constexpr platform::UINT IDD_SEARCHING_DIALOG = 1095;

// Pictures.
inline constexpr platform::UINT IDR_MAINFRAME = 128;
inline constexpr platform::UINT IDB_CONSOLE_PICTURE = 163;

// System menu entry of the About box.
inline constexpr platform::UINT IDM_ABOUTBOX = 16;

// Controls of the two main windows (templates 1063 and 104).
inline constexpr int IDC_STATUS_EDIT = 1000;
inline constexpr int IDC_FILE_PATH = 1007;
inline constexpr int IDC_DOWNLOAD_PROGRESS = 1008;
inline constexpr int IDC_BROWSE = 1011;
inline constexpr int IDC_CLEAR_WINDOW = 1013;
inline constexpr int IDC_UPGRADE = 1014;
inline constexpr int IDC_BYTES_TRANSFERRED = 1017;
inline constexpr int IDC_DETECT_USB_DEVICE = 1022;
inline constexpr int IDC_SEND_COMMAND = 1023;
inline constexpr int IDC_SEND_FW = 1024;
inline constexpr int IDC_TROUBLESHOOT = 1025;
inline constexpr int IDC_SHOW_STATUS = 1038;
inline constexpr int IDC_COMMAND_LIST = 1039;
inline constexpr int IDC_FIRMWARE_TYPE_LIST = 1040;
inline constexpr int IDC_COMMAND_LABEL = 1041;
inline constexpr int IDC_FIRMWARE_TYPE_LABEL = 1042;
inline constexpr int IDC_LOG_NOTE = 1045;
inline constexpr int IDC_STATUS_LABEL = 1046;
inline constexpr int IDC_BYTES_LABEL = 1047;
inline constexpr int IDC_DOWNLOAD_LABEL = 1048;
inline constexpr int IDC_BEGIN_HINT = 1049;
inline constexpr int IDC_TITLE_TEXT = 1056;
inline constexpr int IDC_INSTRUCTIONS = 1057;
inline constexpr int IDC_CONSOLE_PICTURE = 1059;
inline constexpr int IDC_PROGRESS_LABEL = 1061;
inline constexpr int IDC_STEP_LABEL = 1064;
inline constexpr int IDC_WARNING_TEXT = 1071;
inline constexpr int IDC_STEP_TEXT = 1072;
inline constexpr int IDC_NEXT = 1078;
inline constexpr int IDC_ABOUT = 1080;
inline constexpr int IDC_RESET_USB_DEVICE = 1081;

// Commands that no control carries (test hooks and the inert cancel command).
inline constexpr int IDC_TEST_BUS_MAIL = 1002;
inline constexpr int IDC_TEST_THREAD_TASK = 1003;
inline constexpr int IDC_CANCEL_COMMAND = 1004;

// About box (template 100).
inline constexpr int IDC_ABOUT_TEXT = 1021;

// Hidden form of the USB access control (template 103).
inline constexpr int IDC_USB_ACCESS_CONTROL = 1044;

// Recovery dialog (template 177).
inline constexpr int IDC_BOOTROM_UPGRADE = 1020;
inline constexpr int IDC_ERASE_TEXT = 1069;
inline constexpr int IDC_READY_TEXT = 1071;
inline constexpr int IDC_CAUTION_TEXT = 1075;
inline constexpr int IDC_APPLICATION_UPGRADE = 1079;

// Completion dialog (template 178).
inline constexpr int IDC_COMPLETE_HEADING = 1082;
inline constexpr int IDC_COMPLETE_RESULT = 1083;
inline constexpr int IDC_COMPLETE_STEPS_HEADING = 1084;
inline constexpr int IDC_COMPLETE_STEPS = 1085;

// Display question dialog (template 1089).
inline constexpr int IDC_OPTIONS_HEADING = 1082;
inline constexpr int IDC_OPTIONS_NEXT = 1090;
inline constexpr int IDC_OPTION_READY = 1091;
inline constexpr int IDC_OPTION_SEARCHING = 1092;
inline constexpr int IDC_OPTION_NO_SIGNAL = 1093;
inline constexpr int IDC_OPTION_NOT_REGISTERED = 1094;

// Searching dialog (template 1095).
inline constexpr int IDC_SEARCHING_NEXT = 1096;
inline constexpr int IDC_SEARCHING_TEXT = 1097;
inline constexpr int IDC_SEARCHING_READY = 1098;
inline constexpr int IDC_SEARCHING_NO_SIGNAL = 1099;
