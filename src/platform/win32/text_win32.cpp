// Text controls: the label (a static text, optionally a link) and the text
// box (an edit field with its own colours, and a guard that refuses
// characters code page 932 can't hold and edits the box's judge refuses).
#include <climits>

#include "platform/text_edit.h"
#include "platform/win32/controls_win32.h"
#include "runtime/vb.h"

namespace platform::win32 {

COLORREF ColorRefOf(Color c) {
  return c.IsSystem() ? GetSysColor(c.SystemIndex())
                      : static_cast<COLORREF>(c.value);
}

HBRUSH ColorBrush::For(Color c) {
  if (c.IsSystem()) return GetSysColorBrush(c.SystemIndex());
  const COLORREF want = static_cast<COLORREF>(c.value);
  if (!own_ || color_ != want) {
    own_.Reset(CreateSolidBrush(want));
    color_ = want;
  }
  return own_.get();
}

namespace {

DWORD LabelAlignStyle(Align a, bool wordWrap) {
  switch (a) {
    case Align::Center:
      return SS_CENTER;
    case Align::Right:
      return SS_RIGHT;
    default:
      return wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
  }
}

DWORD EditAlignStyle(Align a) {
  switch (a) {
    case Align::Center:
      return ES_CENTER;
    case Align::Right:
      return ES_RIGHT;
    default:
      return ES_LEFT;
  }
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1,
                    L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// ---- Label
// -------------------------------------------------------------------

class Win32Label final : public ControlOf<Label> {
 public:
  Win32Label(Win32Container& parent, const LabelArgs& args)
      : ControlOf(parent, args), args_(args), drawn_(font()) {
    // A caption shrunk to fit stays centred on the line of the label's font.
    Init(L"STATIC",
         SS_NOTIFY | SS_NOPREFIX | (args.maxWidth > 0 ? SS_CENTERIMAGE : 0) |
             LabelAlignStyle(args.alignment, args.wordWrap),
         0, args.caption);
  }

  std::wstring Caption() const override { return text(); }
  void SetCaption(const std::wstring& c) override {
    SetText(c);
    if (!autoWidth() && !autoHeight()) return;
    Remeasure();
    PlaceAgain();
  }

  bool OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_COMMAND && HIWORD(wp) == STN_CLICKED) {
      Fire(Click);
      result = 0;
      return true;
    }
    if (msg != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, ColorRefOf(args_.foreColor));
    if (args_.opaque) {
      SetBkColor(dc, ColorRefOf(args_.backColor));
      result = reinterpret_cast<LRESULT>(brush_.For(args_.backColor));
    } else {
      SetBkMode(dc, TRANSPARENT);
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    (void)lp;
    return true;
  }

  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    if (msg == WM_SETCURSOR && args_.handCursor) {
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      result = TRUE;
      return true;
    }
    return ChildWindow::OnMessage(msg, wp, lp, result);
  }

 protected:
  HFONT Font() const override { return form().FontFor(drawn_); }

  // A label without a given width (or height) is as large as its caption;
  // one wider than its room is drawn a pixel of height smaller at a time.
  void Measure() override {
    const UINT dpi = form().dpi();
    const int full = PointsToPixels(font().points, dpi);
    drawn_ = font();
    const SIZE natural = CaptionSize();
    SIZE size = natural;
    for (int px = full - 1; size.cx > MaxPixels() && px * 4 >= full * 3; --px) {
      drawn_.points = static_cast<float>(px) * 72.0f / static_cast<float>(dpi);
      size = CaptionSize();
    }
    if (autoWidth()) SetMeasured(2, PixelsToTwips(size.cx, dpi));
    if (autoHeight()) SetMeasured(3, PixelsToTwips(natural.cy, dpi));
  }

 private:
  SIZE CaptionSize() {
    HDC dc = form().MeasuringDc();
    Selected font(dc, Font());
    RECT r{0, 0, autoWidth() ? 32767 : FormPixels().cx, 0};
    UINT format = DT_CALCRECT | DT_NOPREFIX |
                  (args_.wordWrap && !autoWidth() ? DT_WORDBREAK : 0);
    DrawTextW(dc, text().c_str(), static_cast<int>(text().size()), &r, format);
    return {r.right, r.bottom};
  }

  // The room maxWidth gives, in pixels as the label's edges round.
  int MaxPixels() const {
    if (!autoWidth() || args_.maxWidth <= 0) return INT_MAX;
    const UINT dpi = form().dpi();
    return TwipsToPixels(AbsLeft() + args_.maxWidth, dpi) -
           TwipsToPixels(AbsLeft(), dpi);
  }

  LabelArgs args_;
  FontSpec drawn_;  // the font, or the same face shrunk to fit maxWidth
  ColorBrush brush_;
};

// ---- TextBox
// -----------------------------------------------------------------

DWORD EditStyle(const TextBoxArgs& a) {
  DWORD style = EditAlignStyle(a.alignment) | (a.locked ? ES_READONLY : 0);
  if (!a.multiLine) return style | ES_AUTOHSCROLL;
  return style | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN |
         (a.verticalScrollBar ? WS_VSCROLL : 0);
}

class Win32TextBox final : public ControlOf<TextBox> {
 public:
  Win32TextBox(Win32Container& parent, const TextBoxArgs& args)
      : ControlOf(parent, args),
        locked_(args.locked),
        back_(args.backColor),
        fore_(args.foreColor),
        ansiOnly_(args.ansiOnly),
        acceptEdit_(args.acceptEdit),
        flat_(args.flat),
        centred_(args.alignment == Align::Center) {
    // A flat box's one-pixel frame is the room a static edge keeps outside
    // the edit's area from the window's making; the box draws the line.
    Init(L"EDIT", EditStyle(args),
         args.flat ? WS_EX_STATICEDGE : WS_EX_CLIENTEDGE, args.text);
  }

