// The HTTP client over libcurl, built as libmerivane_http.so (update/http_client_plugin.h); the
// program reaches these routines through update/http_client.cpp.
#include "common/atomic_file.h"
#include "common/read_file.h"
#include "update/http_client.h"
#include "update/http_client_plugin.h"
#include "update/http_curl_errors.h"
#include "update/http_errors.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

constexpr std::size_t kMaxAddressLength = 259;
constexpr std::size_t kMaxFileNameLength = 259;
constexpr std::uint64_t kMaxDownloadBytes = std::uint64_t{1} << 30;
constexpr long kMaxRedirects = 5;
constexpr int kMaxConnections = 8;
constexpr int kDefaultTimeoutSeconds = 20;
// Windows repaint and Cancel is seen this often while a transfer runs.
constexpr int kEventIntervalMs = 20;
constexpr int kEventSliceMs = 10;
// Large reads keep a fast download from being bound by the loop around it.
constexpr long kReceiveBufferBytes = 512 * 1024;
constexpr std::uint64_t kWriteBackBytes = 4 * 1024 * 1024;
constexpr const char* kExtraCaVariable = "MERIVANE_EXTRA_CA_FILE";
constexpr const char* kUserAgent = "Merivane/6.0";

struct Connection {
    int handle = 0; // 0: the slot is free
    CURL* curl = nullptr;
    CURLM* multi = nullptr; // runs the transfers and keeps the connection open between them
    std::string address;
    int port = 0;
    int timeoutSeconds = kDefaultTimeoutSeconds;
    int stallSeconds = kDefaultTimeoutSeconds;
    std::uint64_t maxDownloadBytes = kMaxDownloadBytes;
    std::string trustedAuthorities; // PEM handed to libcurl as its CA file; empty: its default
    HttpEventCallback callback = nullptr;
    std::uint32_t eventMask = 0;
    int userValue = 0;
    HttpTransferStatus status{};
    bool cancelRequested = false;
};

// Where the body of the running transfer goes: a text buffer or a file being written.
struct Transfer {
    Connection* connection = nullptr;
    char* text = nullptr;
    std::size_t textCapacity = 0;
    std::size_t textLength = 0;
    bool textFull = false;
    std::chrono::steady_clock::time_point lastByte; // valid once anyByte
    bool anyByte = false;
    AtomicFile* file = nullptr;
    std::uint64_t received = 0;
    std::uint64_t writtenBack = 0; // bytes already handed to the disk
    bool statusChecked = false;
    long statusCode = 0;
    std::uint32_t writeError = kHttpErrorNone;
};

struct ClientState {
    int initializeCount = 0;
    Connection* running = nullptr; // the connection whose transfer is on the stack
    std::uint32_t lastError = kHttpErrorNone;
    int nextHandle = 1;
    std::array<Connection, kMaxConnections> connections;
    int testStallSeconds = 0;
    std::uint64_t testMaxDownloadBytes = 0;
    HttpEventPump eventPump = nullptr;
};

ClientState client;

int fail(std::uint32_t code) {
    client.lastError = code;
    return kHttpFailure;
}

int succeed(int result) {
    client.lastError = kHttpErrorNone;
    return result;
}

Connection* findConnection(int handle) {
    if (handle <= 0) return nullptr;
    for (Connection& connection : client.connections) {
        if (connection.handle == handle) return &connection;
    }
    return nullptr;
}

Connection* freeSlot() {
    for (Connection& connection : client.connections) {
        if (connection.handle == 0) return &connection;
    }
    return nullptr;
}

void closeConnection(Connection& connection) {
    if (connection.curl != nullptr) curl_easy_cleanup(connection.curl);
    if (connection.multi != nullptr) curl_multi_cleanup(connection.multi);
    connection = Connection{};
}

// Even a full system bundle is a fraction of this; anything larger is not a list of authorities.
constexpr std::size_t kLargestAuthorityFile = 16 * 1024 * 1024;

