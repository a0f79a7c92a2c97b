#pragma once

// The Qt view of the dialog model: a window for every dialog of the GUI thread, made, changed and
// removed as the model tells. Dialogs of other threads (hidden component hosts) get no window.

#include <QPointer>
#include <map>
#include <thread>
#include <vector>

#include "gui/qt/dialog_view.h"
#include "platform/ui/dialog_observer.h"

namespace gui {

class QtView final : public platform::DialogObserver {
 public:
  // Made on the GUI thread.
  QtView();
  ~QtView() override;

  // GUI thread: removes the windows that are left (the view's end; a notification on another
  // thread may still hold the observer for a moment).
  void RemoveWindows();

  void OnDialogCreated(platform::Dialog& dialog) override;
  void OnDialogClosed(platform::Dialog& dialog, platform::INT_PTR result) override;
  void OnDialogDestroyed(platform::Dialog& dialog) override;
  void OnDialogChanged(platform::Dialog& dialog, platform::DialogChange change) override;
  void OnControlChanged(platform::Dialog& dialog, platform::Control& control,
                        platform::ControlChange change) override;

  // GUI thread only. Null when the handle has no window here.
  DialogView* ViewOf(platform::HWND hwnd) const;
  // The window that a box of `owner` belongs to: the owner's, else the newest one on screen.
  DialogView* WindowFor(platform::HWND owner) const;

 private:
  bool OnGuiThread() const { return std::this_thread::get_id() == gui_thread_; }

  const std::thread::id gui_thread_;
  // Windows in the order their dialogs were made; a window may already have gone with its owner.
  std::vector<std::pair<platform::HWND, QPointer<DialogView>>> views_;
};

}  // namespace gui
