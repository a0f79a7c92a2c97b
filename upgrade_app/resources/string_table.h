#pragma once

// The program's string table.

#include <string>
#include <string_view>

#include "platform/win_types.h"

// The text of string `id`; empty when the table has no such string.
std::string_view FindResourceString(platform::UINT id);
std::string LoadResourceString(platform::UINT id);
