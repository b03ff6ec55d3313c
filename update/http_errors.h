#pragma once
// The HTTP client's tables: libcurl's results as the client's error codes; the texts and the
// https check are declared with the client (update/http_client.h).
#include <curl/curl.h>

#include <cstdint>

// Statuses above this are reported as this.
constexpr int kHttpHighestStatus = 999;

std::uint32_t httpErrorOfCurl(CURLcode result);