// The authorities to add when MERIVANE_EXTRA_CA_FILE names a file (PEM). They are handed to
// libcurl as its CA "file"; the system's authorities stay trusted through libcurl's CA folder,
// or, where it was built without one, by putting its system bundle before them. Without the
// variable, libcurl's own defaults. Returns false when the variable names a file that cannot be
// read or holds no certificate.
bool loadTrustedAuthorities(std::string& authorities) {
    authorities.clear();
    const char* extraFile = std::getenv(kExtraCaVariable);
    if (extraFile == nullptr || extraFile[0] == '\0') return true;
    std::string extra;
    if (readRegularFile(extraFile, kLargestAuthorityFile, extra) != FileRead::Read) return false;
    if (extra.find("-----BEGIN CERTIFICATE-----") == std::string::npos) return false;
    const curl_version_info_data* version = curl_version_info(CURLVERSION_NOW);
    struct stat info {};
    bool systemFolder = version != nullptr && version->capath != nullptr &&
                        stat(version->capath, &info) == 0 && S_ISDIR(info.st_mode);
    if (!systemFolder && version != nullptr && version->cainfo != nullptr) {
        readRegularFile(version->cainfo, kLargestAuthorityFile, authorities);
        if (!authorities.empty() && authorities.back() != '\n') authorities += '\n';
    }
    authorities += extra;
    return true;
}

// The full address of resourcePath on the connection: resolved against the connection's
// address as a browser resolves a link, with the connection's port when the address has none.
bool resolveAddress(const Connection& connection, const std::string& resourcePath,
                    std::string& url) {
    CURLU* parts = curl_url();
    if (parts == nullptr) return false;
    bool resolved = curl_url_set(parts, CURLUPART_URL, connection.address.c_str(), 0) == CURLUE_OK;
    char* port = nullptr;
    if (resolved && connection.port > 0 &&
        curl_url_get(parts, CURLUPART_PORT, &port, 0) == CURLUE_NO_PORT) {
        resolved = curl_url_set(parts, CURLUPART_PORT, std::to_string(connection.port).c_str(),
                                0) == CURLUE_OK;
    }
    curl_free(port);
    if (resolved && !resourcePath.empty()) {
        resolved = curl_url_set(parts, CURLUPART_URL, resourcePath.c_str(), 0) == CURLUE_OK;
    }
    char* full = nullptr;
    if (resolved) resolved = curl_url_get(parts, CURLUPART_URL, &full, 0) == CURLUE_OK;
    if (resolved) url = full;
    curl_free(full);
    curl_url_cleanup(parts);
    return resolved && HttpIsHttpsAddress(url);
}

// The first call of a response's body decides whether it is the one asked for: only 200 OK is.
bool acceptStatus(Transfer& transfer) {
    if (!transfer.statusChecked) {
        transfer.statusChecked = true;
        curl_easy_getinfo(transfer.connection->curl, CURLINFO_RESPONSE_CODE, &transfer.statusCode);
    }
    return transfer.statusCode == 200;
}

void updateTotal(Transfer& transfer) {
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.connection->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    constexpr curl_off_t largest = UINT32_MAX;
    transfer.connection->status.totalBytes =
        length > 0 ? static_cast<std::uint32_t>(std::min(length, largest)) : 0;
}

void noteActivity(Transfer& transfer) {
    transfer.anyByte = true;
    transfer.lastByte = std::chrono::steady_clock::now();
}

std::size_t receiveHeader(char*, std::size_t one, std::size_t count, void* context) {
    noteActivity(*static_cast<Transfer*>(context));
    return one * count;
}

// Once the server has sent something, a pause as long as the stall time-out ends the transfer.
// (Before that, libcurl's own low-speed check does it; after, its five-second speed average
// would let a stall run on for up to five seconds more.)
bool stalled(const Transfer& transfer) {
    if (!transfer.anyByte) return false;
    auto limit = std::chrono::seconds(transfer.connection->stallSeconds);
    return std::chrono::steady_clock::now() - transfer.lastByte >= limit;
}

bool countReceived(Transfer& transfer, std::size_t size) {
    noteActivity(transfer);
    transfer.received += size;
    std::uint64_t copied = std::min<std::uint64_t>(transfer.received, UINT32_MAX);
    transfer.connection->status.copiedBytes = static_cast<std::uint32_t>(copied);
    return transfer.received <= transfer.connection->maxDownloadBytes;
}

std::size_t receiveText(char* data, std::size_t one, std::size_t count, void* context) {
    Transfer& transfer = *static_cast<Transfer*>(context);
    std::size_t size = one * count;
    if (!acceptStatus(transfer)) return 0;
    countReceived(transfer, size);
    std::size_t room = transfer.textCapacity - transfer.textLength;
    std::size_t taken = std::min(room, size);
    std::memcpy(transfer.text + transfer.textLength, data, taken);
    transfer.textLength += taken;
    if (taken == size) return size;
    // The rest is not wanted: ending the transfer here is not a failure.
    transfer.textFull = true;
    return 0;
}

