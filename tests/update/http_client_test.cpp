// The HTTP client against a real nginx over HTTPS on 127.0.0.1, its certificate signed by an
// authority made for the test and trusted through MERIVANE_EXTRA_CA_FILE.
#include "support/test_files.h"
#include "update/http_client.h"
#include "update/https_server.h"

#include "gui/ezgui.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

constexpr int kTimeout = 20;
constexpr int kTextBufferSize = 2000;
constexpr int kSlowRate = 128 * 1024;
constexpr std::size_t kSlowFileSize = 160 * 1024;

// Files every test may ask for; the big ones hold a pattern that shows any lost or moved byte.
struct Site {
    std::string files;
    std::string downloads;
    testhttps::HttpsServer server;
    int handle = kHttpFailure;
};

std::string patternOf(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return data;
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    return names;
}

std::string errorText(std::uint32_t code) {
    char text[128];
    return HttpGetErrorStringA(code, text, sizeof text) > 0 ? std::string(text) : std::string();
}

// Starts the server with the standard files and opens a connection to it, trusting its
// authority. Everything goes when stopSite runs.
void startSite(Site& site, const std::vector<testhttps::ServerLocation>& locations,
               bool trusted = true) {
    site.files = testhttps::makeTemporaryFolder("merivane-files");
    site.downloads = testhttps::makeTemporaryFolder("merivane-downloads");
    ASSERT_FALSE(site.files.empty());
    ASSERT_FALSE(site.downloads.empty());
    ASSERT_TRUE(testhttps::writeFile(site.files + "/hello.txt", "Hello\r\nWorld"));
    ASSERT_TRUE(testhttps::writeFile(site.files + "/long.txt", patternOf(5000)));
    ASSERT_TRUE(testhttps::writeFile(site.files + "/setup.bin", patternOf(kSlowFileSize)));
    ASSERT_TRUE(testhttps::writeFile(site.files + "/empty.bin", ""));
    std::string error;
    ASSERT_TRUE(testhttps::startHttpsServer(site.server, site.files, locations, error)) << error;
    if (trusted) {
        setenv("MERIVANE_EXTRA_CA_FILE", site.server.caFile.c_str(), 1);
    } else {
        unsetenv("MERIVANE_EXTRA_CA_FILE");
    }
    ezDoEvents(0);
    HttpSetEventPump(ezDoEvents);
    ASSERT_NE(HttpInitializeA(), 0);
    site.handle = HttpConnectA(site.server.baseUrl, 443, kTimeout);
    ASSERT_NE(site.handle, kHttpFailure) << errorText(HttpGetLastError());
}

void stopSite(Site& site) {
    if (site.handle != kHttpFailure) {
        EXPECT_EQ(HttpDisconnect(site.handle), 0);
    }
    HttpUninitialize();
    HttpSetTestLimits(0, 0);
    testhttps::stopHttpsServer(site.server);
    testhttps::removeFolder(site.files);
    testhttps::removeFolder(site.downloads);
}

// What the progress callback saw during one transfer.
struct Watch {
    std::vector<HttpTransferStatus> progress;
    int cancelEvents = 0;
    double cancelAtFraction = 0; // 0: never cancel
    HttpTransferStatus atCancel{};
    int nestedResult = 0;
    std::uint32_t nestedError = 0;
    int disconnectResult = 0;
};

Watch watch;

void recordEvent(int handle, std::uint32_t eventCode, std::uint32_t, int userValue) {
    EXPECT_EQ(userValue, -1);
    if (eventCode == kHttpEventCancelled) ++watch.cancelEvents;
    if (eventCode != kHttpEventProgress) return;
    HttpTransferStatus status{};
    ASSERT_EQ(HttpGetTransferStatus(handle, status), 0);
    watch.progress.push_back(status);
    bool halfway =
        status.totalBytes > 0 && status.copiedBytes >= watch.cancelAtFraction * status.totalBytes;
    if (watch.cancelAtFraction > 0 && halfway && watch.atCancel.totalBytes == 0) {
        watch.atCancel = status;
        HttpCancel(handle);
    }
}

// A second transfer and a disconnect attempted from inside the running one.
void nestCalls(int handle, std::uint32_t eventCode, std::uint32_t, int) {
    if (eventCode != kHttpEventProgress || watch.nestedResult != 0) return;
    char buffer[kTextBufferSize];
    watch.nestedResult = HttpGetTextA(handle, "./hello.txt", buffer, sizeof buffer);
    watch.nestedError = HttpGetLastError();
    watch.disconnectResult = HttpDisconnect(handle);
}

