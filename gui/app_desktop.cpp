#include "gui/app_desktop.h"

#include "common/read_file.h"
#include "common/text.h"
#include "gui/ezgui.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcess>
#include <QProxyStyle>
#include <QTranslator>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <map>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace {

constexpr const char* kPdfType = "application/pdf";
// A desktop entry name is short; anything longer is not an answer.
constexpr std::size_t kLongestEntryName = 255;
// The lists are a few kilobytes; a larger one is read no further than this.
constexpr std::size_t kLongestListFile = 1 << 20;
// A type lists a handful of applications; each one costs a look into every applications folder,
// so a list padded with thousands is read no further than this.
constexpr std::size_t kMostEntriesPerGroup = 64;
constexpr const char* kDefaultsGroup = "Default Applications";
constexpr const char* kAddedGroup = "Added Associations";
constexpr const char* kRemovedGroup = "Removed Associations";
constexpr const char* kCacheGroup = "MIME Cache";

bool isDesktopEntryName(const std::string& name) {
    constexpr std::string_view kSuffix = ".desktop";
    if (name.size() <= kSuffix.size() || name.size() > kLongestEntryName) return false;
    if (name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
}

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "/";
}

// An XDG folder variable; an unset, empty or relative value gives the fallback.
std::string xdgHome(const char* variable, const std::string& fallback) {
    const char* value = std::getenv(variable);
    return value && value[0] == '/' ? value : fallback;
}

// An XDG ":"-separated folder list; relative entries are ignored.
std::vector<std::string> xdgFolders(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    std::vector<std::string> folders;
    for (const std::string& folder : splitText(value && value[0] ? value : fallback, ':'))
        if (!folder.empty() && folder[0] == '/') folders.push_back(folder);
    return folders;
}

// Every applications folder, the user's first.
std::vector<std::string> applicationFolders() {
    std::vector<std::string> folders = {xdgHome("XDG_DATA_HOME", homeFolder() + "/.local/share")};
    for (const std::string& folder : xdgFolders("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        folders.push_back(folder);
    for (std::string& folder : folders)
        folder += "/applications";
    return folders;
}

// Every mimeapps.list by precedence: the user's configuration, the system's, then the
// applications folders; in each the current desktops' own "<desktop>-mimeapps.list" first.
std::vector<std::string> mimeAppsLists() {
    std::vector<std::string> folders = {xdgHome("XDG_CONFIG_HOME", homeFolder() + "/.config")};
    for (const std::string& folder : xdgFolders("XDG_CONFIG_DIRS", "/etc/xdg"))
        folders.push_back(folder);
    for (const std::string& folder : applicationFolders())
        folders.push_back(folder);
    std::vector<std::string> prefixes;
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    for (std::string desktop : splitText(desktops ? desktops : "", ':')) {
        if (desktop.empty() || desktop.find('/') != std::string::npos) continue;
        for (char& c : desktop)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        prefixes.push_back(desktop + "-");
    }
    prefixes.push_back("");
    std::vector<std::string> lists;
    for (const std::string& folder : folders)
        for (const std::string& prefix : prefixes)
            lists.push_back(folder + "/" + prefix + "mimeapps.list");
    return lists;
}

// mimeapps.list and mimeinfo.cache are desktop-entry style text:
//   # a comment
//   [Default Applications]
//   application/pdf=org.gnome.Evince.desktop;okular.desktop;
// with the groups [Default Applications], [Added Associations] and [Removed Associations]
// (mimeapps.list) or [MIME Cache] (mimeinfo.cache). A key is a MIME type, blanks around "="
// are allowed, a value lists desktop file IDs separated by ";", most wanted first. Only the
// lines of `type` are kept, by group; an ID that is not a plain "*.desktop" name is dropped.
// A file that is missing, not a regular file or cannot be read counts as empty.
std::map<std::string, std::vector<std::string>> entriesFor(const std::string& path,
                                                           const std::string& type) {
    std::map<std::string, std::vector<std::string>> groups;
    std::string content;
    const FileRead read = readRegularFile(path, kLongestListFile, content);
    if (read != FileRead::Read && read != FileRead::TooLarge) return groups;
    std::string group;
    for (const std::string& rawLine : splitText(content, '\n')) {
        const std::string line = trimBlanks(rawLine, " \t\r");
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            group = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || trimBlanks(line.substr(0, equals)) != type) continue;
        for (const std::string& entry : splitText(line.substr(equals + 1), ';')) {
            const std::string name = trimBlanks(entry);
            std::vector<std::string>& entries = groups[group];
            if (isDesktopEntryName(name) && entries.size() < kMostEntriesPerGroup)
                entries.push_back(name);
        }
    }
    return groups;
}

// A desktop file ID names applications/<ID>, or a file one folder down with "-" for "/"
// ("kde4-okular.desktop" is applications/kde4/okular.desktop).
bool installed(const std::vector<std::string>& folders, const std::string& id) {
    for (const std::string& folder : folders) {
        if (isRegularFile(folder + "/" + id)) return true;
        for (std::size_t dash = id.find('-'); dash != std::string::npos;
             dash = id.find('-', dash + 1)) {
            std::string nested = id;
            nested[dash] = '/';
            if (isRegularFile(folder + "/" + nested)) return true;
        }
    }
    return false;
}

// The freedesktop MIME applications lookup, read directly rather than through xdg-mime, a
// shell script that starts a dozen processes: the first installed default of the most
// important list; else the first installed added association that a more important list did
// not remove; else the desktop database's (mimeinfo.cache) choice, removals left out.
std::string defaultApplicationFor(const std::string& type) {
    const std::vector<std::string> folders = applicationFolders();
    std::vector<std::string> added;
    std::unordered_set<std::string> removed;
    for (const std::string& list : mimeAppsLists()) {
        std::map<std::string, std::vector<std::string>> groups = entriesFor(list, type);
        for (const std::string& id : groups[kDefaultsGroup])
            if (installed(folders, id)) return id;
        for (const std::string& id : groups[kAddedGroup])
            if (!removed.contains(id)) added.push_back(id);
        for (const std::string& id : groups[kRemovedGroup])
            removed.insert(id);
    }
    for (const std::string& id : added)
        if (installed(folders, id)) return id;
    for (const std::string& folder : folders) {
        std::map<std::string, std::vector<std::string>> cache =
            entriesFor(folder + "/mimeinfo.cache", type);
        for (const std::string& id : cache[kCacheGroup])
            if (!removed.contains(id) && installed(folders, id)) return id;
    }
    return "";
}

// What Qt says while it starts its platform, held back until it is known to have started.
struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};
std::vector<HeldMessage> heldMessages;
// Qt's own threads (the session bus) may speak while it starts.
std::mutex heldMessagesLock;
std::string platformFailureLine;
std::string noWaylandPluginLine;

