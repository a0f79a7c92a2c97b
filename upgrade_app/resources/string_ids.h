#pragma once

// Ids of the string table.

#include "platform/win_types.h"

inline constexpr platform::UINT IDP_OLE_INIT_FAILED = 101;
inline constexpr platform::UINT IDS_ABOUTBOX = 102;
inline constexpr platform::UINT IDS_START_UPGRADE_ON_PHONE = 107;
inline constexpr platform::UINT IDS_UPGRADE_SUCCESSFUL = 111;
inline constexpr platform::UINT IDS_MESSAGE_CAPTION = 114;
inline constexpr platform::UINT IDS_REBOOT_PHONE = 120;
inline constexpr platform::UINT IDS_MENU_INSTRUCTIONS = 122;
inline constexpr platform::UINT IDS_DETECTION_FAILED = 167;
inline constexpr platform::UINT IDS_FOLLOW_STEPS = 168;
inline constexpr platform::UINT IDS_STEP_UPGRADING_FIRMWARE = 169;
inline constexpr platform::UINT IDS_STEP_UPGRADING_RADIO_FIRMWARE = 170;
inline constexpr platform::UINT IDS_CONFIGURING_RADIO_PARAMETERS = 171;
inline constexpr platform::UINT IDS_STEP_VERIFYING_RADIO_PARAMETERS = 172;
inline constexpr platform::UINT IDS_STEP_PREPARING_VERIFICATION = 173;
inline constexpr platform::UINT IDS_STEP_INITIALIZING = 174;
inline constexpr platform::UINT IDS_STEP_PREPARING_RADIO_UPGRADE = 175;
inline constexpr platform::UINT IDS_MUTE_INSTRUCTIONS = 1068;
inline constexpr platform::UINT IDS_READ_INSTRUCTIONS = 1073;
inline constexpr platform::UINT IDS_INVALID_COUNTRY_CODE = 1076;
inline constexpr platform::UINT IDS_INCOMPATIBLE_CPLD = 1077;
inline constexpr platform::UINT IDS_UPGRADE_WAS_SUCCESSFUL = 1086;
inline constexpr platform::UINT IDS_COMPLETE_STEPS_HEADING = 1087;
inline constexpr platform::UINT IDS_REGISTER_STEPS = 1088;
inline constexpr platform::UINT IDS_PHONE_READY = 1101;
inline constexpr platform::UINT IDS_PHONE_SEARCHING = 1102;
inline constexpr platform::UINT IDS_PHONE_NOT_REGISTERED = 1103;
inline constexpr platform::UINT IDS_DIALOG_CAPTION = 1104;
inline constexpr platform::UINT IDS_CHOOSE_OPTION = 1105;