TEST(HttpClientText, FetchesCutsAndNamesServerAnswers) {
    Site site;
    startSite(site, {testhttps::statusLocation("/broken/", 500),
                     testhttps::redirectLocation("/moved/", "/hello.txt")});
    char buffer[kTextBufferSize];
    EXPECT_EQ(HttpGetTextA(site.handle, "./hello.txt", buffer, sizeof buffer), kHttpTextReceived);
    EXPECT_STREQ(buffer, "Hello\r\nWorld");
    EXPECT_EQ(HttpGetLastError(), kHttpErrorNone);

    // Longer content is cut to what the buffer holds, zero-terminated.
    EXPECT_EQ(HttpGetTextA(site.handle, "./long.txt", buffer, sizeof buffer), kHttpTextReceived);
    EXPECT_EQ(std::string(buffer), patternOf(kTextBufferSize - 1));

    // An https redirect is followed.
    EXPECT_EQ(HttpGetTextA(site.handle, "./moved/x", buffer, sizeof buffer), kHttpTextReceived);
    EXPECT_STREQ(buffer, "Hello\r\nWorld");

    struct Case {
        const char* path;
        std::uint32_t code;
        const char* text;
    };
    const Case failures[] = {
        {"./nothing.txt", kHttpErrorStatusBase + 404, "The server answered 404 Not Found"},
        {"/broken/x", kHttpErrorStatusBase + 500, "The server answered 500 Internal Server Error"},
    };
    for (const Case& failure : failures) {
        std::strcpy(buffer, "stale");
        EXPECT_EQ(HttpGetTextA(site.handle, failure.path, buffer, sizeof buffer), kHttpFailure);
        EXPECT_STREQ(buffer, "");
        EXPECT_EQ(HttpGetLastError(), failure.code) << failure.path;
        EXPECT_EQ(errorText(HttpGetLastError()), failure.text);
        EXPECT_FALSE(HttpIsNoConnection(HttpGetLastError()));
    }
    stopSite(site);

    // Codes without a text, and the cancel code's text.
    EXPECT_EQ(errorText(0x1234), "");
    EXPECT_EQ(errorText(kHttpErrorNone), "");
    EXPECT_EQ(errorText(kHttpErrorCancelled), "The download has been canceled");
    EXPECT_EQ(kHttpErrorCancelled, 0x80042714u);
}

TEST(HttpClientTrust, RefusesUntrustedServersAndInsecureAddresses) {
    // /h0/ to /h4/ each send the request on to the next; /h5/ to the file.
    std::vector<testhttps::ServerLocation> locations = {
        testhttps::redirectToHttpLocation("/insecure/"),
        testhttps::redirectLocation("/h5/", "/hello.txt")};
    for (int hop = 0; hop < 5; ++hop) {
        locations.push_back(testhttps::redirectLocation("/h" + std::to_string(hop) + "/",
                                                        "/h" + std::to_string(hop + 1) + "/x"));
    }
    Site site;
    startSite(site, locations, false);
    char buffer[kTextBufferSize];
    EXPECT_EQ(HttpGetTextA(site.handle, "./hello.txt", buffer, sizeof buffer), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorUntrustedCertificate);
    EXPECT_EQ(errorText(HttpGetLastError()), "The server's certificate is not trusted");
    EXPECT_EQ(HttpDisconnect(site.handle), 0);

    // Trusted, the same server answers; redirects to http and endless ones are refused.
    setenv("MERIVANE_EXTRA_CA_FILE", site.server.caFile.c_str(), 1);
    site.handle = HttpConnectA(site.server.baseUrl, 443, kTimeout);
    ASSERT_NE(site.handle, kHttpFailure);
    EXPECT_EQ(HttpGetTextA(site.handle, "./hello.txt", buffer, sizeof buffer), kHttpTextReceived);
    EXPECT_EQ(HttpGetTextA(site.handle, "/insecure/hello.txt", buffer, sizeof buffer),
              kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorInsecureRedirect);
    EXPECT_EQ(HttpGetTextA(site.handle, "/h1/x", buffer, sizeof buffer), kHttpTextReceived);
    EXPECT_STREQ(buffer, "Hello\r\nWorld");
    EXPECT_EQ(HttpGetTextA(site.handle, "/h0/x", buffer, sizeof buffer), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorTooManyRedirects);
    EXPECT_EQ(HttpGetFileA(site.handle, site.downloads + "/hello.txt", "/insecure/hello.txt"),
              kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorInsecureRedirect);
    EXPECT_TRUE(folderEntries(site.downloads).empty());

    // Addresses that are not https, too long, or an authority file that is not one.
    const std::string plain = "http://127.0.0.1:" + std::to_string(site.server.port) + "/";
    EXPECT_EQ(HttpConnectA(plain, 0, kTimeout), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorBadAddress);
    EXPECT_EQ(HttpConnectA(site.server.baseUrl + std::string(260, 'a'), 0, kTimeout), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorBadAddress);
    EXPECT_EQ(HttpGetTextA(site.handle, "http://127.0.0.1/hello.txt", buffer, sizeof buffer),
              kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorBadAddress);
    setenv("MERIVANE_EXTRA_CA_FILE", (site.files + "/hello.txt").c_str(), 1);
    EXPECT_EQ(HttpConnectA(site.server.baseUrl, 0, kTimeout), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorExtraCaFile);
    stopSite(site);
}