std::uint32_t fileErrorCode(const std::string& error) {
    return error == fileErrorText(ENOSPC) || error == fileErrorText(EDQUOT)
               ? kHttpErrorDiskFull
               : kHttpErrorFileNotWritten;
}

// Hands what has been written to the disk while the download goes on, so the final fsync of a
// large file does not wait for all of it at once. Failures are left to that fsync.
void startWriteBack(Transfer& transfer) {
    std::uint64_t pending = transfer.received - transfer.writtenBack;
    if (pending < kWriteBackBytes) return;
    sync_file_range(transfer.file->descriptor, static_cast<off64_t>(transfer.writtenBack),
                    static_cast<off64_t>(pending), SYNC_FILE_RANGE_WRITE);
    transfer.writtenBack = transfer.received;
}

std::size_t receiveFile(char* data, std::size_t one, std::size_t count, void* context) {
    Transfer& transfer = *static_cast<Transfer*>(context);
    std::size_t size = one * count;
    if (!acceptStatus(transfer)) return 0;
    if (!countReceived(transfer, size)) {
        transfer.writeError = kHttpErrorTooLarge;
        return 0;
    }
    std::string error;
    if (!writeAtomicFile(*transfer.file, data, size, error)) {
        transfer.writeError = fileErrorCode(error);
        return 0;
    }
    startWriteBack(transfer);
    return size;
}

void deliverEvent(Connection& connection, std::uint32_t eventCode, std::uint32_t error) {
    if (connection.callback == nullptr || (connection.eventMask & eventCode) == 0) return;
    connection.callback(connection.handle, eventCode, error, connection.userValue);
}

// Progress events and the toolkit's pending events; what they run may cancel the transfer.
void letEventsRun(Transfer& transfer) {
    updateTotal(transfer);
    deliverEvent(*transfer.connection, kHttpEventProgress, kHttpErrorNone);
    if (client.eventPump != nullptr) client.eventPump(kEventSliceMs);
}

void setTransferOptions(Connection& connection, const std::string& url, bool toFile) {
    CURL* curl = connection.curl;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connection.timeoutSeconds));
    // A transfer that keeps moving, however slowly, is never cut; one receiving nothing is.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(connection.stallSeconds));
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                     toFile ? static_cast<curl_off_t>(connection.maxDownloadBytes) : curl_off_t{0});
    if (!connection.trustedAuthorities.empty()) {
        curl_blob authorities{};
        authorities.data = connection.trustedAuthorities.data();
        authorities.len = connection.trustedAuthorities.size();
        authorities.flags = CURL_BLOB_NOCOPY;
        curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &authorities);
    }
}

// Runs the connection's transfer to its end, letting events run every kEventIntervalMs.
// Returns kHttpErrorNone or the failure's code.
std::uint32_t performTransfer(Transfer& transfer, curl_write_callback receive) {
    Connection& connection = *transfer.connection;
    CURL* curl = connection.curl;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, receiveHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    connection.status = HttpTransferStatus{};
    connection.cancelRequested = false;

    CURLM* multi = connection.multi;
    if (curl_multi_add_handle(multi, curl) != CURLM_OK) return kHttpErrorTransferFailed;
    client.running = &connection;
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastEvents = Clock::now();
    CURLcode result = CURLE_OK;
    bool failed = false;
    bool timedOut = false;
    while (!connection.cancelRequested) {
        if (stalled(transfer)) {
            timedOut = true;
            break;
        }
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            failed = true;
            break;
        }
        if (running == 0) {
            int queued = 0;
            CURLMsg* message = curl_multi_info_read(multi, &queued);
            if (message != nullptr && message->msg == CURLMSG_DONE) result = message->data.result;
            break;
        }
        if (Clock::now() - lastEvents >= std::chrono::milliseconds(kEventIntervalMs)) {
            letEventsRun(transfer);
            lastEvents = Clock::now();
            continue;
        }
        curl_multi_poll(multi, nullptr, 0, kEventIntervalMs, nullptr);
    }
    curl_multi_remove_handle(multi, curl);
    client.running = nullptr;
    updateTotal(transfer);

    if (connection.cancelRequested) return kHttpErrorCancelled;
    if (failed) return kHttpErrorTransferFailed;
    if (timedOut) return kHttpErrorTimedOut;
    if (transfer.writeError != kHttpErrorNone) return transfer.writeError;
    if (result == CURLE_WRITE_ERROR && transfer.textFull) result = CURLE_OK;
    if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && transfer.statusChecked)) {
        if (!transfer.statusChecked) {
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &transfer.statusCode);
        }
        if (transfer.statusCode == 200) return kHttpErrorNone;
        int status = static_cast<int>(std::clamp<long>(transfer.statusCode, 0, kHttpHighestStatus));
        return kHttpErrorStatusBase + static_cast<std::uint32_t>(status);
    }
    if (result == CURLE_COULDNT_CONNECT) return connectErrorOf(curl);
    return httpErrorOfCurl(result);
}

