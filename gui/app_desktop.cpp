#include "gui/app_desktop.h"

#include "gui/ezgui.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>

namespace {

constexpr int kQueryMilliseconds = 3000;
// A desktop entry name is short; anything longer is not an answer.
constexpr qsizetype kLongestEntryName = 255;

bool isDesktopEntryName(const QString& name) {
    if (name.isEmpty() || name.size() > kLongestEntryName) return false;
    if (!name.endsWith(QLatin1String(".desktop"))) return false;
    for (const QChar c : name)
        if (c == '/' || c.unicode() < 0x20) return false;
    return true;
}

} // namespace

// xdg-mime's answer is the desktop entry name on the first line, nothing when there is none.
std::string appDefaultPdfViewer() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("application/pdf")});
    if (!query.waitForFinished(kQueryMilliseconds)) {
        query.kill();
        query.waitForFinished(kQueryMilliseconds);
        return "";
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return "";
    const QString firstLine =
        QString::fromLocal8Bit(query.readAllStandardOutput()).section('\n', 0, 0).trimmed();
    return isDesktopEntryName(firstLine) ? firstLine.toStdString() : "";
}

bool appOpenDocument(const std::string& path) {
    if (ezOpenFile(path)) return true;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {QFile::decodeName(path.c_str())});
}

void appSetDesktopEntry(const std::string& entryName) {
    QGuiApplication::setDesktopFileName(QString::fromStdString(entryName));
}