// A listening socket that never accepts: connections are made by the kernel, nothing answers.
int silentListener(int& port) {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(sock, 8);
    getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return sock;
}

TEST(HttpClientReach, NamesMissingHostsRefusedAndSilentServers) {
    unsetenv("MERIVANE_EXTRA_CA_FILE");
    ASSERT_NE(HttpInitializeA(), 0);
    int port = 0;
    int listener = silentListener(port);
    int closedPort = 0;
    close(silentListener(closedPort));
    struct Case {
        std::string address;
        int timeout;
        std::uint32_t code;
        bool noConnection;
    };
    const Case cases[] = {
        {"https://merivane-test.invalid/", kTimeout, kHttpErrorNoHost, true},
        {"https://127.0.0.1:" + std::to_string(closedPort) + "/", kTimeout, kHttpErrorRefused,
         false},
        {"https://127.0.0.1:" + std::to_string(port) + "/", 1, kHttpErrorTimedOut, false},
    };
    for (const Case& test : cases) {
        int handle = HttpConnectA(test.address, 443, test.timeout);
        ASSERT_NE(handle, kHttpFailure);
        char buffer[kTextBufferSize];
        EXPECT_EQ(HttpGetTextA(handle, "./x.txt", buffer, sizeof buffer), kHttpFailure);
        EXPECT_EQ(HttpGetLastError(), test.code) << test.address;
        EXPECT_EQ(HttpIsNoConnection(HttpGetLastError()), test.noConnection);
        EXPECT_FALSE(errorText(HttpGetLastError()).empty());
        EXPECT_EQ(HttpDisconnect(handle), 0);
        // A closed handle is refused everywhere.
        EXPECT_EQ(HttpDisconnect(handle), kHttpFailure);
        EXPECT_EQ(HttpGetLastError(), kHttpErrorInvalidHandle);
        HttpTransferStatus status{};
        EXPECT_EQ(HttpGetTransferStatus(handle, status), kHttpFailure);
        EXPECT_EQ(HttpRegisterEvent(handle, kHttpEventProgress, recordEvent, -1), kHttpFailure);
        EXPECT_EQ(HttpGetTextA(handle, "./x.txt", buffer, sizeof buffer), kHttpFailure);
        EXPECT_EQ(HttpGetLastError(), kHttpErrorInvalidHandle);
    }
    close(listener);
    HttpUninitialize();
    // Without initialisation nothing connects.
    EXPECT_EQ(HttpConnectA("https://127.0.0.1/", 443, kTimeout), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorNotInitialized);
}

