#include "tests/gui/qt/qt_test_support.h"

#include <QApplication>
#include <cstdlib>
#include <mutex>

#include "upgrade_app/resources/artwork.h"
#include "upgrade_app/resources/dialog_templates.h"

namespace tessaly_test {

namespace {

// The one QApplication of the test program, on the offscreen platform: windows are real widgets
// that are laid out and painted, but nothing appears on a screen.
class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "gui_qt_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void RegisterProgramResources() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterDialogTemplates();
    RegisterResourceImages();
  });
}

QtViewTest::QtViewTest() : clock_(std::make_unique<platform::VirtualClock>()) {
  platform::RegisterGuiThread();
  std::string error;
  auto backend = gui::QtBackend::Create(error);
  if (!backend) {
    ADD_FAILURE() << error;
    return;
  }
  backend_ = backend.get();
  ui_ = std::make_unique<platform::ScopedUiBackend>(std::move(backend));
}

QtViewTest::~QtViewTest() = default;

std::size_t QtViewTest::IndexOf(const platform::Dialog& dialog, int control_id) {
  const auto& controls = dialog.Controls();
  for (std::size_t index = 0; index < controls.size(); ++index) {
    if (controls[index]->GetDlgCtrlID() == control_id) {
      return index;
    }
  }
  ADD_FAILURE() << "no control " << control_id;
  return controls.size();
}

QWidget* QtViewTest::WidgetOf(const platform::Dialog& dialog, int control_id) {
  gui::DialogView* view = ViewOf(dialog);
  return view != nullptr ? view->ControlWidget(IndexOf(dialog, control_id)) : nullptr;
}

}  // namespace tessaly_test
