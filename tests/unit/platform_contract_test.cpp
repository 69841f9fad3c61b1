// The event contract of the platform layer (forms.h), checked through the
// interface alone. The same file builds against the headless backend (in
// the unit tests) and against the Win32 backend (contract_tests.exe, run
// under Wine by the end-to-end tests), so the stand-in the unit tests use
// cannot drift from the real window system.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../contract/save_faults.h"
#include "../contract/user_input.h"
#include "platform/platform.h"
#include "runtime/vb.h"
#include "store/ansi_text.h"

namespace {

using contract::UserComeBack;
using contract::UserPaste;
using contract::UserType;
using contract::UserWheel;
using platform::Form;

// The run-time error number a call raises, or 0 when it raises none.
template <class Fn>
int ErrorOf(Fn&& fn) {
  try {
    fn();
  } catch (const vb::RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

platform::TextBoxArgs BoxAt(float left, float top) {
  platform::TextBoxArgs args;
  args.left = left;
  args.top = top;
  args.width = 1500;
  args.height = 270;
  return args;
}

class ContractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::FormArgs args;
    args.caption = L"contract";
    args.width = 6000;
    args.height = 5000;
    form_ = platform::CreateForm(args);
  }
  Form& form() { return *form_; }

  std::unique_ptr<Form> form_;
};

TEST_F(ContractTest, ScrollBarValueFiresChangeOnlyWhenItChanges) {
  for (bool topIsMin : {true, false}) {
    SCOPED_TRACE(topIsMin);
    platform::VScrollBarArgs args;
    args.min = topIsMin ? 10 : 990;
    args.max = topIsMin ? 990 : 10;
    args.value = 500;
    platform::VScrollBar& bar = form().AddVScrollBar(args);
    int changes = 0, seen = 0;
    bar.Change = [&] {
      ++changes;
      seen = bar.Value();
    };
    bar.SetValue(500);
    EXPECT_EQ(changes, 0);
    bar.SetValue(20);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen, 20);  // the new value is in place when Change runs
    EXPECT_EQ(ErrorOf([&] { bar.SetValue(5); }), vb::kInvalidPropertyValue);
    EXPECT_EQ(ErrorOf([&] { bar.SetValue(991); }), vb::kInvalidPropertyValue);
    EXPECT_EQ(bar.Value(), 20);
    EXPECT_EQ(changes, 1);
    // A new end clamps the value, which fires Change once.
    if (topIsMin)
      bar.SetMin(100);
    else
      bar.SetMax(100);
    EXPECT_EQ(bar.Value(), 100);
    EXPECT_EQ(changes, 2);
  }
}

TEST_F(ContractTest, ValuesOutsideWhatAPropertyTakesAreRefused) {
  platform::ToggleButton& toggle = form().AddToggleButton({});
  platform::CheckBox& check = form().AddCheckBox({});
  platform::DropDownList& list = form().AddDropDownList({});
  list.AddItem(L"a");
  list.AddItem(L"b");
  EXPECT_EQ(ErrorOf([&] { toggle.SetValue(2); }), vb::kInvalidPropertyValue);
  EXPECT_EQ(ErrorOf([&] { check.SetValue(-1); }), vb::kInvalidPropertyValue);
  EXPECT_EQ(ErrorOf([&] { list.SetListIndex(2); }), vb::kInvalidPropertyValue);
  EXPECT_EQ(ErrorOf([&] { toggle.SetTabIndex(-1); }),
            vb::kInvalidPropertyValue);
  EXPECT_EQ(toggle.Value(), 0);
  EXPECT_EQ(check.Value(), 0);
  EXPECT_EQ(list.ListIndex(), -1);

  platform::Timer& timer = form().AddTimer();
  timer.SetInterval(-5);
  EXPECT_EQ(timer.Interval(), 0);
}

