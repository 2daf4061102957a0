#include "archive/descriptor_error.h"

namespace xq {

std::string_view descriptorErrorDescription(int errorNumber) {
    if (errorNumber == descriptor_error::Overflow) {
        return "Overflow";  // not a file error, so the file service has no text for it
    }
    if (errorNumber == descriptor_error::TooManyFileLines) {
        return "Subscript out of range";
    }
    return errorDescription(errorNumber);
}

}  // namespace xq
