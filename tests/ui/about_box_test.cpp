#include "ui/about_box.h"

#include <gtest/gtest.h>

namespace xq {
namespace {

TEST(AboutBox, TextsComeFromTheVersionRecord) {
    const AboutTexts texts = aboutTexts();
    EXPECT_EQ(texts.caption, "About XQ3100 Database Media Converter");
    EXPECT_EQ(texts.title, "XQ3100 Database Media Converter");
    EXPECT_EQ(texts.version, "Version 1.4 ( July 17, 2007 )");
    EXPECT_EQ(texts.description,
              "This tool converts the Vantora/Orvessa system database from floppy diskettes form "
              "into Compact Flash based form.\r\n"
              "To be used when upgrading from a Vantora/Orvessa system which uses diskettes, to a "
              "system that uses a compact flash as its mass storage.\r\n");
}

TEST(AboutBox, EmptyCommentsLeaveTwoBlanksBetweenTheParentheses) {
    ProgramIdentity identity;
    identity.comments = "";
    EXPECT_EQ(aboutTexts(identity).version, "Version 1.4 (  )");
}

TEST(AboutBox, OpensOnlyOnce) {
    AboutBoxState state;
    EXPECT_TRUE(state.open());
    EXPECT_FALSE(state.open());
    state.closed();
    EXPECT_TRUE(state.open());
}

}  // namespace
}  // namespace xq
