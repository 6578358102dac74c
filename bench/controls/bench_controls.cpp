// Times the controls' share of the 30 ms player timer: a level meter and the
// position bar repainting for a new value. Besides the time per update it
// reports the heap allocations per update (the goal is none).
#include <benchmark/benchmark.h>

#include "bench/common/AllocCount.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "controls/SkLevelBar.h"
#include "controls/SkProgressBar.h"
#include "gui/windows/Forms.h"

namespace {

using namespace controls;

struct Window {
    std::unique_ptr<gui::TForm> Form;
    Window() {
        Form = std::make_unique<gui::TForm>(nullptr);
        Form->SetBorderStyle(gui::bsNone);
        Form->SetBounds(0, 0, 260, 80);
        Form->SetColor(gui::RGB(21, 22, 5));
        Form->Show();
    }
};

// Runs one update per iteration and reports time and allocations per update.
template <typename Update>
void Measure(benchmark::State& state, Update update) {
    for (int i = 0; i < 64; ++i) update(i);  // warm caches and lazily built images
    long long allocs = 0, updates = 0;
    int i = 0;
    for (auto _ : state) {
        const long long before = bench::Allocations();
        update(i++);
        allocs += bench::Allocations() - before;
        ++updates;
    }
    state.counters["allocs_per_update"] = updates ? static_cast<double>(allocs) / updates : 0.0;
}

void BM_LevelMeterRepaint(benchmark::State& state) {
    Window w;
    auto* meter = new TSkLevelBar(w.Form.get());
    meter->BeginLoading();
    meter->SetParent(w.Form.get());
    meter->SetBounds(28, 60, 89, 5);
    meter->SetMaxValue(128);
    meter->SetOrientation(voHorizontal);
    meter->SetStyle(psTopRight);
    meter->Bevel()->SetInnerStyle(bsNone);
    meter->Bevel()->SetOuterStyle(bsNone);
    meter->Bevel()->SetInnerSpace(0);
    meter->EndLoading();
    // Alternate between two levels so that every write repaints.
    Measure(state, [&](int i) { meter->SetPosition(i % 2 ? 96 : 33); });
}
BENCHMARK(BM_LevelMeterRepaint);

void BM_PositionBarUpdate(benchmark::State& state) {
    Window w;
    auto* bar = new TSkProgressBar(w.Form.get());
    bar->SetParent(w.Form.get());
    bar->SetBounds(28, 48, 200, 9);
    bar->SetEndColor(gui::clRed);
    bar->Bevel()->SetInnerStyle(bsNone);
    bar->Bevel()->SetOuterStyle(bsNone);
    bar->Bevel()->SetOuterOutline(osNone);
    bar->Bevel()->SetInnerSpace(0);
    bar->SetMaxValue(128);
    Measure(state, [&](int i) { bar->SetPosition(i % 129); });
}
BENCHMARK(BM_PositionBarUpdate);

// Baselines for reading the two above: what the GUI layer itself costs for
// a synchronous repaint of an empty windowless control, and for one fill.
class EmptyControl : public gui::TGraphicControl {
public:
    using gui::TGraphicControl::TGraphicControl;
};

void BM_GuiRepaintBaseline(benchmark::State& state) {
    Window w;
    auto* c = new EmptyControl(w.Form.get());
    c->SetParent(w.Form.get());
    c->SetBounds(28, 60, 89, 5);
    c->ControlStyle() << gui::csOpaque;
    Measure(state, [&](int) { c->Repaint(); });
}
BENCHMARK(BM_GuiRepaintBaseline);

void BM_GuiFillRectBaseline(benchmark::State& state) {
    gui::TBitmap bmp;
    bmp.SetSize(89, 5);
    gui::TCanvas* canvas = bmp.Canvas();
    const bool newColour = state.range(0) != 0;
    Measure(state, [&](int i) {
        if (newColour) canvas->Brush()->SetColor(i % 2 ? gui::clLime : gui::clGreen);
        canvas->FillRect(gui::Rect(1, 1, 2, 4));
    });
}
// 0: the brush is unchanged between fills; 1: a new colour for each fill.
BENCHMARK(BM_GuiFillRectBaseline)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
    // Off screen, as in the tests.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    gui::InitApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gui::DoneApplication();
    return 0;
}
