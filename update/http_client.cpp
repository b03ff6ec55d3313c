// The program's side of the HTTP client: the routines that need no network, and the rest passed
// on to the client's library, which is loaded on the first connection. A window that never
// checks for updates so never maps libcurl and the libraries it brings.
#include "update/http_client.h"

#include "common/program_library.h"
#include "update/http_client_plugin.h"

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The library's file name, and its folder in an installed copy relative to the executable's.
constexpr const char* kModuleName = MERIVANE_HTTP_MODULE_NAME;
constexpr const char* kInstalledModuleFolder = MERIVANE_HTTP_MODULE_FOLDER;
constexpr std::size_t kMaxAddressLength = 259;
// The host part of an address ends at the first "/" after "https://".
constexpr std::size_t kHostSearchStart = 8;

struct StubState {
    const HttpPluginTable* module = nullptr;     // the program's own library, once loaded
    const HttpPluginTable* testModule = nullptr; // the library of the tests' folder
    std::string testFolder;
    std::string testExecutableFolder; // the executable's folder as the tests give it
    // The client's nesting count; the library is started when it leaves 0 (or is loaded while
    // above it) and stopped when it returns to 0.
    int initializeCount = 0;
    // Set when the stub answered the last call itself.
    bool ownError = true;
    std::uint32_t lastError = kHttpErrorNone;
    HttpEventPump eventPump = nullptr;
    int testStallSeconds = 0;
    std::uint64_t testMaxDownloadBytes = 0;
};

StubState stub;

int fail(std::uint32_t code) {
    stub.ownError = true;
    stub.lastError = code;
    return kHttpFailure;
}

const HttpPluginTable* loadedModule() {
    return stub.testFolder.empty() ? stub.module : stub.testModule;
}

// The table of the library loaded from path, an absolute path; nullptr when it is missing,
// damaged, cannot be loaded (a library it needs is missing) or belongs to another build.
const HttpPluginTable* openModule(const std::string& path) {
    void* library = openProgramLibrary(path);
    if (library == nullptr) return nullptr;
    auto entry = reinterpret_cast<HttpPluginEntry>(dlsym(library, kHttpPluginEntry));
    const HttpPluginTable* table = entry == nullptr ? nullptr : entry();
    if (table != nullptr && table->version == kHttpPluginVersion &&
        table->size == sizeof(HttpPluginTable)) {
        return table;
    }
    dlclose(library);
    return nullptr;
}

// Beside the executable (the build's bin folder, a portable copy), else in the library folder
// of an installed copy whose folders no other user can write.
const HttpPluginTable* findModule() {
    if (!stub.testFolder.empty()) return openModule(stub.testFolder + "/" + kModuleName);
    const std::string folder =
        stub.testExecutableFolder.empty() ? executableFolder() : stub.testExecutableFolder;
    for (const std::string& place :
         programLibraryPlaces(folder, kInstalledModuleFolder, kModuleName))
        if (const HttpPluginTable* table = openModule(place)) return table;
    return nullptr;
}

// The loaded library, loading it when none is; it takes on what the program set before.
const HttpPluginTable* loadModule() {
    if (const HttpPluginTable* table = loadedModule()) return table;
    const HttpPluginTable* table = findModule();
    if (table == nullptr) return nullptr;
    (stub.testFolder.empty() ? stub.module : stub.testModule) = table;
    table->setEventPump(stub.eventPump);
    table->setTestLimits(stub.testStallSeconds, stub.testMaxDownloadBytes);
    if (stub.initializeCount > 0) table->initialize();
    return table;
}

// The loaded library, which answers the call; nullptr: the stub answers it.
const HttpPluginTable* forwardTo() {
    const HttpPluginTable* table = loadedModule();
    stub.ownError = table == nullptr;
    return table;
}

