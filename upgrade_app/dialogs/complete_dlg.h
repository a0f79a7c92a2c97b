#pragma once

// The steps that complete the upgrade of a console that is not registered (template 178); OK
// closes it.

#include "platform/ui/dialog.h"
#include "platform/ui/font.h"

class CHLCRComplete : public platform::Dialog {
 public:
  explicit CHLCRComplete(platform::HWND parent = nullptr);

  platform::Font m_fontLarge;
  platform::Font m_fontMedium;
  platform::Font m_fontSmall;

 protected:
  platform::BOOL OnInitDialog() override;
};
