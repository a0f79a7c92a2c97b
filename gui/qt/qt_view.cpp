#include "gui/qt/qt_view.h"

#include <algorithm>

namespace gui {

QtView::QtView() : gui_thread_(std::this_thread::get_id()) {}

QtView::~QtView() {
  if (OnGuiThread()) {
    RemoveWindows();
  }
}

void QtView::RemoveWindows() {
  // Newest first: an owned window goes before its owner would take it along.
  for (auto entry = views_.rbegin(); entry != views_.rend(); ++entry) {
    delete entry->second.data();
  }
  views_.clear();
}

DialogView* QtView::ViewOf(platform::HWND hwnd) const {
  const auto found = std::find_if(views_.begin(), views_.end(),
                                  [hwnd](const auto& entry) { return entry.first == hwnd; });
  return found == views_.end() ? nullptr : found->second.data();
}

DialogView* QtView::WindowFor(platform::HWND owner) const {
  if (DialogView* view = ViewOf(owner); view != nullptr && view->isVisible()) {
    return view;
  }
  for (auto entry = views_.rbegin(); entry != views_.rend(); ++entry) {
    if (entry->second && entry->second->isVisible()) {
      return entry->second.data();
    }
  }
  return nullptr;
}

void QtView::OnDialogCreated(platform::Dialog& dialog) {
  if (!OnGuiThread()) {
    return;
  }
  QWidget* owner = ViewOf(dialog.GetParentHwnd());
  if (owner == nullptr && dialog.IsModal()) {
    // A modal dialog without a parent belongs to the window the user works in.
    owner = WindowFor(nullptr);
  }
  views_.emplace_back(dialog.GetSafeHwnd(), QPointer<DialogView>(new DialogView(dialog, owner)));
}

void QtView::OnDialogClosed(platform::Dialog& dialog, platform::INT_PTR /*result*/) {
  if (!OnGuiThread()) {
    return;
  }
  if (DialogView* view = ViewOf(dialog.GetSafeHwnd())) {
    view->LeaveScreen();
  }
}

void QtView::OnDialogDestroyed(platform::Dialog& dialog) {
  if (!OnGuiThread()) {
    return;
  }
  const auto found = std::find_if(views_.begin(), views_.end(), [&](const auto& entry) {
    return entry.first == dialog.GetSafeHwnd();
  });
  if (found != views_.end()) {
    delete found->second.data();
    views_.erase(found);
  }
}

void QtView::OnDialogChanged(platform::Dialog& dialog, platform::DialogChange change) {
  if (!OnGuiThread()) {
    return;
  }
  if (DialogView* view = ViewOf(dialog.GetSafeHwnd())) {
    view->FollowDialog(change);
  }
}

void QtView::OnControlChanged(platform::Dialog& dialog, platform::Control& control,
                              platform::ControlChange change) {
  if (!OnGuiThread()) {
    return;
  }
  if (DialogView* view = ViewOf(dialog.GetSafeHwnd())) {
    view->FollowControl(control, change);
  }
}

}  // namespace gui
