// Modal boxes: the message box and the input box (a dialog built from an
// in-memory template).
#include <algorithm>
#include <vector>

#include "platform/system.h"
#include "platform/texts.h"
#include "platform/win32/form_win32.h"

namespace platform {
namespace win32 {
namespace {

// Builds a dialog template in memory: the header, then the items, each
// aligned to a DWORD boundary as the dialog manager expects.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short cx, short cy, const std::wstring& title,
                 WORD points, const wchar_t* font) {
    PutDword(style | DS_SETFONT);
    PutDword(0);
    countAt_ = words_.size();
    Put(0);
    // x = CW_USEDEFAULT as a 16-bit value; the box is placed at
    // WM_INITDIALOG.
    PutShorts({static_cast<short>(0x8000), 0, cx, cy});
    Put(0);  // no menu
    Put(0);  // the standard dialog class
    PutText(title);
    Put(points);
    PutText(font);
  }

  // A child control of a predefined class (0x80 button, 0x81 edit,
  // 0x82 static), in dialog units.
  void AddItem(WORD classAtom, WORD id, DWORD style, short x, short y, short cx,
               short cy, const std::wstring& text) {
    if (words_.size() % 2) Put(0);
    PutDword(style | WS_CHILD | WS_VISIBLE);
    PutDword(0);
    PutShorts({x, y, cx, cy});
    Put(id);
    Put(0xFFFF);
    Put(classAtom);
    PutText(text);
    Put(0);  // no creation data
    ++words_[countAt_];
  }

  const DLGTEMPLATE* get() const {
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
  }

 private:
  void Put(WORD w) { words_.push_back(w); }
  void PutDword(DWORD d) {
    Put(LOWORD(d));
    Put(HIWORD(d));
  }
  void PutShorts(std::initializer_list<short> values) {
    for (short v : values) Put(static_cast<WORD>(v));
  }
  void PutText(const std::wstring& text) {
    for (wchar_t c : text) Put(static_cast<WORD>(c));
    Put(0);
  }

  // WORD storage keeps the DWORD alignment that DialogBoxIndirect needs
  // (vector data is suitably aligned for any fundamental type).
  std::vector<WORD> words_;
  size_t countAt_ = 0;
};

constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82;
constexpr WORD kPromptId = 100, kEditId = 101;

// Where input boxes traditionally stand: centred across the work area of
// the owner's monitor, a third of the way down.
void PlaceInputBox(HWND dlg) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  HWND owner = GetWindow(dlg, GW_OWNER);
  GetMonitorInfoW(
      MonitorFromWindow(owner ? owner : dlg, MONITOR_DEFAULTTOPRIMARY), &mi);
  RECT box{};
  GetWindowRect(dlg, &box);
  const RECT& work = mi.rcWork;
  int width = box.right - box.left, height = box.bottom - box.top;
  int x = work.left + (work.right - work.left - width) / 2;
  int y = work.top + std::max(0L, (work.bottom - work.top) / 3 - height / 2);
  ::SetWindowPos(dlg, nullptr, x, y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK InputBoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    if (msg == WM_INITDIALOG) {
      SetWindowLongPtrW(dlg, DWLP_USER, lp);
      PlaceInputBox(dlg);
      ::SetFocus(GetDlgItem(dlg, kEditId));
      return FALSE;  // the focus has been set here
    }
    if (msg != WM_COMMAND) return FALSE;
    WORD id = LOWORD(wp);
    if (id == IDOK) {
      auto* answer =
          reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dlg, DWLP_USER));
      HWND edit = GetDlgItem(dlg, kEditId);
      answer->assign(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1,
                     L'\0');
      int n = GetWindowTextW(edit, answer->data(),
                             static_cast<int>(answer->size()));
      answer->resize(static_cast<size_t>(n));
      EndDialog(dlg, IDOK);
      return TRUE;
    }
    if (id == IDCANCEL) {
      EndDialog(dlg, IDCANCEL);
      return TRUE;
    }
  } catch (...) {
    ReportStray("the input box's dialog procedure");
  }
  return FALSE;
}

int openModals = 0;

}  // namespace

ModalScope::ModalScope() { ++openModals; }
ModalScope::~ModalScope() { --openModals; }

}  // namespace win32

bool ModalOpen() { return win32::openModals > 0; }

int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) {
  if (SessionEnding()) return UnansweredResult(style);
  const win32::ModalScope modal;
  return MessageBoxW(win32::Win32Form::BoxOwner(), prompt.c_str(),
                     title.c_str(), static_cast<UINT>(style));
}

std::wstring InputBox(const std::wstring& prompt, const std::wstring& title) {
  using namespace win32;
  DialogTemplate box(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 250,
                     90, title, 9, L"MS Shell Dlg");
  box.AddItem(kStatic, kPromptId, SS_LEFT | SS_NOPREFIX, 7, 7, 180, 56, prompt);
  box.AddItem(kButton, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 193, 7, 50, 14,
              kOkCaption);
  box.AddItem(kButton, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 193, 25, 50, 14,
              kCancelCaption);
  box.AddItem(kEdit, kEditId, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 70,
              236, 13, L"");
  std::wstring answer;
  const ModalScope modal;
  INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), box.get(),
                                           Win32Form::BoxOwner(), InputBoxProc,
                                           reinterpret_cast<LPARAM>(&answer));
  return result == IDOK ? answer : std::wstring();
}

}  // namespace platform