// The bar's timer is never started at interval 0 and no press then finds a
// target: at 0 a timer never ticks, whether it never ran or was stopped.
TEST_F(ContractTest, TimerTicksOnlyAtAPositiveInterval) {
  platform::Timer& timer = form().AddTimer();
  int ticks = 0;
  timer.Tick = [&] { ++ticks; };
  contract::TimePasses(timer, 300);
  EXPECT_EQ(ticks, 0) << "never started";
  timer.SetInterval(20);
  contract::TimePasses(timer, 300);
  EXPECT_GT(ticks, 0) << "at 20 ms";
  timer.SetInterval(0);
  ticks = 0;
  contract::TimePasses(timer, 300);
  EXPECT_EQ(ticks, 0) << "stopped with 0";
}

TEST_F(ContractTest, DisabledCheckBoxKeepsItsValue) {
  platform::CheckBoxArgs args;
  args.caption = L"挿入する：";
  args.boxOnRight = true;
  args.enabled = false;
  platform::CheckBox& box = form().AddCheckBox(args);
  box.SetValue(1);
  EXPECT_EQ(box.Value(), 1);
  box.SetEnabled(true);
  box.SetEnabled(false);
  EXPECT_EQ(box.Value(), 1);
  EXPECT_EQ(box.Caption(), L"挿入する：");
}

TEST_F(ContractTest, DropDownListShowsTheChosenItem) {
  platform::DropDownList& list = form().AddDropDownList({});
  for (const wchar_t* item : {L"(なし)", L"Shift", L"Ctrl", L"Alt"})
    list.AddItem(item);
  EXPECT_EQ(list.ListCount(), 4);
  EXPECT_EQ(list.Text(), L"");
  list.SetListIndex(2);
  EXPECT_EQ(list.ListIndex(), 2);
  EXPECT_EQ(list.Text(), L"Ctrl");
  EXPECT_EQ(list.List(0), L"(なし)");
  list.SetListIndex(-1);
  EXPECT_EQ(list.Text(), L"");
}

TEST_F(ContractTest, TextsAndPropertiesReadBackAsSet) {
  platform::TextBoxArgs multi;
  multi.multiLine = true;
  multi.verticalScrollBar = true;
  platform::TextBox& tags = form().AddTextBox(multi);
  tags.SetText(L"<ul>\r\n<li>");
  EXPECT_EQ(tags.Text(), L"<ul>\r\n<li>");

  platform::TextBoxArgs single;
  single.locked = true;
  single.text = L"400";
  platform::TextBox& number = form().AddTextBox(single);
  EXPECT_EQ(number.Text(), L"400");
  EXPECT_TRUE(number.Locked());
  number.SetBackColor(platform::Color::System(platform::kColorHighlight));
  EXPECT_EQ(number.BackColor(),
            platform::Color::System(platform::kColorHighlight));
  number.SetText(L"ボタン名");
  EXPECT_EQ(number.Text(), L"ボタン名");

  platform::LabelArgs label;
  label.caption = L"Ver.";
  label.left = 2460;
  label.top = 2400;
  platform::Label& version = form().AddLabel(label);
  version.SetCaption(L"Ver. 1.0.0");
  EXPECT_EQ(version.Caption(), L"Ver. 1.0.0");
  EXPECT_EQ(version.Left(), 2460);
  version.SetLeft(1234.5f);
  EXPECT_EQ(version.Left(), 1234.5f);
}

// A caption wider than the label's room is drawn smaller to fit it; one
// that fits keeps its size.
TEST_F(ContractTest, LabelsShrinkTheirFontToFitTheirRoom) {
  for (const wchar_t* caption : {L"<caption", L"<td"}) {
    platform::LabelArgs args;
    args.caption = caption;
    args.left = 750;
    const float natural = form().AddLabel(args).Width();
    args.maxWidth = 690;
    const float fitted = form().AddLabel(args).Width();
    SCOPED_TRACE(testing::Message() << natural << " to " << fitted);
    EXPECT_LE(fitted, 690);
    EXPECT_GE(fitted, natural * 0.7f);
    if (natural <= 690) EXPECT_EQ(fitted, natural);
  }
}

