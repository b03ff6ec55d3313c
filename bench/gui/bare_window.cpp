// The yardsticks for the program's start-up: an empty Qt window with the main window's title,
// and (built with SHOWS_TEXT) the same window with a menu bar and a line of text, which pays for
// the font configuration and the menu bar's icons as any window that shows text does.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Merivane"));
#ifdef SHOWS_TEXT
    window.menuBar()->addMenu(QStringLiteral("&Program"));
    window.setCentralWidget(new QLabel(QStringLiteral("Starting year")));
#endif
    window.resize(400, 300);
    window.show();
    return QApplication::exec();
}
