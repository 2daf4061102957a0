#include "command_line/window_options.h"

#include <CLI/CLI.hpp>

#include "command_line/drive_options.h"

namespace xq {

namespace {

// Qt's own options, with the value each takes: they go to the window system, not to the converter.
struct ToolkitOption {
    std::string_view name;
    bool takesValue;
};
constexpr ToolkitOption kToolkitOptions[] = {
    {"-platform", true}, {"-platformpluginpath", true}, {"-platformtheme", true},
    {"-plugin", true},   {"-qwindowgeometry", true},    {"-qwindowtitle", true},
    {"-style", true},    {"-stylesheet", true},         {"-display", true},
    {"-geometry", true}, {"-reverse", false},           {"-widgetcount", false},
};

}  // namespace

std::string windowUsage() {
    return "Usage: xq3100 [--diskettes DIR...] [--card DIR]\n"
           "\n"
           "Converts a database backup on a set of diskettes to its Compact Flash form, in a\n"
           "window that asks for the floppy drive, each diskette and the card drive.\n"
           "\n"
           "  --diskettes DIR... add a floppy drive holding diskette n from the n-th folder\n"
           "  --card DIR         add a Compact Flash drive over the folder DIR\n"
           "  -h, --help         print this help and exit\n"
           "  -V, --version      print the version and exit\n"
           "\n"
           "The window system's own options (such as -platform offscreen) are passed on.\n"
           "Without a display, use the terminal program xq3100-convert.\n"
           "\n"
           "Exit status: 0 the window was closed; 1 another conversion runs in the temporary\n"
           "folder, or it cannot be locked; 2 bad arguments, or no display.\n";
}

WindowOptionsResult parseWindowOptions(const std::vector<std::string>& arguments) {
    WindowOptionsResult result;
    std::vector<std::string> own;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const auto toolkit =
            std::find_if(std::begin(kToolkitOptions), std::end(kToolkitOptions),
                         [&](const ToolkitOption& option) { return option.name == arguments[i]; });
        if (toolkit == std::end(kToolkitOptions)) {
            own.push_back(arguments[i]);
            continue;
        }
        result.options.toolkitArguments.push_back(arguments[i]);
        if (toolkit->takesValue && i + 1 < arguments.size()) {
            result.options.toolkitArguments.push_back(arguments[++i]);
        }
    }
    CLI::App app("", "xq3100");
    addDriveOptions(app, result.options.drives);
    switch (parseCommandLine(app, own, result.error)) {
        case CommandLine::Help:
            result.options.help = true;
            break;
        case CommandLine::Version:
            result.options.version = true;
            break;
        case CommandLine::Parsed:
            result.error = checkDriveFolders(result.options.drives);
            break;
        case CommandLine::Refused:
            break;
    }
    return result;
}

}  // namespace xq