TEST_F(ContractTest, ControlsInAHiddenPageKeepTheirFlagsButTakeNoFocus) {
  platform::TabControlArgs args;
  args.left = 120;
  args.top = 120;
  args.width = 5000;
  args.height = 4000;
  args.captions = {L"一般", L"About"};
  platform::TabControl& tabs = form().AddTabControl(args);
  platform::TextBoxArgs box;
  box.left = 240;
  box.top = 600;
  box.width = 1000;
  box.height = 270;
  platform::TextBox& onSecond = tabs.Page(1).AddTextBox(box);
  EXPECT_EQ(tabs.Tabs(), 2);
  EXPECT_EQ(tabs.Tab(), 0);
  EXPECT_EQ(ErrorOf([&] { tabs.SetTab(2); }), vb::kInvalidPropertyValue);
  EXPECT_EQ(ErrorOf([&] { tabs.Page(2); }), vb::kSubscript);
  form().Show();
  EXPECT_TRUE(onSecond.Visible());
  EXPECT_EQ(ErrorOf([&] { onSecond.SetFocus(); }), vb::kInvalidCall);
  int gotFocus = 0;
  onSecond.GotFocus = [&] { ++gotFocus; };
  tabs.SetTab(1);
  EXPECT_EQ(tabs.Tab(), 1);
  EXPECT_EQ(ErrorOf([&] { onSecond.SetFocus(); }), 0);
  EXPECT_EQ(gotFocus, 1);
  onSecond.SetVisible(false);
  EXPECT_EQ(ErrorOf([&] { onSecond.SetFocus(); }), vb::kInvalidCall);
}

TEST_F(ContractTest, WindowedControlsHaveHandlesFromTheStart) {
  platform::ToggleButtonArgs hidden;
  hidden.visible = false;
  platform::ToggleButton& slot = form().AddToggleButton(hidden);
  EXPECT_NE(slot.hWnd(), 0);
  EXPECT_NE(form().AddLabel({}).hWnd(), 0);
  EXPECT_EQ(form().AddShape({}).hWnd(), 0);
  EXPECT_EQ(form().AddImage({}).hWnd(), 0);
}

TEST_F(ContractTest, ShowFiresActivateWhenTheFormBecomesActive) {
  int activations = 0, resizes = 0;
  form().Activate = [&] { ++activations; };
  form().Resize = [&] { ++resizes; };
  form().Show();
  form().Show();
  EXPECT_EQ(activations, 1);
  EXPECT_GE(resizes, 1);
  EXPECT_TRUE(form().Visible());
  int unloads = 0;
  form().Unload = [&] { ++unloads; };
  form().Close();
  form().Close();
  EXPECT_EQ(unloads, 1);
}

// Coming back to the form from another program fires AppActivate once;
// moving between the program's own forms never does.
TEST_F(ContractTest, AppActivateFiresWhenTheUserComesBackFromAnotherProgram) {
  int comebacks = 0;
  form().AppActivate = [&] { ++comebacks; };
  form().Show();
  platform::FormArgs args;
  args.caption = L"other";
  std::unique_ptr<Form> other = platform::CreateForm(args);
  other->Show();
  other->Close();
  platform::DoEvents();
  EXPECT_EQ(comebacks, 0);
  UserComeBack(form());
  EXPECT_EQ(comebacks, 1);
}

// A form's work area holds the form's place on a screen of some size.
TEST_F(ContractTest, WorkAreaIsThatOfTheFormsMonitor) {
  form().Show();
  const platform::ScreenArea area = form().WorkArea();
  EXPECT_LT(area.left, area.right);
  EXPECT_LT(area.top, area.bottom);
  EXPECT_GE(area.right - area.left, 6000);
}

// Every one- and two-byte sequence survives the trip through memory as
// text of code page 932, on the backend's own conversion: iconv's tables
// headless, the system's (Wine's, standing in for Windows') on Win32.
TEST(CodePageContract, EveryOneAndTwoByteSequenceRoundTrips) {
  for (int first = 0; first < 256; ++first) {
    std::string one(1, static_cast<char>(first));
    ASSERT_EQ(ansi::Encode(ansi::Decode(one)), one) << first;
    for (int second = 0; second < 256; ++second) {
      std::string two = one + static_cast<char>(second);
      ASSERT_EQ(ansi::Encode(ansi::Decode(two)), two) << first << " " << second;
    }
  }
  // Where code page 932 tables differ: Windows' own mapping, its
  // extensions, its user-defined area, and a character stored twice,
  // whose second place is kept as bytes (it is written to the first).
  const struct {
    const char* bytes;
    std::wstring text;
  } tables[] = {
      {"\x81\x60", L"\uFF5E"},        // a full-width tilde, no wave dash
      {"\x5C", L"\\"},                // a backslash, no yen sign
      {"\x87\x40", L"\u2460"},        // NEC's circled digits
      {"\xFA\x5C", L"\u7E8A"},        // IBM's extensions
      {"\xF0\x40", L"\uE000"},        // the user-defined area
      {"\xED\x40", L"\xDCED\xDC40"},  // NEC's copy of IBM's U+7E8A
      {"\xEE\xEF", L"\xDCEE\xDCEF"},  // NEC's copy of IBM's U+2170
  };
  for (const auto& t : tables) EXPECT_EQ(ansi::Decode(t.bytes), t.text);
}

