#pragma once
// The program's HTTP client: connections to https addresses, text and file transfers with a
// progress callback, cancellation and readable error texts, over libcurl. libcurl is loaded with
// the client's library (update/http_client_plugin.h) on the first HttpConnectA, not before:
// without that library the connection fails with kHttpErrorNoModule.
//
// Every address must be https; certificates and host names are always verified, and redirects
// are followed only to https addresses, at most five of them. All calls run on the GUI thread.
// While a transfer runs, the client runs the event pump it was given (HttpSetEventPump), so
// windows repaint and a Cancel button's handler may call HttpCancel; calls that would start
// another transfer from inside those events fail with kHttpErrorBusy.
//
// Trust: the system's certificate authorities. The environment variable MERIVANE_EXTRA_CA_FILE
// may name one PEM file of further authorities that are trusted in addition to the system's
// (the tests' own authority); it never switches verification off.
#include <cstdint>
#include <string>

// Result of a failed call (and the invalid connection handle).
constexpr int kHttpFailure = -1;
// HttpGetTextA: the text has arrived.
constexpr int kHttpTextReceived = 200;

// Event codes of the progress callback; HttpRegisterEvent takes a mask of them.
constexpr std::uint32_t kHttpEventCancelled = 0x20;
constexpr std::uint32_t kHttpEventProgress = 0x80;

// Error codes (HttpGetLastError). HttpGetErrorStringA gives each its text.
constexpr std::uint32_t kHttpErrorNone = 0;
constexpr std::uint32_t kHttpErrorNotInitialized = 0x80042701;
constexpr std::uint32_t kHttpErrorBadAddress = 0x80042702;
constexpr std::uint32_t kHttpErrorNoHost = 0x80042703;
constexpr std::uint32_t kHttpErrorNoConnection = 0x80042704;
constexpr std::uint32_t kHttpErrorTimedOut = 0x80042705;
constexpr std::uint32_t kHttpErrorUntrustedCertificate = 0x80042706;
constexpr std::uint32_t kHttpErrorSecureConnection = 0x80042707;
constexpr std::uint32_t kHttpErrorInsecureRedirect = 0x80042708;
constexpr std::uint32_t kHttpErrorTooManyRedirects = 0x80042709;
constexpr std::uint32_t kHttpErrorDiskFull = 0x8004270A;
constexpr std::uint32_t kHttpErrorFileNotWritten = 0x8004270B;
constexpr std::uint32_t kHttpErrorBadFileName = 0x8004270C;
constexpr std::uint32_t kHttpErrorTooLarge = 0x8004270D;
constexpr std::uint32_t kHttpErrorInvalidHandle = 0x8004270E;
constexpr std::uint32_t kHttpErrorBusy = 0x8004270F;
constexpr std::uint32_t kHttpErrorTransferFailed = 0x80042710;
constexpr std::uint32_t kHttpErrorConnectionLost = 0x80042711;
constexpr std::uint32_t kHttpErrorExtraCaFile = 0x80042712;
constexpr std::uint32_t kHttpErrorTooManyConnections = 0x80042713;
constexpr std::uint32_t kHttpErrorCancelled = 0x80042714;
constexpr std::uint32_t kHttpErrorRefused = 0x80042715;
constexpr std::uint32_t kHttpErrorUnreachable = 0x80042716;
constexpr std::uint32_t kHttpErrorNoModule = 0x80042717;
// A status other than 200 OK: this base plus the status (404 gives 0x80043194).
constexpr std::uint32_t kHttpErrorStatusBase = 0x80043000;

// Progress callback: the connection, the event code, the transfer's error code (0 while it
// runs) and the value given to HttpRegisterEvent.
using HttpEventCallback = void (*)(int handle, std::uint32_t eventCode, std::uint32_t error,
                                   int userValue);

// Byte counts of the running (or last) transfer of a connection. total is 0 while the server
// has not said how long the content is.
struct HttpTransferStatus {
    std::uint32_t totalBytes;
    std::uint32_t copiedBytes;
};

