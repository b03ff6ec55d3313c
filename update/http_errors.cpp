#include "update/http_errors.h"

#include "update/http_client.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace {

struct ErrorText {
    std::uint32_t code;
    const char* text;
};

// Texts end without a full stop: the program's messages add one.
constexpr ErrorText kErrorTexts[] = {
    {kHttpErrorNotInitialized, "The download module has not been started"},
    {kHttpErrorBadAddress, "The address is not a valid https address"},
    {kHttpErrorNoHost, "The server could not be found"},
    {kHttpErrorNoConnection, "No connection to the server could be made"},
    {kHttpErrorRefused, "The server refused the connection"},
    {kHttpErrorUnreachable, "The server could not be reached"},
    {kHttpErrorTimedOut, "The server did not answer in time"},
    {kHttpErrorUntrustedCertificate, "The server's certificate is not trusted"},
    {kHttpErrorSecureConnection, "No secure connection to the server could be made"},
    {kHttpErrorInsecureRedirect, "The server sent the request on to an address that is not secure"},
    {kHttpErrorTooManyRedirects, "The server sent the request on too many times"},
    {kHttpErrorDiskFull, "The disk is full"},
    {kHttpErrorFileNotWritten, "The downloaded file could not be saved"},
    {kHttpErrorBadFileName, "The file to download has no valid name"},
    {kHttpErrorTooLarge, "The file to download is too large"},
    {kHttpErrorInvalidHandle, "The connection is not open"},
    {kHttpErrorBusy, "Another transfer is still running"},
    {kHttpErrorTransferFailed, "The transfer failed"},
    {kHttpErrorConnectionLost, "The connection to the server was lost"},
    {kHttpErrorExtraCaFile, "The extra certificate authority file cannot be read"},
    {kHttpErrorTooManyConnections, "Too many connections are open"},
    {kHttpErrorCancelled, "The download has been canceled"},
    {kHttpErrorNoModule, "The program's download module (libmerivane_http.so) or a library it "
                         "needs is missing; installing the program again restores it"},
};

struct StatusPhrase {
    int status;
    const char* phrase;
};

// The server's own reason phrase is not shown: it is untrusted text (and HTTP/2 has none).
constexpr StatusPhrase kStatusPhrases[] = {
    {201, "Created"},
    {202, "Accepted"},
    {203, "Non-Authoritative Information"},
    {204, "No Content"},
    {205, "Reset Content"},
    {206, "Partial Content"},
    {300, "Multiple Choices"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {304, "Not Modified"},
    {307, "Temporary Redirect"},
    {308, "Permanent Redirect"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {406, "Not Acceptable"},
    {407, "Proxy Authentication Required"},
    {408, "Request Timeout"},
    {410, "Gone"},
    {413, "Content Too Large"},
    {414, "URI Too Long"},
    {416, "Range Not Satisfiable"},
    {429, "Too Many Requests"},
    {451, "Unavailable For Legal Reasons"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Timeout"},
    {505, "HTTP Version Not Supported"},
};

constexpr int kLowestStatus = 100;

} // namespace

bool HttpIsHttpsAddress(const std::string& address) {
    constexpr std::string_view scheme = "https://";
    if (address.size() < scheme.size()) return false;
    return std::equal(scheme.begin(), scheme.end(), address.begin(), [](char a, char b) {
        return a == std::tolower(static_cast<unsigned char>(b));
    });
}

int HttpGetErrorStringA(std::uint32_t code, char* buffer, int bufferSize) {
    if (buffer == nullptr || bufferSize <= 0) return 0;
    buffer[0] = '\0';
    std::string text;
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == code) text = entry.text;
    }
    if (code >= kHttpErrorStatusBase + kLowestStatus &&
        code <= kHttpErrorStatusBase + kHttpHighestStatus) {
        int status = static_cast<int>(code - kHttpErrorStatusBase);
        text = "The server answered " + std::to_string(status);
        for (const StatusPhrase& entry : kStatusPhrases) {
            if (entry.status == status) text += std::string(" ") + entry.phrase;
        }
    }
    if (text.empty()) return 0;
    std::size_t length = std::min(text.size(), static_cast<std::size_t>(bufferSize) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

bool HttpIsNoConnection(std::uint32_t code) {
    return code == kHttpErrorNoHost || code == kHttpErrorNoConnection;
}
