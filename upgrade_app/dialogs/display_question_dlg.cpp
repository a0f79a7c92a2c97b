#include "upgrade_app/dialogs/display_question_dlg.h"

#include "platform/thread/messages.h"
#include "upgrade_app/dialogs/dialog_support.h"
#include "upgrade_app/resources/resource_ids.h"
#include "upgrade_app/resources/string_table.h"

namespace {

constexpr int kQuestionFontHeight = -16;

}  // namespace

CDisplayQuestionDlg::CDisplayQuestionDlg(const Layout& layout, platform::HWND parent)
    : platform::Dialog(layout.template_id, parent), layout_(layout) {}

platform::BOOL CDisplayQuestionDlg::OnInitDialog() {
  platform::Dialog::OnInitDialog();
  CreateArialFont(m_fontBold, kQuestionFontHeight, platform::FW_BOLD);
  if (platform::Control* const text = GetDlgItem(layout_.text_control)) {
    text->SetFont(&m_fontBold);
    text->SetWindowText(FindResourceString(layout_.text));
  }
  for (int radio = 0; radio < layout_.radio_count; ++radio) {
    if (platform::Control* const button = GetDlgItem(layout_.first_radio + radio)) {
      button->SetFont(&m_fontBold);
    }
  }
  return platform::TRUE;
}

void CDisplayQuestionDlg::DoDataExchange(platform::DataExchange& exchange) {
  exchange.Radio(layout_.first_radio, m_nChoice);
}

bool CDisplayQuestionDlg::TakeChoice() {
  UpdateData(platform::TRUE);
  if (m_nChoice != kNoChoice) return true;
  MessageBox(FindResourceString(IDS_CHOOSE_OPTION), FindResourceString(IDS_DIALOG_CAPTION),
             platform::MB_OK);
  return false;
}

void CDisplayQuestionDlg::CloseFirst() { SendMessage(platform::WM_CLOSE); }

void ShowDisplayAnswer(platform::UINT text) {
  ShowBoxOverMainWindow(FindResourceString(text), FindResourceString(IDS_DIALOG_CAPTION));
}
