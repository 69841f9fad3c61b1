// Small owners of system handles: each releases its handle when it goes, so
// no font, brush, icon or device context outlives its use.
#pragma once

#include <windows.h>

#include <utility>

namespace platform::win32 {

// Owns one handle and releases it with Release (a function object type).
template <class Handle, class Release>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle h) : h_(h) {}
  ~Owned() { Reset(); }
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, Handle{})) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, Handle{});
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != Handle{}; }
  void Reset(Handle h = Handle{}) {
    if (h_) Release()(h_);
    h_ = h;
  }

 private:
  Handle h_{};
};

struct DeleteGdiObject {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct DestroyIconHandle {
  void operator()(HICON h) const { DestroyIcon(h); }
};

struct DeleteDcHandle {
  void operator()(HDC h) const { DeleteDC(h); }
};

using FontHandle = Owned<HFONT, DeleteGdiObject>;
using MemoryDc = Owned<HDC, DeleteDcHandle>;
using BrushHandle = Owned<HBRUSH, DeleteGdiObject>;
using IconHandle = Owned<HICON, DestroyIconHandle>;

// An object selected into a device context for one scope.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// BeginPaint .. EndPaint.
class Painting {
 public:
  explicit Painting(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  ~Painting() { EndPaint(hwnd_, &ps_); }
  Painting(const Painting&) = delete;
  Painting& operator=(const Painting&) = delete;
  HDC dc() const { return dc_; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

}  // namespace platform::win32
