#pragma once
// The HTTP client's transfers live in a library of their own, libmerivane_http.so, which brings
// libcurl and what it needs (TLS, name lookups) into the process only when a transfer is made.
// The program loads it on the first connection (update/http_client.cpp) and calls it through
// this table. Both sides are built together; the version and size guard against a library of
// another build.
#include "update/http_client.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Raised whenever the table or what its routines mean changes.
constexpr int kHttpPluginVersion = 1;

// The routines of update/http_client.h that need libcurl, as declared there.
struct HttpPluginTable {
    int version;
    std::size_t size; // sizeof(HttpPluginTable) of the library's build
    int (*initialize)();
    void (*uninitialize)();
    int (*connect)(const std::string& address, int port, int timeoutSeconds);
    int (*getText)(int handle, const std::string& resourcePath, char* buffer, int bufferSize);
    int (*getFile)(int handle, const std::string& localPath, const std::string& resourcePath);
    int (*disconnect)(int handle);
    int (*registerEvent)(int handle, std::uint32_t eventMask, HttpEventCallback callback,
                         int userValue);
    int (*getTransferStatus)(int handle, HttpTransferStatus& status);
    void (*cancel)(int handle);
    std::uint32_t (*lastError)();
    void (*setEventPump)(HttpEventPump pump);
    void (*setTestLimits)(int stallSeconds, std::uint64_t maxDownloadBytes);
};

// The library's one exported symbol: its table, which lives as long as the library.
constexpr const char* kHttpPluginEntry = "merivane_http_plugin";
using HttpPluginEntry = const HttpPluginTable* (*)();
extern "C" const HttpPluginTable* merivane_http_plugin();
