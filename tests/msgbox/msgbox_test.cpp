#include "gui/qt_test_support.h"
#include "msgbox/msgbox.h"
#include "render/seam.h"
#include "shell/render_wiring.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <cmath>

using namespace testgui;

namespace {

const std::string kBox = kMessageBoxForm;

// Runs `call` with the message box routed as the program routes it; `action` runs once the
// dialog waits for the user.
int show(const std::function<int()>& call, const std::function<void()>& action) {
    defineApplicationLook();
    int result = 0;
    onDesign = [](const std::string& form) {
        if (form == kBox) messageBoxDesign();
    };
    onEvent = [](const std::string& form, int id, int code, int value, int& cancel) {
        if (form == kBox) messageBoxEvents(id, code, value, cancel);
    };
    run(
        [&] {
            later(action, 30);
            result = call();
        },
        {kBox, "MF"});
    return result;
}

QPushButton* button(int k) {
    return qobject_cast<QPushButton*>(control(kBox, 10 + k));
}
QLabel* label(int id) {
    return qobject_cast<QLabel*>(control(kBox, id));
}
QCheckBox* checkBox() {
    return qobject_cast<QCheckBox*>(control(kBox, 10));
}

int buttonCount() {
    QWidget* window = formWindow(kBox);
    return window != nullptr ? static_cast<int>(window->findChildren<QPushButton*>().size()) : 0;
}

int okWith(const std::function<void()>& action) {
    return show([] { return okMessage("Notice", "The calendar was saved.{f10}", ""); }, action);
}

double lineHeight(int font) {
    return ezGetTextSize(font, "Xy").height;
}

} // namespace

