#pragma once

// The Win32 headers as the window program uses them, on top of <windows.h> as the whole project
// includes it; the others build on windows.h, which therefore comes first.

// clang-format off
#include "platform/windows_headers.h"
#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>
// clang-format on
