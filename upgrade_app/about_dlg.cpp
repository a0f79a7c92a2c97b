#include "upgrade_app/about_dlg.h"

#include <optional>

#include "upgrade_app/application_version.h"
#include "upgrade_app/corvik_upgrade_app.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/settings_file.h"

namespace {

// The DSP line names the image that ships with this version, whatever the settings say.
constexpr char kShippedDSPVersion[] = "QVX.CON.01.607";
constexpr std::size_t kRuleLength = 57;

bool UpgradeListed(const CSettingsFile& settings, const char* section) {
  const std::string upgrade = settings.ReadValue("Upgrade", section);
  return upgrade == "YES" || upgrade == "yes";
}

}  // namespace

CAboutDlg::CAboutDlg() : platform::Dialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(platform::DataExchange& exchange) {
  exchange.Text(IDC_ABOUT_TEXT, m_strAbout);
}

platform::BOOL CAboutDlg::OnInitDialog() {
  platform::Dialog::OnInitDialog();
  const std::optional<std::string> settings_path = SettingsFilePath();
  if (!settings_path) {
    MessageBox("Windows directory not found!\n", kProductCaption,
               platform::MB_OK | platform::MB_ICONSTOP);
    return platform::FALSE;
  }
  CSettingsFile settings;
  settings.SetFileName(*settings_path);

  m_strAbout = "\r\nApplication version:\t" + GetApplicationVersion() + "\r\n" +
               std::string(kRuleLength, '-') + "\r\n";
  AppendFirmwareLines(settings);
  const CCorvikUpgradeApp* const app = GetCorvikUpgradeApp();
  if (app != nullptr && app->m_bEngineeringMode != 0) {
    m_strAbout += "\r\nCVM Flash version:\t\t\t" + settings.ReadValue("FileVer", "CVM");
  }
  UpdateData(platform::FALSE);
  return platform::TRUE;
}

void CAboutDlg::AppendFirmwareLines(const CSettingsFile& settings) {
  if (UpgradeListed(settings, "DSP")) {
    m_strAbout += std::string("\r\nDSP version:\t") + kShippedDSPVersion;
  }
  if (UpgradeListed(settings, "CPLD")) {
    m_strAbout += "\r\nCPLD version:\t" + settings.ReadValue("FileVer", "CPLD");
  }
  if (UpgradeListed(settings, "CVM")) {
    m_strAbout += "\r\nCVM version:\t" + settings.ReadValue("FileVer", "CVM");
  }
}
