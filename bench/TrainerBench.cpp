// Figures 1 to 3: the trainer's two displays painted as the window stores them (beside one fill
// of an image of the same size), a click on step-up with everything it updates, and building the
// glyph tables of the two fonts the window uses.
#include "app/TFrmMain.h"
#include "controls/TFont.h"
#include "controls/dotmatrix/FontSampler.h"
#include "controls/dotmatrix/TRasterLab.h"
#include "controls/dotmatrix/TRasterLabModel.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QToolButton>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// One trainer window for the whole run; multi-start on, so it never looks for another instance.
TFrmMain& Window()
{
    static const std::unique_ptr<TFrmMain> window = [] {
        TFrmMainSetup setup;
        setup.MultiStart = true;
        return std::make_unique<TFrmMain>(setup);
    }();
    return *window;
}

TRasterLab* Display(bool binary)
{
    return binary ? Window().RLabBin() : Window().RLabAscii();
}

void BM_Paint(benchmark::State& state, bool binary)
{
    TRasterLabModel model = Display(binary)->Model();
    PixelImage image;
    for (auto _ : state) {
        model.Paint(image);
        benchmark::DoNotOptimize(image.Data());
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = static_cast<double>(model.Width()) * model.Height();
}

// The floor: writing every pixel of an image of the display's size once.
void BM_Fill(benchmark::State& state, bool binary)
{
    const TRasterLabModel& model = Display(binary)->Model();
    std::vector<PixelImage::Pixel> pixels(static_cast<std::size_t>(model.Width()) * model.Height());
    PixelImage::Pixel color = 0xFF000080u;
    for (auto _ : state) {
        std::fill(pixels.begin(), pixels.end(), color);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
        color ^= 1u;
    }
}

// One click on step-up, with the repaint of both displays and of the eight selectors that it
// causes on the shown window. The code wraps back to "0" outside the timed part.
void BM_ClickStepUp(benchmark::State& state)
{
    TFrmMain& window = Window();
    window.show(); // without an About box the first show only sets the code
    QApplication::processEvents();
    for (auto _ : state) {
        if (window.Code() == 255) {
            state.PauseTiming();
            window.SBSet0()->click();
            QApplication::processEvents();
            state.ResumeTiming();
        }
        window.SBPlus()->click();
        QApplication::processEvents();
    }
    window.hide();
}

TFont StoredFont(const char* name, int height, TFontStyles style)
{
    TFont font;
    font.SetName(name);
    font.SetHeight(height);
    font.SetStyle(style);
    return font;
}

void BM_BuildGlyphTable(benchmark::State& state, const char* name, int height, TFontStyles style)
{
    const TFont font = StoredFont(name, height, style);
    for (auto _ : state) {
        TRDGlyphTable table = BuildGlyphTable(font);
        benchmark::DoNotOptimize(table.GlyphWidth);
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_Paint, RLabBin, true);
BENCHMARK_CAPTURE(BM_Fill, RLabBin, true);
BENCHMARK_CAPTURE(BM_Paint, RLabAscii, false);
BENCHMARK_CAPTURE(BM_Fill, RLabAscii, false);
BENCHMARK(BM_ClickStepUp)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BuildGlyphTable, default, "default", -13, 0)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BuildGlyphTable, CourierNew27Bold, "Courier New", -27, fsBold)
    ->Unit(benchmark::kMicrosecond);
