#include "shell/startup.h"

#include "about/about_dialog.h"
#include "common/atomic_file.h"
#include "common/translate.h"
#include "gui/app_desktop.h"
#include "gui/app_instance.h"
#include "gui/ezgui.h"
#include "gui/fonts.h"
#include "msgbox/msgbox.h"
#include "program/paths.h"
#include "program/program.h"
#include "program/settings.h"
#include "shell/export_dialog.h"
#include "shell/find_date_dialog.h"
#include "shell/main_window.h"
#include "shell/preferences_dialog.h"
#include "shell/print_range_dialog.h"
#include "shell/render_wiring.h"
#include "update/update_forms.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The desktop entry that installs with the program.
constexpr const char* kDesktopEntryName = "org.merivane.Merivane";
// The single-instance lock; a second start finds it held and hands over to the first.
constexpr const char* kInstanceName = "ZARN6";
constexpr const char* kSettingsFileName = "Zarn.ini";
constexpr const char* kPdfFolderName = "PDF";
// Written into the PDF folder to learn whether calendars can be saved there.
constexpr const char* kProbeFileName = "-x.PDF";
constexpr const char* kDataFolderName = "merivane";
// The help topics as installed in the data folder, and the copy compiled into the program for
// a copy that has none beside it.
constexpr const char* kInstalledHelpFolder = "help/";
constexpr const char* kHelpContentsFile = "contents.html";
constexpr const char* kCompiledHelpFolder = ":/help/";
constexpr const char* kProgramIconName = "$AAPROGRAM";

// The folder the program runs from, as runMerivane was given it ("" asks the toolkit).
std::string executableFolderGiven;

struct FormRoutines {
    const char* name;
    void (*design)();
    void (*events)(int controlId, int eventCode, int value, int& cancel);
};

// Every form of the program; events of any other form (the toolkit's own) are ignored.
const FormRoutines kForms[] = {
    {kMainForm, mainWindowDesign, mainWindowEvents},
    {kPrintRangeForm, printRangeDesign, printRangeEvents},
    {kPreferencesForm, preferencesDesign, preferencesEvents},
    {kFindDateForm, findDateDesign, findDateEvents},
    {kExportForm, exportDesign, exportEvents},
    {kMessageBoxForm, messageBoxDesign, messageBoxEvents},
    {kUpdateAvailableForm, updateAvailableDesign, updateAvailableEvents},
    {kDownloadProgressForm, downloadProgressDesign, downloadProgressEvents},
    {kWhatsNewForm, whatsNewDesign, whatsNewEvents},
    {kAboutForm, aboutDesign, aboutEvents},
};

struct FontDefinition {
    int number;
    const char* face;
    double points;
    const char* properties;
};

// Fonts the forms use by number; 6 to 9 before start-up, 10 to 12 once it is sure to go on.
const FontDefinition kFormFonts[] = {
    {kDialogFont, "Segoe UI", 9, " L+V"},
    {kDialogBoldFont, "Segoe UI", 9, " BV"},
    {kLargeBoldFont, "Segoe UI", 12, " BV"},
    {kMediumBoldFont, "Segoe UI", 10, "BV"},
};
const FontDefinition kMessageFonts[] = {
    {kMessageFont, "Segoe UI", 10, "BV"},
    {kMessageLargeFont, "Segoe UI", 11, "BV"},
    {kMessageSmallFont, "Segoe UI", 7, "L+V"},
};

struct ColourDefinition {
    int number;
    int systemColour; // a desktop colour by its Windows index, or -1 for the RGB below
    int red, green, blue;
};

const ColourDefinition kFormColours[] = {
    {32, 4, 0, 0, 0},       {33, 5, 0, 0, 0},        {34, 15, 0, 0, 0},
    {35, 24, 0, 0, 0},      {36, -1, 255, 111, 185}, {37, -1, 159, 171, 20},
    {38, -1, 255, 167, 71}, {39, -1, 207, 170, 210}, {40, -1, 227, 213, 28},
    {41, -1, 67, 137, 188}, {42, -1, 183, 106, 108}, {43, -1, 137, 68, 221},
};
const ColourDefinition kHighlightColour = {70, 13, 0, 0, 0};

struct FileError {
    int number;
    const char* text;
};

const FileError kPathNotFound = {76, N_("Path not found")};

// The program's numbers and texts for the ways making a folder can fail.
FileError fileErrorOf(int osError) {
    switch (osError) {
    case EACCES:
    case EPERM:
    case EROFS:
        return {70, N_("Permission denied")};
    case ENOSPC:
    case EDQUOT:
        return {61, N_("Disk full")};
    case ENOENT:
    case ENOTDIR:
        return kPathNotFound;
    case EEXIST:
        return {58, N_("File already exists")};
    case ENAMETOOLONG:
    case EINVAL:
        return {64, N_("Bad file name")};
    case EIO:
        return {57, N_("Device I/O error")};
    case ENODEV:
    case ENXIO:
        return {68, N_("Device unavailable")};
    default:
        return {75, N_("Path/file access error")};
    }
}

