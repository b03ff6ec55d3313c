#include "update/http_curl_errors.h"

#include "update/http_client.h"

#include <cerrno>

std::uint32_t httpErrorOfCurl(CURLcode result) {
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return kHttpErrorNoHost;
    case CURLE_COULDNT_CONNECT:
        return kHttpErrorNoConnection;
    case CURLE_OPERATION_TIMEDOUT:
        return kHttpErrorTimedOut;
    case CURLE_PEER_FAILED_VERIFICATION:
        return kHttpErrorUntrustedCertificate;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
        return kHttpErrorSecureConnection;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return kHttpErrorInsecureRedirect;
    case CURLE_TOO_MANY_REDIRECTS:
        return kHttpErrorTooManyRedirects;
    case CURLE_FILESIZE_EXCEEDED:
        return kHttpErrorTooLarge;
    case CURLE_URL_MALFORMAT:
        return kHttpErrorBadAddress;
    case CURLE_PARTIAL_FILE:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_WEIRD_SERVER_REPLY:
        return kHttpErrorConnectionLost;
    default:
        return kHttpErrorTransferFailed;
    }
}

// A server that refuses or cannot be reached is no missing connection; the system's reason for
// the failed connect tells them apart.
std::uint32_t connectErrorOf(CURL* curl) {
    long reason = 0;
    curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &reason);
    if (reason == ECONNREFUSED) return kHttpErrorRefused;
    if (reason == EHOSTUNREACH || reason == ETIMEDOUT) return kHttpErrorUnreachable;
    return kHttpErrorNoConnection;
}
