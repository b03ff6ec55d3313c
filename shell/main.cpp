#include "calendar/dates.h"
#include "common/translate.h"
#include "gui/app_desktop.h"
#include "program/version.h"
#include "shell/startup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    N_("Usage: merivane [/update]\n"
       "       merivane --help | --version\n"
       "\n"
       "Opens the Merivane window: type a starting year, pick a calendar\n"
       "style and press Generate to make a broadcast calendar as a PDF.\n"
       "\n"
       "  /update    given by the installer after an update: the window\n"
       "             reports how the update went\n"
       "  --help     show this help and exit\n"
       "  --version  show the version and exit\n"
       "\n"
       "merivane-cli makes the same calendars without a window.\n");

// Said in one line, with status 1, whenever no display can be opened.
constexpr const char* kNoGraphicalSession =
    N_("merivane: a graphical session is needed (no display could be opened from DISPLAY or "
       "WAYLAND_DISPLAY); merivane-cli works without one\n");
// The same when Wayland was asked for and Qt lacks its plugin, with the Debian package to add.
constexpr const char* kNoWaylandPlugin =
    N_("merivane: a graphical session is needed (Qt's Wayland platform plugin is missing: install "
       "the package qt6-wayland); merivane-cli works without one\n");

bool variableSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// Without any of these there is nothing to try.
bool graphicalSessionPresent() {
    return variableSet("QT_QPA_PLATFORM") || variableSet("DISPLAY") ||
           variableSet("WAYLAND_DISPLAY");
}

// The folder of the running executable, where its catalogues are looked for; "" if unknown.
std::string executableFolder() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    const std::string whole(path, static_cast<std::size_t>(length));
    return whole.substr(0, whole.rfind('/') + 1);
}

bool flushed() {
    return std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char** argv) {
    // The help and the no-display line speak the desktop's language.
    startTranslations(executableFolder());
    setWindowLanguage(Language::Automatic);
    if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(translate(kUsage), stdout);
        return flushed() ? 0 : 1;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("merivane %s (built %s)\n", kProgramVersion, buildDateText().c_str());
        return flushed() ? 0 : 1;
    }
    if (!graphicalSessionPresent()) {
        std::fputs(translate(kNoGraphicalSession), stderr);
        return 1;
    }
    appStartToolkit(argc, argv, translate(kNoGraphicalSession), translate(kNoWaylandPlugin));
    return runMerivane(argc, argv, "");
}
