#pragma once

// Handlers run their body under the framework's exception handling: a caught framework
// exception is reported in a box whose text names the handler, and the handler goes on.

#include <string>
#include <utility>

#include "platform/exceptions.h"
#include "platform/ui/message_box.h"

// Runs `body`; a framework exception shows `box_text` ("exception catched in <handler>").
// Returns false when the body was cut short.
template <typename Body>
bool ReportingExceptions(const std::string& box_text, Body&& body) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const platform::CException&) {
    platform::AfxMessageBox(box_text, platform::MB_OK);
    return false;
  }
}

// "exception catched in <handler>", the main window's form of the text.
inline std::string CaughtIn(const std::string& handler) {
  return "exception catched in " + handler;
}
