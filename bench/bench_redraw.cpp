// A full redraw of finished boards into the window's backing image.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include "app/BoardView.h"
#include "app/QtCanvas.h"
#include "core/Kokuban_v24/Kokuban.h"
#include "core/Kokuban_v24/QuietHost.h"
#include "support/RecordingVoice.h"

namespace {

void RedrawOn(benchmark::State& state, kazu::Canvas& canvas, QSize client,
              const std::string& expression, int places) {
    kazu::InstallFontSubstitutions();
    kazu::QuietHost host;
    kazu::RecordingVoice voice;
    kazu::AppSettings settings;
    settings.POINTMAX = places;
    kazu::Kokuban model(host, voice, settings);
    model.SetClientSize(client.width(), client.height());
    model.Start(canvas, 96);
    for (char ch : expression) {
        model.InputChar(ch);
    }
    if (model.state.entryOpen) {
        state.SkipWithError("the expression was not drawn");
        return;
    }
    for (auto _ : state) {
        model.FormPaint();
        benchmark::ClobberMemory();
    }
}

void RedrawFinished(benchmark::State& state, const std::string& expression, int places = 0) {
    QImage image(1800, 1000, QImage::Format_RGB32);
    kazu::QtCanvas canvas(&image);
    RedrawOn(state, canvas, image.size(), expression, places);
}

// The window's own canvas in the default window (804 x 400): a board of 779 x 378 whose image
// grows to hold what lies beyond it, as every scroll step redraws it.
void RedrawInDefaultWindow(benchmark::State& state, const std::string& expression, int places = 0) {
    kazu::BoardCanvas canvas;
    canvas.SetViewSize(QSize(779, 378));
    RedrawOn(state, canvas, QSize(779, 378), expression, places);
}

void BM_Redraw18Plus18DecimalAddition(benchmark::State& state) {
    RedrawFinished(state, "123456789.123456789+987654321.987654321=");
}
BENCHMARK(BM_Redraw18Plus18DecimalAddition)->Unit(benchmark::kMicrosecond);

void BM_Redraw18Plus18IntegerAddition(benchmark::State& state) {
    RedrawFinished(state, "999999999999999999+999999999999999999=");
}
BENCHMARK(BM_Redraw18Plus18IntegerAddition)->Unit(benchmark::kMicrosecond);

// The largest multiplication the digit limits allow: 15 × 14 digits, 29 in all, with a
// decimal point in both, so 14 partial products and 29 product columns.
void BM_Redraw15x14DecimalMultiplication(benchmark::State& state) {
    RedrawFinished(state, "1234567.89012345*9876543.2109876=");
}
BENCHMARK(BM_Redraw15x14DecimalMultiplication)->Unit(benchmark::kMicrosecond);

// 17 digits by 8 with as many quotient places as the division's 64-bit working allows: two
// (with three or more the 20-digit working dividend overflows), so 11 quotient digits, each
// with its product, underline and difference row.
void BM_Redraw17By8Division2Places(benchmark::State& state) {
    RedrawFinished(state, "12345678901234567/87654321=", 2);
}
BENCHMARK(BM_Redraw17By8Division2Places)->Unit(benchmark::kMicrosecond);

// The same two, in the default window: what one scroll step costs there.
void BM_Redraw15x14MultiplicationInDefaultWindow(benchmark::State& state) {
    RedrawInDefaultWindow(state, "1234567.89012345*9876543.2109876=");
}
BENCHMARK(BM_Redraw15x14MultiplicationInDefaultWindow)->Unit(benchmark::kMicrosecond);

void BM_Redraw17By8DivisionInDefaultWindow(benchmark::State& state) {
    RedrawInDefaultWindow(state, "12345678901234567/87654321=", 2);
}
BENCHMARK(BM_Redraw17By8DivisionInDefaultWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
