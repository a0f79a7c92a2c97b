#pragma once

// Constants shared by the program's source files.

// The identity that the device search looks for in the console's string descriptor 2.
inline constexpr char g_strDeviceId[] = "TMX320VC5509";
