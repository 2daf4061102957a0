#pragma once

// <windows.h> as every Win32 source of the project includes it: without the parts that are seldom
// used, and without the min and max macros, which would break std::min and std::max.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
