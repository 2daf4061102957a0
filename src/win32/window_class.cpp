#include "win32/window_class.h"

#include "win32/resource_ids.h"

namespace xq::win32 {

std::wstring wideClassName(const char* name) {
    // Class names are plain ASCII.
    return std::wstring(name, name + std::char_traits<char>::length(name));
}

bool registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure) {
    const std::wstring className = wideClassName(name);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(XQ_IDI_PROGRAM));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace xq::win32