// Ends a transfer on the connection: the cancel event for a cancelled one, a last progress
// event for a complete one.
void reportEnd(Connection& connection, std::uint32_t error) {
    if (error == kHttpErrorCancelled) deliverEvent(connection, kHttpEventCancelled, error);
    if (error == kHttpErrorNone) deliverEvent(connection, kHttpEventProgress, error);
}

// Why a connection cannot start a transfer now; kHttpErrorNone when it can.
std::uint32_t transferRefusal(const Connection* connection) {
    if (client.initializeCount == 0) return kHttpErrorNotInitialized;
    if (connection == nullptr) return kHttpErrorInvalidHandle;
    if (client.running != nullptr) return kHttpErrorBusy;
    return kHttpErrorNone;
}

std::string fileNameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool acceptableFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.size() > kMaxFileNameLength) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        unsigned char byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// The complete download becomes executable for its owner, then takes its name.
std::uint32_t finishFile(AtomicFile& file) {
    struct stat info {};
    if (fstat(file.descriptor, &info) != 0 ||
        fchmod(file.descriptor, (info.st_mode & 07777) | S_IXUSR) != 0) {
        abandonAtomicFile(file);
        return kHttpErrorFileNotWritten;
    }
    std::string error;
    if (!commitAtomicFile(file, error)) return fileErrorCode(error);
    return kHttpErrorNone;
}

// A libcurl built without TLS cannot reach the update site at all.
bool curlSpeaksHttps() {
    const curl_version_info_data* version = curl_version_info(CURLVERSION_NOW);
    if (version == nullptr || version->protocols == nullptr) return false;
    for (const char* const* protocol = version->protocols; *protocol != nullptr; ++protocol) {
        if (std::string_view(*protocol) == "https") return true;
    }
    return false;
}

int initializeClient() {
    if (client.initializeCount == 0 &&
        (!curlSpeaksHttps() || curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)) {
        client.lastError = kHttpErrorNotInitialized;
        return 0;
    }
    ++client.initializeCount;
    client.lastError = kHttpErrorNone;
    return 1;
}

void uninitializeClient() {
    if (client.initializeCount == 0) return;
    if (--client.initializeCount > 0) return;
    // A transfer still on the stack ends with its cancel; its connection stays until disconnect.
    bool inUse = false;
    for (Connection& connection : client.connections) {
        if (connection.handle == 0) continue;
        if (&connection == client.running) {
            connection.cancelRequested = true;
            inUse = true;
            continue;
        }
        closeConnection(connection);
    }
    if (!inUse) curl_global_cleanup();
}

int connect(const std::string& address, int port, int timeoutSeconds) {
    if (client.initializeCount == 0) return fail(kHttpErrorNotInitialized);
    if (address.size() > kMaxAddressLength || !HttpIsHttpsAddress(address) || port < 0 ||
        port > 65535) {
        return fail(kHttpErrorBadAddress);
    }
    Connection* connection = freeSlot();
    if (connection == nullptr) return fail(kHttpErrorTooManyConnections);
    Connection candidate;
    candidate.address = address;
    candidate.port = port;
    candidate.timeoutSeconds = timeoutSeconds > 0 ? timeoutSeconds : kDefaultTimeoutSeconds;
    candidate.stallSeconds =
        client.testStallSeconds > 0 ? client.testStallSeconds : candidate.timeoutSeconds;
    if (client.testMaxDownloadBytes > 0) candidate.maxDownloadBytes = client.testMaxDownloadBytes;
    std::string probe;
    if (!resolveAddress(candidate, "", probe)) return fail(kHttpErrorBadAddress);
    if (!loadTrustedAuthorities(candidate.trustedAuthorities)) return fail(kHttpErrorExtraCaFile);
    candidate.curl = curl_easy_init();
    candidate.multi = curl_multi_init();
    if (candidate.curl == nullptr || candidate.multi == nullptr) {
        closeConnection(candidate);
        return fail(kHttpErrorTransferFailed);
    }
    candidate.handle = client.nextHandle;
    client.nextHandle = client.nextHandle == INT32_MAX ? 1 : client.nextHandle + 1;
    *connection = std::move(candidate);
    return succeed(connection->handle);
}

