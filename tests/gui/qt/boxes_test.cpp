// Message boxes and the file-open dialog as Qt dialogs, asked from the GUI thread and from a
// worker thread.

#include <unistd.h>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/thread/win_thread.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"
#include "tests/gui/qt/qt_test_support.h"

namespace {

class BoxesTest : public tessaly_test::QtViewTest {};

TEST_F(BoxesTest, ABoxOfTheGuiThreadShowsIconTextAndButtons) {
  bool seen = false;
  tessaly_test::WhenModalOpens<QMessageBox>([&](QMessageBox& box) {
    seen = true;
    EXPECT_EQ(box.icon(), QMessageBox::Critical);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Halcyra Software Upgrade"));
    EXPECT_EQ(box.text(), QStringLiteral("Windows directory not found!\n"));
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
    box.button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(platform::MessageBox(nullptr, "Windows directory not found!\r\n",
                                 "Halcyra Software Upgrade", platform::MB_ICONSTOP),
            platform::IDOK);
  EXPECT_TRUE(seen);
}

// A worker that asks one question and keeps the answer.
class AskingWorker final : public platform::WinThread {
 public:
  explicit AskingWorker(std::shared_ptr<std::atomic<int>> answer) : answer_(std::move(answer)) {}

  platform::BOOL InitInstance() override {
    *answer_ = platform::MessageBox(nullptr, "Erase the flash?", "Halcyra Upgrade",
                                    platform::MB_OKCANCEL | platform::MB_ICONWARNING);
    return platform::FALSE;
  }

 private:
  std::shared_ptr<std::atomic<int>> answer_;
};

TEST_F(BoxesTest, AWorkersBoxIsShownByTheGuiThreadWhileTheWorkerWaits) {
  auto answer = std::make_shared<std::atomic<int>>(-1);
  auto* worker = new AskingWorker(answer);  // deletes itself when it ends
  const auto end = worker->End();
  tessaly_test::WhenModalOpens<QMessageBox>([&](QMessageBox& box) {
    EXPECT_EQ(box.icon(), QMessageBox::Warning);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(answer->load(), -1);  // the worker still waits
    box.button(QMessageBox::Cancel)->click();
  });
  worker->CreateThread();
  ASSERT_TRUE(end->WaitFor(std::nullopt));
  EXPECT_EQ(answer->load(), platform::IDCANCEL);
}

// A worker whose box is taken away unanswered when it is told to quit.
class WithdrawnWorker final : public platform::WinThread {
 public:
  platform::BOOL InitInstance() override {
    platform::MessageBox(nullptr, "Waiting", "Halcyra Upgrade", platform::MB_OK);
    return platform::FALSE;
  }
};

TEST_F(BoxesTest, ABoxWhoseThreadQuitsIsWithdrawn) {
  auto* worker = new WithdrawnWorker;
  const auto end = worker->End();
  bool gone = false;
  const platform::DWORD gui_thread = platform::GetCurrentThreadId();
  tessaly_test::WhenModalOpens<QMessageBox>([&](QMessageBox& box) {
    QObject::connect(&box, &QObject::destroyed, [&gone, gui_thread] {
      platform::PostClosure(gui_thread, [&gone] { gone = true; });
    });
    platform::PostClosure(worker->ThreadId(), [] { platform::PostQuitMessage(0); });
  });
  worker->CreateThread();
  ASSERT_TRUE(end->WaitFor(std::nullopt));
  RunUntil([&gone] { return gone; });
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(BoxesTest, TheFileDialogOffersTheProgramsFilterAndGivesThePathChosen) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("gui_qt_file_dialog_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path image = folder / "QVX.CON.01.607.bin";
  std::ofstream(image) << "image";

  tessaly_test::WhenModalOpens<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.nameFilters(), QStringList({"DSP Firmware Files (*.bin)", "All Files (*)"}));
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    dialog.selectFile(QString::fromStdString(image.string()));
    static_cast<QDialog&>(dialog).accept();
  });
  platform::FileDialog dialog(platform::TRUE, {}, {}, 0x1806,
                              "DSP Firmware Files (*.bin)|*.bin|All Files (*.*)|*.*||");
  EXPECT_EQ(dialog.DoModal(), platform::IDOK);
  EXPECT_EQ(dialog.GetPathName(), image.string());

  tessaly_test::WhenModalOpens<QFileDialog>([](QFileDialog& cancelled) { cancelled.reject(); });
  EXPECT_EQ(dialog.DoModal(), platform::IDCANCEL);
  EXPECT_EQ(dialog.GetPathName(), "");
  std::filesystem::remove_all(folder);
}

}  // namespace
