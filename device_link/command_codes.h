#pragma once

// Request codes of the console protocol that have a name. The console answers a request with
// the request code plus kReplyCodeOffset.

#include "platform/win_types.h"

inline constexpr platform::UINT kReplyCodeOffset = 0x100;

inline constexpr platform::UINT UPD_GET_CPLD_FW_VER = 0xD001;
inline constexpr platform::UINT UPD_GET_DSPFLASH_FW_VER = 0xD002;
inline constexpr platform::UINT UPD_GET_CVMFLASH_FW_VER = 0xD003;
inline constexpr platform::UINT UPD_INIT_UPGRADE_DSP_COMP = 0xD005;
inline constexpr platform::UINT UPD_INIT_UPGRADE_DSPFLASH = 0xD009;
inline constexpr platform::UINT UPD_INIT_UPGRADE_CVMFLASH = 0xD00A;
inline constexpr platform::UINT UPD_INIT_UPGRADE_CONSOLEPARAMS = 0xD00B;
inline constexpr platform::UINT UPD_SEND_CVM_BOOTLOADER = 0xD014;
inline constexpr platform::UINT UPD_CVM_IMAGE_END = 0xD019;
inline constexpr platform::UINT UPD_INIT_UPGRADE_RADIOPARAMS = 0xD01A;
inline constexpr platform::UINT UPD_SEND_CVM_HEADER = 0xD01B;
inline constexpr platform::UINT UPD_GET_RADIO_MODE = 0xD01C;
inline constexpr platform::UINT UPD_GET_CVM_LOCK_STATUS = 0xD01D;
inline constexpr platform::UINT UPD_ENABLE_USB = 0xD0AA;
inline constexpr platform::UINT UPD_RESET_CONSOLE = 0xD0AB;
inline constexpr platform::UINT UPD_ENABLE_USB_UPGRADE = 0xD0AC;
inline constexpr platform::UINT UPD_INIT_VERIFY_RADIO_STATUS = 0xD0AD;
inline constexpr platform::UINT UPD_GET_RADIO_STATUS = 0xD0AE;
