#include "upgrade_app/dialogs/complete_dlg.h"

#include "upgrade_app/dialogs/dialog_support.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"

namespace {

constexpr int kLargeHeight = -16;
constexpr int kMediumHeight = -14;
constexpr int kSmallHeight = -12;

}  // namespace

CHLCRComplete::CHLCRComplete(platform::HWND parent)
    : platform::Dialog(IDD_COMPLETE_DIALOG, parent) {}

platform::BOOL CHLCRComplete::OnInitDialog() {
  platform::Dialog::OnInitDialog();
  CreateArialFont(m_fontLarge, kLargeHeight, platform::FW_BOLD);
  CreateArialFont(m_fontMedium, kMediumHeight, platform::FW_BOLD);
  CreateArialFont(m_fontSmall, kSmallHeight, platform::FW_NORMAL);
  const struct {
    int id;
    const platform::Font* font;  // null: the dialog's own font
    platform::UINT text;
  } lines[] = {
      {IDC_COMPLETE_HEADING, &m_fontLarge, IDS_READ_INSTRUCTIONS},
      {IDC_COMPLETE_RESULT, &m_fontSmall, IDS_UPGRADE_WAS_SUCCESSFUL},
      {IDC_COMPLETE_STEPS_HEADING, &m_fontMedium, IDS_COMPLETE_STEPS_HEADING},
      {IDC_COMPLETE_STEPS, nullptr, IDS_REGISTER_STEPS},
  };
  for (const auto& line : lines) {
    platform::Control* const control = GetDlgItem(line.id);
    if (control == nullptr) continue;
    if (line.font != nullptr) control->SetFont(line.font);
    control->SetWindowText(FindResourceString(line.text));
  }
  return platform::TRUE;
}
