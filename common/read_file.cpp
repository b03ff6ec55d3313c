#include "common/read_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileRead readRegularFile(const std::string& path, std::size_t limit, std::string& content) {
    content.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : FileRead::Failed;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return FileRead::Failed;
    }
    char buffer[8192];
    FileRead result = FileRead::Read;
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) result = FileRead::Failed;
        if (got <= 0) break;
        const std::size_t room = limit - content.size();
        content.append(buffer, std::min(room, static_cast<std::size_t>(got)));
        if (static_cast<std::size_t>(got) > room) {
            result = FileRead::TooLarge;
            break;
        }
    }
    close(fd);
    return result;
}
