#pragma once

// The question after a successful upgrade (template 1089): what does the console's display show?

#include "platform/ui/message_map.h"
#include "upgrade_app/dialogs/display_question_dlg.h"

class COptionsDlg : public CDisplayQuestionDlg {
 public:
  explicit COptionsDlg(platform::HWND parent = nullptr);

 protected:
  bool RouteMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                    platform::LRESULT& result) override;

 private:
  using Map = platform::MessageMap<COptionsDlg>;
  static const Map kMessageMap;

  void OnNext();
};