// Files: a stamp that follows each write, the names of a folder's files by
// a pattern, a rename that never overwrites, a removal, a folder's
// canonical path the same for another spelling of it.
TEST(FilesContract, StampsNamesRenamesAndCanonicalPaths) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "pinrow-contract-names";
  fs::remove_all(root);
  fs::create_directories(root / "data" / "sub");
  const std::wstring folder = root.wstring() + L"\\data";
  const std::wstring file = folder + L"\\f.txt", other = folder + L"\\g.txt";
  EXPECT_FALSE(platform::StampOf(file));
  for (const char* content : {"one", "three"}) {
    auto out = platform::OpenOutputFile(file);
    out->Write(content);
    out->Commit();
  }
  const auto stamp = platform::StampOf(file);
  ASSERT_TRUE(stamp);
  EXPECT_EQ(stamp->size, 5u);
  EXPECT_TRUE(platform::FileTakesWrites(file));
  EXPECT_EQ(platform::FindFiles(folder, L"F*"),
            std::vector<std::wstring>{L"f.txt"});
  EXPECT_TRUE(platform::FindFiles(
                  folder, std::wstring(L"*") + platform::kSaveMark + L"*")
                  .empty());
  EXPECT_TRUE(platform::CopyNewFile(file, other));
  EXPECT_FALSE(platform::RenameFile(file, other));
  EXPECT_TRUE(platform::RemoveFile(other));
  EXPECT_TRUE(platform::RenameFile(file, other));
  EXPECT_FALSE(platform::FileExists(file));
  EXPECT_EQ(platform::CanonicalPath(folder + L"\\sub\\.."),
            platform::CanonicalPath(folder));
  fs::remove_all(root);
}

// Files: a folder made, a file written whole and replaced whole, with no
// temporary or backup file left beside it, and a copy that never overwrites.
TEST(FilesContract, ReplaceWholeAndLeaveNothingBehind) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "pinrow-contract-files";
  fs::remove_all(root);
  fs::create_directory(root);
  const std::wstring folder = root.wstring() + L"\\data";
  const std::wstring file = folder + L"\\f.txt";
  const std::wstring copy = folder + L"\\g.txt";
  EXPECT_FALSE(platform::FolderExists(folder));
  ASSERT_TRUE(platform::MakeFolder(folder));
  EXPECT_TRUE(platform::FolderExists(folder));
  EXPECT_TRUE(platform::FolderTakesNewFile(folder));
  for (const char* content : {"first\r\n", "second\r\n"}) {
    auto out = platform::OpenOutputFile(file);
    out->Write(content);
    out->Commit();
    EXPECT_EQ(platform::ReadAllBytes(file), content);
  }
  EXPECT_TRUE(platform::CopyNewFile(file, copy));
  EXPECT_FALSE(platform::CopyNewFile(file, copy));
  {
    auto abandoned = platform::OpenOutputFile(file);
    abandoned->Write("never");
  }
  EXPECT_EQ(platform::ReadAllBytes(file), "second\r\n");
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(root / "data"))
    ++entries;
  EXPECT_EQ(entries, 2);
  fs::remove_all(root);
}

