#include "ui/version_text.h"

#include <gtest/gtest.h>

namespace xq {
namespace {

// The GNU form, filled from the project's version and the licence's copyright notice.
TEST(VersionText, NamesTheProgramTitleVersionAndCopyright) {
    const std::string version(kProgram.version);
    EXPECT_EQ(versionText("xq3100-convert"),
              "xq3100-convert (XQ3100 Database Media Converter) " + version +
                  "\nCopyright (C) 2026 The XQ3100 Database Media Converter authors. All rights "
                  "reserved.\n");
    EXPECT_EQ(version, std::to_string(kProgram.major) + "." + std::to_string(kProgram.minor) + "." +
                           std::to_string(kProgram.revision));
}

}  // namespace
}  // namespace xq
