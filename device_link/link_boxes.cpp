#include "device_link/link_boxes.h"

#include <string>

#include "platform/ui/message_box.h"
#include "platform/ui/ui_constants.h"

namespace {

std::string CaughtIn(std::string_view handler) {
  return "Exception catched in " + std::string(handler);
}

}  // namespace

void ShowLinkError(std::string_view text) {
  platform::MessageBox(nullptr, text, kLinkBoxCaption, platform::MB_OK | platform::MB_ICONERROR);
}

void ShowLinkInformation(std::string_view text) {
  platform::MessageBox(nullptr, text, kLinkBoxCaption,
                       platform::MB_OK | platform::MB_ICONINFORMATION);
}

void ReportCaughtException(std::string_view handler) { platform::AfxMessageBox(CaughtIn(handler)); }

void ReportCaughtComError(std::string_view handler, const platform::_com_error& error) {
  ReportCaughtException(handler, std::string("COM error ") + error.ErrorMessage());
}

void ReportCaughtException(std::string_view handler, std::string_view description) {
  platform::AfxMessageBox(CaughtIn(handler) + "\n" + std::string(description));
}
