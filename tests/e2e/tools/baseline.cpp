// The least Win32 program with one window: the reference that the start-up
// benchmark measures next to pinrow.exe under the same Wine session.
#include <windows.h>

static LRESULT CALLBACK BaselineProc(HWND hwnd, UINT msg, WPARAM wp,
                                     LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

extern "C" int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, PWSTR, int show) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = BaselineProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"Baseline";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowW(L"Baseline", L"Baseline", WS_OVERLAPPEDWINDOW, 20,
                            20, 88, 187, nullptr, nullptr, inst, nullptr);
  ShowWindow(hwnd, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
