// Linked into programs that offer the Qt view: makes "qt" a choice of TESSALY_UI before main.

#include "gui/qt/qt_backend.h"

namespace {

const bool kRegistered = [] {
  gui::RegisterQtUi();
  return true;
}();

}  // namespace
