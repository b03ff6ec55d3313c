#pragma once
#include "common/translate.h"

#include <string>

// Starts the toolkit on the desktop's display (X11 or Wayland). Where no platform can start (no
// display, a Wayland socket that is gone, a platform plugin not installed) Qt would abort;
// instead failureLine goes to standard error and the process exits with status 1, or
// noWaylandPluginLine when Wayland was asked for and Qt has no plugin for it. What Qt says while
// it starts is passed on once it has started. The toolkit keeps argc by reference.
void appStartToolkit(int& argc, char** argv, const std::string& failureLine,
                     const std::string& noWaylandPluginLine);

// The desktop's default application for PDF files, as the desktop's MIME application lists
// name it (a desktop entry such as "org.gnome.Evince.desktop"), found without starting a
// process; "" when there is none or its desktop entry is not installed.
std::string appDefaultPdfViewer();

// Names the program's desktop entry ("org.merivane.Merivane"), so that the desktop shows the
// entry's name and icon for the program's windows (Wayland matches windows by it).
void appSetDesktopEntry(const std::string& entryName);

// Opens a saved calendar in the desktop's PDF viewer: through the desktop platform, or where
// that cannot open files, through xdg-open started on its own. False when neither could start.
bool appOpenDocument(const std::string& path);

// Qt's own texts (the save dialog, a text field's context menu, standard buttons) in the
// window's language, from the toolkit's translations as the system installs them; English
// where the language is English or the system has none.
void appUseToolkitLanguage(Language language);