// The files in a folder with their bytes; the unique part of a save's
// temporary or backup name is shown as "*".
std::map<std::wstring, std::string> FilesIn(const std::wstring& folder) {
  std::map<std::wstring, std::string> files;
  for (std::wstring name : platform::FindFiles(folder, L"*")) {
    const std::string bytes = platform::ReadAllBytes(folder + L"\\" + name);
    const std::size_t mark = name.find(platform::kSaveMark);
    if (mark != std::wstring::npos)
      name = name.substr(0, mark) + platform::kSaveMark + L"*" +
             name.substr(name.rfind(L'.'));
    files[name] = bytes;
  }
  return files;
}

// A save that fails at any step keeps what was there: an existing target
// its previous bytes, a new target is not made, and no temporary or backup
// file is left beside it; a failure that another program's hold explains
// is told apart as FileBusy, worth another try. A file system without a
// replace of its own gets the temporary file moved over the target. Each
// row runs where its backend can fail that step so (error 0: the
// backend's ordinary failure; a system error: the Win32 backend only).
TEST(FilesContract, SaveFailingAtEachStepKeepsWhatWasThere) {
  using contract::SaveStep;
  namespace fs = std::filesystem;
  enum Outcome { kSaved, kKept, kKeptBusy, kBackupKept };
  struct Fault {
    SaveStep step;
    unsigned long error;
  };
  constexpr bool kExists = true, kNew = false;
  constexpr SaveStep kWrite = SaveStep::Write, kFlush = SaveStep::Flush,
                     kReplace = SaveStep::Replace, kMove = SaveStep::Move;
  const struct {
    const char* name;
    bool targetExists;
    std::vector<Fault> faults;
    Outcome outcome;
  } rows[] = {
      // clang-format off
      {"write",                     kExists, {{kWrite, 0}},      kKept},
      {"write, new file",           kNew,    {{kWrite, 0}},      kKept},
      {"flush",                     kExists, {{kFlush, 0}},      kKept},
      {"flush, new file",           kNew,    {{kFlush, 0}},      kKept},
      {"replace",                   kExists, {{kReplace, 0}},    kKept},
      {"move to a new name",        kNew,    {{kMove, 0}},       kKept},
      {"move to a new name, held",  kNew,    {{kMove, 32}},      kKeptBusy},
      {"1175, nothing replaced",    kExists, {{kReplace, 1175}}, kKeptBusy},
      {"1176, names kept",          kExists, {{kReplace, 1176}}, kKeptBusy},
      {"1177, backup moved back",   kExists, {{kReplace, 1177}}, kKeptBusy},
      {"1177, move back fails",     kExists, {{kReplace, 1177}, {kMove, 5}},
                                                                 kBackupKept},
      {"sharing violation",         kExists, {{kReplace, 32}},   kKeptBusy},
      {"lock violation",            kExists, {{kReplace, 33}},   kKeptBusy},
      {"access denied",             kExists, {{kReplace, 5}},    kKeptBusy},
      {"unsupported (1), moved",    kExists, {{kReplace, 1}},    kSaved},
      {"unsupported (50), moved",   kExists, {{kReplace, 50}},   kSaved},
      {"unsupported (87), moved",   kExists, {{kReplace, 87}},   kSaved},
      {"unsupported, move fails",   kExists, {{kReplace, 50}, {kMove, 5}},
                                                                 kKept},
      // clang-format on
  };
  const fs::path root = fs::temp_directory_path() / "pinrow-contract-faults";
  const std::wstring folder = root.wstring();
  const std::wstring file = folder + L"\\f.txt";
  int ran = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(root);
    fs::create_directory(root);
    if (row.targetExists) {
      auto out = platform::OpenOutputFile(file);
      out->Write("before\r\n");
      out->Commit();
    }
    bool applies = true;
    for (const Fault& f : row.faults)
      applies = applies && contract::InjectSaveFault(f.step, f.error);
    if (!applies) {
      contract::ClearSaveFaults();
      continue;
    }
    ++ran;
    int number = 0;
    bool busy = false;
    try {
      auto out = platform::OpenOutputFile(file);
      out->Write("after\r\n");
      out->Commit();
    } catch (const platform::FileBusy& e) {
      busy = true;
      number = e.Number();
    } catch (const vb::RuntimeError& e) {
      number = e.Number();
    }
    contract::ClearSaveFaults();
    EXPECT_EQ(number != 0, row.outcome != kSaved) << number;
    EXPECT_EQ(busy, row.outcome == kKeptBusy || row.outcome == kBackupKept);
    // A backup left where the target is missing is the only copy of the
    // previous bytes, which the next start puts back.
    std::map<std::wstring, std::string> expected;
    if (row.outcome == kSaved)
      expected[L"f.txt"] = "after\r\n";
    else if (row.outcome == kBackupKept)
      expected[L"f.txt.~pnr*.bak"] = "before\r\n";
    else if (row.targetExists)
      expected[L"f.txt"] = "before\r\n";
    EXPECT_EQ(FilesIn(folder), expected);
  }
  EXPECT_GT(ran, 0);
  fs::remove_all(root);
}

