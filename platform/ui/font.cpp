#include "platform/ui/font.h"

namespace platform {

BOOL Font::CreateFont(int height, int /*width*/, int /*escapement*/, int /*orientation*/,
                      int weight, BYTE italic, BYTE underline, BYTE strike_out, BYTE charset,
                      BYTE /*out_precision*/, BYTE /*clip_precision*/, BYTE /*quality*/,
                      BYTE /*pitch_and_family*/, std::string_view face) {
  LogFont description;
  description.face = std::string(face);
  description.height = height;
  description.weight = weight;
  description.italic = italic != 0;
  description.underline = underline != 0;
  description.strike_out = strike_out != 0;
  description.charset = charset;
  return CreateFontIndirect(description);
}

BOOL Font::CreateFontIndirect(const LogFont& description) {
  if (created_) {
    return FALSE;
  }
  description_ = description;
  created_ = true;
  return TRUE;
}

BOOL Font::DeleteObject() {
  if (!created_) {
    return FALSE;
  }
  created_ = false;
  description_ = LogFont{};
  return TRUE;
}

}  // namespace platform
