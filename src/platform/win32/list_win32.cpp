// The drop-down list: a combo box the user chooses from without typing.
#include <vector>

#include "platform/win32/controls_win32.h"
#include "runtime/vb.h"

namespace platform::win32 {
namespace {

constexpr int kVisibleItems = 12;

class Win32DropDown final : public ControlOf<DropDownList> {
 public:
  Win32DropDown(Win32Container& parent, const DropDownListArgs& args)
      : ControlOf(parent, args) {
    Init(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, 0, L"");
  }

  void AddItem(const std::wstring& item) override {
    items_.push_back(item);
    if (hwnd())
      SendMessageW(hwnd(), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(item.c_str()));
  }
  int ListCount() const override { return static_cast<int>(items_.size()); }
  std::wstring List(int index) const override {
    if (index < 0 || index >= ListCount()) return L"";
    return items_[static_cast<std::size_t>(index)];
  }
  // The user chooses in the window itself, so a window is asked.
  int ListIndex() const override {
    if (!hwnd()) return index_;
    LRESULT i = SendMessageW(hwnd(), CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? -1 : static_cast<int>(i);
  }
  void SetListIndex(int index) override {
    if (index < -1 || index >= ListCount())
      vb::Raise(vb::kInvalidPropertyValue);
    index_ = index;
    if (hwnd()) SendMessageW(hwnd(), CB_SETCURSEL, index, 0);
  }
  std::wstring Text() const override { return List(ListIndex()); }

 protected:
  void ApplyState() override {
    for (const std::wstring& item : items_)
      SendMessageW(hwnd(), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageW(hwnd(), CB_SETMINVISIBLE, kVisibleItems, 0);
    SendMessageW(hwnd(), CB_SETCURSEL, index_, 0);
  }
  // The window's height holds the dropped list too.
  int ExtraWindowHeight() const override {
    return MulDiv(kVisibleItems * 16, static_cast<int>(form().dpi()), 96);
  }

 private:
  std::vector<std::wstring> items_;
  int index_ = -1;
};

}  // namespace

DropDownList& MakeDropDownList(Win32Container& c, const DropDownListArgs& a) {
  return Install<Win32DropDown>(c, a);
}

}  // namespace platform::win32
