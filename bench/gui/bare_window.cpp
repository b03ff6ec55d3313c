// The yardstick for the program's start-up: an empty Qt window with the main window's title.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Merivane"));
    window.resize(400, 300);
    window.show();
    return QApplication::exec();
}
