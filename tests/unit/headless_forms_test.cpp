// The headless forms stand in for the window system in every bar test, so
// the events they fire (order, nesting, drag states) are checked here.
#include "platform/headless/headless_forms.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "test_support.h"

namespace {

namespace hl = platform::headless;
using Events = std::vector<std::wstring>;

class HeadlessFormsTest : public testing_support::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    hl::ResetForms();
  }

  std::unique_ptr<platform::Form> Make(const std::wstring& caption) {
    platform::FormArgs args;
    args.caption = caption;
    args.toolWindow = true;
    auto form = platform::CreateForm(args);
    platform::Form* f = form.get();
    f->Resize = [this, f, caption] {
      events_.push_back(caption + L" Resize " +
                        std::to_wstring(int(f->Width())));
    };
    f->Activate = [this, caption] {
      events_.push_back(caption + L" Activate");
    };
    f->Unload = [this, caption] { events_.push_back(caption + L" Unload"); };
    return form;
  }

  Events events_;
};

TEST_F(HeadlessFormsTest, SizeChangesFireResizeNestedAndClampToTheMinimum) {
  auto form = Make(L"A");
  platform::Form* f = form.get();
  f->Resize = [&] {
    events_.push_back(L"Resize " + std::to_wstring(int(f->Width())));
    if (f->ScaleWidth() < 2000) f->SetWidth(f->Width() + 500);
  };
  f->SetWidth(1500);
  EXPECT_EQ(events_, (Events{L"Resize 1500", L"Resize 2000", L"Resize 2500"}));
  events_.clear();
  f->SetWidth(2500);  // no change, no event
  f->SetLeft(77);
  EXPECT_TRUE(events_.empty());
  f->SetHeight(0);
  EXPECT_EQ(f->Height(), hl::kMinOuterHeight);
  EXPECT_EQ(f->ScaleHeight(), 0);
  EXPECT_EQ(f->ScaleWidth(), 2500 - hl::kToolFrameWidth);
}

TEST_F(HeadlessFormsTest, ShowActivatesAndClosingHandsActivationBack) {
  auto bar = Make(L"bar");
  auto box = Make(L"box");
  bar->Show();
  hl::QueueModalScript([&](platform::Form& dialog) {
    EXPECT_EQ(platform::GetForegroundWindow(), dialog.hWnd());
    EXPECT_TRUE(platform::IsOwnWindow(dialog.hWnd()));
    dialog.Close();
    dialog.Close();
  });
  box->ShowModal();
  EXPECT_EQ(events_,
            (Events{L"bar Resize 3000", L"bar Activate", L"box Resize 3000",
                    L"box Activate", L"box Unload", L"bar Activate"}));
  EXPECT_EQ(platform::GetForegroundWindow(), bar->hWnd());
  EXPECT_EQ(hl::LiveForms(), (std::vector<platform::Form*>{bar.get()}));
  events_.clear();
  hl::Activate(*bar);  // already the active form
  EXPECT_TRUE(events_.empty());
}

// A form that would lie wholly outside the work area (a monitor since
// unplugged) is moved onto it by the least way; one partly on it stays.
TEST_F(HeadlessFormsTest, ShowBringsAFormOffTheScreenBackOntoIt) {
  const struct {
    float left, top, wantLeft, wantTop;
  } cases[] = {{-32768, -32768, 0, 0},
               {30000, 300, hl::kScreenWidth - 3000, 300},
               {-2000, 300, -2000, 300}};
  for (const auto& c : cases) {
    auto form = Make(L"A");
    form->SetLeft(c.left);
    form->SetTop(c.top);
    form->Show();
    EXPECT_EQ(form->Left(), c.wantLeft) << c.left;
    EXPECT_EQ(form->Top(), c.wantTop) << c.left;
  }
}

TEST_F(HeadlessFormsTest, UnscriptedModalDialogIsClosedBeforeReturning) {
  auto box = Make(L"box");
  box->ShowModal();
  EXPECT_TRUE(hl::IsClosed(*box));
  EXPECT_EQ(hl::UnloadCount(*box), 1);
}

TEST_F(HeadlessFormsTest, ClicksReachOnlyVisibleEnabledManualButtons) {
  auto form = Make(L"A");
  platform::ToggleButtonArgs args;
  platform::ToggleButton& b = form->AddToggleButton(args);
  int clicks = 0;
  b.Click = [&] { ++clicks; };
  hl::Press(b);
  EXPECT_EQ(b.Value(), 1);
  b.SetEnabled(false);
  hl::Press(b);
  b.SetEnabled(true);
  b.SetDragMode(platform::DragMode::Automatic);
  hl::Press(b);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b.Value(), 1);

  platform::Timer& t = form->AddTimer();
  int ticks = 0;
  t.Tick = [&] { ++ticks; };
  hl::Tick(t);
  t.SetInterval(100);
  hl::Tick(t);
  EXPECT_EQ(ticks, 1);
}

TEST_F(HeadlessFormsTest, DragFiresEnterLeaveOverAndDrop) {
  auto form = Make(L"A");
  platform::ToggleButtonArgs args;
  args.left = 0;
  platform::ToggleButton& a = form->AddToggleButton(args);
  args.left = 2000;
  platform::ToggleButton& b = form->AddToggleButton(args);
  Events seen;
  auto watch = [&](platform::Control& c, const std::wstring& name) {
    c.DragOver = [&seen, name](platform::Control&, float x, float y, int s) {
      seen.push_back(name + L" over " + std::to_wstring(int(x)) + L"," +
                     std::to_wstring(int(y)) + L" " + std::to_wstring(s));
    };
    c.DragDrop = [&seen, name](platform::Control&, float x, float) {
      seen.push_back(name + L" drop " + std::to_wstring(int(x)));
    };
  };
  watch(a, L"a");
  watch(b, L"b");
  form->DragDrop = [&](platform::Control& src, float x, float) {
    seen.push_back(std::wstring(&src == &a ? L"a" : L"?") + L" on form " +
                   std::to_wstring(int(x)));
  };
  hl::BeginDrag(a, 30, 10);
  hl::MoveOver(a, 40, 10);
  hl::MoveOver(b, 5, 10);
  hl::DropOn(b, 6, 10);
  hl::BeginDrag(a, 30, 10);
  hl::DropOnForm(*form, 3500, 10);
  hl::BeginDrag(a, 30, 10);
  hl::DropOutside();
  EXPECT_FALSE(hl::Dragging());
  EXPECT_EQ(seen,
            (Events{L"a over 30,10 0", L"a over 40,10 2", L"a over 2005,10 1",
                    L"b over 5,10 0", L"b drop 6", L"a over 30,10 0",
                    L"a over 3500,10 1", L"a on form 3500", L"a over 30,10 0",
                    L"a over 30,10 1"}));
}

}  // namespace
