// keyholder: takes keys from every program, as another program that uses
// them would.
//
//   keyholder.exe RESULT_FILE VK...
//       Registers Ctrl+Alt with each virtual-key code VK (decimal) for a
//       window of its own, writes "held VK" or "failed VK ERROR" for each,
//       then "ready", and keeps them until it is ended.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  FILE* out = _wfopen(argv[1], L"wb");
  if (!out) return 2;
  HWND window = CreateWindowExW(0, L"STATIC", L"keyholder", 0, 0, 0, 0, 0,
                                HWND_MESSAGE, nullptr, nullptr, nullptr);
  for (int i = 2; i < argc; ++i) {
    const UINT vk = static_cast<UINT>(_wtoi(argv[i]));
    if (RegisterHotKey(window, i, MOD_CONTROL | MOD_ALT, vk))
      fprintf(out, "held %u\n", vk);
    else
      fprintf(out, "failed %u %lu\n", vk, GetLastError());
  }
  fprintf(out, "ready\n");
  fflush(out);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  fclose(out);
  return 0;
}
