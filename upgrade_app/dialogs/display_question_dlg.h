#pragma once

// The questions after an upgrade about what the console's display shows: a text, a group of
// radio buttons and Next. Next without a choice asks for one; with one, the dialog closes and its
// follow-up is shown (before the dialog's modal loop has ended).

#include "platform/ui/dialog.h"
#include "platform/ui/font.h"
#include "platform/win_types.h"

class CDisplayQuestionDlg : public platform::Dialog {
 public:
  static constexpr int kNoChoice = -1;

  platform::Font m_fontBold;
  int m_nChoice = kNoChoice;

 protected:
  struct Layout {
    platform::UINT template_id;
    int text_control;
    platform::UINT text;
    int first_radio;
    int radio_count;
  };

  CDisplayQuestionDlg(const Layout& layout, platform::HWND parent);

  platform::BOOL OnInitDialog() override;
  void DoDataExchange(platform::DataExchange& exchange) override;

  // Reads the choice. Without one the user is asked to choose and the dialog stays: false.
  bool TakeChoice();
  // Closes the dialog as its close box does; the caller goes on inside the modal loop.
  void CloseFirst();

 private:
  Layout layout_;
};

// The answer for a console that shows "Ready" or "No Signal", over the main window.
void ShowDisplayAnswer(platform::UINT text);
