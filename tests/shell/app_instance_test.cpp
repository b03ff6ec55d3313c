// The real program started twice on one X display: the second start hands over to the first,
// which comes forward, and ends, and only one main window exists, whatever was left at the
// hand-over socket's path.
#include "support/fake_desktop.h"
#include "support/test_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Run on the desktop session: start the program, wait for its window and put it away, start it
// again, then count the main windows, see whether the first listens at the socket path, came
// forward (when it could be reached) and is still running.
constexpr const char* kTwoStarts = R"sh(#!/bin/sh
program=$1
result=$2
socket=$3
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
DESKTOP_STARTUP_ID=merivane-test_TIME42 timeout 20 "$program" 2>"$result.second.log"
second=$?
listening=$(ss -xl | grep -cF " $socket ")
forward=0
if [ "$listening" -eq 1 ] && await "the first window coming forward"; then forward=1; fi
# The first window took the second start's startup id.
startup=$(xprop -id "$(xdotool search --onlyvisible --name '^Merivane$' | head -n 1)" \
    _NET_STARTUP_ID |
    grep -c '"merivane-test_TIME42"')
windows=$(xwininfo -root -tree 2>/dev/null | grep -c '"Merivane": (')
if kill -0 $first 2>/dev/null; then alive=1; else alive=0; fi
kill $first 2>/dev/null
wait $first 2>/dev/null
echo "windows=$windows second=$second firstAlive=$alive listening=$listening forward=$forward" \
    "startup=$startup" > "$result"
)sh";

enum class Planted { Nothing, DeadSocket, Link, PlainFile, LocksInSharedTemp };

// Only a dead socket is cleared; a link or a file there is neither followed nor removed, and
// the first then runs alone. Without a runtime folder the shared temporary folder, where
// another user could plant locks, is never used.
const std::pair<Planted, const char*> kPlantedAtSocket[] = {
    {Planted::Nothing, "windows=1 second=0 firstAlive=1 listening=1 forward=1 startup=1\n"},
    {Planted::DeadSocket, "windows=1 second=0 firstAlive=1 listening=1 forward=1 startup=1\n"},
    {Planted::Link, "windows=1 second=0 firstAlive=1 listening=0 forward=0 startup=0\n"},
    {Planted::PlainFile, "windows=1 second=0 firstAlive=1 listening=0 forward=0 startup=0\n"},
    {Planted::LocksInSharedTemp, "windows=1 second=0 firstAlive=1 listening=1 forward=1 startup=1\n"},
};

TEST(AppInstance, ASecondStartEndsAndLeavesOneWindow) {
    for (const auto& [planted, expected] : kPlantedAtSocket) {
        SCOPED_TRACE(static_cast<int>(planted));
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
        const std::string key = "ZARN6-" + std::to_string(getuid());
        const bool noRuntime = planted == Planted::LocksInSharedTemp;
        const fs::path socketPath = (noRuntime ? root / ".cache/merivane" : root / "runtime") / key;
        // Locks another user left where a start without a runtime folder used to look.
        const passwd* user = getpwuid(getuid());
        if (noRuntime) fs::create_directories(root / "tmp" / (key + ".lock"));
        if (noRuntime && user)
            fs::create_directories(root / "tmp" / ("runtime-" + std::string(user->pw_name)) /
                                   (key + ".lock"));
        if (planted == Planted::Link) fs::create_symlink(root / "elsewhere", socketPath);
        if (planted == Planted::PlainFile) writeText(socketPath, "mine");
        if (planted == Planted::DeadSocket) {
            sockaddr_un address{AF_UNIX, {}};
            socketPath.string().copy(address.sun_path, sizeof address.sun_path - 1);
            const int dead = socket(AF_UNIX, SOCK_STREAM, 0);
            ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
            close(dead);
        }

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            enterFakeDesktop(root);
            if (noRuntime) unsetenv("XDG_RUNTIME_DIR");
            if (noRuntime) setenv("TMPDIR", (root / "tmp").c_str(), 1);
            const std::string script = (root / "two-starts.sh").string();
            const std::string result = (root / "result.txt").string();
            execl(MERIVANE_DESKTOP_SESSION, MERIVANE_DESKTOP_SESSION, "sh", script.c_str(),
                  program.c_str(), result.c_str(), socketPath.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(readText(root / "result.txt"), expected)
            << readText(root / "result.txt.first.log") << readText(root / "result.txt.second.log");
        EXPECT_TRUE(fs::is_directory(root / "program" / "PDF"));
        EXPECT_EQ(fs::is_symlink(socketPath), planted == Planted::Link);
        EXPECT_FALSE(fs::exists(root / "elsewhere"));
        if (planted == Planted::PlainFile) {
            EXPECT_EQ(readText(socketPath), "mine");
        }
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
}

} // namespace
