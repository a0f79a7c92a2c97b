#pragma once

// A dialog template is plain data: the dialog's frame and its controls, positioned in dialog
// units. Templates are registered once under their id, as resources of the program.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ui_constants.h"
#include "platform/win_types.h"

namespace platform {

enum class ControlKind {
  kPushButton,
  kCheckBox,     // toggles itself when clicked
  kRadioButton,  // checks itself and clears the others of its group when clicked
  kStatic,
  kGroupBox,
  kEdit,
  kComboBox,  // a drop-down list: the user picks one of the items, types nothing
  kProgressBar,
  kPicture,  // shows the image resource of the template
  kCustom,   // hosts a component named by `class_id`
};

enum class ControlStyle : std::uint32_t {
  kNone = 0,
  kDefaultButton = 1U << 0U,
  kRightAligned = 1U << 1U,
  kMultiLine = 1U << 2U,
  kReadOnly = 1U << 3U,
  kVerticalScroll = 1U << 4U,
  kAutoVerticalScroll = 1U << 5U,
  kSmooth = 1U << 6U,
  kHidden = 1U << 7U,
  kDisabled = 1U << 8U,
  kGroup = 1U << 9U,  // the first control of a group (radio buttons up to the next group)
  kTabStop = 1U << 10U,
  kBorder = 1U << 11U,
};

enum class DialogStyle : std::uint32_t {
  kNone = 0,
  kCaption = 1U << 0U,
  kSystemMenu = 1U << 1U,
  kModalFrame = 1U << 2U,
  kVisible = 1U << 3U,
  kChild = 1U << 4U,
  kAppWindow = 1U << 5U,  // shown in the task bar
};

template <class Flags>
constexpr Flags CombineFlags(Flags left, Flags right) {
  return static_cast<Flags>(static_cast<std::uint32_t>(left) | static_cast<std::uint32_t>(right));
}
constexpr ControlStyle operator|(ControlStyle left, ControlStyle right) {
  return CombineFlags(left, right);
}
constexpr DialogStyle operator|(DialogStyle left, DialogStyle right) {
  return CombineFlags(left, right);
}
constexpr bool HasFlag(ControlStyle set, ControlStyle flag) {
  return (static_cast<std::uint32_t>(set) & static_cast<std::uint32_t>(flag)) != 0;
}
constexpr bool HasFlag(DialogStyle set, DialogStyle flag) {
  return (static_cast<std::uint32_t>(set) & static_cast<std::uint32_t>(flag)) != 0;
}

// Position and size in dialog units.
struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct ControlTemplate {
  int id = IDC_STATIC;
  ControlKind kind = ControlKind::kStatic;
  std::string text;
  DialogRect rect;
  ControlStyle style = ControlStyle::kNone;
  UINT image_resource = 0;  // picture: the bitmap or icon shown
  std::string class_id;     // custom control: the component it hosts
};

struct DialogFont {
  std::string face;
  int point_size = 0;
};

struct DialogTemplate {
  UINT id = 0;
  std::string title;
  DialogFont font;
  int width = 0;  // dialog units
  int height = 0;
  DialogStyle style = DialogStyle::kNone;
  std::vector<ControlTemplate> controls;
};

// Registers (or replaces) the template under its id. Any thread.
void RegisterDialogTemplate(DialogTemplate dialog_template);
// A copy of the registered template, or nothing when the id is unknown.
std::optional<DialogTemplate> FindDialogTemplate(UINT id);

}  // namespace platform
