// The real program started twice on one X display: the second start hands over to the first
// and ends, and only one main window exists.
#include "support/fake_desktop.h"
#include "support/test_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Run inside the X server: start the program, wait for its window, start it again, then count
// the main windows and see whether the first is still running.
constexpr const char* kTwoStarts = R"(#!/bin/sh
program=$1
result=$2
"$program" 2>"$result.first.log" &
first=$!
tries=0
until xwininfo -root -tree 2>/dev/null | grep -q '"Merivane": ('; do
    tries=$((tries + 1))
    if [ $tries -gt 400 ]; then break; fi
    sleep 0.05
done
timeout 20 "$program" 2>"$result.second.log"
second=$?
sleep 0.5
windows=$(xwininfo -root -tree 2>/dev/null | grep -c '"Merivane": (')
if kill -0 $first 2>/dev/null; then alive=1; else alive=0; fi
kill $first 2>/dev/null
wait $first 2>/dev/null
echo "windows=$windows second=$second firstAlive=$alive" > "$result"
)";

TEST(AppInstance, ASecondStartEndsAndLeavesOneWindow) {
    char pattern[] = "/tmp/merivane-instance-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const fs::path program = root / "program" / "merivane";
    fs::create_directories(program.parent_path());
    fs::copy_file(MERIVANE_PROGRAM, program);
    fs::permissions(program, fs::perms::owner_all);
    // A desktop of its own with a PDF viewer, so start-up shows no warning.
    makeFakeDesktop(root, "#!/bin/sh\nexit 0\n");
    writeText(root / "two-starts.sh", kTwoStarts);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        enterFakeDesktop(root);
        // The real desktop platform, not the tests' offscreen one.
        unsetenv("QT_QPA_PLATFORM");
        const std::string script = (root / "two-starts.sh").string();
        const std::string result = (root / "result.txt").string();
        execlp("xvfb-run", "xvfb-run", "-a", "sh", script.c_str(), program.c_str(), result.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readText(root / "result.txt"), "windows=1 second=0 firstAlive=1\n")
        << readText(root / "result.txt.first.log") << readText(root / "result.txt.second.log");
    EXPECT_TRUE(fs::is_directory(root / "program" / "PDF"));
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

} // namespace
