#pragma once

// The console still searches for the base station (template 1095): ask again once the display has
// settled.

#include "platform/ui/message_map.h"
#include "upgrade_app/dialogs/display_question_dlg.h"

class CSearchingDlg : public CDisplayQuestionDlg {
 public:
  explicit CSearchingDlg(platform::HWND parent = nullptr);

 protected:
  bool RouteMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                    platform::LRESULT& result) override;

 private:
  using Map = platform::MessageMap<CSearchingDlg>;
  static const Map kMessageMap;

  void OnNext();
};