// Qt said, as it gave up or before, that it has no plugin for Wayland.
bool waylandPluginMissing(const QString& fatalText) {
    const QString missing = QStringLiteral("find the Qt platform plugin \"wayland");
    if (fatalText.contains(missing)) return true;
    for (const HeldMessage& message : heldMessages)
        if (message.text.contains(missing)) return true;
    return false;
}

void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::lock_guard<std::mutex> held(heldMessagesLock);
    if (type == QtFatalMsg) {
        std::fputs(waylandPluginMissing(text) ? noWaylandPluginLine.c_str()
                                              : platformFailureLine.c_str(),
                   stderr);
        std::fflush(stderr);
        // Half-made, the toolkit must not be torn down by exit's destructors.
        std::_Exit(1);
    }
    heldMessages.push_back({type, context.category ? context.category : "", text});
}

// Qt's styles give the menu bar its overflow icon from PNG files named without a format, and
// reading one loads every image plugin to ask which can; these icons are read as PNG directly.
class PlainIconStyle : public QProxyStyle {
  public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (icon != SP_ToolBarHorizontalExtensionButton &&
            icon != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(icon, option, widget);
        const QString name =
            icon == SP_ToolBarHorizontalExtensionButton ? QStringLiteral("h") : QStringLiteral("v");
        QIcon shown;
        for (const int size : {16, 32, 128}) {
            const QString path =
                QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-%1-%2.png")
                    .arg(name)
                    .arg(size);
            if (!QFile::exists(path)) continue;
            QImageReader reader(path, "png");
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            if (!image.isNull()) shown.addPixmap(QPixmap::fromImage(image));
        }
        return shown;
    }
};

} // namespace

void appStartToolkit(int& argc, char** argv, const std::string& failureLine,
                     const std::string& noWaylandPlugin) {
    if (QApplication::instance()) return;
    platformFailureLine = failureLine;
    noWaylandPluginLine = noWaylandPlugin;
    // Reading the font configuration takes as long as the toolkit's own start; on another core
    // the two overlap.
    std::thread fontConfiguration([] { FcInit(); });
    const QtMessageHandler previous = qInstallMessageHandler(holdStartMessage);
    new QApplication(argc, argv);
    QApplication::setStyle(new PlainIconStyle);
    qInstallMessageHandler(previous);
    fontConfiguration.join();
    const std::lock_guard<std::mutex> held(heldMessagesLock);
    for (const HeldMessage& message : heldMessages) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        qt_message_output(message.type, context, message.text);
    }
    heldMessages.clear();
}

std::string appDefaultPdfViewer() {
    return defaultApplicationFor(kPdfType);
}

bool appOpenDocument(const std::string& path) {
    if (ezOpenFile(path)) return true;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {QFile::decodeName(path.c_str())});
}

void appSetDesktopEntry(const std::string& entryName) {
    QGuiApplication::setDesktopFileName(QString::fromStdString(entryName));
}

void appUseToolkitLanguage(Language language) {
    // One translator for the whole run, replaced when the language changes.
    static QTranslator* installed = nullptr;
    if (QCoreApplication::instance() == nullptr) return;
    if (installed != nullptr) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    const LanguageInfo& info = languageInfo(language);
    if (info.qtCatalogue[0] == '\0') return;
    const char* catalogue = info.qtCatalogue;
    // The date field's calendar names its months and days after the default locale.
    const QLocale wanted(QLatin1String(info.qtLocale));
    if (QLocale().language() != wanted.language()) QLocale::setDefault(wanted);
    auto* translator = new QTranslator;
    if (!translator->load(QLatin1String(catalogue),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
}
