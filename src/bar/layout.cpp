// Moving and resizing the tag buttons on the bar: the 100-twip grid, the
// clamp of a position or size to the bar, the arrow keys and drag and drop.
#include "bar/layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "bar/frmStrell.h"

namespace {

constexpr std::int16_t kGrid = 100;
constexpr std::int16_t kStep = 100;
constexpr std::int16_t kMinSize = 100;

constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;

// A control property rounded to whole twips.
std::int16_t Twips(float value) {
  return vb::ToInt16(static_cast<double>(value));
}

// One axis of a button: its position and size properties, the columns that
// hold them and the bar's inner extent along it.
struct Axis {
  float (platform::Control::*position)() const;
  float (platform::Control::*size)() const;
  void (platform::Control::*setPosition)(float);
  void (platform::Control::*setSize)(float);
  int positionColumn;
  int sizeColumn;
  const std::int16_t* limit;
  const wchar_t* positionText;
  const wchar_t* sizeText;
};

const Axis kVertical{&platform::Control::Top,
                     &platform::Control::Height,
                     &platform::Control::SetTop,
                     &platform::Control::SetHeight,
                     modPublic::colTop,
                     modPublic::colHeight,
                     &modPublic::BarClientHeight,
                     L"Top",
                     L"Height"};
const Axis kHorizontal{&platform::Control::Left,
                       &platform::Control::Width,
                       &platform::Control::SetLeft,
                       &platform::Control::SetWidth,
                       modPublic::colLeft,
                       modPublic::colWidth,
                       &modPublic::BarClientWidth,
                       L"Left",
                       L"Width"};

// One arrow-key rule: with `bit` held and `key` pressed, change the size
// (Shift) or the position (Ctrl) along `axis` by `delta`.
struct KeyRule {
  int bit;
  int key;
  const Axis* axis;
  bool resize;
  std::int16_t delta;
};

// Run in this order; a later rule sees what an earlier one did.
const std::array<KeyRule, 8> kKeyRules{{
    {platform::kShiftMask, kKeyUp, &kVertical, true, -kStep},
    {platform::kShiftMask, kKeyDown, &kVertical, true, kStep},
    {platform::kShiftMask, kKeyRight, &kHorizontal, true, kStep},
    {platform::kShiftMask, kKeyLeft, &kHorizontal, true, -kStep},
    {platform::kCtrlMask, kKeyUp, &kVertical, false, -kStep},
    {platform::kCtrlMask, kKeyDown, &kVertical, false, kStep},
    {platform::kCtrlMask, kKeyRight, &kHorizontal, false, kStep},
    {platform::kCtrlMask, kKeyLeft, &kHorizontal, false, -kStep},
}};

// Applies one rule to button `index`: reads the control afresh, clamps and
// snaps the candidate, and stores it in the tag table and the control.
void ApplyKeyRule(const KeyRule& rule, platform::ToggleButton& button,
                  int index) {
  const Axis& axis = *rule.axis;
  const std::int16_t position = Twips((button.*axis.position)());
  const std::int16_t size = Twips((button.*axis.size)());
  std::int16_t result;
  if (rule.resize) {
    const std::int16_t candidate = vb::Add16(size, rule.delta);
    result =
        ClampToBar(*axis.limit, kMinSize, position, candidate, axis.sizeText);
  } else {
    const std::int16_t candidate = vb::Add16(position, rule.delta);
    result = ClampToBar(*axis.limit, 0, candidate, size, axis.positionText);
  }
  const int column = rule.resize ? axis.sizeColumn : axis.positionColumn;
  modPublic::TagTable(index, column) = vb::Variant(result);
  (button.*(rule.resize ? axis.setSize : axis.setPosition))(result);
}

// The largest multiple of the grid not above `value`, as 16-bit twips.
std::int16_t FloorToGrid(double value) {
  return vb::ToInt16(std::floor(value / kGrid) * kGrid);
}

}  // namespace

std::int16_t SnapToGrid(std::int16_t value) {
  return vb::ToInt16(vb::RoundHalfEven(value / static_cast<double>(kGrid)) *
                     kGrid);
}

