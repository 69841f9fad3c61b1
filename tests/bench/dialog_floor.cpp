// The floor of the settings dialog's opening: a bare Win32 program with the
// app's manifest whose window holds one picture-sized button at its corner,
// as the bar's settings button; a click on it makes a top-level window with
// the child windows the dialog shows on its first page (the tab control,
// the page's pane, every control of the page and the close button: the
// same classes, places, texts and font, five default buttons in the list,
// the first loaded) and shows it centred. Esc closes that window again.
// dialog_bench.py clicks both, turn about, and compares the times.
#include <windows.h>
// These need the declarations of <windows.h> first.
#include <commctrl.h>

#include <cmath>
#include <string>

namespace {

constexpr wchar_t kBarClass[] = L"FloorBar";
constexpr wchar_t kPaneClass[] = L"PinrowPane";
constexpr wchar_t kDialogClass[] = L"PinrowForm";
constexpr wchar_t kDialogTitle[] = L"FloorDialog";
constexpr int kOpenId = 1;

// The dialog's client area and its tab control, twips.
constexpr int kClientWidth = 6660, kClientHeight = 6840;
constexpr int kTabsLeft = 120, kTabsTop = 120;
constexpr int kTabsWidth = 6405, kTabsHeight = 6135;

HWND g_dialog = nullptr;
UINT g_dpi = 96;

int Px(double twips) {
  return static_cast<int>(std::lround(twips * g_dpi / 1440));
}

HFONT Font(bool bold) {
  return CreateFontW(-Px(9 * 20), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                     FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック");
}

// A control of the page: its window class, styles, place on the page
// (twips from the tab control's corner; width 0: as wide as its text),
// text, and whether it takes the bold header font.
struct Item {
  const wchar_t* cls;
  DWORD style, exStyle;
  int left, top, width, height;
  const wchar_t* text;
  bool bold;
};

constexpr DWORD kLabel = SS_NOTIFY | SS_NOPREFIX | SS_LEFTNOWORDWRAP;
constexpr DWORD kNote = SS_NOTIFY | SS_NOPREFIX | SS_LEFT;
constexpr DWORD kLine = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kLines = ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL |
                         ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kNumber = ES_CENTER | ES_READONLY | ES_AUTOHSCROLL;
constexpr DWORD kHeader =
    ES_CENTER | ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_DISABLED;
constexpr DWORD kCell =
    ES_LEFT | ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD kNoCell = kCell | ES_CENTER;
constexpr DWORD kSpin = SBS_VERT | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kEdge = WS_EX_CLIENTEDGE;

// The first page as the dialog lays it out, the upper half first.
const Item kPage[] = {
    {L"STATIC", kLabel, 0, 120, 480, 0, 0,
     L"ボタン、タグの登録編集を行います。"},
    {L"STATIC", kLabel, 0, 480, 915, 0, 0, L"ボタン名"},
    {L"EDIT", kLine, kEdge, 1440, 900, 3015, 270, L"UL"},
    {L"STATIC", kLabel, 0, 480, 1275, 0, 0, L"開始タグ"},
    {L"EDIT", kLines, kEdge, 1440, 1260, 3000, 990,
     L"<ul style='list-style-type:square;'>"},
    {L"STATIC", kLabel, 0, 480, 2355, 0, 0, L"終了タグ"},
    {L"EDIT", kLines, kEdge, 1440, 2340, 3000, 990, L"</ul>"},
    {L"STATIC", kNote, 0, 4560, 2400, 1530, 615,
     L"｢終了タグ｣は必須項目ではありません。"},
    {L"STATIC", kLabel, 0, 480, 3555, 0, 0, L"サイズ"},
    {L"STATIC", kLabel, 0, 1440, 3570, 0, 0, L"幅"},
    {L"EDIT", kNumber, kEdge, 1680, 3540, 880, 270, L"1200"},
    {L"SCROLLBAR", kSpin, 0, 2550, 3555, 255, 255, L""},
    {L"STATIC", kLabel, 0, 3000, 3570, 0, 0, L"高さ"},
    {L"EDIT", kNumber, kEdge, 3360, 3540, 880, 270, L"400"},
    {L"SCROLLBAR", kSpin, 0, 4230, 3555, 255, 255, L""},
    {L"STATIC", kLabel, 0, 480, 3915, 0, 0, L"位置"},
    {L"STATIC", kLabel, 0, 1440, 3930, 0, 0, L"上"},
    {L"EDIT", kNumber, kEdge, 1680, 3900, 880, 270, L"400"},
    {L"SCROLLBAR", kSpin, 0, 2550, 3915, 255, 255, L""},
    {L"STATIC", kLabel, 0, 3000, 3930, 0, 0, L"左"},
    {L"EDIT", kNumber, kEdge, 3360, 3900, 880, 270, L"0"},
    {L"SCROLLBAR", kSpin, 0, 4230, 3915, 255, 255, L""},
    {L"BUTTON", kButton, 0, 4680, 900, 1215, 375, L"登録"},
    {L"BUTTON", kButton, 0, 4680, 1380, 1215, 375, L"削除"},
    {L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_DISABLED, kEdge, 240, 4350, 5940,
     1580, L""},
    {L"EDIT", kHeader, 0, 270, 4380, 280, 270, L"No", true},
    {L"EDIT", kHeader, 0, 540, 4380, 1410, 270, L"ボタン名", true},
    {L"EDIT", kHeader, 0, 1935, 4380, 2000, 270, L"開始タグ", true},
    {L"EDIT", kHeader, 0, 3920, 4380, 2000, 270, L"終了タグ", true},
};

// The list: five rows of No, caption, start tag and end tag.
const wchar_t* const kRows[5][4] = {
    {L"0", L"UL", L"<ul style='list-style-type:square;'>", L"</ul>"},
    {L"1", L"OL", L"<ol style='list-style-type:upper-alpha; '>", L"</ol>"},
    {L"2", L"LI", L"<li>", L"</li>"},
    {L"3", L"HR", L"<hr size='1'>", L""},
    {L"4", L"IMG", L"<img src=''>", L""},
};
const int kColumnLeft[4] = {270, 540, 1935, 3920};
const int kColumnWidth[4] = {280, 1410, 2000, 2000};

// A window at twips of the dialog's client area (edges rounded apart, as
// the program places them), relative to the window `origin` in pixels.
HWND Make(const wchar_t* cls, DWORD style, DWORD exStyle, const wchar_t* text,
          double left, double top, double width, double height, HWND parent,
          POINT origin, HFONT font) {
  const int x = Px(left), y = Px(top);
  HWND h = CreateWindowExW(
      exStyle, cls, text, style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
      x - origin.x, y - origin.y, Px(left + width) - x, Px(top + height) - y,
      parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

// A label as large as its text.
SIZE TextSize(HDC dc, const wchar_t* text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
  return size;
}

void MakePage(HWND pane, POINT origin, HFONT font, HFONT bold) {
  HDC dc = GetDC(pane);
  HGDIOBJ old = SelectObject(dc, font);
  for (const Item& it : kPage) {
    const SIZE text = it.width ? SIZE{} : TextSize(dc, it.text);
    const double width = it.width ? it.width : text.cx * 1440.0 / g_dpi;
    const double height = it.height ? it.height : text.cy * 1440.0 / g_dpi;
    Make(it.cls, it.style, it.exStyle, it.text, kTabsLeft + it.left,
         kTabsTop + it.top, width, height, pane, origin, it.bold ? bold : font);
  }
  SelectObject(dc, old);
  ReleaseDC(pane, dc);
  for (int k = 0; k < 5; ++k)
    for (int c = 0; c < 4; ++c)
      Make(L"EDIT", c == 0 ? kNoCell : kCell, 0, kRows[k][c],
           kTabsLeft + kColumnLeft[c], kTabsTop + 4620 + 255 * k,
           kColumnWidth[c], 270, pane, origin, font);
  Make(L"SCROLLBAR", kSpin, 0, L"", kTabsLeft + 5910, kTabsTop + 4620, 255,
       1290, pane, origin, font);
}

LRESULT CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) g_dialog = nullptr;
  return DefWindowProcW(h, msg, wp, lp);
}

// The top-level window with the page's windows, shown centred on the
// primary monitor's work area.
void OpenDialog(HWND bar) {
  static const HFONT font = Font(false), bold = Font(true);
  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  RECT r{0, 0, Px(kClientWidth), Px(kClientHeight)};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = r.right - r.left, h = r.bottom - r.top;
  g_dialog = CreateWindowExW(WS_EX_CONTROLPARENT, kDialogClass, kDialogTitle,
                             style, (work.left + work.right - w) / 2,
                             (work.top + work.bottom - h) / 2, w, h, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  const POINT none{0, 0};
  HWND tabs = Make(WC_TABCONTROLW, WS_TABSTOP, 0, L"", kTabsLeft, kTabsTop,
                   kTabsWidth, kTabsHeight, g_dialog, none, font);
  const wchar_t* captions[] = {L"一般", L"テーブル", L"設定", L"About"};
  for (int i = 0; i < 4; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    TabCtrl_InsertItem(tabs, i, &item);
  }
  RECT page{Px(kTabsLeft), Px(kTabsTop), Px(kTabsLeft + kTabsWidth),
            Px(kTabsTop + kTabsHeight)};
  TabCtrl_AdjustRect(tabs, FALSE, &page);
  HWND pane = CreateWindowExW(
      WS_EX_CONTROLPARENT, kPaneClass, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, page.left,
      page.top, page.right - page.left, page.bottom - page.top, g_dialog,
      nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowPos(pane, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  MakePage(pane, {page.left, page.top}, font, bold);
  Make(L"BUTTON", kButton, 0, L"閉じる", 5280, 6360, 1215, 375, g_dialog, none,
       font);
  EnableWindow(bar, FALSE);
  ShowWindow(g_dialog, SW_SHOW);
}

void CloseDialog(HWND bar) {
  EnableWindow(bar, TRUE);
  DestroyWindow(g_dialog);
}

LRESULT CALLBACK BarProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kOpenId && !g_dialog) OpenDialog(h);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

void Register(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace

extern "C" int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX icc{
      sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  Register(kBarClass, BarProc);
  Register(kDialogClass, DialogProc);
  Register(kPaneClass, DefWindowProcW);
  HWND bar = CreateWindowExW(WS_EX_TOOLWINDOW, kBarClass, L"Floor",
                             WS_CAPTION | WS_SYSMENU, 900, 20, 88, 187, nullptr,
                             nullptr, inst, nullptr);
  g_dpi = GetDpiForWindow(bar) ? GetDpiForWindow(bar) : 96;
  CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                  0, Px(400), Px(400), bar,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOpenId)), inst,
                  nullptr);
  ShowWindow(bar, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && g_dialog) {
      CloseDialog(bar);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
