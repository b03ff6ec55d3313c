#pragma once
// libcurl's failures as the HTTP client's error codes (update/http_client.h); part of the
// client's library, which alone links libcurl.
#include <cstdint>
#include <curl/curl.h>

// libcurl's result as the client's error code.
std::uint32_t httpErrorOfCurl(CURLcode result);
// A failed connect as the client's error code: refused, unreachable or no connection at all.
std::uint32_t connectErrorOf(CURL* curl);
