// What the core itself costs on the hot paths, driven through the unit-test fakes: the capture
// tick with the cursor still, moving and frozen, the paths that force a redraw, and the settings
// conversions and registry reads of start-up and shutdown. A change that makes a still tick do
// more than compare two numbers shows up here first. Whole-process costs: bench/cost.sh.
#include <benchmark/benchmark.h>

#include "fakes.h"
#include "settings/registry.h"
#include "settings/settings_record.h"
#include "settings/text_forms.h"

namespace vistrel {
namespace {

// A started program with the designed 220 x 165 view at zoom 2 on a 1024 x 768 screen, its
// first picture drawn. The fakes' logs are emptied now and then so that they do not grow
// through millions of iterations.
struct Started {
  fakes::FakeWorld world;
  Started() {
    world.Start();
    world.form.Timer1_Timer();
    world.screen.stretches.clear();
    world.journal.clear();
  }
  void Trim(std::int64_t i) {
    if ((i & 1023) != 0) return;
    world.screen.stretches.clear();
    world.timer2.intervalsSet.clear();
    world.registry.log.clear();
    world.journal.clear();
  }
};

void BM_TickCursorStill(benchmark::State& state) {
  Started s;
  for (auto _ : state) s.world.form.Timer1_Timer();
  if (!s.world.screen.stretches.empty()) state.SkipWithError("a still cursor redrew");
}
BENCHMARK(BM_TickCursorStill);

void BM_TickCursorMoving(benchmark::State& state) {
  Started s;
  std::int64_t i = 0;
  for (auto _ : state) {
    // A few pixels every tick, as a hand moves the mouse; clamps fire near the edges.
    s.world.screen.cursor = {static_cast<std::int32_t>(i * 3 % 1024),
                             static_cast<std::int32_t>(i * 2 % 768)};
    s.world.form.Timer1_Timer();
    s.Trim(++i);
  }
  state.counters["draws"] = benchmark::Counter(static_cast<double>(i), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TickCursorMoving);

void BM_TickFrozen(benchmark::State& state) {
  Started s;
  s.world.form.ToggleFreeze();
  std::int64_t i = 0;
  for (auto _ : state) {
    s.world.form.Timer1_Timer();
    s.Trim(++i);
  }
}
BENCHMARK(BM_TickFrozen);

// ForceRedraw by itself, then the redraw it causes on the next tick.
void BM_ForceRedrawAndTick(benchmark::State& state) {
  Started s;
  std::int64_t i = 0;
  for (auto _ : state) {
    s.world.form.ForceRedraw();
    s.world.form.Timer1_Timer();
    s.Trim(++i);
  }
}
BENCHMARK(BM_ForceRedrawAndTick);

// Refresh High: every Timer2 tick sets its interval and forces the next capture tick to draw.
void BM_RefreshHighTicks(benchmark::State& state) {
  Started s;
  s.world.form.Menu().SetChecked(MenuItem::menuRefreshHigh, true);
  std::int64_t i = 0;
  for (auto _ : state) {
    s.world.form.Timer2_Timer();
    s.world.form.Timer1_Timer();
    s.Trim(++i);
  }
}
BENCHMARK(BM_RefreshHighTicks);

// A zoom click forces a redraw; in and out keep the factor between 2 and 3.
void BM_ZoomClickAndTick(benchmark::State& state) {
  Started s;
  std::int64_t i = 0;
  for (auto _ : state) {
    s.world.form.Form_MouseDown(i % 2 == 0 ? 1 : 2, 0, 10, 10);
    s.world.form.Timer1_Timer();
    s.Trim(++i);
  }
}
BENCHMARK(BM_ZoomClickAndTick);

void BM_ResizeAndTick(benchmark::State& state) {
  Started s;
  std::int64_t i = 0;
  for (auto _ : state) {
    s.world.window.clientWidth = i % 2 == 0 ? 221 : 220;
    s.world.form.Form_Resize();
    s.world.form.Timer1_Timer();
    s.Trim(++i);
  }
}
BENCHMARK(BM_ResizeAndTick);

void BM_ToSingle(benchmark::State& state, const char* text) {
  for (auto _ : state) benchmark::DoNotOptimize(text_forms::ToSingle(text, '.'));
}
BENCHMARK_CAPTURE(BM_ToSingle, integer, "3420");
BENCHMARK_CAPTURE(BM_ToSingle, fraction, "2.5");
BENCHMARK_CAPTURE(BM_ToSingle, exponent, "1E+20");

void BM_ToBoolean(benchmark::State& state, const char* text) {
  for (auto _ : state) benchmark::DoNotOptimize(text_forms::ToBoolean(text, '.'));
}
BENCHMARK_CAPTURE(BM_ToBoolean, word, "True");
BENCHMARK_CAPTURE(BM_ToBoolean, number, "-1");

void BM_FromSingle(benchmark::State& state, float value) {
  for (auto _ : state) benchmark::DoNotOptimize(text_forms::FromSingle(value, '.'));
}
BENCHMARK_CAPTURE(BM_FromSingle, integer, 3420.0f);
BENCHMARK_CAPTURE(BM_FromSingle, fraction, 2.5f);
BENCHMARK_CAPTURE(BM_FromSingle, third, 1.0f / 3.0f);

// One value read as start-up reads each of the eight: split the path, open, query, close.
void BM_RegistryRead(benchmark::State& state) {
  Started s;
  s.world.StoreSetting("Width", "3420");
  Registry registry(s.world.registry, s.world.messages);
  std::int64_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(registry.ReadStringValue(settings::SettingsKeyPath, "Width"));
    s.Trim(++i);
  }
}
BENCHMARK(BM_RegistryRead);

}  // namespace
}  // namespace vistrel

BENCHMARK_MAIN();