// The facts a paste goes by, for a window of the program itself: a window
// that answers, may be a target, is not minimized and runs at the program's
// own integrity level; the null handle is no window and answers nothing.
// The topmost flag follows SetWindowPos.
TEST_F(ContractTest, WindowFactsAndTheTopmostGroup) {
  const platform::WindowHandle h = form().hWnd();
  const platform::WindowFacts own = platform::InspectWindow(h);
  EXPECT_TRUE(own.exists);
  EXPECT_TRUE(own.mayBeTarget);
  EXPECT_TRUE(platform::MayBeTarget(h));
  EXPECT_FALSE(own.minimized);
  EXPECT_EQ(own.integrity, platform::Integrity::NotHigher);
  EXPECT_TRUE(platform::AnswersWithin(h, 300));
  EXPECT_FALSE(platform::InspectWindow(0).exists);
  EXPECT_FALSE(platform::MayBeTarget(0));
  EXPECT_FALSE(platform::AnswersWithin(0, 300));
  constexpr unsigned kKeep =
      platform::kSwpNoSize | platform::kSwpNoMove | platform::kSwpNoActivate;
  EXPECT_FALSE(platform::IsTopmost(h));
  platform::SetWindowPos(h, platform::kHwndTopmost, 0, 0, 0, 0, kKeep);
  EXPECT_TRUE(platform::IsTopmost(h));
  platform::SetWindowPos(h, platform::kHwndNoTopmost, 0, 0, 0, 0, kKeep);
  EXPECT_FALSE(platform::IsTopmost(h));
}

// The clipboard as the paste's options go by it: every change moves the
// sequence number on and gives the new one back; the program's own text is
// plain text (with its marks) owned by its own process, read only when
// asked for; an emptied clipboard has no format at all.
TEST_F(ContractTest, ClipboardChangesAndWhatTheyLeave) {
  const std::uint32_t before = platform::ClipboardSequence();
  const std::uint32_t set = platform::ClipboardSetText(L"<b>");
  EXPECT_NE(set, before);
  EXPECT_EQ(platform::ClipboardSequence(), set);
  const auto never = [](const platform::ClipboardContent&) { return false; };
  const platform::ClipboardContent listed = platform::ReadClipboard(never);
  EXPECT_EQ(listed.sequence, set);
  EXPECT_EQ(listed.ownerProcess,
            platform::InspectWindow(form().hWnd()).process);
  EXPECT_FALSE(listed.kinds.empty);
  EXPECT_TRUE(listed.kinds.onlyText);
  EXPECT_TRUE(listed.kinds.unicodeText);
  EXPECT_FALSE(listed.textRead);
  const platform::ClipboardContent read = platform::ReadClipboard(
      [](const platform::ClipboardContent&) { return true; });
  EXPECT_TRUE(read.textRead);
  EXPECT_EQ(read.text, L"<b>");
  const std::uint32_t cleared = platform::ClipboardClear();
  EXPECT_NE(cleared, set);
  const platform::ClipboardContent empty = platform::ReadClipboard(
      [](const platform::ClipboardContent&) { return true; });
  EXPECT_EQ(empty.sequence, cleared);
  EXPECT_TRUE(empty.kinds.empty);
  EXPECT_FALSE(empty.textRead);
}

