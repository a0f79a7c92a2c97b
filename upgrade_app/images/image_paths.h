#pragma once

// Names of the files made from the radio-module image, and the guard that keeps them from
// landing on the image itself.

#include <cstddef>
#include <string>
#include <string_view>

// How many characters of a path ReplaceLastThree replaces.
inline constexpr std::size_t kReplacedLength = 3;

// `path` with its last three characters replaced by `extension` ("image.hex" -> "image.bin").
// A path of fewer than three characters raises CInvalidArgException.
std::string ReplaceLastThree(std::string_view path, std::string_view extension);

// True when both program paths name one existing file (also through links or "..").
bool SameFile(std::string_view first, std::string_view second);
