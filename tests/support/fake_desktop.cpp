#include "support/fake_desktop.h"
#include "support/test_files.h"

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace {} // namespace

void makeFakeDesktop(const fs::path& root, const std::string& viewerScript) {
    for (const char* folder : {"config", "data/applications", "config-dirs", "data-dirs"})
        fs::create_directories(root / folder);
    fs::create_directories(root / "runtime");
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    if (viewerScript.empty()) return;
    const fs::path viewer = root / "viewer.sh";
    writeText(viewer, viewerScript);
    fs::permissions(viewer, fs::perms::owner_all);
    writeText(root / "config" / "mimeapps.list",
              "[Default Applications]\napplication/pdf=fakeviewer.desktop\n");
    writeText(root / "data" / "applications" / "fakeviewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Fake Viewer\nExec=" + viewer.string() +
                  " %f\nMimeType=application/pdf;\n");
}

void enterFakeDesktop(const fs::path& root) {
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root / "config-dirs").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root / "data-dirs").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("HOME", root.c_str(), 1);
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "BROWSER"})
        unsetenv(name);
    // A relative Wayland display is a socket in the machine's runtime folder; a path is a
    // compositor of the test's own, which stays.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && wayland[0] != '/') unsetenv("WAYLAND_DISPLAY");
}
