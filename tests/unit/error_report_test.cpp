#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "store/modPublic.h"
#include "test_support.h"

namespace {

using platform::headless::Log;
using platform::headless::MsgBoxes;

using ErrorReportTest = testing_support::AppFolderTest;

TEST_F(ErrorReportTest, ReportTextWordForWord) {
  struct Case {
    std::int32_t number;
    const wchar_t* expected;
  } cases[] = {
      {6,
       L"フォームを読み込んだ時でエラーが発生しました。\r\n"
       L"説明(No.6)\r\n"},
      {-2147221504,
       L"フォームを読み込んだ時でエラーが発生しました。\r\n"
       L"説明(No.-2147221504)\r\n"},
  };
  for (const auto& c : cases) {
    MsgBoxes().clear();
    modPublic::ReportError(L"フォームを読み込んだ時", c.number, L"説明");
    ASSERT_EQ(MsgBoxes().size(), 1u);
    EXPECT_EQ(MsgBoxes()[0].prompt, c.expected);
    EXPECT_EQ(MsgBoxes()[0].style, 16);
    EXPECT_EQ(MsgBoxes()[0].title, L"Pinrow：エラー");
  }
  EXPECT_EQ(Log().back(),
            std::wstring(L"MsgBox 16 Pinrow：エラー ") + cases[1].expected);
}

TEST_F(ErrorReportTest, FixedMessageHasTwoLines) {
  modPublic::ReportFixed(L"一行目", L"二行目");
  ASSERT_EQ(MsgBoxes().size(), 1u);
  EXPECT_EQ(MsgBoxes()[0].prompt, L"一行目\r\n二行目");
  EXPECT_EQ(MsgBoxes()[0].style, 16);
  EXPECT_EQ(MsgBoxes()[0].title, L"Pinrow：エラー");
}

TEST_F(ErrorReportTest, TrapReportsOverflowWithTheHandlersPhraseAndEnds) {
  using namespace modPublic;
  bool reachedEnd = false;
  for (int run = 0; run < 2; ++run) {  // trapped again at once
    ErrorTrap(L"フォームがアクティブになった時", [&] {
      vb::Add16(32000, 1000);
      reachedEnd = true;
    });
  }
  EXPECT_FALSE(reachedEnd);
  ASSERT_EQ(MsgBoxes().size(), 2u);
  EXPECT_EQ(MsgBoxes()[1].prompt,
            L"フォームがアクティブになった時でエラーが発生しました。\r\n"
            L"オーバーフローしました。(No.6)\r\n");
}

TEST_F(ErrorReportTest, TrapLetsProcessEndPass) {
  // Ending the process is not an error a handler may swallow.
  EXPECT_THROW(modPublic::ErrorTrap(L"x", [] { platform::EndProcess(); }),
               platform::headless::ProcessEnded);
  EXPECT_TRUE(MsgBoxes().empty());
}

TEST_F(ErrorReportTest, TableIndexOutsideRaisesSubscript) {
  modPublic::ErrorTrap(L"タイマーイベント時",
                       [] { modPublic::TagTable(31, 0) = std::int16_t{1}; });
  ASSERT_EQ(MsgBoxes().size(), 1u);
  EXPECT_EQ(MsgBoxes()[0].prompt,
            L"タイマーイベント時でエラーが発生しました。\r\n"
            L"インデックスが有効範囲にありません。(No.9)\r\n");
}

}  // namespace
