#include "about/about_dialog.h"
#include "calendar/dates.h"
#include "gui/qt_test_support.h"
#include "gui/rtf.h"
#include "program/paths.h"

#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>

using namespace testgui;
namespace fs = std::filesystem;

namespace {

const std::string kForm = kAboutForm;
constexpr int kInformationControls[] = {100, 105, 110};
constexpr int kHistoryBox = 115;
constexpr int kBothPagesControls[] = {120, 125, 130, 135, 140};
constexpr int kPageButton = 135;
constexpr int kCloseButton = 130;

// What one look at the open dialog saw.
struct PageView {
    std::string caption;
    std::string pageButton;
    bool informationShown = false;
    bool informationHidden = false;
    bool historyShown = false;
    bool bothPagesShown = false;
    std::string history;
};

struct Scratch {
    fs::path folder;
    Scratch() {
        char pattern[] = "/tmp/merivane-about-XXXXXX";
        const char* made = mkdtemp(pattern);
        folder = made ? made : "/tmp/merivane-about-failed";
        global::dataFolder = folder.string() + "/";
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
};

bool visible(int id) {
    QWidget* widget = control(kForm, id);
    return widget != nullptr && widget->isVisible();
}

PageView look() {
    PageView view;
    if (QWidget* window = formWindow(kForm)) view.caption = window->windowTitle().toStdString();
    if (auto* button = qobject_cast<QPushButton*>(control(kForm, kPageButton)))
        view.pageButton = button->text().toStdString();
    view.informationShown = view.informationHidden = true;
    for (int id : kInformationControls) {
        view.informationShown = view.informationShown && visible(id);
        view.informationHidden = view.informationHidden && control(kForm, id) && !visible(id);
    }
    view.historyShown = visible(kHistoryBox);
    view.bothPagesShown = true;
    for (int id : kBothPagesControls)
        view.bothPagesShown = view.bothPagesShown && visible(id);
    if (auto* box = qobject_cast<QTextBrowser*>(control(kForm, kHistoryBox)))
        view.history = box->toPlainText().toStdString();
    return view;
}

// Opens the dialog as the program routes it; `steps` run one after the other while it is open.
void showAbout(const std::vector<std::function<void()>>& steps) {
    defineApplicationLook();
    onDesign = [](const std::string& form) {
        if (form == kForm) aboutDesign();
    };
    onEvent = [](const std::string& form, int id, int code, int value, int& cancel) {
        if (form == kForm) aboutEvents(id, code, value, cancel);
    };
    run(
        [&] {
            int delay = 30;
            for (const std::function<void()>& step : steps) {
                later(step, delay);
                delay += 30;
            }
            ShowAboutDialog("");
        },
        {kForm});
}

std::string labelText(int id) {
    auto* label = qobject_cast<QLabel*>(control(kForm, id));
    return label ? label->text().toStdString() : "";
}

std::string textBoxText(int id) {
    auto* box = qobject_cast<QTextEdit*>(control(kForm, id));
    return box ? box->toPlainText().toStdString() : "";
}

void copyShippedHistory(const Scratch& scratch) {
    fs::copy_file(fs::path(MERIVANE_RESOURCES_DIR) / "History.rtf", scratch.folder / "History.rtf");
}

void saveShot(const char* name) {
    QWidget* window = formWindow(kForm);
    if (!window) return;
    fs::create_directories(MERIVANE_SHOTS_DIR);
    window->grab().save(QString::fromStdString(std::string(MERIVANE_SHOTS_DIR "/") + name));
}

} // namespace

TEST(AboutDialog, OpensOnTheInformationPageAndTheButtonTurnsThePagesBothWays) {
    Scratch scratch;
    copyShippedHistory(scratch);
    std::vector<PageView> views;
    std::string product, version, rights, usage, credits;
    bool refusedStaysOpen = false;
    showAbout({
        [&] {
            views.push_back(look());
            product = labelText(120);
            version = labelText(125);
            rights = labelText(100);
            usage = textBoxText(105);
            credits = textBoxText(110);
            saveShot("about-information.png");
            click(control(kForm, kPageButton));
        },
        [&] {
            views.push_back(look());
            saveShot("about-history.png");
            closeFromFrame(kForm);
        },
        [&] {
            refusedStaysOpen = formWindow(kForm) != nullptr;
            views.push_back(look());
            click(control(kForm, kCloseButton));
        },
    });
    ASSERT_FALSE(watchdogFired);
    ASSERT_EQ(views.size(), 3u);
    EXPECT_EQ(views[0].caption, "About Zarn Generator");
    EXPECT_EQ(product, "Zarn Generator");
    // The build day written out, as the C library names an ISO date's month.
    std::tm built{};
    ASSERT_NE(strptime(buildDateText().c_str(), "%Y-%m-%d", &built), nullptr);
    char written[32];
    std::strftime(written, sizeof written, "%e %B %Y", &built);
    EXPECT_EQ(version, std::string("Version 6.0.0.0 \u2014 Released ") +
                           (written[0] == ' ' ? written + 1 : written));
    EXPECT_NE(rights.find("Copyright \u00a9"), std::string::npos);
    EXPECT_NE(rights.find('\n'), std::string::npos) << "the notice is two lines";
    EXPECT_FALSE(usage.empty());
    EXPECT_EQ(std::count(credits.begin(), credits.end(), '\n'), 2);
    EXPECT_TRUE(credits.ends_with("in the development of Zarn Generator."));

    EXPECT_EQ(views[0].pageButton, "&View Program History");
    EXPECT_TRUE(views[0].informationShown);
    EXPECT_FALSE(views[0].historyShown);
    EXPECT_TRUE(views[0].bothPagesShown);
    EXPECT_NE(views[0].history.find("Zarn Generator Program History"), std::string::npos)
        << "the history is read when the dialog loads";

    for (const PageView& history : {views[1], views[2]}) {
        EXPECT_EQ(history.pageButton, "&View Program Info");
        EXPECT_TRUE(history.informationHidden);
        EXPECT_TRUE(history.historyShown);
        EXPECT_TRUE(history.bothPagesShown);
        EXPECT_NE(history.history.find("Version 6.0.0.0"), std::string::npos);
    }
    EXPECT_TRUE(refusedStaysOpen) << "the frame's close box does not end the dialog";

    // Left on the history page, the next opening still starts on the information page; two
    // clicks come back to it with the caption restored.
    std::vector<PageView> again;
    showAbout({
        [&] {
            again.push_back(look());
            click(control(kForm, kPageButton));
        },
        [&] { click(control(kForm, kPageButton)); },
        [&] {
            again.push_back(look());
            click(control(kForm, kCloseButton));
        },
    });
    ASSERT_FALSE(watchdogFired);
    ASSERT_EQ(again.size(), 2u);
    for (const PageView& view : again) {
        EXPECT_EQ(view.caption, "About Zarn Generator");
        EXPECT_EQ(view.pageButton, "&View Program History");
        EXPECT_TRUE(view.informationShown);
        EXPECT_FALSE(view.historyShown);
    }
}

TEST(AboutDialog, AHistoryThatCannotBeReadLeavesItsPageEmpty) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;
    };
    const Case cases[] = {
        {"missing", [](const fs::path&) {}},
        {"a folder", [](const fs::path& file) { fs::create_directory(file); }},
        {"empty", [](const fs::path& file) { std::ofstream{file}; }},
        {"larger than any history",
         [](const fs::path& file) {
             std::ofstream{file} << "{\\rtf1 " << std::string(4 * 1024 * 1024, 'x') << "}";
         }},
        {"unreadable",
         [](const fs::path& file) {
             std::ofstream{file} << "{\\rtf1 secret}";
             fs::permissions(file, fs::perms::none);
         }},
    };
    for (const Case& entry : cases) {
        Scratch scratch;
        const fs::path file = scratch.folder / "History.rtf";
        entry.make(file);
        // Root reads a file whatever its permissions; that case proves nothing there.
        if (std::string(entry.what) == "unreadable" && std::ifstream(file).good()) continue;
        PageView view;
        showAbout({
            [&] { click(control(kForm, kPageButton)); },
            [&] {
                view = look();
                click(control(kForm, kCloseButton));
            },
        });
        ASSERT_FALSE(watchdogFired) << entry.what;
        EXPECT_TRUE(view.historyShown) << entry.what;
        EXPECT_EQ(view.history, "") << entry.what;
    }
}

