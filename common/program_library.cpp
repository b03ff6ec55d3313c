#include "common/program_library.h"

#include "common/owned_folder.h"

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// True when the file at path is a regular file of root's or the user's that no one else may
// write, holding everything the loader maps: an ELF header of this machine's class, its
// program headers, and every loaded segment's bytes. A library cut short (a copy on a full
// disk) would otherwise be mapped past its end and stop the program with SIGBUS.
bool isWholeLibrary(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    ElfW(Ehdr) header{};
    const bool readable = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                          (status.st_uid == 0 || status.st_uid == getuid()) &&
                          (status.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
                          pread(fd, &header, sizeof header, 0) == sizeof header;
    const auto size = static_cast<std::uint64_t>(readable ? status.st_size : 0);
    bool whole = readable && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
                 header.e_ident[EI_CLASS] == (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) &&
                 header.e_phentsize == sizeof(ElfW(Phdr)) && header.e_phoff <= size &&
                 header.e_phnum <= (size - header.e_phoff) / sizeof(ElfW(Phdr));
    for (std::size_t index = 0; whole && index < header.e_phnum; ++index) {
        ElfW(Phdr) segment{};
        const auto at = static_cast<off_t>(header.e_phoff + index * sizeof segment);
        whole = pread(fd, &segment, sizeof segment, at) == sizeof segment &&
                (segment.p_type != PT_LOAD ||
                 (segment.p_offset <= size && segment.p_filesz <= size - segment.p_offset));
    }
    close(fd);
    return whole;
}

} // namespace

std::string executableFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return "";
    const std::string text(path, static_cast<std::size_t>(length));
    return text.substr(0, text.rfind('/') + 1);
}

std::vector<std::string> programLibraryPlaces(const std::string& executableFolder,
                                              const std::string& installedFolder,
                                              const std::string& name) {
    if (executableFolder.empty()) return {};
    std::vector<std::string> places = {executableFolder + name};
    const std::string installed = installedFolderFor(executableFolder, installedFolder);
    if (!installed.empty()) places.push_back(installed + name);
    return places;
}

void* openProgramLibrary(const std::string& path) {
    if (path.empty() || path.front() != '/' || !isWholeLibrary(path)) return nullptr;
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
