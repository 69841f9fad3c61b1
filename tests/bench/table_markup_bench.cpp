// The largest table the button accepts, with every line break set: the
// markup must be built in well under a millisecond.
#include <benchmark/benchmark.h>

#include "bar/table_markup.h"

namespace {

void BM_TableMarkup100x100AllBreaks(benchmark::State& state) {
  modPublic::CellTable settings(5, 3);
  for (int e = 0; e < 5; ++e) {
    settings(e, modPublic::propQuality) = vb::Variant(L"class=x");
    settings(e, modPublic::propVisible) =
        vb::Variant(static_cast<std::int16_t>(-1));
    settings(e, modPublic::propEnter) =
        vb::Variant(static_cast<std::int16_t>(-1));
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildTableMarkup(100, 100, settings));
  }
}
BENCHMARK(BM_TableMarkup100x100AllBreaks)->Unit(benchmark::kMicrosecond);

}  // namespace
