#pragma once

// Views (and the headless transcript) learn of every dialog and every change through this
// interface. Calls come on the thread that owns the dialog; the logic never depends on a view.

#include <memory>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/ui_constants.h"

namespace platform {

class Dialog;

enum class DialogChange {
  kTitle,
  kVisible,
  kEnabled,
  kFont,
  kIcon,
  kSystemMenu,
};

class DialogObserver {
 public:
  DialogObserver() = default;
  DialogObserver(const DialogObserver&) = delete;
  DialogObserver& operator=(const DialogObserver&) = delete;
  virtual ~DialogObserver() = default;

  // The window exists with its controls, before WM_INITDIALOG.
  virtual void OnDialogCreated(Dialog& /*dialog*/) {}
  // The dialog has left the screen: EndDialog of a modal dialog, or the window's end.
  virtual void OnDialogClosed(Dialog& /*dialog*/, INT_PTR /*result*/) {}
  // The window is about to go; its controls still exist.
  virtual void OnDialogDestroyed(Dialog& /*dialog*/) {}
  virtual void OnDialogChanged(Dialog& /*dialog*/, DialogChange /*change*/) {}
  virtual void OnControlChanged(Dialog& /*dialog*/, Control& /*control*/,
                                ControlChange /*change*/) {}
};

void AddDialogObserver(std::shared_ptr<DialogObserver> observer);
void RemoveDialogObserver(const DialogObserver* observer);

namespace detail {
std::shared_ptr<const std::vector<std::shared_ptr<DialogObserver>>> CurrentDialogObservers();
}  // namespace detail

// For the dialog model: calls `notify` for every observer registered now.
template <class Notify>
void NotifyDialogObservers(Notify&& notify) {
  const auto observers = detail::CurrentDialogObservers();
  for (const auto& observer : *observers) {
    notify(*observer);
  }
}

}  // namespace platform