TEST(HttpClientDownload, StoresCompleteFileExecutableWithProgress) {
    Site site;
    startSite(site, {testhttps::noLengthLocation("/nolength/")});
    ASSERT_EQ(
        HttpRegisterEvent(site.handle, kHttpEventProgress | kHttpEventCancelled, recordEvent, -1),
        0);
    struct Case {
        const char* path;
        std::size_t size;
        bool lengthKnown;
    };
    const Case cases[] = {
        {"/setup.bin", kSlowFileSize, true},
        {"/nolength/setup.bin", kSlowFileSize, false},
        {"/empty.bin", 0, true},
    };
    for (const Case& test : cases) {
        watch = Watch{};
        const std::string target = site.downloads + "/Zarn_setup.bin";
        EXPECT_EQ(HttpGetFileA(site.handle, target, test.path), 0) << test.path;
        EXPECT_EQ(readText(target), patternOf(test.size));
        struct stat info {};
        ASSERT_EQ(stat(target.c_str(), &info), 0);
        EXPECT_TRUE(info.st_mode & S_IXUSR);
        EXPECT_EQ(folderEntries(site.downloads), std::vector<std::string>{"Zarn_setup.bin"});
        // Until the headers arrive the length is not known yet.
        ASSERT_FALSE(watch.progress.empty());
        for (const HttpTransferStatus& status : watch.progress) {
            EXPECT_TRUE(status.totalBytes == 0 ||
                        (test.lengthKnown && status.totalBytes == test.size));
            EXPECT_LE(status.copiedBytes, test.size);
        }
        EXPECT_EQ(watch.progress.back().totalBytes, test.lengthKnown ? test.size : 0);
        EXPECT_EQ(watch.progress.back().copiedBytes, test.size);
        EXPECT_EQ(watch.cancelEvents, 0);
        ASSERT_EQ(unlink(target.c_str()), 0);
    }
    // The download's own connection: the host part of the address, the file under its bare
    // name into the current folder.
    const std::string host = site.server.baseUrl.substr(0, site.server.baseUrl.size() - 1);
    int handle = HttpConnectA(host, 0, kTimeout);
    ASSERT_NE(handle, kHttpFailure);
    char* previousFolder = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(site.downloads.c_str()), 0);
    EXPECT_EQ(HttpGetFileA(handle, "Zarn_setup.bin", "/setup.bin"), 0);
    EXPECT_EQ(readText(site.downloads + "/Zarn_setup.bin"), patternOf(kSlowFileSize));
    EXPECT_EQ(chdir(previousFolder), 0);
    free(previousFolder);
    EXPECT_EQ(HttpDisconnect(handle), 0);
    stopSite(site);
}

TEST(HttpClientDownload, CancelHalfwayLeavesNothingNew) {
    Site site;
    startSite(site, {testhttps::slowLocation("/slow/", kSlowRate)});
    ASSERT_EQ(
        HttpRegisterEvent(site.handle, kHttpEventProgress | kHttpEventCancelled, recordEvent, -1),
        0);
    const std::string target = site.downloads + "/Zarn_setup.bin";
    ASSERT_TRUE(testhttps::writeFile(target, "the previous installer"));
    watch = Watch{};
    watch.cancelAtFraction = 0.5;
    EXPECT_EQ(HttpGetFileA(site.handle, target, "/slow/setup.bin"), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorCancelled);
    EXPECT_EQ(errorText(HttpGetLastError()), "The download has been canceled");
    EXPECT_EQ(watch.cancelEvents, 1);
    EXPECT_EQ(watch.atCancel.totalBytes, kSlowFileSize);
    EXPECT_LT(watch.atCancel.copiedBytes, kSlowFileSize * 3 / 4);
    EXPECT_EQ(readText(target), "the previous installer");
    EXPECT_EQ(folderEntries(site.downloads), std::vector<std::string>{"Zarn_setup.bin"});

    // The toolkit's events run during the transfer: a timer cancels it as the Cancel button does.
    watch = Watch{};
    HttpTransferStatus atTimer{};
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&site, &atTimer] {
        HttpTransferStatus status{};
        HttpGetTransferStatus(site.handle, status);
        if (status.totalBytes == 0 || status.copiedBytes < status.totalBytes / 2) return;
        if (atTimer.totalBytes == 0) atTimer = status;
        HttpCancel(site.handle);
    });
    timer.start(5);
    EXPECT_EQ(HttpGetFileA(site.handle, target, "/slow/setup.bin"), kHttpFailure);
    timer.stop();
    EXPECT_EQ(HttpGetLastError(), kHttpErrorCancelled);
    EXPECT_EQ(watch.cancelEvents, 1);
    EXPECT_EQ(atTimer.totalBytes, kSlowFileSize);
    EXPECT_LT(atTimer.copiedBytes, kSlowFileSize * 3 / 4);
    EXPECT_EQ(readText(target), "the previous installer");
    EXPECT_EQ(folderEntries(site.downloads), std::vector<std::string>{"Zarn_setup.bin"});

    // A cancel with no transfer running changes nothing; the next download completes.
    HttpCancel(site.handle);
    watch = Watch{};
    EXPECT_EQ(HttpGetFileA(site.handle, target, "/setup.bin"), 0);
    EXPECT_EQ(readText(target), patternOf(kSlowFileSize));
    stopSite(site);
}