TEST(AboutDialog, HeadingBandStaysBehindItsTextsAndTheDialogGrowsButDoesNotShrink) {
    Scratch scratch;
    int atProduct = 0, atVersion = 0, atBand = 0;
    QSize minimum, shown;
    showAbout({[&] {
        QWidget* window = formWindow(kForm);
        QWidget* product = control(kForm, 120);
        QWidget* version = control(kForm, 125);
        QWidget* band = control(kForm, 140);
        const auto idAt = [](QWidget* widget, QPoint point) {
            QWidget* found = widget ? widget->parentWidget()->childAt(point) : nullptr;
            return found ? found->property("ezId").toInt() : 0;
        };
        if (window && product && version && band) {
            atProduct = idAt(product, product->geometry().center());
            atVersion = idAt(version, version->geometry().center());
            // Between the two labels only the band shows.
            atBand = idAt(band, QPoint(band->width() / 2, version->geometry().top() - 1));
            minimum = window->minimumSize();
            shown = window->size();
        }
        click(control(kForm, kCloseButton));
    }});
    ASSERT_FALSE(watchdogFired);
    EXPECT_EQ(atProduct, 120);
    EXPECT_EQ(atVersion, 125);
    EXPECT_EQ(atBand, 140);
    EXPECT_EQ(minimum, shown);
}

TEST(ShippedRichText, HistoryAndReleaseNotesAreWholeRtfThatTheReaderTakesWithoutLeftovers) {
    struct Shipped {
        const char* file;
        const char* heading;
    };
    const Shipped files[] = {
        {"History.rtf", "Zarn Generator Program History"},
        {"Release Notes.rtf", "Zarn Generator 6.0.0.0"},
    };
    for (const Shipped& shipped : files) {
        std::ifstream in(fs::path(MERIVANE_RESOURCES_DIR) / shipped.file, std::ios::binary);
        const std::string rtf{std::istreambuf_iterator<char>(in), {}};
        ASSERT_TRUE(rtf.starts_with("{\\rtf1")) << shipped.file;
        const RtfDocument document = readRtf(rtf);
        EXPECT_FALSE(document.truncated) << shipped.file;
        ASSERT_GT(document.paragraphs.size(), 3u) << shipped.file;
        std::string heading;
        for (const RtfRun& run : document.paragraphs[0].runs)
            heading += run.text;
        EXPECT_EQ(heading, shipped.heading);
        EXPECT_TRUE(document.paragraphs[0].runs[0].format.bold) << shipped.file;
        EXPECT_EQ(document.paragraphs[0].format.alignment, RtfAlignCentre) << shipped.file;
        int bullets = 0;
        for (const RtfParagraph& paragraph : document.paragraphs) {
            for (const RtfRun& run : paragraph.runs) {
                // Control words and groups the reader did not take would show as text.
                EXPECT_EQ(run.text.find_first_of("\\{}"), std::string::npos)
                    << shipped.file << ": " << run.text;
                if (run.text.starts_with("\u2022")) ++bullets;
            }
        }
        EXPECT_GE(bullets, 5) << shipped.file;
    }
}
