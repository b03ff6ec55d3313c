// A full disk, for real: a small tmpfs mounted in a mount namespace of this test's own, filled
// until only a few kilobytes are free. Saving a calendar with merivane-cli or Generate, and
// writing a setting, must then fail with "the disk is full" and leave the old file as it was.
// Where mounting is not allowed the test says so and is skipped.
#include "common/atomic_file.h"
#include "program/settings.h"
#include "render/generate.h"
#include "render/seam.h"
#include "support/pdf_content.h"
#include "support/test_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* kDiskSize = "size=1m";
// Less than any calendar needs, more than a few folder entries do.
constexpr off_t kFreeBytes = 8192;

struct ShownMessage {
    std::string mainText;
    std::string detailText;
};
std::vector<ShownMessage> shown;

void recordMessage(const std::string&, const std::string& mainText, const std::string& detailText) {
    shown.push_back({mainText, detailText});
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Fills the disk to the last byte, then gives kFreeBytes back.
bool fillLeaving(const fs::path& filler) {
    const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    const std::string block(65536, 'f');
    off_t size = 0;
    for (;;) {
        const ssize_t written = write(fd, block.data(), block.size());
        if (written <= 0) break;
        size += written;
    }
    const bool freed = ftruncate(fd, size > kFreeBytes ? size - kFreeBytes : 0) == 0;
    close(fd);
    return freed && errno == ENOSPC;
}

struct CliRun {
    int status;
    std::string err;
};

CliRun runCli(const std::vector<std::string>& arguments, const fs::path& errors) {
    const pid_t child = fork();
    if (child < 0) return {-1, "the test could not start a process"};
    if (child == 0) {
        const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int out = open("/dev/null", O_WRONLY);
        if (err < 0 || out < 0) _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<std::string> copies = arguments;
        std::vector<char*> argv;
        std::string program = MERIVANE_CLI;
        argv.push_back(program.data());
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(errors)};
}

int firstNumber() {
    return 1;
}

TEST(FullDisk, SavesFailInPlainWordsAndKeepTheOldFiles) {
    std::string pattern = (fs::temp_directory_path() / "full-disk-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path outside = pattern;
    const fs::path disk = outside / "disk";
    fs::create_directory(disk);
    // The mount lives and dies with this process, and is seen by no other.
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
        mount("tmpfs", disk.c_str(), "tmpfs", 0, kDiskSize) != 0) {
        const std::string reason = std::strerror(errno);
        fs::remove_all(outside);
        GTEST_SKIP() << "mounting a small tmpfs is not allowed here (" << reason
                     << "); the full-disk test needs root with CAP_SYS_ADMIN";
    }
    const fs::path pdfFolder = disk / "PDF";
    fs::create_directory(pdfFolder);
    const fs::path oldOutput = disk / "calendar.pdf";
    const fs::path oldNumbered = pdfFolder / "001Calendar.PDF";
    const fs::path settings = disk / "Zarn.ini";
    // The file with one more entry needs more room than is left.
    const std::string oldSettings = "[Update]\nNotes=" + std::string(8000, 'n') + "\n";
    writeText(oldOutput, "the old calendar");
    writeText(oldNumbered, "the old numbered calendar");
    writeText(settings, oldSettings);
    ASSERT_TRUE(fillLeaving(disk / "filler"));
    const std::vector<std::string> before = namesIn(disk);

    const CliRun run =
        runCli({"pdf", "--style", "month", "--year", "2025", "--output", oldOutput.string()},
               outside / "errors");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the disk is full"), std::string::npos) << run.err;
    EXPECT_EQ(readText(oldOutput), "the old calendar");

    const RenderSeam savedSeam = global::renderSeam;
    global::renderSeam.showMessage = recordMessage;
    EXPECT_EQ(GenerateCalendar({Month, 2025, kSelectAll, false},
                               {pdfFolder.string() + "/", firstNumber, false}),
              "");
    global::renderSeam = savedSeam;
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].mainText, "Unable to save the calendar: the disk is full.{f11,t4}");
    EXPECT_EQ(shown[0].detailText, oldNumbered.string() + "{f6}");
    EXPECT_EQ(readText(oldNumbered), "the old numbered calendar");

    EXPECT_FALSE(WriteSetting(settings.string(), "Update", "Install", std::string(900, 'x')));
    EXPECT_TRUE(readText(settings) == oldSettings) << "the settings file changed";
    EXPECT_EQ(namesIn(disk), before);
    EXPECT_EQ(namesIn(pdfFolder), std::vector<std::string>{"001Calendar.PDF"});

    // With room again the same save goes through: the failures above were the full disk's.
    fs::remove(disk / "filler");
    const CliRun again =
        runCli({"pdf", "--style", "month", "--year", "2025", "--output", oldOutput.string()},
               outside / "errors");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(pagesOf(oldOutput.string()).size(), 12u);

    umount2(disk.c_str(), MNT_DETACH);
    fs::remove_all(outside);
}

} // namespace
