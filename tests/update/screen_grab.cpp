// Not a test: saves the whole X screen as a PNG, window frames included, for looking at.
//   update_screen_grab FILE.png
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>

namespace {
// A window just shown is drawn by the program and framed by the window manager a moment later:
// the screen is saved once two grabs this far apart agree, or when the limit is reached.
constexpr int kGrabStepMs = 100;
constexpr int kMostGrabs = 20;
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: update_screen_grab FILE.png\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return 1;
    QImage shot = screen->grabWindow(0).toImage(), previous;
    for (int grabs = 1; shot != previous && grabs < kMostGrabs; ++grabs) {
        QThread::msleep(kGrabStepMs);
        previous = shot;
        shot = screen->grabWindow(0).toImage();
    }
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
