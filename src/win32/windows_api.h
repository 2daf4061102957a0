#pragma once

// The Win32 headers as the window program uses them: wide-character calls, no min/max macros.
// The others build on windows.h, which therefore comes first.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>
// clang-format on
