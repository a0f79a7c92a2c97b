#pragma once

// The About box (template 100): the program's version and, read again from the settings file,
// the firmware versions it brings.

#include <string>

#include "platform/ui/dialog.h"
#include "upgrade_app/settings_file.h"

class CAboutDlg : public platform::Dialog {
 public:
  CAboutDlg();

  std::string m_strAbout;

 protected:
  platform::BOOL OnInitDialog() override;
  void DoDataExchange(platform::DataExchange& exchange) override;

 private:
  // The firmware lines of the parts whose Upgrade value is exactly "YES" or "yes".
  void AppendFirmwareLines(const CSettingsFile& settings);
};
