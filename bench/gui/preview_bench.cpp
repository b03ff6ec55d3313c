// How soon the main window's preview follows: the first page after the window shows, each change
// of the year after that (median), and the preview window's paging, on a 12-page month calendar
// with a logo. Runs the real program in this process on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen build/bench/preview_bench [CHANGES]
#include "common/numbers.h"
#include "shell/app_harness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 previewKey() {
    QLabel* picture = previewPicture();
    return picture ? picture->pixmap().cacheKey() : 0;
}

QWidget* previewWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->objectName() == "previewWindow") return window;
    return nullptr;
}

// Milliseconds since the clock started until the preview shows another picture than `before`.
double untilDrawn(const QElapsedTimer& clock, qint64 before) {
    const bool drawn =
        QTest::qWaitFor([before] { return previewKey() != 0 && previewKey() != before; }, 10000);
    return drawn ? clock.nsecsElapsed() / 1e6 : -1;
}

} // namespace

int main(int argc, char** argv) {
    const int changes = argc > 1 ? std::max(1, leadingInteger(argv[1])) : 21;
    const AppScratch scratch = makeAppScratch(true);
    writeText(scratch.settingsFile, std::string("[Last]\nYear=2026\nStyle=1\n[Pages]\nLogo=") +
                                        MERIVANE_SAMPLE_LOGO + "\nCredit=KXYZ Sales\n");
    double firstPreview = -1;
    std::vector<double> changeTimes, pageTimes;
    QElapsedTimer shownClock;
    const std::string failure = runProgram(
        scratch,
        {{"window shown",
          [&] {
              QWidget* window = mainWindow();
              if (!window || !window->windowHandle() || !window->windowHandle()->isExposed())
                  return false;
              if (!shownClock.isValid()) shownClock.start();
              return true;
          },
          [&] {
              firstPreview = untilDrawn(shownClock, 0);
              for (int i = 0; i < changes; ++i) {
                  const qint64 before = previewKey();
                  QElapsedTimer clock;
                  clock.start();
                  typeYear(std::to_string(2027 + i % 2));
                  changeTimes.push_back(untilDrawn(clock, before));
              }
              chooseMenuItem("Pre&view All Pages...");
          }},
         {"preview window", [] { return previewWindow() != nullptr; },
          [&] {
              QWidget* window = previewWindow();
              for (int page = 0; page < 11; ++page) {
                  QElapsedTimer clock;
                  clock.start();
                  QTest::keyClick(window, Qt::Key_PageDown);
                  pageTimes.push_back(clock.nsecsElapsed() / 1e6);
              }
              window->close();
          }},
         {"exit", [] { return previewWindow() == nullptr; },
          [] { click(buttonIn(mainWindow(), "E&xit")); }}},
        60000);
    removeAppScratch(scratch);
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return 1;
    }
    std::printf("first preview after the window is shown: %.1f ms\n", firstPreview);
    std::printf(
        "preview after a change of the year: median %.1f ms, slowest %.1f ms (%d changes)\n",
        median(changeTimes), *std::max_element(changeTimes.begin(), changeTimes.end()), changes);
    std::printf(
        "preview window, Page Down on month pages with a logo: median %.1f ms, slowest %.1f "
        "ms a page\n",
        median(pageTimes), *std::max_element(pageTimes.begin(), pageTimes.end()));
    return 0;
}
