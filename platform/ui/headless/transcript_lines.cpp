#include "platform/ui/headless/transcript_lines.h"

#include <array>
#include <cstdio>

#include "platform/ui/button.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless/text_escape.h"
#include "platform/ui/progress_bar.h"

namespace platform {

namespace {

std::string_view IconName(UINT flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
      return "error";
    case MB_ICONSTOP:
      return "stop";
    case MB_ICONWARNING:
      return "warning";
    case MB_ICONINFORMATION:
      return "information";
    case MB_ICONQUESTION:
      return "question";
    default:
      return "none";
  }
}

std::string_view ButtonsName(UINT flags) {
  return (flags & MB_TYPEMASK) == MB_OKCANCEL ? "okcancel" : "ok";
}

std::string_view Flag(bool value) { return value ? "1" : "0"; }

std::string ColorText(COLORREF color) {
  std::array<char, sizeof("#rrggbb")> text{};
  std::snprintf(text.data(), text.size(), "#%02x%02x%02x", GetRValue(color), GetGValue(color),
                GetBValue(color));
  return text.data();
}

std::string KindFields(const Control& control) {
  if (const auto* progress = dynamic_cast<const ProgressBar*>(&control)) {
    return " pos=" + std::to_string(progress->GetPos()) +
           " range=" + std::to_string(progress->GetRangeLower()) + ".." +
           std::to_string(progress->GetRangeUpper());
  }
  if (const auto* combo = dynamic_cast<const ComboBox*>(&control)) {
    std::string items;
    for (const std::string& item : combo->Items()) {
      items += (items.empty() ? "" : "|") + item;
    }
    return " sel=" + std::to_string(combo->GetCurSel()) + " items=" + QuoteText(items) +
           (combo->GetDroppedState() != FALSE ? " dropped=1" : "");
  }
  if (control.Kind() == ControlKind::kCheckBox || control.Kind() == ControlKind::kRadioButton) {
    return " check=" + std::to_string(static_cast<const Button&>(control).GetCheck());
  }
  return {};
}

}  // namespace

std::string FormatBoxLine(const MessageBoxRequest& request, int answer, bool automatic) {
  std::string line = "box thread=";
  line += ThreadRoleName(request.thread);
  line += " owner=" + (request.owner_template ? std::to_string(*request.owner_template) : "none");
  line += " caption=" + QuoteText(request.caption);
  line += " text=" + QuoteText(request.text);
  line += " icon=";
  line += IconName(request.flags);
  line += " buttons=";
  line += ButtonsName(request.flags);
  line += answer == IDCANCEL ? " answer=cancel" : " answer=ok";
  if (automatic) {
    line += " auto";
  }
  return line;
}

std::string FormatFileDialogLine(const FileDialogRequest& request, const FileDialogAnswer& answer,
                                 bool automatic) {
  std::string line = "file-dialog filter=" + QuoteText(request.filter);
  line += " answer=" + (answer ? QuoteText(*answer) : "cancel");
  if (automatic) {
    line += " auto";
  }
  return line;
}

std::string FormatShellLine(const ShellRequest& request) {
  return "shell " + request.verb + " " + QuoteText(request.file);
}

std::string FormatDialogOpenLine(UINT template_id) {
  return "dialog open " + std::to_string(template_id);
}

std::string FormatDialogCloseLine(UINT template_id, INT_PTR result) {
  return "dialog close " + std::to_string(template_id) + " result=" + std::to_string(result);
}

std::string FormatControlLine(Dialog& dialog, const Control& control) {
  std::string line = "control " + std::to_string(control.GetDlgCtrlID());
  line += " text=" + QuoteText(control.GetWindowText());
  line += " enabled=";
  line += Flag(control.IsWindowEnabled() != FALSE);
  line += " visible=";
  line += Flag(control.IsWindowVisible() != FALSE);
  line += KindFields(control);
  if (const auto color = dialog.ColorsOf(control).TextColor()) {
    line += " color=" + ColorText(*color);
  }
  return line;
}

std::string FormatWindowLine(const Dialog& dialog) {
  return "window " + std::to_string(dialog.GetTemplateId()) +
         " title=" + QuoteText(dialog.GetWindowText());
}

std::string FormatExitLine(int exit_code) { return "exit code=" + std::to_string(exit_code); }

std::string FormatTimeLine(Millis now) { return "time ms=" + std::to_string(now); }

std::string FormatErrorLine(int script_line, std::string_view message) {
  return "error line=" + std::to_string(script_line) + " " + QuoteText(message);
}

std::string FormatIgnoredLine(int script_line, std::string_view reason) {
  return "ignored line=" + std::to_string(script_line) + " " + QuoteText(reason);
}

}  // namespace platform