  // The text as set or as the user last changed it (every change of the
  // user's is taken over at once, EN_CHANGE), so no window is asked.
  std::wstring Text() const override { return text(); }
  void SetText(const std::wstring& t) override {
    guard_ = true;
    ChildWindow::SetText(t);
    guard_ = false;
  }
  bool Locked() const override { return locked_; }
  void SetLocked(bool v) override {
    locked_ = v;
    if (hwnd()) SendMessageW(hwnd(), EM_SETREADONLY, v, 0);
  }
  Color BackColor() const override { return back_; }
  void SetBackColor(Color c) override {
    if (back_ == c) return;
    back_ = c;
    if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
  }
  Color ForeColor() const override { return fore_; }
  void SetForeColor(Color c) override {
    if (fore_ == c) return;
    fore_ = c;
    if (hwnd()) InvalidateRect(hwnd(), nullptr, TRUE);
  }

  // Read-only and disabled fields ask with WM_CTLCOLORSTATIC, editable ones
  // with WM_CTLCOLOREDIT; both take the box's own colours.
  bool OnReflect(UINT msg, WPARAM wp, LPARAM, LRESULT& result) override {
    if (msg == WM_COMMAND && HIWORD(wp) == EN_CHANGE) {
      if (!guard_) Guard();
      result = 0;
      return true;
    }
    if (msg != WM_CTLCOLOREDIT && msg != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, ColorRefOf(fore_));
    SetBkColor(dc, ColorRefOf(back_));
    result = reinterpret_cast<LRESULT>(brush_.For(back_));
    return true;
  }

  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
    switch (msg) {
      case WM_SETFOCUS:
        result = ClassProc(msg, wp, lp);
        if (!form().RestoringFocus()) Fire(GotFocus);
        return true;
      case WM_NCPAINT:
        if (!flat_) break;
        PaintFlatBorder();
        result = 0;
        return true;
    }
    return ChildWindow::OnMessage(msg, wp, lp, result);
  }

 protected:
  // Narrow margins, as the classic text boxes have. A grid cell (flat) has
  // its one-pixel line as a frame of its own outside the edit's area (an
  // edit control with WS_BORDER draws its line inside and keeps a pixel of
  // room within it as well), and a centred one no margins: a cell of 280
  // twips then holds "No" in bold or a number of two digits.
  void ApplyLook() override {
    ChildWindow::ApplyLook();
    const int margin =
        flat_ && centred_ ? 0 : MulDiv(1, static_cast<int>(form().dpi()), 96);
    SendMessageW(hwnd(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                 MAKELPARAM(margin, margin));
  }

 private:
  // Takes over what the user changed (typed, pasted, composed or deleted):
  // the change is found by comparing the text with the one before, and the
  // box takes it as TakeEdit decides; what it does not take is put right at
  // once, with a notice.
  void Guard() {
    const std::wstring now = WindowText(hwnd());
    const std::wstring before = text();
    if (!ansiOnly_ && !acceptEdit_) {
      TextChanged(now);
      return;
    }
    std::size_t head = 0;
    while (head < now.size() && head < before.size() &&
           now[head] == before[head])
      ++head;
    std::size_t tail = 0;
    while (tail < now.size() - head && tail < before.size() - head &&
           now[now.size() - 1 - tail] == before[before.size() - 1 - tail])
      ++tail;
    const TextEdit edit{now.substr(0, head),
                        now.substr(head, now.size() - head - tail),
                        now.substr(now.size() - tail)};
    const EditOutcome out = TakeEdit(ansiOnly_, acceptEdit_, before, edit);
    if (out.text != now) {
      guard_ = true;
      SetWindowTextW(hwnd(), out.text.c_str());
      guard_ = false;
      SendMessageW(hwnd(), EM_SETSEL, out.caret,
                   static_cast<LPARAM>(out.caret));
      SendMessageW(hwnd(), EM_SCROLLCARET, 0, 0);
    }
    TextChanged(out.text);
    if (!out.notice) return;
    MessageBeep(MB_ICONWARNING);
    form().tips().ShowNotice(hwnd(), out.notice->title, out.notice->text);
  }

  // The line around a grid cell, in the colour edit controls draw theirs.
  void PaintFlatBorder() {
    HDC dc = GetWindowDC(hwnd());
    RECT r{};
    GetWindowRect(hwnd(), &r);
    OffsetRect(&r, -r.left, -r.top);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    ReleaseDC(hwnd(), dc);
  }

  bool locked_;
  Color back_, fore_;
  bool ansiOnly_;
  EditJudge acceptEdit_;
  bool flat_, centred_;
  bool guard_ = false;  // set while the program itself sets the text
  ColorBrush brush_;
};

}  // namespace

Label& MakeLabel(Win32Container& c, const LabelArgs& a) {
  return Install<Win32Label>(c, a);
}

TextBox& MakeTextBox(Win32Container& c, const TextBoxArgs& a) {
  return Install<Win32TextBox>(c, a);
}

}  // namespace platform::win32