int getText(int handle, const std::string& resourcePath, char* buffer, int bufferSize) {
    if (buffer == nullptr || bufferSize <= 0) return fail(kHttpErrorTransferFailed);
    buffer[0] = '\0';
    Connection* connection = findConnection(handle);
    if (std::uint32_t refusal = transferRefusal(connection)) return fail(refusal);
    std::string url;
    if (!resolveAddress(*connection, resourcePath, url)) return fail(kHttpErrorBadAddress);

    setTransferOptions(*connection, url, false);
    Transfer transfer;
    transfer.connection = connection;
    transfer.text = buffer;
    transfer.textCapacity = static_cast<std::size_t>(bufferSize) - 1;
    std::uint32_t error = performTransfer(transfer, receiveText);
    reportEnd(*connection, error);
    if (error != kHttpErrorNone) {
        buffer[0] = '\0';
        return fail(error);
    }
    buffer[transfer.textLength] = '\0';
    return succeed(kHttpTextReceived);
}

int getFile(int handle, const std::string& localPath, const std::string& resourcePath) {
    Connection* connection = findConnection(handle);
    if (std::uint32_t refusal = transferRefusal(connection)) return fail(refusal);
    if (!acceptableFileName(fileNameOf(localPath))) return fail(kHttpErrorBadFileName);
    std::string url;
    if (!resolveAddress(*connection, resourcePath, url)) return fail(kHttpErrorBadAddress);

    AtomicFile file{-1, "", ""};
    std::string fileError;
    if (!beginAtomicFile(file, localPath, fileError, kRefuseLink))
        return fail(fileErrorCode(fileError));
    setTransferOptions(*connection, url, true);
    Transfer transfer;
    transfer.connection = connection;
    transfer.file = &file;
    std::uint32_t error = performTransfer(transfer, receiveFile);
    if (error == kHttpErrorNone) error = finishFile(file);
    abandonAtomicFile(file);
    reportEnd(*connection, error);
    return error == kHttpErrorNone ? succeed(0) : fail(error);
}

int disconnect(int handle) {
    Connection* connection = findConnection(handle);
    if (connection == nullptr) return fail(kHttpErrorInvalidHandle);
    if (client.running == connection) return fail(kHttpErrorBusy);
    closeConnection(*connection);
    return succeed(0);
}

int registerEvent(int handle, std::uint32_t eventMask, HttpEventCallback callback, int userValue) {
    Connection* connection = findConnection(handle);
    if (connection == nullptr) return fail(kHttpErrorInvalidHandle);
    connection->callback = callback;
    connection->eventMask = eventMask;
    connection->userValue = userValue;
    return succeed(0);
}

int getTransferStatus(int handle, HttpTransferStatus& status) {
    Connection* connection = findConnection(handle);
    if (connection == nullptr) return fail(kHttpErrorInvalidHandle);
    status = connection->status;
    return succeed(0);
}

void cancelTransfer(int handle) {
    Connection* connection = findConnection(handle);
    if (connection == nullptr || client.running != connection) return;
    connection->cancelRequested = true;
}

std::uint32_t lastError() {
    return client.lastError;
}

void setEventPump(HttpEventPump pump) {
    client.eventPump = pump;
}

void setTestLimits(int stallSeconds, std::uint64_t maxDownloadBytes) {
    client.testStallSeconds = std::max(stallSeconds, 0);
    client.testMaxDownloadBytes = maxDownloadBytes;
}

constexpr HttpPluginTable kTable = {
    .version = kHttpPluginVersion,
    .size = sizeof(HttpPluginTable),
    .initialize = initializeClient,
    .uninitialize = uninitializeClient,
    .connect = connect,
    .getText = getText,
    .getFile = getFile,
    .disconnect = disconnect,
    .registerEvent = registerEvent,
    .getTransferStatus = getTransferStatus,
    .cancel = cancelTransfer,
    .lastError = lastError,
    .setEventPump = setEventPump,
    .setTestLimits = setTestLimits,
};

} // namespace

extern "C" __attribute__((visibility("default"))) const HttpPluginTable* merivane_http_plugin() {
    return &kTable;
}
