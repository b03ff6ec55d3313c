#include "update/http_errors.h"
#include "common/translate.h"

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
    {kHttpErrorNotInitialized, N_("The download module has not been started")},
    {kHttpErrorBadAddress, N_("The address is not a valid https address")},
    {kHttpErrorNoHost, N_("The server could not be found")},
    {kHttpErrorNoConnection, N_("No connection to the server could be made")},
    {kHttpErrorRefused, N_("The server refused the connection")},
    {kHttpErrorUnreachable, N_("The server could not be reached")},
    {kHttpErrorTimedOut, N_("The server did not answer in time")},
    {kHttpErrorUntrustedCertificate, N_("The server's certificate is not trusted")},
    {kHttpErrorSecureConnection, N_("No secure connection to the server could be made")},
    {kHttpErrorInsecureRedirect,
     N_("The server sent the request on to an address that is not secure")},
    {kHttpErrorTooManyRedirects, N_("The server sent the request on too many times")},
    {kHttpErrorDiskFull, N_("The disk is full")},
    {kHttpErrorFileNotWritten, N_("The downloaded file could not be saved")},
    {kHttpErrorBadFileName, N_("The file to download has no valid name")},
    {kHttpErrorTooLarge, N_("The file to download is too large")},
    {kHttpErrorInvalidHandle, N_("The connection is not open")},
    {kHttpErrorBusy, N_("Another transfer is still running")},
    {kHttpErrorTransferFailed, N_("The transfer failed")},
    {kHttpErrorConnectionLost, N_("The connection to the server was lost")},
    {kHttpErrorExtraCaFile, N_("The extra certificate authority file cannot be read")},
    {kHttpErrorTooManyConnections, N_("Too many connections are open")},
    {kHttpErrorCancelled, N_("The download has been canceled")},
    {kHttpErrorNoModule, N_("The program's download module (libmerivane_http.so) or a library it "
                            "needs is missing; installing the program again restores it")},
};

struct StatusPhrase {
    int status;
    const char* phrase;
};

// The server's own reason phrase is not shown: it is untrusted text (and HTTP/2 has none).
constexpr StatusPhrase kStatusPhrases[] = {
    {201, N_("Created")},
    {202, N_("Accepted")},
    {203, N_("Non-Authoritative Information")},
    {204, N_("No Content")},
    {205, N_("Reset Content")},
    {206, N_("Partial Content")},
    {300, N_("Multiple Choices")},
    {301, N_("Moved Permanently")},
    {302, N_("Found")},
    {303, N_("See Other")},
    {304, N_("Not Modified")},
    {307, N_("Temporary Redirect")},
    {308, N_("Permanent Redirect")},
    {400, N_("Bad Request")},
    {401, N_("Unauthorized")},
    {403, N_("Forbidden")},
    {404, N_("Not Found")},
    {405, N_("Method Not Allowed")},
    {406, N_("Not Acceptable")},
    {407, N_("Proxy Authentication Required")},
    {408, N_("Request Timeout")},
    {410, N_("Gone")},
    {413, N_("Content Too Large")},
    {414, N_("URI Too Long")},
    {416, N_("Range Not Satisfiable")},
    {429, N_("Too Many Requests")},
    {451, N_("Unavailable For Legal Reasons")},
    {500, N_("Internal Server Error")},
    {501, N_("Not Implemented")},
    {502, N_("Bad Gateway")},
    {503, N_("Service Unavailable")},
    {504, N_("Gateway Timeout")},
    {505, N_("HTTP Version Not Supported")},
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
        if (entry.code == code) text = translate(entry.text);
    }
    if (code >= kHttpErrorStatusBase + kLowestStatus &&
        code <= kHttpErrorStatusBase + kHttpHighestStatus) {
        int status = static_cast<int>(code - kHttpErrorStatusBase);
        text = fillIn(translate("The server answered %1"), {std::to_string(status)});
        for (const StatusPhrase& entry : kStatusPhrases) {
            if (entry.status == status)
                text = fillIn(translate("The server answered %1 %2"),
                              {std::to_string(status), translate(entry.phrase)});
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
