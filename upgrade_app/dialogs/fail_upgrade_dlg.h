#pragma once

// The recovery dialog after a failed upgrade (template 177): depending on what the console's
// display shows, the user starts the boot-block recovery or sends the application image again.
// However it ends, the main window may show it again; ended without a choice (Esc, close box),
// it gives the main window's way out back, since no flow follows.

#include "platform/ui/control.h"
#include "platform/ui/dialog.h"
#include "platform/ui/font.h"
#include "platform/ui/message_map.h"

class CHLCRFailUpgrade : public platform::Dialog {
 public:
  explicit CHLCRFailUpgrade(platform::HWND parent = nullptr);

  platform::Font m_fontBold;
  platform::Control* m_staticCaution = nullptr;
  platform::Control* m_staticReadyText = nullptr;
  platform::Control* m_staticEraseText = nullptr;

 protected:
  platform::BOOL OnInitDialog() override;
  void DoDataExchange(platform::DataExchange& exchange) override;
  void OnCtlColor(platform::ControlColors& colors, const platform::Control& control) override;
  void OnCancel() override;
  bool RouteMessage(platform::UINT message, platform::WPARAM wParam, platform::LPARAM lParam,
                    platform::LRESULT& result) override;

 private:
  using Map = platform::MessageMap<CHLCRFailUpgrade>;
  static const Map kMessageMap;

  void OnBootROMUpgrade();
  void OnApplicationUpgrade();
  // Hands the choice to the main window and closes with OK.
  void LeadOn(platform::UINT message);
};
