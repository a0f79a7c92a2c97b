#pragma once

// Texts in scripts and transcripts are written in double quotes with C escapes (carriage return,
// line feed, tab, double quote, backslash) and \xHH, exactly two hex digits, for any other
// control character.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// `text` in double quotes, escaped.
std::string QuoteText(std::string_view text);
// The text that an escaped body (without its quotes) stands for; nothing, with `error` set, for
// a bad escape.
std::optional<std::string> UnescapeText(std::string_view body, std::string& error);

}  // namespace platform
