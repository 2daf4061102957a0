#include "platform/console.h"

#ifdef _WIN32
#include <io.h>
#define XQ_ISATTY _isatty
#else
#include <unistd.h>
#define XQ_ISATTY isatty
#endif

namespace xq {

bool standardInputIsTerminal() {
    return XQ_ISATTY(0) != 0;
}
bool standardOutputIsTerminal() {
    return XQ_ISATTY(1) != 0;
}

}  // namespace xq