TEST(HttpClientDownload, StallEndsButSlowTransferGoesOn) {
    // One second without a byte ends a transfer; one slower than a second's worth never does.
    HttpSetTestLimits(1, 0);
    Site site;
    startSite(site, {testhttps::stallLocation("/stall/", 1000),
                     testhttps::slowLocation("/slow/", kSlowRate),
                     testhttps::ServerLocation{"/silent/", "echo_sleep 3600;", false}});
    const std::string target = site.downloads + "/Zarn_setup.bin";
    EXPECT_EQ(HttpGetFileA(site.handle, target, "/stall/setup.bin"), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorTimedOut);
    EXPECT_EQ(errorText(HttpGetLastError()), "The server did not answer in time");
    EXPECT_TRUE(folderEntries(site.downloads).empty());
    char buffer[kTextBufferSize];
    // Stalled after some bytes, or before the first one.
    for (const char* path : {"/stall/x", "/silent/x"}) {
        EXPECT_EQ(HttpGetTextA(site.handle, path, buffer, sizeof buffer), kHttpFailure);
        EXPECT_EQ(HttpGetLastError(), kHttpErrorTimedOut) << path;
    }

    EXPECT_EQ(HttpGetFileA(site.handle, target, "/slow/setup.bin"), 0)
        << errorText(HttpGetLastError());
    EXPECT_EQ(readText(target), patternOf(kSlowFileSize));
    stopSite(site);
}

TEST(HttpClientDownload, RefusesBadNamesAndOversizedFiles) {
    Site site;
    startSite(site, {testhttps::noLengthLocation("/nolength/")});
    const std::string badNames[] = {
        "", ".", "..", std::string(260, 'x'), "Zarn\n.bin", std::string("Zarn\0.bin", 9)};
    for (const std::string& name : badNames) {
        EXPECT_EQ(HttpGetFileA(site.handle, site.downloads + "/" + name, "/setup.bin"),
                  kHttpFailure);
        EXPECT_EQ(HttpGetLastError(), kHttpErrorBadFileName) << name.size();
    }
    EXPECT_EQ(errorText(kHttpErrorBadFileName), "The file to download has no valid name");
    EXPECT_EQ(HttpGetFileA(site.handle, site.downloads + "/missing/Zarn.bin", "/setup.bin"),
              kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorFileNotWritten);

    // With a bound below the file's size, announced or not, nothing is stored.
    EXPECT_EQ(HttpDisconnect(site.handle), 0);
    HttpSetTestLimits(0, kSlowFileSize - 1);
    site.handle = HttpConnectA(site.server.baseUrl, 443, kTimeout);
    for (const char* path : {"/setup.bin", "/nolength/setup.bin"}) {
        EXPECT_EQ(HttpGetFileA(site.handle, site.downloads + "/Zarn.bin", path), kHttpFailure);
        EXPECT_EQ(HttpGetLastError(), kHttpErrorTooLarge) << path;
    }
    EXPECT_TRUE(folderEntries(site.downloads).empty());
    stopSite(site);
}

TEST(HttpClientDownload, NestedCallsDuringTransferAreRefused) {
    Site site;
    startSite(site, {testhttps::slowLocation("/slow/", kSlowRate)});
    ASSERT_EQ(HttpRegisterEvent(site.handle, kHttpEventProgress, nestCalls, 0), 0);
    watch = Watch{};
    const std::string target = site.downloads + "/Zarn_setup.bin";
    EXPECT_EQ(HttpGetFileA(site.handle, target, "/slow/setup.bin"), 0);
    EXPECT_EQ(watch.nestedResult, kHttpFailure);
    EXPECT_EQ(watch.nestedError, kHttpErrorBusy);
    EXPECT_EQ(watch.disconnectResult, kHttpFailure);
    EXPECT_EQ(readText(target), patternOf(kSlowFileSize));
    stopSite(site);
}

TEST(HttpClientDownload, FullDiskLeavesNothing) {
    Site site;
    startSite(site, {});
    const std::string small = site.downloads + "/small";
    ASSERT_EQ(mkdir(small.c_str(), 0700), 0);
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) {
        stopSite(site);
        GTEST_SKIP() << "a small file system needs the right to mount one";
    }
    EXPECT_EQ(HttpGetFileA(site.handle, small + "/Zarn_setup.bin", "/setup.bin"), kHttpFailure);
    EXPECT_EQ(HttpGetLastError(), kHttpErrorDiskFull);
    EXPECT_EQ(errorText(HttpGetLastError()), "The disk is full");
    EXPECT_TRUE(folderEntries(small).empty());
    umount(small.c_str());
    stopSite(site);
}

} // namespace
