#pragma once

#include <string>
#include <vector>

namespace xq::gui {

// Whether the window can be shown at all. Without a display Qt ends the program with advice that
// does not fit ("reinstalling the application may fix this problem"): the window program says
// instead that there is no display, and that the terminal program needs none.
bool displayIsThere(const std::vector<std::string>& toolkitArguments);

// From now on, a window system that cannot be reached ends the program with that explanation and
// status 2, rather than with Qt's abort.
void explainAMissingDisplay();

// The explanation, as printed.
std::string missingDisplayMessage();

}  // namespace xq::gui
