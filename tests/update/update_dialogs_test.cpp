// The update-available and what's-new dialogs with their real widgets on the offscreen platform.
#include "update_test_support.h"

#include "program/settings.h"

#include <QCheckBox>
#include <QImage>
#include <gtest/gtest.h>

using namespace updatetest;

namespace {

const std::string kRichNotes =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Faster printing}\\par Fixed the year "
    "page\\par}";

struct OfferSeen {
    UpdateOffer answered; // as the dialog left it
    std::string heading;
    std::string description;
    std::string plainNotes;
    bool plainVisible = false;
    std::string richNotes;
    bool richBold = false;
    bool checkBoxVisible = false;
    bool closedFromFrame = false;
    bool notesOnScreen = false; // the notes' box is the one on top, with dark text painted in it
    bool headingFits = false;   // the heading's text within its label
    bool notesReadOnly = false;
    bool notesTabbed = false; // Tab reaches the notes' box
};

// Whether `box` is what the user sees at its centre and its left half holds dark (text) pixels.
bool paintedOnTop(QWidget* window, QWidget* box) {
    const QRect area(box->mapTo(window, QPoint(0, 0)), box->size());
    QWidget* onTop = window->childAt(area.center());
    if (onTop != box && !box->isAncestorOf(onTop)) return false;
    const QImage painted = window->grab(area.adjusted(4, 4, -area.width() / 2, -4)).toImage();
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (qGray(painted.pixel(x, y)) < 128) return true;
    return false;
}

// Shows the offer for `version` and answers it: the box ticked or not, then `button`.
OfferSeen offer(const std::string& notes, bool rich, bool manual, bool tick,
                const std::string& button, const std::string& version = "6.0.0.1") {
    OfferSeen result;
    UpdateOffer& shown = result.answered;
    shown.newVersion = version;
    shown.description = "This is an important update including bug fixes.";
    shown.notes = notes;
    shown.notesAreRichText = rich;
    shown.manual = manual;
    shown.downloadAccepted = true;
    answers["Update Available"] = [&, rich, tick, button](QWidget* window) {
        auto* heading = qobject_cast<QLabel*>(testgui::control(kUpdateAvailableForm, 100));
        auto* description = qobject_cast<QLabel*>(testgui::control(kUpdateAvailableForm, 105));
        auto* plain = qobject_cast<QTextEdit*>(testgui::control(kUpdateAvailableForm, 120));
        auto* richBox = qobject_cast<QTextBrowser*>(testgui::control(kUpdateAvailableForm, 125));
        auto* box = qobject_cast<QCheckBox*>(testgui::control(kUpdateAvailableForm, 130));
        if (!heading || !description || !plain || !richBox || !box) {
            ADD_FAILURE() << "controls missing";
            return;
        }
        result.heading = heading->text().toStdString();
        result.headingFits =
            heading->fontMetrics().horizontalAdvance(heading->text()) <= heading->width();
        result.notesReadOnly = plain->isReadOnly();
        QWidget* notes = rich ? static_cast<QWidget*>(richBox) : plain;
        result.notesTabbed = (notes->focusPolicy() & Qt::TabFocus) != 0;
        result.description = description->text().toStdString();
        result.plainNotes = plain->toPlainText().toStdString();
        result.plainVisible = plain->isVisible();
        result.richNotes = richBox->toPlainText().toStdString();
        for (QTextBlock block = richBox->document()->begin(); block.isValid(); block = block.next())
            for (auto piece = block.begin(); !piece.atEnd(); ++piece)
                if (piece.fragment().charFormat().fontWeight() >= QFont::Bold)
                    result.richBold = true;
        result.checkBoxVisible = box->isVisible();
        result.notesOnScreen = paintedOnTop(window, rich ? static_cast<QWidget*>(richBox) : plain);
        testgui::closeFromFrame(kUpdateAvailableForm);
        QApplication::processEvents();
        result.closedFromFrame = testgui::formWindow(kUpdateAvailableForm) == nullptr;
        if (tick) testgui::click(box);
        press(window, button);
    };
    answers["Update Not Taken"] = [](QWidget* window) { press(window, "&OK"); };
    runWithAnswers([&shown] { ShowUpdateAvailableDialog("", shown); });
    return result;
}

std::string ignoreSetting() {
    return ReadSetting(global::settingsPath, "Update", "Ignore", "none");
}

} // namespace

TEST(UpdateAvailableDialog, PlainNotesOfferWithTheBoxTickedAndMaybeLater) {
    ScratchProgram program;
    const OfferSeen seenOffer = offer("Fixed A\r\nFixed B", false, false, true, "Maybe Later");
    EXPECT_EQ(seenOffer.heading, "Version 6.0.0.1 of Zarn Generator is available.");
    EXPECT_EQ(seenOffer.description, "This is an important update including bug fixes.");
    EXPECT_EQ(seenOffer.plainNotes, "Fixed A\nFixed B");
    EXPECT_TRUE(seenOffer.plainVisible);
    EXPECT_TRUE(seenOffer.headingFits);
    // Long notes are scrolled from the keyboard, and never typed into.
    EXPECT_TRUE(seenOffer.notesReadOnly);
    EXPECT_TRUE(seenOffer.notesTabbed);
    EXPECT_TRUE(seenOffer.notesOnScreen);
    EXPECT_TRUE(seenOffer.checkBoxVisible);
    EXPECT_FALSE(seenOffer.closedFromFrame) << "the frame's close button does nothing";
    EXPECT_TRUE(seenOffer.answered.laterChosen);
    EXPECT_FALSE(seenOffer.answered.downloadAccepted);
    EXPECT_EQ(ignoreSetting(), "6001");
    EXPECT_EQ(captionsSeen(), (std::vector<std::string>{"Update Available", "Update Not Taken"}));
    EXPECT_NE(textsOf("Update Not Taken")
                  .find("You will no longer be notified about update 6.0.0.1 for Zarn Generator."),
              std::string::npos)
        << textsOf("Update Not Taken");
}

