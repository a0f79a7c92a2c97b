#include "upgrade_app/dialogs/searching_dlg.h"

#include "upgrade_app/resources/resource_ids.h"

namespace {

// The radio buttons in their order.
enum Choice { kReady, kNoSignal };

constexpr int kChoices = 2;

}  // namespace

const CSearchingDlg::Map CSearchingDlg::kMessageMap{
    Map::Button(IDC_SEARCHING_NEXT, &CSearchingDlg::OnNext),
};

CSearchingDlg::CSearchingDlg(platform::HWND parent)
    : CDisplayQuestionDlg({IDD_SEARCHING_DIALOG, IDC_SEARCHING_TEXT, IDS_PHONE_SEARCHING,
                           IDC_SEARCHING_READY, kChoices},
                          parent) {}

bool CSearchingDlg::RouteMessage(platform::UINT message, platform::WPARAM wParam,
                                 platform::LPARAM lParam, platform::LRESULT& result) {
  return kMessageMap.Route(*this, message, wParam, lParam, result);
}

void CSearchingDlg::OnNext() {
  if (!TakeChoice()) return;
  CloseFirst();
  if (m_nChoice == kReady) {
    ShowDisplayAnswer(IDS_PHONE_READY);
  } else if (m_nChoice == kNoSignal) {
    ShowDisplayAnswer(IDS_PHONE_NOT_REGISTERED);
  }
}
