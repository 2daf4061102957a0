// Both Windows programs carry the program's identity, its icon and its manifest.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32_text.h"
#include "ui/program_identity.h"
#include "win32/windows_api.h"

namespace xq::test {
namespace {

struct WindowsProgram {
    const char* name;
    const char* path;
};

class ProgramResources : public ::testing::TestWithParam<WindowsProgram> {
  protected:
    std::wstring program() const { return native::utf16FromUtf8(GetParam().path); }

    static std::string versionString(const std::vector<char>& record, const std::string& name) {
        const std::wstring path = L"\\StringFileInfo\\040904B0\\" + native::utf16FromUtf8(name);
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(record.data(), path.c_str(), &value, &length) || length == 0) {
            return {};
        }
        return native::utf8FromUtf16(std::wstring(static_cast<const wchar_t*>(value), length - 1));
    }
};

TEST_P(ProgramResources, CarriesTheProgramIdentityItsIconAndItsManifest) {
    const DWORD size = ::GetFileVersionInfoSizeW(program().c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> record(size);
    ASSERT_TRUE(::GetFileVersionInfoW(program().c_str(), 0, size, record.data()));
    EXPECT_EQ(versionString(record, "ProductName"), kProgram.title);
    EXPECT_EQ(versionString(record, "ProductVersion"), kProgram.version);
    EXPECT_EQ(versionString(record, "FileVersion"), kProgram.version);
    EXPECT_EQ(versionString(record, "Comments"), kProgram.comments);
    EXPECT_EQ(versionString(record, "LegalCopyright"), kProgram.copyright);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), kProgram.major);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), kProgram.minor);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), kProgram.revision);

    // The manifest asks for the controls of this Windows release, drawing at each monitor's
    // scale, and the operator's own rights.
    const HMODULE module = ::LoadLibraryExW(
        program().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const std::string manifest(
        static_cast<const char*>(::LockResource(::LoadResource(module, found))),
        ::SizeofResource(module, found));
    ::FreeLibrary(module);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Windows, ProgramResources,
                         ::testing::Values(WindowsProgram{"Window", XQ_WINDOW_PROGRAM},
                                           WindowsProgram{"Terminal", XQ_CONVERT_PROGRAM}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace xq::test
