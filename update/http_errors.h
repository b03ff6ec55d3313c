#pragma once
// The HTTP client's tables: the texts and the https check are declared with the client
// (update/http_client.h).

// Statuses above this are reported as this.
constexpr int kHttpHighestStatus = 999;
