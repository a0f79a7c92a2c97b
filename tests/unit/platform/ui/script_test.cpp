// The automation script's reader, the escapes of quoted texts and the transcript's lines.

#include <gtest/gtest.h>

#include "platform/ui/combo_box.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless/script.h"
#include "platform/ui/headless/text_escape.h"
#include "platform/ui/headless/transcript_lines.h"
#include "platform/ui/progress_bar.h"
#include "tests/unit/platform/ui/ui_test_support.h"

namespace {

using namespace platform;
using tessaly_test::MakeControl;
using tessaly_test::MakeTemplate;

TEST(TextEscapeTest, QuotesAndReadsBackEveryEscape) {
  const std::string text = "a\r\nb\t\"q\" \\ \x01\x7f end";
  const std::string quoted = QuoteText(text);
  EXPECT_EQ(quoted, R"("a\r\nb\t\"q\" \\ \x01\x7F end")");
  std::string error;
  EXPECT_EQ(UnescapeText(quoted.substr(1, quoted.size() - 2), error), text);
}

TEST(TextEscapeTest, RefusesUnknownAndCutEscapes) {
  std::string error;
  EXPECT_FALSE(UnescapeText(R"(\q)", error));
  EXPECT_FALSE(UnescapeText(R"(\x4)", error));
  EXPECT_FALSE(UnescapeText("end\\", error));
}

TEST(ScriptTest, ReadsEveryCommand) {
  const ParsedScript script = ParseScript(
      "# a comment line\n"
      "\n"
      "wait dialog 1063   # trailing comment\n"
      "click 0x3F6\n"
      "select 1039 \"UPD_SEND_CVM_HEADER\"\n"
      "answer ok\r\n"
      "answer cancel\n"
      "file \"/tmp/a #1.hex\"\n"
      "file cancel\n"
      "wait idle\n"
      "dump 0\n"
      "pause 2500\n"
      "close\n"
      "sysmenu 16\n"
      "time   # the clock\n");
  ASSERT_EQ(script.error, "");
  ASSERT_EQ(script.commands.size(), 13U);
  const auto& commands = script.commands;
  EXPECT_EQ(commands[0].kind, CommandKind::kWaitDialog);
  EXPECT_EQ(commands[0].number, 1063);
  EXPECT_EQ(commands[0].line, 3);
  EXPECT_EQ(commands[1].kind, CommandKind::kClick);
  EXPECT_EQ(commands[1].number, 1014);
  EXPECT_EQ(commands[2].kind, CommandKind::kSelect);
  EXPECT_EQ(commands[2].text, "UPD_SEND_CVM_HEADER");
  EXPECT_TRUE(commands[3].ok);
  EXPECT_FALSE(commands[4].ok);
  EXPECT_EQ(commands[5].text, "/tmp/a #1.hex") << "a # inside quotes is text";
  EXPECT_TRUE(commands[5].ok);
  EXPECT_FALSE(commands[6].ok);
  EXPECT_EQ(commands[7].kind, CommandKind::kWaitIdle);
  EXPECT_EQ(commands[8].kind, CommandKind::kDump);
  EXPECT_EQ(commands[8].number, 0);
  EXPECT_EQ(commands[9].number, 2500);
  EXPECT_EQ(commands[10].kind, CommandKind::kClose);
  EXPECT_EQ(commands[11].kind, CommandKind::kSystemMenu);
  EXPECT_EQ(commands[12].kind, CommandKind::kTime);
}

TEST(ScriptTest, DumpTimeClickAndSelectCanActWithoutSettling) {
  const ParsedScript script = ParseScript(
      "dump 1000 now\ntime now\nclick 1023 now\nselect 1039 \"UPD_ENABLE_USB\" now\n"
      "dump 1000\ntime\nclick 1023\nselect 1039 \"UPD_ENABLE_USB\"\n");
  ASSERT_EQ(script.error, "");
  ASSERT_EQ(script.commands.size(), 8U);
  const auto& commands = script.commands;
  EXPECT_EQ(commands[0].kind, CommandKind::kDump);
  EXPECT_EQ(commands[0].number, 1000);
  EXPECT_EQ(commands[1].kind, CommandKind::kTime);
  EXPECT_EQ(commands[2].kind, CommandKind::kClick);
  EXPECT_EQ(commands[2].number, 1023);
  EXPECT_EQ(commands[3].kind, CommandKind::kSelect);
  EXPECT_EQ(commands[3].number, 1039);
  EXPECT_EQ(commands[3].text, "UPD_ENABLE_USB");
  for (std::size_t index = 0; index < commands.size(); ++index) {
    EXPECT_EQ(commands[index].settle, index >= 4) << "line " << commands[index].line;
  }
}

TEST(ScriptTest, NamesTheLineOfTheFirstMistake) {
  struct Case {
    const char* script;
    int line;
  };
  for (const Case& bad :
       {Case{"click 1\nklick 2\n", 2}, Case{"select 1039 UPD\n", 1}, Case{"wait\n", 1},
        Case{"answer yes\n", 1}, Case{"dump\n", 1}, Case{"close now\n", 1},
        Case{"file \"/tmp/x\n", 1}, Case{"pause -5\n", 1}, Case{"time 5\n", 1},
        Case{"time later\n", 1}, Case{"dump 3 soon\n", 1}, Case{"dump 3 now now\n", 1},
        Case{"click 3 soon\n", 1}, Case{"click 3 now now\n", 1}, Case{"select 1 \"A\" later\n", 1},
        Case{"select 1 \"A\" now now\n", 1}, Case{"pause 5 now\n", 1},
        Case{"\n\nselect 1 \"bad \\q\"\n", 3}}) {
    const ParsedScript script = ParseScript(bad.script);
    EXPECT_NE(script.error, "") << bad.script;
    EXPECT_EQ(script.error_line, bad.line) << bad.script;
    EXPECT_TRUE(script.commands.empty());
  }
}

TEST(TranscriptLinesTest, BoxAndFileDialogLines) {
  MessageBoxRequest box;
  box.thread = ThreadRole::kWorker;
  box.caption = "Halcyra Upgrade";
  box.text = "Exception catched in SendUSBCommand\n";
  box.flags = MB_OK | MB_ICONERROR;
  EXPECT_EQ(FormatBoxLine(box, IDOK, true),
            "box thread=worker owner=none caption=\"Halcyra Upgrade\" "
            "text=\"Exception catched in SendUSBCommand\\n\" icon=error buttons=ok answer=ok auto");
  box.thread = ThreadRole::kGui;
  box.owner_template = 1063;
  box.flags = MB_OKCANCEL | MB_ICONINFORMATION;
  EXPECT_EQ(FormatBoxLine(box, IDCANCEL, false),
            "box thread=gui owner=1063 caption=\"Halcyra Upgrade\" "
            "text=\"Exception catched in SendUSBCommand\\n\" icon=information buttons=okcancel "
            "answer=cancel");
  box.flags = MB_ICONSTOP;
  EXPECT_NE(FormatBoxLine(box, IDOK, false).find(" icon=stop "), std::string::npos);
  box.flags = MB_ICONWARNING;
  EXPECT_NE(FormatBoxLine(box, IDOK, false).find(" icon=warning "), std::string::npos);
  box.flags = MB_OK;
  EXPECT_NE(FormatBoxLine(box, IDOK, false).find(" icon=none "), std::string::npos);

  FileDialogRequest file;
  file.filter = "All Files (*.*)|*.*||";
  EXPECT_EQ(FormatFileDialogLine(file, "/tmp/x.bin", false),
            "file-dialog filter=\"All Files (*.*)|*.*||\" answer=\"/tmp/x.bin\"");
  EXPECT_EQ(FormatFileDialogLine(file, std::nullopt, true),
            "file-dialog filter=\"All Files (*.*)|*.*||\" answer=cancel auto");
}

class RedTitleDialog : public Dialog {
 public:
  RedTitleDialog()
      : Dialog(MakeTemplate(
            1063, {MakeControl(1056, ControlKind::kStatic, "IMPORTANT"),
                   MakeControl(1008, ControlKind::kProgressBar),
                   MakeControl(1039, ControlKind::kComboBox),
                   MakeControl(1038, ControlKind::kCheckBox, "&Show Status", ControlStyle::kHidden),
                   MakeControl(1014, ControlKind::kPushButton, "Upgrade")})) {}

