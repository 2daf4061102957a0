#include "win32/single_instance.h"

#include <string>

namespace xq::win32 {

bool anotherCopyShowsItsWindow(HWND form, std::string_view title) {
    char className[32] = {};
    if (::GetClassNameA(form, className, sizeof className) <= 0) {
        return false;
    }
    return ::FindWindowA(className, std::string(title).c_str()) != nullptr;
}

}  // namespace xq::win32
