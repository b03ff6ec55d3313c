// The whole update loop with the real program on an X server (Xvfb, openbox), driven by
// xdotool as a user would: Help > Check for Program Update and Maybe Later, then again with
// rich notes on the site and Download Now with the progress
// window, the program closes, the served "installer" runs with its arguments, puts the release
// notes beside the program and starts it with "/update"; the new run reports "Update Process
// Complete" and See What's New opens the release notes. Screenshots of each window are kept in
// the build's shots folder.
#include "support/fake_desktop.h"
#include "support/test_files.h"
#include "update/https_server.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Slow enough to see the progress window for a moment.
constexpr int kSlowRate = 200 * 1024;
constexpr std::size_t kInstallerSize = 600 * 1024;

// The installer: records its arguments, waits for the program that started it to end, puts the
// release notes beside the program and starts it again as an installer does. Padded with a
// comment so its download takes a moment.
std::string installerScript() {
    std::string script = R"(#!/bin/sh
folder=$(dirname "$0")
printf '%s\n' "$@" > "$folder/installer-arguments.txt"
tries=0
while [ -e /proc/$PPID ] && ! grep -q '^State:.*Z' /proc/$PPID/status 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -gt 200 ] && break
    sleep 0.05
done
printf '%s' '{\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0\fs24 {\b New in 6.0.0.1}\par Calendars print faster.\par The year page has wider margins.\par}' > "$folder/Release Notes.rtf"
echo $$ > "$folder/second.pid"
exec "$folder/merivane" /update > "$folder/second.log" 2>&1
)";
    script += "# ";
    script.resize(kInstallerSize, '#');
    return script + "\n";
}

// Run on the desktop session: each step waits (bounded) for what the last one should have done,
// then acts; a wait that fails says what it awaited.
constexpr const char* kDrive = R"sh(#!/bin/sh
out=$1
program=$2
grab=$3
shots=$4
site=$5
step() { echo "$1" >> "$out/steps.txt"; }
await() {
    what=$1
    shift
    tries=0
    until "$@"; do
        tries=$((tries + 1))
        [ $tries -lt 300 ] || { echo "never happened: $what" >&2; exit 1; }
        sleep 0.1
    done
}
# A search fails outright when a window goes while it runs, so it is simply asked again.
shown() { found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1); [ -n "$found" ]; }
gone() { ! shown "$1"; }
window() { await "a window named $1" shown "$1"; }
activate() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; }
ended() { [ ! -e "/proc/$1" ] || grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }
"$program" > "$out/first.log" 2>&1 &
window '^Merivane$'; main=$found; step main
# The Help menu takes the keys typed after Alt+H as it opens.
activate "$main"; xdotool key --clearmodifiers alt+h u
window '^Update Available$'; step plain
"$grab" "$shots/update-available-plain.png"
activate "$found"; xdotool key Tab space
await "Maybe Later closing the offer" gone '^Update Available$'
cp "$out/Zarn_Whats_New.rtf" "$site/updates/" && chmod 644 "$site/updates/Zarn_Whats_New.rtf"
activate "$main"; xdotool key --clearmodifiers alt+h u
window '^Update Available$'; step rich
"$grab" "$shots/update-available-rich.png"
activate "$found"; xdotool key space
window '^Downloading'; step progress
"$grab" "$shots/download-progress.png"
window '^Update Process Complete$'; step complete
"$grab" "$shots/update-complete.png"
activate "$found"; xdotool key Return
window '^Update Information$'; step whatsnew
"$grab" "$shots/whats-new.png"
activate "$found"; xdotool key space
await "the release notes closing" gone '^Update Information$'
window '^Merivane$'; activate "$found"; xdotool key alt+x
await "the updated program ending" ended "$(cat "$(dirname "$program")/second.pid")"
step closed
)sh";

} // namespace

TEST(UpdateEndToEnd, CheckDownloadInstallRestartAndSeeWhatsNew) {
    const fs::path root = testhttps::makeTemporaryFolder("merivane-e2e");
    ASSERT_FALSE(root.empty());
    const fs::path program = root / "program";
    const fs::path site = root / "site";
    fs::create_directories(program);
    fs::create_directories(site / "updates");
    fs::create_directories(MERIVANE_SHOTS_DIR);
    fs::copy_file(MERIVANE_PROGRAM, program / "merivane");
    fs::copy_file(MERIVANE_HTTP_MODULE, program / fs::path(MERIVANE_HTTP_MODULE).filename());
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(site, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);

    testhttps::HttpsServer server;
    std::string error;
    ASSERT_TRUE(testhttps::startHttpsServer(server, site.string(),
                                            {testhttps::slowLocation("/slow/", kSlowRate)}, error))
        << error;
    writeText(site / "updates" / "Zarn_v6.txt", "Zarn Generator\r\n" + server.baseUrl +
                                                    "slow/Zarn_6001.exe\r\nFixed A|Fixed B\r\n"
                                                    "6.0.0.1");
    // The site has rich notes only for the second check.
    writeText(root / "Zarn_Whats_New.rtf",
              "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 {\\b\\fs28 Version 6.0.0.1}\\par\\par "
              "{\\b Faster printing:} calendars are written in half the time.\\par "
              "{\\i Wider margins} on the year page.\\par}");
    writeText(site / "Zarn_6001.exe", installerScript());
    // The automatic check is not due; the user asks from the Help menu.
    writeText(program / "Zarn.ini", "[Update]\nSite=" + server.baseUrl + "\nLastCheck=99999999\n");

    makeFakeDesktop(root, "#!/bin/sh\nexit 0\n");
    writeText(root / "drive.sh", kDrive);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        enterFakeDesktop(root);
        setenv("MERIVANE_EXTRA_CA_FILE", server.caFile.c_str(), 1);
        setenv("DESKTOP_SCREEN", "1024x768x24", 1);
        execlp("timeout", "timeout", "90", MERIVANE_DESKTOP_SESSION, "sh",
               (root / "drive.sh").c_str(), root.c_str(), (program / "merivane").c_str(),
               MERIVANE_SCREEN_GRAB, MERIVANE_SHOTS_DIR, site.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    // The updated program ends with the test, also when the drive stopped before closing it.
    const std::string secondPid = readText(program / "second.pid");
    if (!secondPid.empty()) kill(std::stoi(secondPid), SIGKILL);
    testhttps::stopHttpsServer(server);

    EXPECT_EQ(readText(root / "steps.txt"),
              "main\nplain\nrich\nprogress\ncomplete\nwhatsnew\nclosed\n")
        << readText(root / "first.log") << readText(program / "second.log")
        << readText(root / "openbox.log");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readText(program / "installer-arguments.txt"), "/SP-\n/VERYSILENT\n");
    const std::string settings = readText(program / "Zarn.ini");
    EXPECT_NE(settings.find("Failed=0"), std::string::npos) << settings;
    EXPECT_NE(settings.find("NewVer=\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("Install=\n"), std::string::npos) << settings;
    EXPECT_FALSE(fs::exists(program / "Zarn_6001.exe")) << "the installer is cleaned up";
    EXPECT_TRUE(fs::exists(program / "Release Notes.rtf"));
    testhttps::removeFolder(root.string());
}