// A position keeps at least `minimum`; a size keeps at least kMinSize (the
// bound of every size, whatever minimum is passed). When the button would
// reach the limit, the value is chosen so that it ends exactly at the limit.
std::int16_t ClampToBar(std::int16_t limit, std::int16_t minimum,
                        std::int16_t position, std::int16_t size,
                        const std::wstring& text) {
  const bool fits = vb::Add16(position, size) < limit;
  std::int16_t result;
  if (text == L"Top" || text == L"Left") {
    result = fits ? std::max(position, minimum) : vb::Sub16(limit, size);
  } else if (text == L"Height" || text == L"Width") {
    result = fits ? std::max(size, kMinSize) : vb::Sub16(limit, position);
  } else {
    vb::Raise(vb::kInvalidCall);
  }
  return SnapToGrid(result);
}

void frmStrell::Check_KeyDown(std::int16_t Index, int KeyCode, int Shift) {
  modPublic::ErrorTrap(L"タグボタンのキーを押した時", [&] {
    platform::ToggleButton& button = modPublic::ButtonAt(Check, Index);
    if (Shift & platform::kCtrlMask) {
      button.SetDragMode(platform::DragMode::Automatic);
    }
    for (const KeyRule& rule : kKeyRules) {
      if ((Shift & rule.bit) && KeyCode == rule.key) {
        ApplyKeyRule(rule, button, Index);
      }
    }
    modPublic::ComputeButtonExtents();
  });
}

void frmStrell::Check_DragOver(std::int16_t Index, platform::Control& Source,
                               float X, float Y, int State) {
  modPublic::ErrorTrap(L"タグボタンのドラッグ時", [&] {
    platform::ToggleButton& button = modPublic::ButtonAt(Check, Index);
    if (&Source != &button || State != platform::kDragEnter) return;
    const std::int16_t grabX = Twips(X);
    const std::int16_t grabY = Twips(Y);
    DragButtonIndex = Index;
    DragGrabX = grabX;
    DragGrabY = grabY;
  });
}

void frmStrell::Form_DragDrop(platform::Control& /*source*/, float x, float y) {
  modPublic::ErrorTrap(L"フォーム上でドラッグ＆ドロップした時", [&] {
    platform::ToggleButton& dragged =
        modPublic::ButtonAt(Check, DragButtonIndex);
    const std::int16_t left =
        ClampToBar(modPublic::BarClientWidth, 0,
                   vb::ToInt16(static_cast<double>(x) - DragGrabX),
                   Twips(dragged.Width()), L"Left");
    const std::int16_t top =
        ClampToBar(modPublic::BarClientHeight, 0,
                   vb::ToInt16(static_cast<double>(y) - DragGrabY),
                   Twips(dragged.Height()), L"Top");
    PlaceDraggedButton(left, top);
  });
}

void frmStrell::Check_DragDrop(std::int16_t Index,
                               platform::Control& /*Source*/, float X,
                               float Y) {
  modPublic::ErrorTrap(L"タグボタンをドラッグ＆ドロップの時", [&] {
    const platform::ToggleButton& target = modPublic::ButtonAt(Check, Index);
    const double dropX = static_cast<double>(target.Left()) + X;
    const double dropY = static_cast<double>(target.Top()) + Y;
    const std::int16_t left = FloorToGrid(dropX - DragGrabX);
    const std::int16_t top = FloorToGrid(dropY - DragGrabY);
    PlaceDraggedButton(left, top);
  });
}

// Callers compute both values before this runs, so a drop that fails
// on either leaves the table, the file and the bar as they were.
void frmStrell::PlaceDraggedButton(std::int16_t left, std::int16_t top) {
  platform::ToggleButton& dragged = modPublic::ButtonAt(Check, DragButtonIndex);
  modPublic::TagTable(DragButtonIndex, modPublic::colLeft) = vb::Variant(left);
  modPublic::TagTable(DragButtonIndex, modPublic::colTop) = vb::Variant(top);
  modPublic::SaveTagFile();
  dragged.SetLeft(left);
  dragged.SetTop(top);
  modPublic::ComputeButtonExtents();
}
