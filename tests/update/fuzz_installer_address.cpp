// libFuzzer entry for the installer's address from the version file: an address is split only
// into an https host, a resource path that starts with "/" and together with the host makes the
// whole address, and a file name of the program's folder that is none of its own files.
#include "update/installer_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kLongestPart = 259;

[[noreturn]] void fail(const char* what, const std::string& address) {
    std::fprintf(stderr, "%s: \"%s\"\n", what, address.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string address(reinterpret_cast<const char*>(data), size);
    InstallerAddress parts;
    std::string reason;
    if (!splitInstallerAddress(address, parts, reason)) {
        if (reason.empty()) fail("a refusal without a reason", address);
        return 0;
    }
    if (parts.host + parts.resource != address) fail("the pieces are not the address", address);
    if (parts.host.size() < 8 || parts.host.find('/', 8) != std::string::npos)
        fail("the host holds a path", address);
    if (parts.resource.empty() || parts.resource[0] != '/') fail("a relative resource", address);
    if (parts.host.size() > kLongestPart || parts.resource.size() > kLongestPart)
        fail("a piece does not fit its buffer", address);
    const std::string& name = parts.fileName;
    if (name.empty() || name.size() > kLongestPart || name[0] == '.' ||
        name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        fail("a file name that leaves the folder or hides", address);
    if (!isInstallerFileName(name) || name == "Zarn.ini" || name.rfind("merivane", 0) == 0)
        fail("a name of the program's own files", address);
    return 0;
}
