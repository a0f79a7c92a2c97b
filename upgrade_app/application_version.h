#pragma once

#include <string>

// The version text of the program, shown in the engineering window's title and the About box.
std::string GetApplicationVersion();
