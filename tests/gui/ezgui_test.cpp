#include "gui/help.h"
#include "gui/qt_test_support.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QToolTip>

#include <gtest/gtest.h>

#include <algorithm>
#include <unistd.h>

using namespace testgui;

namespace {

constexpr const char* kForm = "TESTFORM";
constexpr int kButton = 100;

std::vector<int> formCodes(const std::string& form) {
    std::vector<int> codes;
    for (const RecordedEvent& event : events) {
        if (event.form == form && event.id == 0) codes.push_back(event.code);
    }
    return codes;
}

std::size_t indexOf(const std::vector<int>& codes, int code) {
    return static_cast<std::size_t>(std::find(codes.begin(), codes.end(), code) - codes.begin());
}

void designOneButton(const std::string&) {
    ezUseFont(0);
    ezButton(kButton, 1, 1, 8, 1.5, "&Close", "T");
}

} // namespace

// A page the language's folder lacks is shown in English; installed and compiled-in alike.
TEST(GuiHelp, APageMissingInALanguageFallsBackToEnglish) {
    const std::string folder = testing::TempDir() + "help_" + std::to_string(getpid()) + "/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder + "fr")));
    for (const std::string page : {"contents.html", "export.html", "fr/contents.html"}) {
        QFile file(QString::fromStdString(folder + page));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const struct {
        Language language;
        const char* page;
        std::string shown;
    } cases[] = {{Language::French, "contents.html", folder + "fr/contents.html"},
                 {Language::French, "export.html", folder + "export.html"},
                 {Language::Spanish, "contents.html", folder + "contents.html"},
                 {Language::English, "contents.html", folder + "contents.html"}};
    for (const auto& c : cases)
        EXPECT_EQ(helpPageIn(folder, c.language, c.page), c.shown) << c.page;
    QDir(QString::fromStdString(folder)).removeRecursively();
}

TEST(GuiModalForm, RaisesLoadStartActivateAndUnloadInOrderAndReturnsAfterUnload) {
    bool returned = false;
    onDesign = designOneButton;
    onEvent = [](const std::string& form, int id, int code, int, int&) {
        if (id == 0 && code == kEventStarted) later([form] { click(control(form, kButton)); }, 50);
        if (id == kButton && code == kEventClick) ezUnloadForm(form);
    };
    run(
        [&] {
            ezForm(kForm, "", "Modal", 0, 0, 20, 6, "CM");
            // Only after the unload does the call come back.
            returned = !ezFormLoaded(kForm);
        },
        {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_TRUE(returned);
    std::vector<int> codes = formCodes(kForm);
    ASSERT_GE(codes.size(), 5U);
    EXPECT_EQ(codes[0], kEventLoading);
    EXPECT_EQ(codes[1], kEventLoaded);
    EXPECT_EQ(codes[2], kEventStarted);
    EXPECT_LT(indexOf(codes, kEventActivated), indexOf(codes, kEventUnload));
    EXPECT_EQ(codes.back(), kEventUnload);
    std::vector<int> buttonCodes = codesOf(kForm, kButton);
    EXPECT_NE(std::find(buttonCodes.begin(), buttonCodes.end(), kEventClick), buttonCodes.end());
}

TEST(GuiModalForm, CancelFlagRefusesACloseFromTheFrame) {
    int closeRequests = 0;
    bool stillLoadedAfterRefusal = false;
    onDesign = designOneButton;
    onEvent = [&](const std::string& form, int id, int code, int, int& cancel) {
        if (id == 0 && code == kEventStarted) {
            later(
                [&, form] {
                    closeFromFrame(form);
                    stillLoadedAfterRefusal = ezFormLoaded(form);
                    // Escape asks as the frame does: a modal form is a dialog, owner or not.
                    key(form, Qt::Key_Escape);
                },
                20);
        }
        if (id == 0 && code == kEventCloseRequest) {
            ++closeRequests;
            if (closeRequests == 1) cancel = 1;
        }
    };
    run([] { ezForm(kForm, "", "Refuse", 0, 0, 20, 6, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(closeRequests, 2);
    EXPECT_TRUE(stillLoadedAfterRefusal);
    EXPECT_EQ(formCodes(kForm).back(), kEventUnload);
}

TEST(GuiEvents, PostedEventArrivesLaterAs410WithItsValue) {
    bool arrivedBeforePostReturned = false;
    onDesign = designOneButton;
    onEvent = [&](const std::string& form, int id, int code, int value, int&) {
        if (id == 0 && code == kEventStarted) {
            ezPostEvent(form, 100, 4);
            arrivedBeforePostReturned = !codesOf(form, 100).empty();
        }
        if (id == 100 && code == kEventPosted && value == 4) ezUnloadForm(form);
    };
    run([] { ezForm(kForm, "", "Post", 0, 0, 20, 6, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_FALSE(arrivedBeforePostReturned);
    auto posted = std::find_if(events.begin(), events.end(), [](const RecordedEvent& event) {
        return event.id == 100 && event.code == kEventPosted;
    });
    ASSERT_NE(posted, events.end());
    EXPECT_EQ(posted->value, 4);
}

TEST(GuiEvents, AcceleratorRaisesItsIdAsAClick) {
    onDesign = designOneButton;
    onEvent = [](const std::string& form, int id, int code, int, int&) {
        if (id == 0 && code == kEventLoaded) ezDefAccel(form, "F1,911");
        if (id == 0 && code == kEventStarted) later([form] { key(form, Qt::Key_F1); }, 20);
        if (id == 911 && code == kEventClick) ezUnloadForm(form);
    };
    run([] { ezForm(kForm, "", "Accelerator", 0, 0, 20, 6, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    std::vector<int> codes = codesOf(kForm, 911);
    ASSERT_EQ(codes.size(), 1U);
    EXPECT_EQ(codes[0], kEventClick);
}

TEST(GuiEvents, KeysArriveAsKeyEventsWithTheirCodes) {
    std::vector<int> keys;
    onDesign = designOneButton;
    onEvent = [&](const std::string& form, int id, int code, int value, int&) {
        if (id == 0 && code == kEventStarted) {
            ezAllowKeyEvents(1);
            ezSetFocus(form, kButton);
            later(
                [form] {
                    key(form, Qt::Key_Return);
                    key(form, Qt::Key_A);
                    key(form, Qt::Key_Escape);
                },
                20);
        }
        if (code == kEventKey) {
            keys.push_back(value);
            if (value == kKeyEscape) ezUnloadForm(form);
        }
    };
    run([] { ezForm(kForm, "", "Keys", 0, 0, 20, 6, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(keys, (std::vector<int>{kKeyEnter, 'A', kKeyEscape}));
}

TEST(GuiTooltips, ShownOnlyWhenTheRequestSetsText) {
    std::string answer;
    QString shownWithText;
    QString shownWithout;
    QString shownWrapped;
    int requests = 0;
    onDesign = [](const std::string& form) {
        designOneButton(form);
        ezAddTooltip(form, kButton);
    };
    auto ask = [] {
        QWidget* button = control(kForm, kButton);
        QPoint point = button->rect().center();
        QHelpEvent help(QEvent::ToolTip, point, button->mapToGlobal(point));
        QApplication::sendEvent(button, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    onEvent = [&](const std::string& form, int id, int code, int, int&) {
        if (id == kButton && code == kEventTooltip) {
            ++requests;
            ezSetTooltip(answer);
        }
        if (id == 0 && code == kEventStarted) {
            later(
                [&, form] {
                    answer = "Leave the test";
                    shownWithText = ask();
                    QToolTip::hideText();
                    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
                    answer.clear();
                    shownWithout = ask();
                    ezDefTooltipProp(-1, -1, "[40]");
                    answer =
                        "Print a 12-month strip suitable for positioning above a computer keyboard";
                    shownWrapped = ask();
                    ezDefTooltipProp(-1, -1, "");
                    QToolTip::hideText();
                    ezUnloadForm(form);
                },
                20);
        }
    };
    run([] { ezForm(kForm, "", "Tips", 0, 0, 20, 6, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(requests, 3);
    EXPECT_EQ(shownWithText, QStringLiteral("Leave the test"));
    EXPECT_TRUE(shownWithout.isEmpty());
    // "[40]" wraps at word boundaries within 40 characters.
    QStringList lines = shownWrapped.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.size(), 2);
    for (const QString& line : lines)
        EXPECT_LE(line.size(), 40);
    EXPECT_EQ(lines.join(QLatin1Char(' ')),
              QStringLiteral("Print a 12-month strip suitable for positioning above a "
                             "computer keyboard"));
}

TEST(GuiControls, RadioGroupsTextsLoadingAndLayers) {
    std::string label;
    std::string loaded;
    bool groupOneKept = false;
    bool layerOneShown = false;
    bool layerTwoHidden = false;
    bool layerTwoShownAfterSwitch = false;
    bool layerZeroAlwaysShown = false;
    onDesign = [](const std::string&) {
        ezUseFont(0);
        ezRadio(110, 1, 0.5, 8, 1, "One", "GT");
        ezRadio(115, 1, 1.5, 8, 1, "Two", "T");
        ezRadio(120, 10, 0.5, 8, 1, "Three", "GT");
        ezRadio(125, 10, 1.5, 8, 1, "Four", "T");
        ezLabel(130, 1, 3, 18, 2, "First|Second & more", "L");
        ezAllowLoadingEvent(2);
        ezText(135, 1, 5, 10, 1.5, "", "T");
        ezSetLayer(1);
        ezLabel(140, 1, 7, 10, 1, "Page one", "L");
        ezSetLayer(2);
        ezLabel(145, 1, 7, 10, 1, "Page two", "L");
        ezSetLayer(0);
        ezButton(150, 12, 7, 6, 1.5, "OK", "T");
        ezDisplayLayer(kForm, 1);
    };
    onEvent = [&](const std::string& form, int id, int code, int, int&) {
        if (id == 135 && code == kEventLoading) ezSetLoadStr("from loading");
        if (id == 0 && code == kEventStarted) {
            later(
                [&, form] {
                    ezSetCheck(form, 110, 1);
                    click(control(form, 125));
                    groupOneKept = ezGetCheck(form, 110) == 1 && ezGetCheck(form, 125) == 1;
                    label = static_cast<QLabel*>(control(form, 130))->text().toStdString();
                    loaded = ezGetText(form, 135);
                    layerOneShown = ezIsControl(form, 140, "V") == 1;
                    layerTwoHidden = ezIsControl(form, 145, "V") == 0;
                    ezDisplayLayer(form, 2);
                    layerTwoShownAfterSwitch = control(form, 145) != nullptr &&
                                               control(form, 145)->isVisible() &&
                                               !control(form, 140)->isVisible();
                    layerZeroAlwaysShown = control(form, 150)->isVisible();
                    ezUnloadForm(form);
                },
                20);
        }
    };
    run([] { ezForm(kForm, "", "Controls", 0, 0, 22, 10, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_TRUE(groupOneKept);
    EXPECT_EQ(label, "First\nSecond & more");
    EXPECT_EQ(loaded, "from loading");
    EXPECT_TRUE(layerOneShown);
    EXPECT_TRUE(layerTwoHidden);
    EXPECT_TRUE(layerTwoShownAfterSwitch);
    EXPECT_TRUE(layerZeroAlwaysShown);
}

TEST(GuiControls, TextBoxLimitSelectionAndTextChangedEvents) {
    int changes = 0;
    std::string typed;
    int caret = -1;
    onDesign = [](const std::string&) { ezText(100, 1, 1, 8, 1.5, "", "CENST[4]"); };
    onEvent = [&](const std::string& form, int id, int code, int, int&) {
        if (id == 100 && code == kEventTextChanged) ++changes;
        if (id == 0 && code == kEventStarted) {
            later(
                [&, form] {
                    ezSetText(form, 100, "2025");
                    ezSetFocus(form, 100);
                    auto* edit = static_cast<QLineEdit*>(control(form, 100));
                    edit->selectAll();
                    QTest::keyClicks(edit, "19201");
                    typed = ezGetText(form, 100);
                    ezSetTextSelection(form, 100, 4, 4);
                    caret = edit->hasSelectedText() ? -2 : edit->cursorPosition();
                    ezUnloadForm(form);
                },
                20);
        }
    };
    run([] { ezForm(kForm, "", "Year", 0, 0, 12, 4, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(typed, "1920");
    EXPECT_EQ(caret, 4);
    EXPECT_GE(changes, 5); // the program's text, then each typed character
}

TEST(GuiControls, AnchoredControlsFollowTheResizedForm) {
    QRect stretchedBefore;
    QRect stretchedAfter;
    QRect movedBefore;
    QRect movedAfter;
    onDesign = [](const std::string&) {
        ezUseAutoSize("FL,FR");
        ezLabel(100, 1, 1, 18, 1, "Band", "C");
        ezUseAutoSize("FR,FB");
        ezButton(105, 12, 7, 7, 1.5, "&Close", "T");
    };
    onEvent = [&](const std::string& form, int id, int code, int, int&) {
        if (id == 0 && code == kEventLoaded) ezSetFormMinMax(form, 20, 9, 999, 999);
        if (id == 0 && code == kEventStarted) {
            later(
                [&, form] {
                    stretchedBefore = control(form, 100)->geometry();
                    movedBefore = control(form, 105)->geometry();
                    ezResizeForm(form, 30, 12);
                    QApplication::processEvents();
                    stretchedAfter = control(form, 100)->geometry();
                    movedAfter = control(form, 105)->geometry();
                    ezUnloadForm(form);
                },
                20);
        }
    };
    run([] { ezForm(kForm, "", "Anchors", 0, 0, 20, 9, "CMZ"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    int addedWidth =
        static_cast<int>(std::lround(30 / ezCX(1))) - static_cast<int>(std::lround(20 / ezCX(1)));
    EXPECT_EQ(stretchedAfter.left(), stretchedBefore.left());
    EXPECT_NEAR(stretchedAfter.width() - stretchedBefore.width(), addedWidth, 1);
    EXPECT_NEAR(movedAfter.left() - movedBefore.left(), addedWidth, 1);
    EXPECT_GT(movedAfter.top(), movedBefore.top());
    EXPECT_EQ(movedAfter.size(), movedBefore.size());
}

TEST(GuiUnits, DesignedLayoutsHoldTheirTextsAndPictures) {
    defineApplicationLook();
    // Texts the windows place in fixed widths must fit them in the fonts they use.
    EXPECT_LE(ezGetTextSize(kDialogFont, "Calendar starting year:").width, 15.25);
    EXPECT_LE(
        ezGetTextSize(kDialogFont, "Print each month of 2025 on a separate sheet of paper.").width,
        36.75);
    EXPECT_LE(
        ezGetTextSize(kDialogFont, "Print all four quarters of 2025 on separate sheets.").width,
        36.75);
    // The widest and tallest preview pictures fit the picture control of 28.25 x 10.75.
    EXPECT_LE(ezCX(226), 28.25);
    EXPECT_LE(ezCY(172), 10.75);
    // Extents add up across a line and grow with the font.
    double single = ezGetTextSize(kDialogFont, "W").width;
    EXPECT_NEAR(ezGetTextSize(kDialogFont, "WWWW").width, 4 * single, ezCX(4));
    EXPECT_GT(ezGetTextSize(kLargeBoldFont, "Year").height,
              ezGetTextSize(kDialogFont, "Year").height);
    EXPECT_GT(ezGetTextSize(kDialogBoldFont, "Year").width,
              ezGetTextSize(kDialogFont, "Year").width);
    EXPECT_GT(ezGetTextSize(kDialogFont, "").height, 0.5);
}

TEST(GuiOwnerDraw, PaintingAButtonAsksTheProgramWithADrawToken) {
    int drawRequests = 0;
    onDesign = [](const std::string&) { ezODButton(100, 1, 1, 8, 1.5, "&Draw", "T"); };
    onEvent = [&](const std::string& form, int id, int code, int value, int&) {
        if (id == 100 && code == kEventOwnerDraw) {
            ++drawRequests;
            ezDrawColorButton(form, id, value, 12, 15, 0);
        }
        if (id == 0 && code == kEventStarted) {
            later(
                [&, form] {
                    QImage image = control(form, 100)->grab().toImage();
                    QColor middle = image.pixelColor(image.width() / 4, image.height() / 2);
                    // The face colour 12 (red) fills the button.
                    EXPECT_GT(middle.red(), 200);
                    EXPECT_LT(middle.green(), 60);
                    ezUnloadForm(form);
                },
                20);
        }
    };
    run([] { ezForm(kForm, "", "Draw", 0, 0, 12, 4, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_GE(drawRequests, 1);
}

TEST(GuiMenus, ItemsRaiseTheirIdsAndTheClientStartsBelowTheMenuBar) {
    std::vector<std::string> itemTexts;
    int labelTop = -1;
    int menuBottom = -1;
    onDesign = [](const std::string& form) {
        int dropDown = ezDefSubMenu(9005, "&Preferences", "");
        ezSaveMenu(form, 1, dropDown);
        ezSetSubMenu(ezGetMenu(form, 0), 9000, dropDown);
        ezAddMenuItem(dropDown, 9010, "-", "");
        ezAddMenuItem(dropDown, 9015, "E&xit", "");
        ezLabel(100, 0, 0, 10, 1, "Top left", "L");
    };
    onEvent = [&](const std::string& form, int id, int code, int, int&) {
        if (id == 9015 && code == kEventClick) ezUnloadForm(form);
        if (id == 0 && code == kEventStarted) {
            later(
                [&, form] {
                    QWidget* window = formWindow(form);
                    auto* bar = window->findChild<QMenuBar*>();
                    QMenu* dropDown = bar->actions().at(0)->menu();
                    for (QAction* action : dropDown->actions()) {
                        itemTexts.push_back(action->isSeparator() ? "-"
                                                                  : action->text().toStdString());
                    }
                    labelTop = control(form, 100)->mapTo(window, QPoint(0, 0)).y();
                    menuBottom = bar->geometry().bottom();
                    dropDown->actions().at(2)->trigger();
                },
                20);
        }
    };
    run(
        [] {
            ezDefMainMenu(9000, "&Program", "");
            ezForm(kForm, "", "Menus", 0, 0, 20, 6, "CM");
        },
        {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(itemTexts, (std::vector<std::string>{"&Preferences", "-", "E&xit"}));
    EXPECT_GT(labelTop, menuBottom);
    EXPECT_EQ(codesOf(kForm, 9015), (std::vector<int>{kEventClick}));
}

TEST(GuiControls, ProgressStatusAndRichText) {
    int progress = -1;
    std::vector<std::string> parts;
    bool firstCentred = false;
    std::string rich;
    bool boldRun = false;
    bool readOnly = false;
    onDesign = [](const std::string&) {
        ezProgressBar(100, 1, 1, 20, 1.5, "");
        ezRichText(105, 1, 3, 20, 4, "No information available.", "SV");
        ezStatusBar(110, "", "");
    };
    onEvent = [&](const std::string& form, int id, int code, int, int&) {
        if (id == 0 && code == kEventStarted) {
            later(
                [&, form] {
                    ezSetPBar(form, 100, 0, 100, 42);
                    progress = static_cast<QProgressBar*>(control(form, 100))->value();
                    ezSetSBParts(form, 110, 2, "70|30");
                    ezSetSBText(form, 110, 0, "\tMade here");
                    ezSetSBText(form, 110, 1, "\tVersion: 6.0.0.0");
                    for (QLabel* part : control(form, 110)->findChildren<QLabel*>()) {
                        parts.push_back(part->text().toStdString());
                        if (part->text() == QStringLiteral("Made here")) {
                            firstCentred = (part->alignment() & Qt::AlignHCenter) != 0;
                        }
                    }
                    ezSetRichText(form, 105, "{\\rtf1\\ansi {\\b Bold} plain\\par second}",
                                  kRichTextRtf);
                    auto* browser = static_cast<QTextBrowser*>(control(form, 105));
                    rich = browser->toPlainText().toStdString();
                    QTextCursor cursor(browser->document());
                    cursor.setPosition(2);
                    boldRun = cursor.charFormat().fontWeight() >= QFont::Bold;
                    readOnly = browser->isReadOnly();
                    ezUnloadForm(form);
                },
                20);
        }
    };
    run([] { ezForm(kForm, "", "Progress", 0, 0, 40, 10, "CM"); }, {kForm});
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(progress, 42);
    EXPECT_EQ(parts, (std::vector<std::string>{"Made here", "Version: 6.0.0.0"}));
    EXPECT_TRUE(firstCentred);
    EXPECT_EQ(rich, "Bold plain\nsecond");
    EXPECT_TRUE(boldRun);
    EXPECT_TRUE(readOnly);
}

// The help window carries the icon of the form that asked for it, and its caption follows the
// page a link leads to.
TEST(GuiHelpWindow, TitleFollowsThePageAndTheWindowCarriesTheProgramIcon) {
    const QString folder = QDir::temp().filePath(QStringLiteral("ezgui-help-%1").arg(getpid()));
    QDir().mkpath(folder);
    const QString first = folder + "/first.html";
    const QString second = folder + "/second.html";
    const QString iconFile = folder + "/icon.png";
    for (const auto& [path, title] : {std::pair{first, "First Topic"}, {second, "Second Topic"}}) {
        QFile page(path);
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write(QStringLiteral("<html><head><title>%1</title></head><body>"
                                  "<a href=\"second.html\">on</a></body></html>")
                       .arg(QLatin1String(title))
                       .toUtf8());
    }
    QImage iconImage(16, 16, QImage::Format_RGB32);
    iconImage.fill(QColor(200, 30, 40));
    ASSERT_TRUE(iconImage.save(iconFile));
    std::string firstTitle, secondTitle;
    QRgb iconPixel = 0;
    onEvent = [&](const std::string& form, int id, int code, int, int&) {
        if (id != 0 || code != kEventStarted) return;
        ezSetFormIcon(form, ezLoadIcon(iconFile.toStdString()));
        ezShowHelpTopic(first.toStdString());
        later([&, form] {
            QTextBrowser* help = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* browser = widget->findChild<QTextBrowser*>("helpText")) help = browser;
            if (help != nullptr) {
                firstTitle = help->window()->windowTitle().toStdString();
                iconPixel = help->window()->windowIcon().pixmap(16, 16).toImage().pixel(8, 8);
                help->setSource(QUrl(QStringLiteral("second.html"))); // as the link does
                secondTitle = help->window()->windowTitle().toStdString();
                help->window()->close();
            }
            ezUnloadForm(form);
        });
    };
    run([] { ezForm(kForm, "", "Help owner", 0, 0, 20, 6, "C"); }, {kForm});
    QDir(folder).removeRecursively();
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(firstTitle, "First Topic");
    EXPECT_EQ(secondTitle, "Second Topic");
    EXPECT_EQ(QColor(iconPixel), QColor(200, 30, 40));
}
