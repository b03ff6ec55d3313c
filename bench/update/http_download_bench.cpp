// Throughput of a 50 MB download from a local nginx over HTTPS: the program's HTTP client with a
// progress callback that pumps the toolkit's events as the download window does, against
// `curl -o`. Compare the two bytes_per_second figures.
#include "update/http_client.h"
#include "update/https_server.h"

#include "gui/ezgui.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::size_t kFileSize = 50 * 1000 * 1000;
constexpr int kProgressBarId = 100;

struct BenchSite {
    bool started = false;
    std::string files;
    std::string downloads;
    testhttps::HttpsServer server;
};

BenchSite site;

void stopSite() {
    testhttps::stopHttpsServer(site.server);
    testhttps::removeFolder(site.files);
    testhttps::removeFolder(site.downloads);
}

bool ensureSite(benchmark::State& state) {
    if (site.started) return true;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    site.files = testhttps::makeTemporaryFolder("merivane-bench-files");
    site.downloads = testhttps::makeTemporaryFolder("merivane-bench-downloads");
    std::string data(kFileSize, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 2654435761u >> 24);
    std::string error;
    if (!testhttps::writeFile(site.files + "/Zarn_setup.bin", data) ||
        !testhttps::startHttpsServer(site.server, site.files, {}, error)) {
        state.SkipWithError(("no server: " + error).c_str());
        return false;
    }
    setenv("MERIVANE_EXTRA_CA_FILE", site.server.caFile.c_str(), 1);
    ezDoEvents(0);
    HttpSetEventPump(ezDoEvents);
    HttpInitializeA();
    std::atexit(stopSite);
    site.started = true;
    return true;
}

// What the download window's callback does on every progress event.
void pumpEvents(int handle, std::uint32_t eventCode, std::uint32_t, int) {
    if (eventCode != kHttpEventProgress) return;
    HttpTransferStatus status{};
    if (HttpGetTransferStatus(handle, status) != 0) return;
    int percent =
        status.totalBytes == 0
            ? 0
            : static_cast<int>(std::uint64_t{status.copiedBytes} * 100 / status.totalBytes);
    ezSetPBar("UDPG", kProgressBarId, 0, 100, percent);
    ezDoEvents(20);
    ezSetText("UDPG", 0, "Downloading... " + std::to_string(percent) + "% complete");
}

void BM_ClientDownload(benchmark::State& state) {
    if (!ensureSite(state)) return;
    const std::string target = site.downloads + "/client.bin";
    for (auto _ : state) {
        int handle = HttpConnectA(site.server.baseUrl, 443, 20);
        HttpRegisterEvent(handle, kHttpEventProgress | kHttpEventCancelled, pumpEvents, -1);
        if (HttpGetFileA(handle, target, "./Zarn_setup.bin") != 0) {
            state.SkipWithError("the download failed");
            break;
        }
        HttpDisconnect(handle);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
    unlink(target.c_str());
}

void BM_CurlDownload(benchmark::State& state) {
    if (!ensureSite(state)) return;
    const std::string target = site.downloads + "/curl.bin";
    const std::string url = site.server.baseUrl + "Zarn_setup.bin";
    for (auto _ : state) {
        pid_t child = fork();
        if (child == 0) {
            execlp("curl", "curl", "-s", "-f", "--cacert", site.server.caFile.c_str(), "-o",
                   target.c_str(), url.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
    unlink(target.c_str());
}

// On a shared machine compare medians over interleaved repetitions:
//   http_download_bench --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true
//                       --benchmark_report_aggregates_only=true
BENCHMARK(BM_ClientDownload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);
BENCHMARK(BM_CurlDownload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

} // namespace
