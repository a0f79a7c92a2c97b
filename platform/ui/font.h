#pragma once

// A font as the program creates it. Controls keep a copy of the description, so a font object
// may go away while a control still shows text in it.

#include <string>
#include <string_view>

#include "platform/ui/ui_constants.h"
#include "platform/win_types.h"

namespace platform {

struct LogFont {
  std::string face;
  int height = 0;      // logical units; negative: the character height without leading
  int point_size = 0;  // used instead of `height` by a dialog template's font
  int weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  BYTE charset = 0;

  bool operator==(const LogFont& other) const = default;
};

class Font {
 public:
  Font() = default;

  // The framework's full creation call; width, escapement, orientation, precision, quality and
  // pitch have no effect on how a view draws the text and are not kept.
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                  BYTE underline, BYTE strike_out, BYTE charset, BYTE out_precision,
                  BYTE clip_precision, BYTE quality, BYTE pitch_and_family, std::string_view face);
  BOOL CreateFontIndirect(const LogFont& description);
  BOOL DeleteObject();

  bool IsCreated() const { return created_; }
  const LogFont& GetLogFont() const { return description_; }

 private:
  LogFont description_;
  bool created_ = false;
};

}  // namespace platform
