// The program's side of the HTTP client: the routines that need no network, and the rest passed
// on to the client's library, which is loaded on the first connection. A window that never
// checks for updates so never maps libcurl and the libraries it brings.
#include "update/http_client.h"

#include "common/owned_folder.h"
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

// True when the file at path is a regular file of root's or the user's that no one else may
// write, holding everything the loader maps: an ELF header of this machine's class, its
// program headers, and every loaded segment's bytes. A library cut short (a copy on a full
// disk) would otherwise be mapped past its end and stop the program with SIGBUS.
bool isWholeLibrary(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    ElfW(Ehdr) header{};
    const bool readable = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                          (status.st_uid == 0 || status.st_uid == getuid()) &&
                          (status.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
                          pread(fd, &header, sizeof header, 0) == sizeof header;
    const auto size = static_cast<std::uint64_t>(readable ? status.st_size : 0);
    bool whole = readable && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
                 header.e_ident[EI_CLASS] == (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) &&
                 header.e_phentsize == sizeof(ElfW(Phdr)) && header.e_phoff <= size &&
                 header.e_phnum <= (size - header.e_phoff) / sizeof(ElfW(Phdr));
    for (std::size_t index = 0; whole && index < header.e_phnum; ++index) {
        ElfW(Phdr) segment{};
        const auto at = static_cast<off_t>(header.e_phoff + index * sizeof segment);
        whole = pread(fd, &segment, sizeof segment, at) == sizeof segment &&
                (segment.p_type != PT_LOAD ||
                 (segment.p_offset <= size && segment.p_filesz <= size - segment.p_offset));
    }
    close(fd);
    return whole;
}

// The table of the library loaded from path, an absolute path; nullptr when it is missing,
// damaged, cannot be loaded (a library it needs is missing) or belongs to another build.
const HttpPluginTable* openModule(const std::string& path) {
    if (path.empty() || path.front() != '/' || !isWholeLibrary(path)) return nullptr;
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
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

// The folder of the running executable, with a trailing "/"; never the current folder.
std::string executableFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    const std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.rfind('/') + 1);
}

// Beside the executable (the build's bin folder, a portable copy), else in the library folder
// of an installed copy whose folders no other user can write.
const HttpPluginTable* findModule() {
    if (!stub.testFolder.empty()) return openModule(stub.testFolder + "/" + kModuleName);
    const std::string folder =
        stub.testExecutableFolder.empty() ? executableFolder() : stub.testExecutableFolder;
    if (folder.empty()) return nullptr;
    const HttpPluginTable* table = openModule(folder + kModuleName);
    if (table != nullptr) return table;
    const std::string installed = installedFolderFor(folder, kInstalledModuleFolder);
    return installed.empty() ? nullptr : openModule(installed + kModuleName);
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
