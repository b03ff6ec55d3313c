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

// Run inside the X server: each step waits (bounded) for its window, then acts.
constexpr const char* kDrive = R"(#!/bin/sh
out=$1
program=$2
grab=$3
shots=$4
site=$5
step() { echo "$1" >> "$out/steps.txt"; }
# A search fails outright when a window goes while it runs, so it is simply asked again.
window() {
    tries=0
    while [ $tries -lt 200 ]; do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
        [ -n "$found" ] && { echo "$found"; return; }
        tries=$((tries + 1)); sleep 0.1
    done
}
activate() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; sleep 0.3; }
XDG_CONFIG_DIRS=/etc/xdg XDG_DATA_DIRS=/usr/share openbox --sm-disable > "$out/openbox.log" 2>&1 &
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    tries=$((tries + 1)); [ $tries -gt 100 ] && break; sleep 0.05
done
"$program" > "$out/first.log" 2>&1 &
main=$(window '^Merivane$'); [ -n "$main" ] || exit 1; step main
activate "$main"
xdotool key --clearmodifiers alt+h; sleep 0.3; xdotool key u
offer=$(window '^Update Available$'); [ -n "$offer" ] || exit 1; step plain
sleep 0.3; "$grab" "$shots/update-available-plain.png"
activate "$offer"; xdotool key Tab space
sleep 0.5
xdotool search --onlyvisible --name '^Update Available$' >/dev/null 2>&1 && exit 1
cp "$out/Zarn_Whats_New.rtf" "$site/updates/" && chmod 644 "$site/updates/Zarn_Whats_New.rtf"
activate "$main"
xdotool key --clearmodifiers alt+h; sleep 0.3; xdotool key u
offer=$(window '^Update Available$'); [ -n "$offer" ] || exit 1; step rich
sleep 0.3; "$grab" "$shots/update-available-rich.png"
activate "$offer"; xdotool key space
progress=$(window '^Downloading'); [ -n "$progress" ] || exit 1; step progress
sleep 0.8; "$grab" "$shots/download-progress.png"
done=$(window '^Update Process Complete$'); [ -n "$done" ] || exit 1; step complete
sleep 0.3; "$grab" "$shots/update-complete.png"
activate "$done"; xdotool key Return
notes=$(window '^Update Information$'); [ -n "$notes" ] || exit 1; step whatsnew
sleep 0.3; "$grab" "$shots/whats-new.png"
activate "$notes"; xdotool key space
sleep 0.3
main=$(window '^Merivane$'); [ -n "$main" ] || exit 1
activate "$main"; xdotool key alt+x
step closed
)";

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
        unsetenv("QT_QPA_PLATFORM");
        execlp("timeout", "timeout", "90", "xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "sh",
               (root / "drive.sh").c_str(), root.c_str(), (program / "merivane").c_str(),
               MERIVANE_SCREEN_GRAB, MERIVANE_SHOTS_DIR, site.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    // The second run may still be closing.
    const std::string secondPid = readText(program / "second.pid");
    for (int i = 0; i < 100 && !secondPid.empty() && kill(std::stoi(secondPid), 0) == 0; ++i)
        usleep(50000);
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
