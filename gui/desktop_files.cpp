// What the desktop offers for files and text: its documents folder, its save dialog and the
// clipboard.
#include "gui/adapter.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QPointer>
#include <QStandardPaths>

using namespace adapter;

std::string ezDocumentsFolder() {
    ensureToolkit();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Without a documents folder (or one that is gone) the home folder serves.
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    return fromQt(folder) + "/";
}

namespace {

QWidget* dialogOwner(const std::string& form) {
    Form* owner = findForm(form);
    return owner != nullptr ? owner->window.data() : QApplication::activeWindow();
}

// The file chosen, "" for none. The owner may close while the dialog waits (the program ends
// with it open), taking the dialog with it, so the dialog lives on the heap under a guard.
std::string chosenFile(QPointer<QFileDialog> dialog) {
    const QPointer<QWidget> owner = dialog->parentWidget();
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (dialog.isNull()) return {};
    const QStringList files = dialog->selectedFiles();
    delete dialog;
    // The window it was opened from has the keyboard again, as after the program's own dialogs.
    // The window manager gives it back, but Qt, which saw it come while the dialog still
    // blocked its owner, may count no window of its own active and give no control the focus.
    if (owner && !owner->isActiveWindow()) {
        QApplication::setActiveWindow(owner);
        owner->activateWindow();
    }
    return accepted && !files.isEmpty() ? fromQt(files.constFirst()) : std::string();
}

} // namespace

// A QFileDialog: the desktop's own dialog where the platform theme offers one (GNOME, KDE, a
// portal), Qt's dialog otherwise. Both ask before an existing file is replaced.
std::string ezSaveFileDialog(const std::string& form, const std::string& title,
                             const std::string& suggestedPath, const std::string& filter,
                             const std::string& suffix) {
    ensureToolkit();
    auto* dialog = new QFileDialog(dialogOwner(form), toQt(title));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(toQt(filter));
    dialog->setDefaultSuffix(toQt(suffix));
    dialog->selectFile(toQt(suggestedPath));
    return chosenFile(dialog);
}

std::string ezOpenFileDialog(const std::string& form, const std::string& title,
                             const std::string& folder, const std::string& filter) {
    ensureToolkit();
    auto* dialog = new QFileDialog(dialogOwner(form), toQt(title), toQt(folder), toQt(filter));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return chosenFile(dialog);
}

void ezSetClipboardText(const std::string& text) {
    ensureToolkit();
    QApplication::clipboard()->setText(toQt(text));
}
