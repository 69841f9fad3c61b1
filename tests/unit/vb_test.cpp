#include "runtime/vb.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ParseNumber, AcceptsSignedDecimalsWithBlanks) {
  struct Case {
    const wchar_t* text;
    double value;
  } cases[] = {{L"12.5", 12.5}, {L"-3", -3},       {L" 7 ", 7},
               {L"\t+4\t", 4},  {L".5", 0.5},      {L"5.", 5},
               {L"0", 0},       {L"-0.25", -0.25}, {L"40000", 40000}};
  for (const auto& c : cases) {
    auto n = vb::ParseNumber(c.text);
    ASSERT_TRUE(n.has_value()) << c.text;
    EXPECT_EQ(*n, c.value) << c.text;
  }
}

TEST(ParseNumber, RefusesEverythingElse) {
  for (const wchar_t* text :
       {L"", L" ", L"-", L"+", L".", L"1e3", L"12a", L"a12", L"1 2", L"1.2.3",
        L"--1", L"0x10", L"１２", L"1,000"})
    EXPECT_FALSE(vb::ParseNumber(text).has_value()) << text;
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  struct Case {
    double in, out;
  } cases[] = {{2.5, 2},   {3.5, 4},   {12.5, 12}, {13.5, 14},
               {-2.5, -2}, {-3.5, -4}, {0.5, 0},   {1.5, 2},
               {2.4, 2},   {2.6, 3},   {-2.6, -3}, {7, 7}};
  for (const auto& c : cases) EXPECT_EQ(vb::RoundHalfEven(c.in), c.out) << c.in;
}

TEST(Narrowing, RangeLimitsAndOverflow) {
  EXPECT_EQ(vb::ToInt16(32767.0), 32767);
  EXPECT_EQ(vb::ToInt16(-32768.0), -32768);
  EXPECT_EQ(vb::ToInt16(-32768.5), -32768);  // the even neighbour is inside
  for (double bad : {32768.0, -32769.0, 40000.0, 32767.5, std::nan("")}) {
    try {
      vb::ToInt16(bad);
      ADD_FAILURE() << bad << " did not overflow";
    } catch (const vb::RuntimeError& e) {
      EXPECT_EQ(e.Number(), vb::kOverflow);
      EXPECT_EQ(e.Description(), L"オーバーフローしました。");
    }
  }
  EXPECT_EQ(vb::ToInt32(-2147483648.0), INT32_MIN);
  EXPECT_THROW(vb::ToInt32(2147483648.0), vb::RuntimeError);
  EXPECT_THROW(vb::ToInt16(std::int32_t{32768}), vb::RuntimeError);
}

TEST(Arithmetic16, OverflowRaises) {
  EXPECT_EQ(vb::Add16(32000, 767), 32767);
  EXPECT_EQ(vb::Sub16(-32000, 768), -32768);
  EXPECT_THROW(vb::Add16(32000, 768), vb::RuntimeError);
  EXPECT_THROW(vb::Sub16(-32000, 769), vb::RuntimeError);
}

TEST(CellConversions, NothingNumberAndText) {
  EXPECT_EQ(vb::CInt(vb::Variant()), 0);
  EXPECT_EQ(vb::CInt(vb::Variant(std::int16_t{-5})), -5);
  EXPECT_EQ(vb::CInt(vb::Variant(L" 12.5 ")), 12);
  EXPECT_EQ(vb::CLng(std::wstring(L"100000")), 100000);
  EXPECT_EQ(vb::CStr(vb::Variant()), L"");
  EXPECT_EQ(vb::CStr(vb::Variant(std::int16_t{-400})), L"-400");
  EXPECT_EQ(vb::CStr(vb::Variant(L"abc")), L"abc");
  try {
    vb::CInt(vb::Variant(L"abc"));
    ADD_FAILURE() << "no type mismatch";
  } catch (const vb::RuntimeError& e) {
    EXPECT_EQ(e.Number(), vb::kTypeMismatch);
    EXPECT_EQ(e.Description(), L"型が一致しません。");
  }
  EXPECT_THROW(vb::CInt(vb::Variant(L"40000")), vb::RuntimeError);
}

TEST(SingleToText, ShortestDecimalWithoutExponent) {
  struct Case {
    float in;
    const wchar_t* out;
  } cases[] = {{2805.0f, L"2805"},
               {12.5f, L"12.5"},
               {-300.0f, L"-300"},
               {0.0f, L"0"},
               {-0.0f, L"0"},
               {0.1f, L"0.1"},
               {1e10f, L"10000000000"},
               {32767.0f, L"32767"},
               {1234.5677f, L"1234.5677"}};
  for (const auto& c : cases) EXPECT_EQ(vb::SingleToText(c.in), c.out);
}

// The numbers written out, so a renumbered constant shows too; an unknown
// number gets the generic text.
TEST(ErrorDescriptions, RaiseCarriesNumberAndText) {
  const struct {
    std::int32_t number;
    const wchar_t* description;
  } cases[] = {
      {5, L"プロシージャの呼び出し、または引数が不正です。"},
      {6, L"オーバーフローしました。"},
      {7, L"メモリが不足しています。"},
      {9, L"インデックスが有効範囲にありません。"},
      {13, L"型が一致しません。"},
      {53, L"ファイルが見つかりません。"},
      {57, L"デバイス I/O エラーです。"},
      {70, L"書き込みできません。"},
      {75, L"パス名が無効です。"},
      {380, L"プロパティの値が不正です。"},
      {521, L"クリップボードを開けません。"},
      {1000, L"アプリケーション定義またはオブジェクト定義のエラーです。"},
  };
  for (const auto& c : cases) {
    try {
      vb::Raise(c.number);
      ADD_FAILURE() << c.number << " raised nothing";
    } catch (const vb::RuntimeError& e) {
      EXPECT_EQ(e.Number(), c.number);
      EXPECT_EQ(e.Description(), c.description) << c.number;
    }
    EXPECT_EQ(vb::ErrorDescription(c.number), c.description) << c.number;
  }
}

}  // namespace
