// tessaly in the Qt view (offscreen, virtual time) driven by the automation script: the run goes
// as the headless run goes, and the windows are saved as the run shows them.

#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "tests/e2e/app/tessaly_process.h"
#include "tests/gui/qt/red_pixels.h"

namespace {

using tessaly_e2e::Environment;
using tessaly_e2e::RunResult;
using tessaly_e2e::TessalyRoot;
using tessaly_test::RedPixels;

constexpr char kGuidedUpgrade[] =
    "click 1014\nwait dialog 1089\ntime\nclick 1091\nclick 1090\nanswer ok\nclick 1\n";
// No console answers: the resets fail (boxes of the worker) and the recovery dialog comes.
constexpr char kRecovery[] = "click 1014\nwait dialog 177\ntime\nclose\nwait idle\nclose\n";

Environment InQtView(Environment environment) {
  environment["TESSALY_UI"] = "qt";
  environment["QT_QPA_PLATFORM"] = "offscreen";
  return environment;
}

TEST(ScriptedQtRunTest, AGuidedUpgradeInTheViewGoesAsTheHeadlessOne) {
  const TessalyRoot headless_root;
  const RunResult headless = headless_root.Run(kGuidedUpgrade, headless_root.Scenario("[{}]"));
  ASSERT_EQ(headless.exit_status, 0);

  const TessalyRoot view_root;
  const RunResult in_view = view_root.Run(kGuidedUpgrade, InQtView(view_root.Scenario("[{}]")));
  EXPECT_EQ(in_view.exit_status, 0);
  EXPECT_EQ(in_view.transcript, headless.transcript);
  EXPECT_EQ(view_root.Record(), headless_root.Record());
}

TEST(ScriptedQtRunTest, TheRecoveryDialogIsSavedAsTheRunShowsIt) {
  const TessalyRoot headless_root;
  const RunResult headless = headless_root.Run(kRecovery, headless_root.Scenario("[]"));
  ASSERT_EQ(headless.exit_status, 0);

  const TessalyRoot view_root;
  Environment environment = InQtView(view_root.Scenario("[]"));
  const tessaly_e2e::fs::path pictures = view_root.Path() / "pictures";
  environment["TESSALY_QT_SCREENSHOTS"] = pictures.string();
  const RunResult in_view = view_root.Run(kRecovery, environment);
  EXPECT_EQ(in_view.exit_status, 0);
  EXPECT_EQ(in_view.transcript, headless.transcript);

  const QImage wizard(QString::fromStdString((pictures / "1063-1.png").string()));
  const QImage recovery(QString::fromStdString((pictures / "177-1.png").string()));
  ASSERT_FALSE(wizard.isNull());
  ASSERT_FALSE(recovery.isNull());
  // Each window once: the recovery dialog is shown once in this run.
  EXPECT_FALSE(tessaly_e2e::fs::exists(pictures / "177-2.png"));
  // The caution line is red; nothing of the wizard is.
  EXPECT_GT(RedPixels(recovery), 0);
  EXPECT_EQ(RedPixels(wizard), 0);
}

}  // namespace
