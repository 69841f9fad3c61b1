// Shared fixture of the unit tests: a fresh application folder on disk for
// every test, the headless backend reset to it, and the shared module's
// state back to its start-up values.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "store/modPublic.h"

namespace testing_support {

// Widens an ASCII text (the temporary folder names are ASCII).
inline std::wstring Widen(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

// Little-endian UTF-16 of a text of the first 65536 characters, with the
// mark.
inline std::string Utf16(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8 & 0xFF);
  }
  return bytes;
}

class AppFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ =
        (std::filesystem::temp_directory_path() / "pinrow-test-XXXXXX")
            .string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir_ = templ;
    platform::headless::Reset(Widen(templ));
    modPublic::ResetSharedState();
  }
  // A script queued for a dialog that never opened: its checks never ran.
  void TearDown() override {
    const int unused = platform::headless::UnusedModalScripts();
    platform::headless::ResetForms();
    EXPECT_EQ(unused, 0)
        << ::testing::UnitTest::GetInstance()->current_test_info()->name()
        << " left modal scripts unused: the dialog they wait for never opened";
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::filesystem::path PathOf(const std::string& name) const {
    return dir_ / name;
  }
  bool Exists(const std::string& name) const {
    return std::filesystem::exists(PathOf(name));
  }
  void WriteBytes(const std::string& name, const std::string& bytes) const {
    std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string ReadBytes(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Number of entries in the folder (a leftover temporary file shows here).
  int EntryCount() const {
    int n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir_))
      ++n;
    return n;
  }

  std::filesystem::path dir_;
};

}  // namespace testing_support
