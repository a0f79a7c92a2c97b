#include "upgrade_app/dialogs/options_dlg.h"

#include "upgrade_app/dialogs/complete_dlg.h"
#include "upgrade_app/dialogs/dialog_support.h"
#include "upgrade_app/dialogs/searching_dlg.h"
#include "upgrade_app/resources/resource_ids.h"

namespace {

// The radio buttons in their order.
enum Choice { kReady, kSearching, kNoSignal, kNotRegistered };

constexpr int kChoices = 4;

}  // namespace

const COptionsDlg::Map COptionsDlg::kMessageMap{
    Map::Button(IDC_OPTIONS_NEXT, &COptionsDlg::OnNext),
};

COptionsDlg::COptionsDlg(platform::HWND parent)
    : CDisplayQuestionDlg({IDD_OPTIONS_DIALOG, IDC_OPTIONS_HEADING, IDS_READ_INSTRUCTIONS,
                           IDC_OPTION_READY, kChoices},
                          parent) {}

bool COptionsDlg::RouteMessage(platform::UINT message, platform::WPARAM wParam,
                               platform::LPARAM lParam, platform::LRESULT& result) {
  return kMessageMap.Route(*this, message, wParam, lParam, result);
}

void COptionsDlg::OnNext() {
  if (!TakeChoice()) return;
  CloseFirst();
  switch (m_nChoice) {
    case kReady:
      ShowDisplayAnswer(IDS_PHONE_READY);
      break;
    case kSearching: {
      CSearchingDlg searching(ThreadMainWindow());
      searching.DoModal();
      break;
    }
    case kNoSignal:
      ShowDisplayAnswer(IDS_PHONE_NOT_REGISTERED);
      break;
    case kNotRegistered: {
      CHLCRComplete complete(ThreadMainWindow());
      complete.DoModal();
      break;
    }
    default:
      break;
  }
}
