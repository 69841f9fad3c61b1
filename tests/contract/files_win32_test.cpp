// Files on the Win32 backend alone, where the headless backend has nothing
// to compare: the attributes a save keeps. Wine keeps Hidden and System
// (in an extended attribute of the Unix file); Archive and not-indexed it
// does not keep, so only the first two can be shown here.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.h"
#include "platform/win32/base_win32.h"

namespace {

TEST(Win32Files, SaveKeepsHiddenAndSystemAttributes) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "pinrow-contract-attrib";
  fs::remove_all(root);
  fs::create_directory(root);
  const std::wstring file = root.wstring() + L"\\f.txt";
  constexpr DWORD kBoth = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const auto save = [&file](const char* content) {
    auto out = platform::OpenOutputFile(file);
    out->Write(content);
    out->Commit();
  };
  save("first");
  for (const DWORD kept :
       {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM}, kBoth}) {
    SCOPED_TRACE(kept);
    SetFileAttributesW(file.c_str(), kept);
    if ((GetFileAttributesW(file.c_str()) & kBoth) != kept)
      GTEST_SKIP() << "this file system keeps no extended attributes, "
                      "where Wine keeps Hidden and System";
    save("second");
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & kBoth, kept);
    EXPECT_EQ(platform::ReadAllBytes(file), "second");
  }
  fs::remove_all(root);
}

}  // namespace
