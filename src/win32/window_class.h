#pragma once

#include <string>

#include "win32/windows_api.h"

namespace xq::win32 {

// Registers a top-level window class of this program (once; a second call finds it registered).
// Its windows have the program's icon, the arrow cursor and the dialog face colour.
[[nodiscard]] bool registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure);

// The class name as the wide calls take it.
std::wstring wideClassName(const char* name);

// The C++ object behind a window: CreateWindowExW's last argument, kept in the window's user data
// from WM_NCCREATE on. Null for the few messages that come before it.
template <typename Owner>
Owner* ownerOfWindow(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        return owner;
    }
    return reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace xq::win32
