// Time stamps for finding where the time goes. A Windows build configured
// with -DPINROW_TRACE=ON appends a line "name<TAB>milliseconds" to
// pinrow-trace.txt beside the exe at each mark, the time read from the
// system's performance counter, which every process shares: a test tool
// that notes the counter when it clicks can line the marks up with its
// click. In every other build the marks compile to nothing.
#pragma once

#ifdef PINROW_TRACE
namespace platform {
void TraceMark(const char* name);
}
#define PINROW_MARK(name) ::platform::TraceMark(name)
#else
#define PINROW_MARK(name) ((void)0)
#endif