 protected:
  void OnCtlColor(ControlColors& colors, const Control& control) override {
    if (control.GetDlgCtrlID() == 1056) {
      colors.SetTextColor(RGB(255, 0, 0));
      colors.SetBkMode(TRANSPARENT);
    }
  }
};

using ControlLineTest = tessaly_test::UiTest;

TEST_F(ControlLineTest, ControlLinesCarryTheFieldsOfTheirKind) {
  RedTitleDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.GetDlgItemAs<ProgressBar>(1008)->SetRange32(0, 2432);
  dialog.GetDlgItemAs<ProgressBar>(1008)->SetPos(1216);
  auto& list = *dialog.GetDlgItemAs<ComboBox>(1039);
  list.AddString("DSP Firmware");
  list.AddString("CPLD Firmware");
  list.SetCurSel(1);
  dialog.GetDlgItem(1014)->EnableWindow(FALSE);

  EXPECT_EQ(FormatControlLine(dialog, *dialog.GetDlgItem(1056)),
            "control 1056 text=\"IMPORTANT\" enabled=1 visible=1 color=#ff0000");
  EXPECT_EQ(FormatControlLine(dialog, *dialog.GetDlgItem(1008)),
            "control 1008 text=\"\" enabled=1 visible=1 pos=1216 range=0..2432");
  EXPECT_EQ(FormatControlLine(dialog, *dialog.GetDlgItem(1039)),
            "control 1039 text=\"CPLD Firmware\" enabled=1 visible=1 sel=1 "
            "items=\"DSP Firmware|CPLD Firmware\"");
  list.ShowDropDown(TRUE);
  EXPECT_EQ(FormatControlLine(dialog, *dialog.GetDlgItem(1039)),
            "control 1039 text=\"CPLD Firmware\" enabled=1 visible=1 sel=1 "
            "items=\"DSP Firmware|CPLD Firmware\" dropped=1");
  list.ChooseItem(0);
  EXPECT_EQ(FormatControlLine(dialog, *dialog.GetDlgItem(1039)),
            "control 1039 text=\"DSP Firmware\" enabled=1 visible=1 sel=0 "
            "items=\"DSP Firmware|CPLD Firmware\"");
  EXPECT_EQ(FormatControlLine(dialog, *dialog.GetDlgItem(1038)),
            "control 1038 text=\"&Show Status\" enabled=1 visible=0 check=0");
  EXPECT_EQ(FormatControlLine(dialog, *dialog.GetDlgItem(1014)),
            "control 1014 text=\"Upgrade\" enabled=0 visible=1");
  dialog.SetWindowText("Welcome to Halcyra Software Upgrade4.7.0.0");
  EXPECT_EQ(FormatWindowLine(dialog),
            "window 1063 title=\"Welcome to Halcyra Software Upgrade4.7.0.0\"");
  EXPECT_EQ(FormatTimeLine(20000), "time ms=20000");
}

}  // namespace