void defineFonts(const FontDefinition* fonts, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        ezDefFont(fonts[i].number, fonts[i].face, fonts[i].points, fonts[i].properties);
}

void defineColour(const ColourDefinition& colour) {
    if (colour.systemColour >= 0)
        ezDefSystemColor(colour.number, colour.systemColour);
    else
        ezDefColor(colour.number, colour.red, colour.green, colour.blue);
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A folder's text with exactly one "/" at its end.
std::string folderText(const fs::path& folder) {
    std::string text = folder.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text == "/" ? text : text + "/";
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? user->pw_dir : "/";
}

// Three digits, then "Calendar.PDF": the names Generate gives its files.
bool isNumberedCalendarName(const std::string& name) {
    constexpr std::string_view kSuffix = "Calendar.PDF";
    constexpr std::size_t kDigits = 3;
    if (name.size() != kDigits + kSuffix.size()) return false;
    for (std::size_t i = 0; i < kDigits; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return std::string_view(name).substr(kDigits) == kSuffix;
}

// The calendars of earlier runs and a probe file a crash left behind go; only regular files of
// the program's own names, and a link is never followed (nor removed: it is not ours).
void deleteCalendarFiles(const std::string& pdfFolder) {
    DIR* folder = opendir(pdfFolder.c_str());
    if (!folder) return;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (!isNumberedCalendarName(name) && name != kProbeFileName) continue;
        struct stat info {};
        if (fstatat(dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(info.st_mode)) unlinkat(dirfd(folder), entry->d_name, 0);
    }
    closedir(folder);
}

// Why the PDF folder took no probe file, in words for the user; "" when it took one.
std::string pdfFolderFailure;

// The probe is created exclusively: whatever already has its name (a link, a folder) is neither
// followed nor reused, and the probe fails. Only the file made here is removed again. Returns
// why it failed, or "".
std::string probeFileFailure(const std::string& probe) {
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST)
        return fillIn(translate("another file already has the name %1"), {kProbeFileName});
    if (fd < 0) return fileErrorText(errno);
    constexpr std::string_view kProbeLine = "X\n";
    const ssize_t written = write(fd, kProbeLine.data(), kProbeLine.size());
    const int writeError = written < 0 ? errno : ENOSPC;
    const bool closed = close(fd) == 0;
    const int closeError = errno;
    unlink(probe.c_str());
    if (written != static_cast<ssize_t>(kProbeLine.size())) return fileErrorText(writeError);
    return closed ? "" : fileErrorText(closeError);
}

// The topics shipped in the data folder when it has them, else the ones compiled in.
std::string helpFolderIn(const std::string& dataFolder) {
    const std::string installed = dataFolder + kInstalledHelpFolder;
    struct stat info {};
    const std::string contents = installed + kHelpContentsFile;
    if (stat(contents.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return installed;
    return kCompiledHelpFolder;
}

// The reader is known when a calendar could be saved in the PDF folder (the probe file) and the
// desktop names an application for PDF files.
void probePdfReader() {
    global::pdfViewerPath.clear();
    global::preferences.flags &= static_cast<std::uint16_t>(~kReaderFoundFlag);
    pdfFolderFailure = probeFileFailure(global::pdfFolder + kProbeFileName);
    if (!pdfFolderFailure.empty()) return;
    global::pdfViewerPath = appDefaultPdfViewer();
    if (!global::pdfViewerPath.empty()) global::preferences.flags |= kReaderFoundFlag;
}

void bringMainWindowToFront() {
    ezBringToFront(kMainForm);
}

// Everything the main window relies on; false when this run must end without a window.
bool programStartUp() {
    const InstanceClaim claim = appClaimSingleInstance(kInstanceName, bringMainWindowToFront);
    if (claim == InstanceClaim::AnotherRunning) return false;
    if (claim == InstanceClaim::Failed) {
        appBeep();
        return false;
    }
    defineFonts(kMessageFonts, std::size(kMessageFonts));
    defineColour(kHighlightColour);
    global::programIcon = ezLoadIcon(kProgramIconName);
    const std::string executableFolder =
        executableFolderGiven.empty() ? ezAppPath() : executableFolderGiven;
    startTranslations(executableFolder);
    setWindowLanguage(Language::Automatic);
    global::programFolder = chooseProgramFolder(executableFolder);
    global::settingsPath = global::programFolder + kSettingsFileName;
    const Language chosen = ReadWindowLanguage();
    setWindowLanguage(chosen);
    if (chosen != Language::Automatic && !catalogueReadable(chosen))
        okMessage(translate("Language Not Available"),
                  translate("The catalogue of the language chosen in Program > Language is "
                            "missing or damaged, so Merivane is shown in English. Reinstalling "
                            "Merivane brings it back.{f10}"),
                  cataloguePath(chosen));
    appUseToolkitLanguage(windowLanguage());
    // Said once here, rather than lost silently at every later write.
    if (SettingsFileTooLarge(global::settingsPath))
        okMessage(translate("Settings Cannot Be Saved"),
                  fillIn(translate("The settings file %1 is larger than 4 MB, so changes to the "
                                   "settings cannot be saved in it.{f10}"),
                         {global::settingsPath}),
                  translate("Move the file away or make it smaller: a new one is then made.{f6}"));
    global::dataFolder = dataFolderFor(executableFolder);
    global::helpFile = helpFolderIn(global::dataFolder);
    global::pdfFolder = global::programFolder + kPdfFolderName;
    MakePath(global::pdfFolder);
    global::pdfFolder += "/";
    ezDefTooltipProp(-1, -1, "[40]");
    // Clean-up comes first, so a probe file a crash left behind cannot fail the probe.
    deleteCalendarFiles(global::pdfFolder);
    removeLeftoverTemporaryFiles(global::pdfFolder);
    removeLeftoverTemporaryFiles(global::programFolder);
    probePdfReader();
    return true;
}

void startProgram() {
    appSetDesktopEntry(kDesktopEntryName);
    ezDefImageFolder("Graphics");
    ezAllowCommandEvents(1);
    ezAllowNotifyEvents(1);
    ezAllowKeyEvents(1);
    ezAllowMouseMoveEvents(1);
    ezAllowCursorEvents(1);
    defineFonts(kFormFonts, std::size(kFormFonts));
    for (const ColourDefinition& colour : kFormColours)
        defineColour(colour);
    installGuiRenderSeam();
    if (!programStartUp()) return;
    CreateMainWindow();
}

const FormRoutines* formNamed(const std::string& name) {
    for (const FormRoutines& form : kForms)
        if (name == form.name) return &form;
    return nullptr;
}

void routeDesign(const std::string& formName) {
    if (const FormRoutines* form = formNamed(formName)) form->design();
}

void routeEvent(const std::string& formName, int controlId, int eventCode, int value, int& cancel) {
    if (const FormRoutines* form = formNamed(formName))
        form->events(controlId, eventCode, value, cancel);
}

} // namespace

std::string pdfFolderProblem() {
    return pdfFolderFailure;
}

int runMerivane(int argc, char** argv, const std::string& executableFolder) {
    executableFolderGiven = executableFolder;
    return ezGuiRun(argc, argv, startProgram, routeEvent, routeDesign);
}

std::string chooseProgramFolder(const std::string& executableFolder) {
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(executableFolder, error);
    // An installed copy never writes beside itself, even where it could (~/.local/bin, root).
    const bool portable = !isInstalledCopy(executableFolder);
    if (portable && !error && !folder.empty() && access(folder.c_str(), W_OK) == 0)
        return folderText(folder);
    // XDG: a relative or empty $XDG_DATA_HOME is to be ignored.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const fs::path base = dataHome && dataHome[0] == '/'
                              ? fs::path(dataHome)
                              : fs::path(homeFolder()) / ".local" / "share";
    const fs::path data = base / kDataFolderName;
    const fs::path canonical = fs::weakly_canonical(data, error);
    return folderText(error ? data.lexically_normal() : canonical);
}

int MakePath(const std::string& path) {
    std::string folder = path;
    const std::size_t lastSlash = folder.rfind('/');
    if (lastSlash != std::string::npos && folder.find('.', lastSlash + 1) != std::string::npos)
        folder.resize(lastSlash + 1);
    const bool absolute = !folder.empty() && folder[0] == '/';
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= folder.size()) {
        std::size_t end = folder.find('/', start);
        if (end == std::string::npos) end = folder.size();
        if (end > start) parts.push_back(folder.substr(start, end - start));
        start = end + 1;
    }
    if (parts.empty()) return absolute ? 1 : 0;
    std::string current = (absolute ? "/" : "") + parts[0];
    if (!isFolder(current)) {
        okMessage(translate("Drive Error"),
                  translate("The drive letter is not specified or doesn't exist.{f10}"), "");
        return 0;
    }
    for (std::size_t i = 1; i < parts.size(); ++i) {
        current += "/" + parts[i];
        if (isFolder(current)) continue;
        if (mkdir(current.c_str(), 0777) == 0) continue;
        const int osError = errno;
        // Another process may have made it in the meantime.
        if (osError == EEXIST && isFolder(current)) continue;
        const FileError failure = fileErrorOf(osError);
        const std::string number = std::to_string(failure.number);
        okMessage(
            fillIn(translate("Directory Error %1"), {number}),
            translate("Unable to create subdirectory.{f7,t4}"),
            fillIn(translate("|An error %1, (%2) has occurred|attempting to create \"%3\".|{f7}"),
                   {number, translate(failure.text), current}));
        return 0;
    }
    return 1;
}