// A user's edit the box's judge refuses is undone, or cut to what fits;
// the ansiOnly guard drops what code page 932 lacks first; text set by code
// is never judged.
TEST_F(ContractTest, TextBoxJudgesTheUsersEdits) {
  platform::TextBoxArgs pairs = BoxAt(240, 240);
  pairs.ansiOnly = true;
  pairs.acceptEdit = [](const std::wstring& text) {
    return text.find(L"%%") == std::wstring::npos
               ? std::nullopt
               : std::optional<platform::EditRefusal>({L"t", L"no %%"});
  };
  platform::TextBox& box = form().AddTextBox(pairs);
  platform::TextBoxArgs bytes = BoxAt(240, 600);
  bytes.acceptEdit = [](const std::wstring& text) {
    return platform::ToAnsi(text).size() <= 6
               ? std::nullopt
               : std::optional<platform::EditRefusal>({L"t", L"long", true});
  };
  platform::TextBox& limited = form().AddTextBox(bytes);

  box.SetText(L"a%%");
  EXPECT_EQ(box.Text(), L"a%%");
  box.SetText(L"a");
  UserType(box, L"%b%%c");
  EXPECT_EQ(box.Text(), L"a%b%c");
  UserPaste(box, L"x%%y");
  EXPECT_EQ(box.Text(), L"a%b%c");
  UserPaste(box, L"d\u00e9%");
  EXPECT_EQ(box.Text(), L"a%b%cd%");
  UserPaste(limited, L"ab日本語");
  EXPECT_EQ(limited.Text(), L"ab日本");
  UserType(limited, L"c");
  EXPECT_EQ(limited.Text(), L"ab日本");
}

// The wheel reaches the control under the pointer: a scroll bar steps as
// its arrows do (up towards the top end), others hear whole notches, and
// parts of a notch add up.
TEST_F(ContractTest, WheelStepsScrollBarsAndGivesOthersWholeNotches) {
  platform::VScrollBarArgs spin;
  spin.left = 240;
  spin.top = 240;
  spin.width = 255;
  spin.height = 1290;
  spin.min = 990;
  spin.max = 10;
  spin.smallChange = 10;
  spin.largeChange = 1;
  spin.value = 500;
  platform::VScrollBar& bar = form().AddVScrollBar(spin);
  int changes = 0;
  bar.Change = [&] { ++changes; };
  platform::TextBox& box = form().AddTextBox(BoxAt(1000, 240));
  platform::TextBoxArgs header = BoxAt(1000, 800);
  header.enabled = false;
  platform::TextBox& disabled = form().AddTextBox(header);
  std::vector<int> turns;
  box.MouseWheel = [&](int notches) { turns.push_back(notches); };
  disabled.MouseWheel = [&](int notches) { turns.push_back(10 * notches); };
  form().Show();

  UserWheel(bar, 120);
  EXPECT_EQ(bar.Value(), 510);
  UserWheel(bar, -240);
  EXPECT_EQ(bar.Value(), 490);
  EXPECT_EQ(changes, 3);
  UserWheel(bar, 60);
  EXPECT_EQ(bar.Value(), 490);
  UserWheel(bar, 60);
  EXPECT_EQ(bar.Value(), 500);
  UserWheel(box, -120);
  for (int i = 0; i < 3; ++i) UserWheel(box, 40);
  UserWheel(disabled, 240);
  EXPECT_EQ(turns, (std::vector<int>{-1, 1, 20}));
}

// A text box that gets the focus back as its form is activated again (here
// after another form closed) fires no GotFocus: nothing moved in the form.
TEST_F(ContractTest, FocusComingBackWithItsFormFiresNoGotFocus) {
  platform::TextBox& first = form().AddTextBox(BoxAt(240, 240));
  platform::TextBox& second = form().AddTextBox(BoxAt(240, 600));
  int gotFocus = 0;
  first.GotFocus = [&] { ++gotFocus; };
  form().Show();
  first.SetFocus();
  EXPECT_EQ(gotFocus, 1);
  platform::FormArgs args;
  args.caption = L"other";
  std::unique_ptr<Form> other = platform::CreateForm(args);
  other->Show();
  other->Close();
  platform::DoEvents();
  EXPECT_EQ(gotFocus, 1);
  second.SetFocus();
  first.SetFocus();
  EXPECT_EQ(gotFocus, 2);
}

}  // namespace
