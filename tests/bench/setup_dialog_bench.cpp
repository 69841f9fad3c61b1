// The settings dialog's button handlers with a full list of 30 buttons on
// the headless forms: each must answer well under a millisecond.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/headless/headless.h"
#include "platform/headless/headless_forms.h"
#include "setup/frmSetup.h"
#include "store/modPublic.h"

namespace {

using namespace modPublic;
namespace hl = platform::headless;

constexpr int kButtons = 30;

// n buttons as tag.txt loads them, inside a bar of 1200 x 2400 twips.
void FillTable(int n) {
  TagTable.Resize(kButtonSlots, kTagColumns);
  for (int i = 0; i < n; ++i) {
    const std::wstring s = std::to_wstring(i);
    TagTable(i, colNo) = static_cast<std::int16_t>(i);
    TagTable(i, colLeft) = static_cast<std::int16_t>(0);
    TagTable(i, colTop) = static_cast<std::int16_t>(400 * (i % 6));
    TagTable(i, colWidth) = static_cast<std::int16_t>(1200);
    TagTable(i, colHeight) = static_cast<std::int16_t>(400);
    TagTable(i, colCaption) = L"B" + s;
    TagTable(i, colTagS) = L"<b" + s + L" class='x'>";
    TagTable(i, colTagE) = L"</b" + s + L">";
  }
  TagCount = static_cast<std::int16_t>(n);
}

std::unique_ptr<frmSetup> OpenWith(int buttons) {
  ResetSharedState();
  BarClientWidth = 1200;
  BarClientHeight = 2400;
  FillTable(buttons);
  auto dialog = std::make_unique<frmSetup>();
  dialog->Form_Load();
  return dialog;
}

void CheckNoMessages(benchmark::State& state) {
  if (!hl::MsgBoxes().empty()) state.SkipWithError("a message box was shown");
}

void BM_SetupRegisterExisting(benchmark::State& state) {
  auto d = OpenWith(kButtons);
  hl::Focus(d->txtListCaption(2));
  for (auto _ : state) d->cmdSave_Click();
  CheckNoMessages(state);
}
BENCHMARK(BM_SetupRegisterExisting)->Unit(benchmark::kMicrosecond);

// The 30th button, added anew each round.
void BM_SetupRegisterNew(benchmark::State& state) {
  auto d = OpenWith(kButtons - 1);
  hl::Focus(d->txtListCaption(2));
  for (auto _ : state) {
    state.PauseTiming();
    FillTable(kButtons - 1);
    d->txtInputNo->SetText(L"");
    state.ResumeTiming();
    d->cmdSave_Click();
  }
  CheckNoMessages(state);
}
BENCHMARK(BM_SetupRegisterNew)->Unit(benchmark::kMicrosecond);

// Button 15 of 30 deleted each round.
void BM_SetupDelete(benchmark::State& state) {
  auto d = OpenWith(kButtons);
  for (auto _ : state) {
    state.PauseTiming();
    FillTable(kButtons);
    d->txtInputNo->SetText(L"15");
    state.ResumeTiming();
    d->cmdDelete_Click();
  }
  CheckNoMessages(state);
}
BENCHMARK(BM_SetupDelete)->Unit(benchmark::kMicrosecond);

// The list's thumb dragged between its ends.
void BM_SetupScrollList(benchmark::State& state) {
  auto d = OpenWith(kButtons);
  hl::Focus(d->txtListNo(3));
  int to = d->vscList->Max();
  for (auto _ : state) {
    hl::DragThumb(*d->vscList, to);
    to = d->vscList->Max() - to;
  }
  CheckNoMessages(state);
}
BENCHMARK(BM_SetupScrollList)->Unit(benchmark::kMicrosecond);

}  // namespace
