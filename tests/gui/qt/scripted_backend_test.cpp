// The Qt view driven by the automation script: message boxes and file dialogs appear as Qt
// dialogs and go when the script answers them; one that a person answers first is no longer the
// script's.

#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gui/qt/scripted_qt_backend.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/headless/script.h"
#include "platform/ui/headless/transcript.h"
#include "platform/ui/message_box.h"
#include "tests/gui/qt/qt_test_support.h"

namespace {

namespace fs = std::filesystem;

// Notes the Qt boxes and file dialogs that appear, and the buttons that answer the boxes.
class DialogWatch final : public QObject {
 public:
  DialogWatch() { qApp->installEventFilter(this); }
  DialogWatch(const DialogWatch&) = delete;
  DialogWatch& operator=(const DialogWatch&) = delete;
  ~DialogWatch() override { qApp->removeEventFilter(this); }

  int boxes_shown = 0;
  int file_dialogs_shown = 0;
  std::vector<QMessageBox::StandardButton> pressed;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) {
      return false;
    }
    if (auto* box = qobject_cast<QMessageBox*>(watched)) {
      ++boxes_shown;
      connect(box, &QMessageBox::buttonClicked, this, [this, box](QAbstractButton* button) {
        pressed.push_back(box->standardButton(button));
      });
    } else if (qobject_cast<QFileDialog*>(watched) != nullptr) {
      ++file_dialogs_shown;
    }
    return false;
  }
};

// True while a window of this class is still there.
// A script's answer reaches the program at once; the Qt window goes on the GUI thread's next turn
// of Qt's loop, which is taken here.
template <class Window>
bool AnyLeft() {
  QCoreApplication::processEvents();
  const QWidgetList windows = QApplication::topLevelWidgets();
  return std::any_of(windows.begin(), windows.end(),
                     [](QWidget* window) { return qobject_cast<Window*>(window) != nullptr; });
}

class ScriptedViewTest : public ::testing::Test {
 protected:
  ScriptedViewTest() : clock_(std::make_unique<platform::VirtualClock>()) {
    platform::RegisterGuiThread();
    participant_ = std::make_unique<tessaly_test::ParticipantScope>();
  }
  ~ScriptedViewTest() override {
    ui_.reset();
    participant_.reset();
    std::error_code ignored;
    fs::remove(transcript_path_, ignored);
  }

  // Installs the Qt view driven by `script`.
  void Drive(const std::string& script) {
    std::string error;
    std::unique_ptr<gui::QtBackend> view = gui::QtBackend::Create(error);
    ASSERT_NE(view, nullptr) << error;
    std::shared_ptr<platform::Transcript> transcript =
        platform::Transcript::Open(transcript_path_.string(), error);
    ASSERT_NE(transcript, nullptr) << error;
    platform::ParsedScript parsed = platform::ParseScript(script);
    ASSERT_EQ(parsed.error, "");
    // The end of the run wakes the GUI thread, which may be waiting for it.
    auto ended = [this, gui_thread = platform::GetCurrentThreadId()](int status) {
      exit_status_ = status;
      platform::PostClosure(gui_thread, [] {});
    };
    ui_ = std::make_unique<platform::ScopedUiBackend>(std::make_unique<gui::ScriptedQtBackend>(
        std::move(view), std::make_unique<platform::HeadlessBackend>(
                             std::move(transcript), std::move(parsed.commands), ended)));
  }

  std::vector<std::string> Transcript() const {
    std::vector<std::string> lines;
    std::ifstream file(transcript_path_);
    for (std::string line; std::getline(file, line);) {
      lines.push_back(line);
    }
    return lines;
  }

  std::atomic<int> exit_status_ = -1;

 private:
  platform::ScopedClock clock_;
  std::unique_ptr<tessaly_test::ParticipantScope> participant_;
  fs::path transcript_path_ =
      fs::temp_directory_path() / ("scripted_view_" + std::to_string(::getpid()) + ".txt");
  std::unique_ptr<platform::ScopedUiBackend> ui_;
};

TEST_F(ScriptedViewTest, BoxesAreShownAndGoWhenTheScriptAnswers) {
  DialogWatch watch;
  Drive("answer cancel\n");
  EXPECT_EQ(platform::MessageBox(nullptr, "Erase the flash?", "Halcyra Upgrade",
                                 platform::MB_OKCANCEL | platform::MB_ICONWARNING),
            platform::IDCANCEL);
  EXPECT_FALSE(AnyLeft<QMessageBox>());
  // After the script, a box is answered with its first button.
  EXPECT_EQ(platform::MessageBox(nullptr, "Done", "Halcyra Upgrade", platform::MB_OKCANCEL),
            platform::IDOK);
  EXPECT_FALSE(AnyLeft<QMessageBox>());
  EXPECT_EQ(watch.boxes_shown, 2);
  EXPECT_TRUE(watch.pressed.empty());
  EXPECT_EQ(Transcript(), (std::vector<std::string>{
                              "box thread=gui owner=none caption=\"Halcyra Upgrade\" text=\"Erase "
                              "the flash?\" icon=warning buttons=okcancel answer=cancel",
                              "box thread=gui owner=none caption=\"Halcyra Upgrade\" "
                              "text=\"Done\" icon=none buttons=okcancel answer=ok auto",
                          }));
}

TEST_F(ScriptedViewTest, ABoxAPersonAnswersFirstIsNoLongerTheScripts) {
  DialogWatch watch;
  // The script keeps the box for its `answer`; time stands still until the person has answered.
  Drive("pause 1000\nanswer ok\n");
  platform::GetClock().Join();
  tessaly_test::WhenModalOpens<QMessageBox>(
      [](QMessageBox& box) { box.button(QMessageBox::Cancel)->click(); });
  EXPECT_EQ(
      platform::MessageBox(nullptr, "Erase the flash?", "Halcyra Upgrade", platform::MB_OKCANCEL),
      platform::IDCANCEL);
  platform::GetClock().CancelJoin();
  ASSERT_TRUE(platform::RunModalLoop([this] { return exit_status_ >= 0; }));
  EXPECT_EQ(exit_status_, platform::AutomationDriver::kScriptErrorExitStatus);
  EXPECT_EQ(Transcript(), (std::vector<std::string>{"error line=2 \"no message box is open\""}));
  EXPECT_EQ(watch.pressed, (std::vector{QMessageBox::Cancel}));
}

TEST_F(ScriptedViewTest, AFileDialogGetsTheScriptsPathAsWrittenAndGoes) {
  DialogWatch watch;
  Drive("file \"C:\\\\Images\\\\dsp.bin\"\n");
  platform::FileDialog dialog(platform::TRUE, {}, {}, platform::OFN_FILEMUSTEXIST,
                              "DSP Firmware Files (*.bin)|*.bin||");
  EXPECT_EQ(dialog.DoModal(), platform::IDOK);
  EXPECT_EQ(dialog.GetPathName(), "C:\\Images\\dsp.bin");
  EXPECT_EQ(watch.file_dialogs_shown, 1);
  EXPECT_FALSE(AnyLeft<QFileDialog>());
  EXPECT_EQ(Transcript(),
            (std::vector<std::string>{"file-dialog filter=\"DSP Firmware Files (*.bin)|*.bin||\" "
                                      "answer=\"C:\\\\Images\\\\dsp.bin\""}));
}

}  // namespace
