#pragma once
#include <string>

// The desktop's default application for PDF files, as `xdg-mime query default
// application/pdf` names it (a desktop entry such as "org.gnome.Evince.desktop"); "" when
// there is none or xdg-mime is missing.
std::string appDefaultPdfViewer();

// Names the program's desktop entry ("org.merivane.Merivane"), so that the desktop shows the
// entry's name and icon for the program's windows (Wayland matches windows by it).
void appSetDesktopEntry(const std::string& entryName);

// Opens a saved calendar in the desktop's PDF viewer: through the desktop platform, or where
// that cannot open files, through xdg-open started on its own. False when neither could start.
bool appOpenDocument(const std::string& path);