TEST(MessageBoxOkMessage, OneStandardBoldButtonWithTheFocusAnsweringClickEnterAndEscape) {
    int count = 0;
    std::string caption;
    bool bold = false;
    double points = 0;
    double width = 0;
    double height = 0;
    bool ownerDrawn = true;
    int focused = 0;
    bool hasCheckBox = true;
    int viaEnter = okWith([&] {
        count = buttonCount();
        QPushButton* ok = button(1);
        ASSERT_NE(ok, nullptr);
        caption = ok->text().toStdString();
        bold = QFontInfo(ok->font()).bold();
        points = ok->font().pointSizeF();
        width = ezCX(ok->width());
        height = ezCY(ok->height());
        ownerDrawn = ok->property("ezOwnerDraw").isValid();
        focused = ezGetFocusId(kBox);
        hasCheckBox = checkBox() != nullptr;
        key(kBox, Qt::Key_Return);
    });
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(viaEnter, 1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(caption, "&OK");
    EXPECT_TRUE(bold);
    EXPECT_DOUBLE_EQ(points, 9);
    EXPECT_GE(width, 8 - ezCX(1));
    EXPECT_NEAR(height, 1.5, ezCY(1));
    EXPECT_FALSE(ownerDrawn);
    EXPECT_EQ(focused, 11);
    EXPECT_FALSE(hasCheckBox);

    EXPECT_EQ(okWith([] { click(button(1)); }), 1);
    EXPECT_EQ(okWith([] { key(kBox, Qt::Key_Escape); }), 99);
    EXPECT_EQ(okWith([] { closeFromFrame(kBox); }), 99);
    EXPECT_FALSE(watchdogFired);
}

TEST(MessageBoxButtonList, HeaderSetsDefaultsAndMakesNoButton) {
    std::vector<std::string> captions;
    std::vector<bool> standard;
    int result = show(
        [] {
            return choiceMessage("Update Available", "A new version is ready.{f10}", "", "",
                                 "*{G,f7}|&Visit Web Site|&No, Thanks, I'm Good", 1);
        },
        [&] {
            for (int k = 1; k <= 3; ++k) {
                if (QPushButton* b = button(k)) {
                    captions.push_back(b->text().toStdString());
                    standard.push_back(!b->property("ezOwnerDraw").isValid() &&
                                       QFontInfo(b->font()).bold());
                }
            }
            click(button(2));
        });
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(captions, (std::vector<std::string>{"&Visit Web Site", "&No, Thanks, I'm Good"}));
    EXPECT_EQ(standard, (std::vector<bool>{true, true}));
}

TEST(MessageBoxButtonList, DrawnKindsMnemonicsWidthsAndTheTenButtonLimit) {
    int drawn = 0;
    int count = 0;
    double firstWidth = 0;
    double secondWidth = 0;
    int result = show(
        [] {
            return messageBox("", "Kinds", "Pick one.", "", "",
                              "&Yes{3}|&No{R}|&Maybe{E}|&Fine|*{W12}|&Later|A|B|C|D|E|F", "", 1,
                              "cw");
        },
        [&] {
            count = buttonCount();
            for (int k = 1; k <= 4; ++k)
                drawn += button(k)->property("ezOwnerDraw").isValid();
            firstWidth = ezCX(button(1)->width());
            secondWidth = ezCX(button(5)->width());
            QTest::keyClick(formWindow(kBox)->windowHandle(), Qt::Key_M, Qt::AltModifier);
        });
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(result, 3);                          // Alt+M is the mnemonic of "&Maybe"
    EXPECT_EQ(count, 9);                           // ten fields read, the header among them
    EXPECT_EQ(drawn, 4);                           // drawn kinds, "C" being the default
    EXPECT_NEAR(firstWidth, secondWidth, ezCX(1)); // "w": all take the widest, 12
    EXPECT_NEAR(secondWidth, 12, ezCX(1));

    // A box of the most buttons there may be answers its last one.
    const int last = show(
        [] {
            return messageBox("", "Ten", "Pick one.", "", "", "1|2|3|4|5|6|7|8|9|&Ten", "", 1, "");
        },
        [] {
            click(button(10));
            if (ezFormLoaded(kBox)) key(kBox, Qt::Key_Escape);
        });
    EXPECT_EQ(last, 10);
}

TEST(MessageBoxTextBlocks, FontColourAndLeadingEmptyLine) {
    std::string mainShown;
    bool mainBold = false;
    QColor mainColor;
    QColor detailColor;
    std::string detailGiven;
    std::string detailShown;
    double detailHeight = 0;
    int result = show(
        [] {
            return okMessage("Directory Error  5", "Unable to create subdirectory.{f7,t4}",
                             "|An error 5 has occurred.{f10}");
        },
        [&] {
            mainShown = label(5)->text().toStdString();
            mainBold = QFontInfo(label(5)->font()).bold();
            mainColor = label(5)->palette().color(QPalette::WindowText);
            detailColor = label(6)->palette().color(QPalette::WindowText);
            detailGiven = ezGetText(kBox, 6);
            detailShown = label(6)->text().toStdString();
            detailHeight = ezCY(label(6)->height());
            key(kBox, Qt::Key_Return);
        });
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(mainShown, "Unable to create subdirectory.");
    EXPECT_TRUE(mainBold);
    EXPECT_GT(mainColor.red(), mainColor.green() + mainColor.blue());
    EXPECT_EQ(detailColor, QColor(Qt::black)) << "a font alone leaves the text black";
    EXPECT_EQ(detailGiven, "|An error 5 has occurred.");
    EXPECT_EQ(detailShown, "\nAn error 5 has occurred.");
    EXPECT_NEAR(detailHeight, 2 * lineHeight(10), ezCY(1));
}

TEST(MessageBoxCheckBox, NegativeDefaultTicksTheBoxAndNegatesTheResult) {
    bool ticked = false;
    int focused = 0;
    int refocused = 0;
    auto ask = [] {
        return messageBox("", "Question", "Go on?{f10}", "", "Remember my answer{f6}",
                          "*{G,f7}|&Yes|&No", "", -2, "C");
    };
    int clickedAtOnce = show(ask, [&] {
        ticked = checkBox() != nullptr && checkBox()->isChecked();
        focused = ezGetFocusId(kBox);
        click(button(1));
    });
    ASSERT_FALSE(watchdogFired);
    EXPECT_TRUE(ticked);
    EXPECT_EQ(focused, 12);
    EXPECT_EQ(clickedAtOnce, -1);

    int untickedFirst = show(ask, [&] {
        click(checkBox());
        refocused = ezGetFocusId(kBox);
        click(button(1));
    });
    EXPECT_EQ(refocused, 12);
    EXPECT_EQ(untickedFirst, 1);

    // Enter while the box has the focus presses the default button, as from any form's box;
    // only that one is marked default for screen readers.
    bool markedDefault = false, othersPlain = false;
    int entered = show(ask, [&] {
        markedDefault = QAccessible::queryAccessibleInterface(button(2))->state().defaultButton;
        othersPlain = !QAccessible::queryAccessibleInterface(button(1))->state().defaultButton;
        ezSetFocus(kBox, 10);
        key(kBox, Qt::Key_Return);
    });
    EXPECT_TRUE(markedDefault);
    EXPECT_TRUE(othersPlain);
    EXPECT_EQ(entered, -2);
    EXPECT_EQ(show(ask, [] { closeFromFrame(kBox); }), -99);
    EXPECT_FALSE(watchdogFired);
}

TEST(MessageBoxChoiceMessage, TickedCloseIsReportedAsThree) {
    auto ask = [] {
        return choiceMessage("Question", "Go on?{f10}", "", "Remember my answer", "&Yes|&No", -1);
    };
    EXPECT_EQ(show(ask, [] { key(kBox, Qt::Key_Escape); }), 3);
    EXPECT_EQ(show(ask, [] { closeFromFrame(kBox); }), 3);
    EXPECT_EQ(show(ask, [] { click(button(2)); }), -2);
    // The first button is the default even with the check box before it.
    EXPECT_EQ(show(ask,
                   [] {
                       key(kBox, Qt::Key_Return);
                       if (ezFormLoaded(kBox)) key(kBox, Qt::Key_Escape);
                   }),
              -1);
    EXPECT_FALSE(watchdogFired);
}

TEST(MessageBoxTextBlocks, PictureStandsLeftOfTheTexts) {
    QString path = QDir::temp().filePath(QStringLiteral("merivane_msgbox_picture.png"));
    QImage image(40, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(path));
    int pictureRight = -1;
    int textLeft = -1;
    bool framed = false;
    show(
        [&] {
            return messageBox("", "Picture", "Beside the picture.{f10}", "", "", "&OK{G}",
                              path.toStdString(), 1, "s");
        },
        [&] {
            auto* picture = qobject_cast<QLabel*>(control(kBox, 4));
            ASSERT_NE(picture, nullptr);
            pictureRight = picture->geometry().right();
            textLeft = label(5)->geometry().left();
            framed = picture->frameShadow() == QFrame::Sunken;
            key(kBox, Qt::Key_Escape);
        });
    QFile::remove(path);
    ASSERT_FALSE(watchdogFired);
    EXPECT_GT(textLeft, pictureRight);
    EXPECT_TRUE(framed);
}

TEST(MessageBoxEmptyDialog, OpensAtTwoMarginsByThreeAndOnlyEscapeOrTheFrameEndIt) {
    double width = 0;
    double height = 0;
    bool openAfterEnter = false;
    auto empty = [] { return messageBox("", "", "", "", "", "", "", 0, ""); };
    int escaped = show(empty, [&] {
        QWidget* window = formWindow(kBox);
        width = ezCX(window->width());
        height = ezCY(window->height());
        key(kBox, Qt::Key_Return);
        openAfterEnter = ezFormLoaded(kBox);
        key(kBox, Qt::Key_Escape);
    });
    ASSERT_FALSE(watchdogFired);
    EXPECT_NEAR(width, 2, ezCX(1));
    EXPECT_NEAR(height, 1.5, ezCY(1));
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(escaped, 99);
    EXPECT_EQ(show(empty, [] { closeFromFrame(kBox); }), 99);
}

TEST(MessageBoxPlacement, ModalAndInFrontOfItsOwner) {
    bool ownedByMainWindow = false;
    bool ownerClickSeen = true;
    int result = 0;
    defineApplicationLook();
    onDesign = [](const std::string& form) {
        if (form == kBox) messageBoxDesign();
        if (form == "MF") ezButton(145, 1, 1, 9.5, 1.625, "&Generate", "T");
    };
    onEvent = [&](const std::string& form, int id, int code, int value, int& cancel) {
        if (form == kBox) messageBoxEvents(id, code, value, cancel);
        if (form == "MF" && id == 0 && code == kEventStarted) {
            later(
                [&] {
                    QWindow* box = formWindow(kBox)->windowHandle();
                    ownedByMainWindow = box->transientParent() == formWindow("MF")->windowHandle();
                    size_t before = codesOf("MF", 145).size();
                    click(control("MF", 145));
                    ownerClickSeen = codesOf("MF", 145).size() != before;
                    key(kBox, Qt::Key_Return);
                },
                30);
            result = okMessage("Owned", "Over the main window.{f10}", "", "MF");
            ezUnloadForm("MF");
        }
    };
    run([] { ezForm("MF", "", "Merivane", 0, 0, 30, 10, "C"); }, {kBox, "MF"});
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(ownedByMainWindow);
    EXPECT_FALSE(ownerClickSeen);
}

TEST(MessageBoxPlacement, CentredHalfACaptionAboveTheScreenCentre) {
    QRect frame;
    show([] { return okMessage("Centre", "Where am I?{f10}", ""); },
         [&] {
             frame = formWindow(kBox)->frameGeometry();
             key(kBox, Qt::Key_Escape);
         });
    ASSERT_FALSE(watchdogFired);
    double screenCentreX = ezScreenWidth() / 2.0;
    double screenCentreY = ezScreenHeight() / 2.0;
    EXPECT_NEAR(frame.left() + frame.width() / 2.0, screenCentreX, 1);
    EXPECT_NEAR(frame.top() + frame.height() / 2.0, screenCentreY - ezCaptionHeight() / 2.0, 1);
}

TEST(MessageBoxWordWrap, WordsMoveDownAndTheBlockEndsWithAnEmptyLine) {
    defineApplicationLook();
    const double fits = ezGetTextSize(6, "alpha beta").width + 0.01;
    EXPECT_EQ(wrapMessageText("alpha beta gamma", fits, 6), "alpha beta|gamma|");
    EXPECT_EQ(wrapMessageText("alpha beta|gamma", 100, 6), "alpha beta|gamma|");
    // A word wider than the width stands on a line of its own.
    const double narrow = ezGetTextSize(6, "a b").width + 0.01;
    EXPECT_EQ(wrapMessageText("a extraordinarily b", narrow, 6), "a|extraordinarily|b|");
    // When the first word of a line is already too wide, an empty line comes first.
    EXPECT_EQ(wrapMessageText("extraordinarily a", narrow, 6), "|extraordinarily|a|");
    EXPECT_EQ(wrapMessageText("", 10, 6), "|");
}

TEST(MessageBoxWordWrap, WrappedBlockIsMeasuredWithItsEmptyLastLine) {
    std::string given;
    double height = 0;
    show(
        [] {
            return okMessage("Wrap", "one two three four five six seven eight nine ten{f6,w10}",
                             "");
        },
        [&] {
            given = ezGetText(kBox, 5);
            height = ezCY(label(5)->height());
            key(kBox, Qt::Key_Escape);
        });
    ASSERT_FALSE(watchdogFired);
    ASSERT_FALSE(given.empty());
    EXPECT_EQ(given.back(), '|');
    std::size_t lines = static_cast<std::size_t>(std::count(given.begin(), given.end(), '|')) + 1;
    EXPECT_GE(lines, 3U);
    EXPECT_NEAR(height, static_cast<double>(lines) * lineHeight(6), ezCY(2));
    for (const std::string& line : {std::string("one two"), std::string("nine ten")}) {
        EXPECT_NE(given.find(line), std::string::npos);
    }
}

TEST(MessageBoxRenderSeam, MessagesShowTheOkBoxAndClosingUnloadsTheMainWindow) {
    installGuiRenderSeam();
    std::string title;
    show(
        [] {
            global::renderSeam.showMessage("PDF Error", "Unable to create PDF object.{f11,t4}",
                                           "Please inform technical support of this error.{f6}");
            return 0;
        },
        [&] {
            title = formWindow(kBox)->windowTitle().toStdString();
            key(kBox, Qt::Key_Return);
        });
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(title, "PDF Error");

    bool mainWindowGone = false;
    show(
        [&] {
            ezForm("MF", "", "Merivane", 0, 0, 20, 10, "C");
            global::renderSeam.closeMainWindow();
            mainWindowGone = !ezFormLoaded("MF");
            return 0;
        },
        [] {});
    EXPECT_TRUE(mainWindowGone);
    EXPECT_FALSE(watchdogFired);
}

// Stands in for the desktop's file opener.
class FileOpener : public QObject {
    Q_OBJECT
  public:
    std::vector<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

TEST(MessageBoxRenderSeam, DocumentsOpenWithTheDesktopsApplication) {
    installGuiRenderSeam();
    FileOpener opener;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
    bool messageShown = false;
    show(
        [] {
            global::renderSeam.openDocument("/tmp/merivane test/001Calendar.PDF");
            return 0;
        },
        [&] {
            messageShown = formWindow(kBox) != nullptr;
            if (messageShown) key(kBox, Qt::Key_Return);
        });
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_FALSE(messageShown);
    ASSERT_EQ(opener.opened.size(), 1U);
    EXPECT_EQ(opener.opened[0].toLocalFile(), QStringLiteral("/tmp/merivane test/001Calendar.PDF"));
}

TEST(MessageBoxRenderSeam, ADocumentTheDesktopCannotOpenIsReported) {
    // The offscreen platform has no desktop to open files with; a real desktop may have one.
    ezCX(1); // the application, and with it the platform, exists from here on
    if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
        GTEST_SKIP() << "only the offscreen platform is sure to have no desktop to open files";
    installGuiRenderSeam();
    // Nor is there an xdg-open to hand the file to instead.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QDir::tempPath().toLocal8Bit() + "/merivane-no-programs-here");
    std::string title;
    show(
        [] {
            global::renderSeam.openDocument("/tmp/001Calendar.PDF");
            return 0;
        },
        [&] {
            title = formWindow(kBox) != nullptr ? formWindow(kBox)->windowTitle().toStdString()
                                                : std::string();
            key(kBox, Qt::Key_Return);
        });
    qputenv("PATH", path);
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(title, "PDF Reader Error");
}

// Pictures of two typical messages, for a person to look at.
TEST(MessageBoxScreenshots, ChoiceWithCheckBoxAndPdfError) {
    QDir().mkpath(MERIVANE_SHOTS_DIR);
    bool savedChoice = false;
    bool savedError = false;
    show(
        [] {
            return choiceMessage(
                "Update Process Complete", "Merivane has been updated to version 6.0.0.1.{f10}",
                "Would you like to see what is new in this version?{f6}",
                "Don't show this message again{f6}", "*{G,f7}|&See What's New|&Don't Care", 1);
        },
        [&] {
            std::vector<QWidget*> shown = {label(5), label(6), checkBox(), button(1), button(2)};
            for (QWidget* widget : shown) {
                EXPECT_GE(widget->width(), widget->sizeHint().width());
                EXPECT_GE(widget->height(), widget->sizeHint().height())
                    << widget->metaObject()->className() << " " << widget->property("ezId").toInt();
            }
            savedChoice = formWindow(kBox)->grab().save(MERIVANE_SHOTS_DIR "/choice.png");
            key(kBox, Qt::Key_Escape);
        });
    show(
        [] {
            return okMessage("PDF Error",
                             "Error number = 4133 [&H1025]|Detail number = 0 [&H0]{f11,t4}",
                             "Please inform technical support of this error.{f6}");
        },
        [&] {
            // The measured blocks hold their texts whole: nothing is cut off.
            for (int id : {5, 6}) {
                EXPECT_GE(label(id)->width(), label(id)->sizeHint().width()) << id;
                EXPECT_GE(label(id)->height(), label(id)->sizeHint().height()) << id;
            }
            savedError = formWindow(kBox)->grab().save(MERIVANE_SHOTS_DIR "/pdf_error.png");
            key(kBox, Qt::Key_Escape);
        });
    bool savedDrawn = false;
    show(
        [] {
            return messageBox("", "Drawn Buttons", "Each kind of drawn button.{f10}", "", "",
                              "*{f7}|&Colour|&3-D{3,b41,t15}|&Rounded{R,b37}|&Elliptic{E,b38}", "",
                              2, "C");
        },
        [&] {
            savedDrawn = formWindow(kBox)->grab().save(MERIVANE_SHOTS_DIR "/drawn.png");
            key(kBox, Qt::Key_Escape);
        });
    ASSERT_FALSE(watchdogFired);
    EXPECT_TRUE(savedChoice);
    EXPECT_TRUE(savedError);
    EXPECT_TRUE(savedDrawn);
}

#include "msgbox_test.moc"

// Standard buttons keep the toolkit's colours whatever colour the text block or check box before
// them has; only drawn buttons take a text colour, and they take the one their markup gives.
TEST(MessageBoxColours, StandardButtonsKeepTheToolkitsColours) {
    const QColor standardText = QApplication::palette().color(QPalette::ButtonText);
    QColor okText, yesText, noText;
    show([] { return okMessage("PDF Error", "Unable to create PDF object.{f11,t4}", ""); },
         [&] {
             okText = button(1)->palette().color(QPalette::ButtonText);
             click(button(1));
         });
    show(
        [] {
            return choiceMessage("Choice", "Main text.{f10,t4}", "", "Don't ask again{t12}",
                                 "*{G,f7}|&Yes|&No", 1);
        },
        [&] {
            yesText = button(1)->palette().color(QPalette::ButtonText);
            noText = button(2)->palette().color(QPalette::ButtonText);
            click(button(1));
        });
    EXPECT_EQ(okText, standardText);
    EXPECT_EQ(yesText, standardText);
    EXPECT_EQ(noText, standardText);
}

// On a dark desktop a text the markup leaves black reads in the theme's text colour; a designed
// colour that reads on the dark face keeps it. A theme colour that would not read either gives
// way to a lighter shade of the designed one.
TEST(MessageBoxColours, DarkThemesShowTheirTextColourWhereTheDesignedOneWouldNotRead) {
    const QPalette light = QApplication::palette();
    const QPalette dark(QColor(0x22, 0x20, 0x20), QColor(0x22, 0x20, 0x20));
    QApplication::setPalette(dark);
    QColor mainColor, detailColor;
    show([] { return okMessage("Dark", "Main text.{f7,t14}", "Detail text.{f6}"); },
         [&] {
             mainColor = label(5)->palette().color(QPalette::WindowText);
             detailColor = label(6)->palette().color(QPalette::WindowText);
             click(button(1));
         });
    EXPECT_EQ(mainColor, QColor(Qt::yellow));
    EXPECT_EQ(detailColor, dark.color(QPalette::WindowText));
    // A theme whose own text colour would not read on its face either: the text is made lighter
    // until it reads at 4.5 to 1, as WCAG counts contrast.
    QPalette murky = dark;
    murky.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
    QApplication::setPalette(murky);
    show([] { return okMessage("Murky", "Main text.{f7,t14}", "Detail text.{f6}"); },
         [&] {
             detailColor = label(6)->palette().color(QPalette::WindowText);
             click(button(1));
         });
    QApplication::setPalette(light);
    const auto luminance = [](const QColor& colour) {
        const double channels[] = {colour.redF(), colour.greenF(), colour.blueF()};
        const double weights[] = {0.2126, 0.7152, 0.0722};
        double sum = 0;
        for (int i = 0; i < 3; ++i) {
            const double value = channels[i];
            sum += weights[i] *
                   (value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    EXPECT_GE((luminance(detailColor) + 0.05) / (luminance(dark.color(QPalette::Window)) + 0.05),
              4.5)
        << detailColor.name().toStdString();
}