// Without the library no connection is open, so calls on one fail as on a closed one.
std::uint32_t noConnectionError() {
    return stub.initializeCount == 0 ? kHttpErrorNotInitialized : kHttpErrorInvalidHandle;
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int HttpInitializeA() {
    const HttpPluginTable* table = loadedModule();
    if (stub.initializeCount == 0 && table != nullptr && table->initialize() == 0) {
        stub.ownError = false;
        return 0;
    }
    ++stub.initializeCount;
    stub.ownError = true;
    stub.lastError = kHttpErrorNone;
    return 1;
}

void HttpUninitialize() {
    if (stub.initializeCount == 0) return;
    if (--stub.initializeCount > 0) return;
    if (const HttpPluginTable* table = loadedModule()) table->uninitialize();
}

int HttpConnectA(const std::string& address, int port, int timeoutSeconds) {
    if (stub.initializeCount == 0) return fail(kHttpErrorNotInitialized);
    const HttpPluginTable* table = loadModule();
    if (table == nullptr) return fail(kHttpErrorNoModule);
    stub.ownError = false;
    return table->connect(address, port, timeoutSeconds);
}

int HttpGetTextA(int handle, const std::string& resourcePath, char* buffer, int bufferSize) {
    if (const HttpPluginTable* table = forwardTo())
        return table->getText(handle, resourcePath, buffer, bufferSize);
    if (buffer == nullptr || bufferSize <= 0) return fail(kHttpErrorTransferFailed);
    buffer[0] = '\0';
    return fail(noConnectionError());
}

int HttpGetFileA(int handle, const std::string& localPath, const std::string& resourcePath) {
    if (const HttpPluginTable* table = forwardTo())
        return table->getFile(handle, localPath, resourcePath);
    return fail(noConnectionError());
}

int HttpDisconnect(int handle) {
    if (const HttpPluginTable* table = forwardTo()) return table->disconnect(handle);
    return fail(kHttpErrorInvalidHandle);
}

int HttpRegisterEvent(int handle, std::uint32_t eventMask, HttpEventCallback callback,
                      int userValue) {
    if (const HttpPluginTable* table = forwardTo())
        return table->registerEvent(handle, eventMask, callback, userValue);
    return fail(kHttpErrorInvalidHandle);
}

int HttpGetTransferStatus(int handle, HttpTransferStatus& status) {
    if (const HttpPluginTable* table = forwardTo()) return table->getTransferStatus(handle, status);
    return fail(kHttpErrorInvalidHandle);
}

void HttpCancel(int handle) {
    if (const HttpPluginTable* table = loadedModule()) table->cancel(handle);
}

std::uint32_t HttpGetLastError() {
    const HttpPluginTable* table = loadedModule();
    return stub.ownError || table == nullptr ? stub.lastError : table->lastError();
}

void HttpSetEventPump(HttpEventPump pump) {
    stub.eventPump = pump;
    if (const HttpPluginTable* table = loadedModule()) table->setEventPump(pump);
}

void HttpSetTestLimits(int stallSeconds, std::uint64_t maxDownloadBytes) {
    stub.testStallSeconds = stallSeconds;
    stub.testMaxDownloadBytes = maxDownloadBytes;
    if (const HttpPluginTable* table = loadedModule())
        table->setTestLimits(stallSeconds, maxDownloadBytes);
}

void HttpSetTestExecutableFolder(const std::string& folder) {
    stub.testExecutableFolder = folder;
    stub.module = nullptr;
}

void HttpSetTestModuleFolder(const std::string& folder) {
    stub.testFolder = folder;
    stub.testModule = nullptr;
}

// An address is split by position, as the version file has always given it: the host part
// (scheme included) ends at the first "/" from the ninth character on, the resource path is the
// rest, starting with that "/", and the file name is its last "/"-separated piece.
bool HttpSplitAddress(const std::string& address, HttpAddressParts& parts) {
    parts = {};
    if (!HttpIsHttpsAddress(address)) return false;
    const std::size_t slash = address.find('/', kHostSearchStart);
    if (slash == std::string::npos || slash > kMaxAddressLength ||
        address.size() - slash > kMaxAddressLength)
        return false;
    parts.host = address.substr(0, slash);
    parts.resource = address.substr(slash);
    parts.fileName = fileNameOf(parts.resource);
    return true;
}