TEST(UpdateAvailableDialog, RichNotesOnAManualCheckHideTheBoxAndDownloadNow) {
    ScratchProgram program;
    const OfferSeen seenOffer = offer(kRichNotes, true, true, false, "Download Now");
    EXPECT_TRUE(seenOffer.notesTabbed);
    EXPECT_FALSE(seenOffer.plainVisible);
    EXPECT_NE(seenOffer.richNotes.find("Faster printing"), std::string::npos);
    EXPECT_NE(seenOffer.richNotes.find("Fixed the year page"), std::string::npos);
    EXPECT_EQ(seenOffer.richNotes.find("\\b"), std::string::npos) << "shown formatted";
    EXPECT_TRUE(seenOffer.richBold);
    EXPECT_TRUE(seenOffer.notesOnScreen);
    EXPECT_FALSE(seenOffer.checkBoxVisible);
    EXPECT_TRUE(seenOffer.answered.downloadAccepted);
    EXPECT_FALSE(seenOffer.answered.laterChosen);
    EXPECT_EQ(ignoreSetting(), "none");
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{"Update Available"});
}

TEST(UpdateAvailableDialog, TickedBoxWithDownloadNowStillIgnoresAndEmptyNotesGetThePlaceholder) {
    ScratchProgram program;
    const OfferSeen seenOffer = offer("", false, false, true, "Download Now");
    EXPECT_EQ(seenOffer.plainNotes, "* Going forward, new features will be listed here");
    EXPECT_TRUE(seenOffer.notesOnScreen);
    EXPECT_TRUE(seenOffer.answered.downloadAccepted);
    EXPECT_EQ(ignoreSetting(), "6001");
    EXPECT_EQ(captionsSeen(), (std::vector<std::string>{"Update Available", "Update Not Taken"}));
}

// A site's version of 1,900 digits is cut in the heading, which stays within the window.
TEST(UpdateAvailableDialog, AVersionOfThousandsOfDigitsIsCutInTheHeading) {
    ScratchProgram program;
    const OfferSeen seenOffer =
        offer("Fixed A", false, true, false, "Maybe Later", std::string(1900, '9'));
    EXPECT_TRUE(seenOffer.headingFits) << seenOffer.heading.size();
    EXPECT_EQ(seenOffer.heading.find("Version " + std::string(12, '9') + "\u2026 of Zarn"), 0u)
        << seenOffer.heading;
}

TEST(WhatsNewDialog, HeadingNotesAndPlaceholder) {
    ScratchProgram program;
    struct Shown {
        std::string heading, history, notes;
        bool bold = false;
    };
    auto show = [](const std::string& version) {
        Shown shown;
        answers["Update Information"] = [&shown](QWidget* window) {
            auto* heading = qobject_cast<QLabel*>(testgui::control(kWhatsNewForm, 105));
            auto* history = qobject_cast<QLabel*>(testgui::control(kWhatsNewForm, 125));
            auto* notes = qobject_cast<QTextBrowser*>(testgui::control(kWhatsNewForm, 110));
            if (heading) shown.heading = heading->text().toStdString();
            if (history) shown.history = history->text().toStdString();
            if (notes) shown.notes = notes->toPlainText().toStdString();
            if (notes) {
                QTextCursor cursor(notes->document());
                cursor.setPosition(1);
                shown.bold = cursor.charFormat().fontWeight() >= QFont::Bold;
            }
            press(window, "&OK");
        };
        runWithAnswers([&version] { ShowWhatsNewDialog("", version); });
        return shown;
    };
    const Shown placeholder = show("6.0.0.1");
    EXPECT_EQ(placeholder.heading, "Zarn Generator 6.0.0.1:");
    EXPECT_EQ(placeholder.notes, "No information available.");
    EXPECT_EQ(placeholder.history, "For the complete history of Zarn Generator's updates\ngo to "
                                   "Help > About Zarn Generator on the main menu.");
    // The notes shipped with the program, until an installer leaves newer ones beside "Zarn.ini".
    writeText(program.shipped / "Release Notes.rtf", "{\\rtf1 Shipped notes\\par}");
    EXPECT_NE(show("").notes.find("Shipped notes"), std::string::npos);
    writeText(program / "Release Notes.rtf", "{\\rtf1 {\\b Bold start} then plain\\par}");
    const Shown withNotes = show("");
    EXPECT_EQ(withNotes.heading, "Zarn Generator:");
    EXPECT_NE(withNotes.notes.find("Bold start then plain"), std::string::npos) << withNotes.notes;
    EXPECT_TRUE(withNotes.bold);
    EXPECT_EQ(captionsSeen(), std::vector<std::string>{"Update Information"});
}
