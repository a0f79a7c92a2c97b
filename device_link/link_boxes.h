#pragma once

// The message boxes of the worker and the transport: no owner window, their own caption. A
// handler that catches an exception names itself in a framework box.

#include <string_view>

#include "platform/com/com_error.h"

inline constexpr char kLinkBoxCaption[] = "Halcyra Upgrade";

// A box without owner, caption kLinkBoxCaption, OK button and the error icon.
void ShowLinkError(std::string_view text);
// The same with the information icon.
void ShowLinkInformation(std::string_view text);

// "Exception catched in <handler>" in the framework's box.
void ReportCaughtException(std::string_view handler);
// The same naming the failed COM result as well.
void ReportCaughtComError(std::string_view handler, const platform::_com_error& error);
// The same with the exception's own description.
void ReportCaughtException(std::string_view handler, std::string_view description);
