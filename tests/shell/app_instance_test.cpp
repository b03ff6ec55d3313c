// The real program started twice on one X display: the second start hands over to the first,
// which comes forward, and ends, and only one main window exists.
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

// Run on the desktop session: start the program, wait for its window and put it away, start it
// again, then see that the first came forward, count the main windows and see whether the first
// is still running.
constexpr const char* kTwoStarts = R"sh(#!/bin/sh
program=$1
result=$2
await() {
    tries=0
    until [ -n "$(xdotool search --onlyvisible --name '^Merivane$' 2>/dev/null)" ]; do
        tries=$((tries + 1))
        [ $tries -lt 300 ] || { echo "never happened: $1" >&2; return 1; }
        sleep 0.1
    done
}
"$program" 2>"$result.first.log" &
first=$!
await "the first window" || exit 1
xdotool windowminimize --sync "$(xdotool search --onlyvisible --name '^Merivane$' | head -n 1)"
timeout 20 "$program" 2>"$result.second.log"
second=$?
if await "the first window coming forward"; then forward=1; else forward=0; fi
windows=$(xwininfo -root -tree 2>/dev/null | grep -c '"Merivane": (')
if kill -0 $first 2>/dev/null; then alive=1; else alive=0; fi
kill $first 2>/dev/null
wait $first 2>/dev/null
echo "windows=$windows second=$second firstAlive=$alive forward=$forward" > "$result"
)sh";

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
        const std::string script = (root / "two-starts.sh").string();
        const std::string result = (root / "result.txt").string();
        execl(MERIVANE_DESKTOP_SESSION, MERIVANE_DESKTOP_SESSION, "sh", script.c_str(),
              program.c_str(), result.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readText(root / "result.txt"), "windows=1 second=0 firstAlive=1 forward=1\n")
        << readText(root / "result.txt.first.log") << readText(root / "result.txt.second.log");
    EXPECT_TRUE(fs::is_directory(root / "program" / "PDF"));
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

} // namespace