// Prepares the client; calls may nest, each one matched by HttpUninitialize. Non-zero = ready.
// Until the first connection loads the client's library this only counts the calls.
int HttpInitializeA();
void HttpUninitialize();

// Opens a connection to an https address ("https://host[:port][/base/]", at most 259
// characters). port is used when the address names none (0: the https default). timeoutSeconds
// bounds connecting and a transfer that receives nothing for that long; a slow transfer that
// keeps moving is never cut. Nothing is sent yet. Returns the handle, or kHttpFailure.
int HttpConnectA(const std::string& address, int port, int timeoutSeconds);

// Fetches resourcePath (resolved against the connection's address, e.g. "./updates/x.txt" or
// "/path/file") into buffer, at most bufferSize - 1 bytes, always zero-terminated; longer
// content is cut. Returns kHttpTextReceived, or kHttpFailure (buffer holds "").
int HttpGetTextA(int handle, const std::string& resourcePath, char* buffer, int bufferSize);

// Downloads resourcePath into localPath. The file is written under a temporary name in the
// same folder and takes its name only when complete, executable for its owner; a failed or
// cancelled download leaves nothing and an existing file of that name as it was. The file name
// (the last part of localPath) must not be empty, "." or "..", nor longer than 259 characters,
// nor hold control characters; downloads larger than 1 GiB are refused. Returns 0, or
// kHttpFailure. Returns only when the transfer has ended.
int HttpGetFileA(int handle, const std::string& localPath, const std::string& resourcePath);

// Closes the connection. Returns 0, or kHttpFailure.
int HttpDisconnect(int handle);

// Calls callback for the events of eventMask (kHttpEventProgress, kHttpEventCancelled) during
// the connection's transfers. Returns 0, or kHttpFailure.
int HttpRegisterEvent(int handle, std::uint32_t eventMask, HttpEventCallback callback,
                      int userValue);

// Returns 0 and fills status, or kHttpFailure.
int HttpGetTransferStatus(int handle, HttpTransferStatus& status);

// Ends the connection's running transfer with kHttpErrorCancelled (also from inside its
// progress callback or the events it lets run). Nothing happens when no transfer runs.
void HttpCancel(int handle);

// The error code of the last failed call; kHttpErrorNone when the last call succeeded.
std::uint32_t HttpGetLastError();

// Writes the code's text into buffer (at most bufferSize - 1 bytes, zero-terminated) and
// returns its length; 0 when the code has no text.
int HttpGetErrorStringA(std::uint32_t code, char* buffer, int bufferSize);

// True when the address starts with "https://" (the scheme in any case).
bool HttpIsHttpsAddress(const std::string& address);

// An https address in the pieces HttpConnectA and HttpGetFileA take.
struct HttpAddressParts {
    std::string host;     // scheme, host and any port: "https://example.com:8443"
    std::string resource; // from the "/" after the host on
    std::string fileName; // the last "/"-separated piece of the resource
};
// Splits an https address at the first "/" after "https://"; false when it is not https, has no
// such "/", or its host or resource is longer than 259 characters.
bool HttpSplitAddress(const std::string& address, HttpAddressParts& parts);

// The code means the computer reached no server at all: the host name could not be resolved or
// no connection could be made.
bool HttpIsNoConnection(std::uint32_t code);

// Runs the GUI's pending events for at most the given milliseconds; the GUI's own routine.
using HttpEventPump = void (*)(int milliseconds);
// The pump every transfer runs while it waits; nullptr: none.
void HttpSetEventPump(HttpEventPump pump);

// ---- For tests only ----
// Replaces the stall time-out (seconds without a received byte; 0 restores the connection's
// time-out) and the download size bound (0 restores 1 GiB) of the connections opened next.
void HttpSetTestLimits(int stallSeconds, std::uint64_t maxDownloadBytes);
// Looks for the client's library only in folder (an absolute path) from now on, leaving any
// library already loaded unused; "" goes back to the program's own places.
void HttpSetTestModuleFolder(const std::string& folder);
// Takes folder (ending with "/") as the executable's own when looking for the library, as a
// copy run from there would, leaving any library already loaded unused.
void HttpSetTestExecutableFolder(const std::string& folder);
