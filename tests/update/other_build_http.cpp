// A libmerivane_http.so of another build, as an older or newer copy left beside the program
// would be: the real library's routines behind a table of another version or another size.
#include "update/http_client_plugin.h"

#include <dlfcn.h>

extern "C" __attribute__((visibility("default"))) const HttpPluginTable* merivane_http_plugin() {
    static HttpPluginTable table{};
    void* real = dlopen(MERIVANE_HTTP_MODULE, RTLD_NOW | RTLD_LOCAL);
    auto entry = real != nullptr ? reinterpret_cast<HttpPluginEntry>(dlsym(real, kHttpPluginEntry))
                                 : nullptr;
    if (entry == nullptr) return nullptr;
    table = *entry();
    table.version += MERIVANE_VERSION_STEP;
    table.size += MERIVANE_SIZE_STEP;
    return &table;
}
