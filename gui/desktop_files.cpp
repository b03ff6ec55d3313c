// What the desktop offers for files and text: its documents folder, its save dialog and the
// clipboard.
#include "gui/adapter.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

using namespace adapter;

std::string ezDocumentsFolder() {
    ensureToolkit();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Without a documents folder (or one that is gone) the home folder serves.
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    return fromQt(folder) + "/";
}

// A QFileDialog: the desktop's own dialog where the platform theme offers one (GNOME, KDE, a
// portal), Qt's dialog otherwise. Both ask before an existing file is replaced.
std::string ezSaveFileDialog(const std::string& form, const std::string& title,
                             const std::string& suggestedPath, const std::string& filter,
                             const std::string& suffix) {
    ensureToolkit();
    Form* owner = findForm(form);
    QFileDialog dialog(owner != nullptr ? owner->window.data() : QApplication::activeWindow(),
                       toQt(title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(toQt(filter));
    dialog.setDefaultSuffix(toQt(suffix));
    dialog.selectFile(toQt(suggestedPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return fromQt(dialog.selectedFiles().constFirst());
}

std::string ezOpenFileDialog(const std::string& form, const std::string& title,
                             const std::string& folder, const std::string& filter) {
    ensureToolkit();
    Form* owner = findForm(form);
    QFileDialog dialog(owner != nullptr ? owner->window.data() : QApplication::activeWindow(),
                       toQt(title), toQt(folder), toQt(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return fromQt(dialog.selectedFiles().constFirst());
}

void ezSetClipboardText(const std::string& text) {
    ensureToolkit();
    QApplication::clipboard()->setText(toQt(text));
}
