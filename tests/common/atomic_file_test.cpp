#include "common/atomic_file.h"
#include "support/test_files.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern "C" char merivaneSyncEvents[];
extern "C" int merivaneSyncFailure;

namespace {

std::vector<std::string> madeFolders;

void removeMadeFolders() {
    std::error_code ignored;
    for (const std::string& folder : madeFolders)
        std::filesystem::remove_all(folder, ignored);
}

// A folder of its own for each test, removed when the test program ends.
std::string makeFolder() {
    std::string folder = testing::TempDir() + "atomic-XXXXXX";
    if (!mkdtemp(folder.data())) return "";
    if (madeFolders.empty()) std::atexit(removeMadeFolders);
    madeFolders.push_back(folder);
    return folder + "/";
}

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    DIR* listing = opendir(folder.c_str());
    while (const dirent* entry = listing ? readdir(listing) : nullptr) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
    }
    if (listing) closedir(listing);
    return names;
}

void writePlain(const std::string& path, const std::string& text, mode_t mode) {
    std::ofstream(path, std::ios::binary) << text;
    chmod(path.c_str(), mode);
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(AtomicFile, ReplacesWholeAndKeepsTheOldPermissions) {
    const std::string folder = makeFolder();
    const std::string longName(250, 'n');
    for (const std::string& name : {std::string("plain.pdf"), longName}) {
        const std::string target = folder + name;
        writePlain(target, "old", 0640);
        std::string error;
        ASSERT_TRUE(replaceFileAtomically(target, "new content", error)) << error;
        EXPECT_EQ(readText(target), "new content");
        EXPECT_EQ(modeOf(target), 0640u);
        // A file that does not exist yet gets the mask's usual permissions.
        unlink(target.c_str());
        const mode_t mask = umask(022);
        ASSERT_TRUE(replaceFileAtomically(target, "fresh", error)) << error;
        umask(mask);
        EXPECT_EQ(readText(target), "fresh");
        EXPECT_EQ(modeOf(target), 0644u);
        EXPECT_EQ(namesIn(folder), std::set<std::string>{name});
        unlink(target.c_str());
    }
}

// Run by root, a replaced file keeps its owner.
TEST(AtomicFile, ReplacedFilesKeepTheirOwner) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to somebody else";
    const std::string folder = makeFolder();
    const std::string target = folder + "theirs.ini";
    writePlain(target, "old", 0644);
    ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
    std::string error;
    ASSERT_TRUE(replaceFileAtomically(target, "new", error)) << error;
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(readText(target), "new");
}

// Nothing but a writable regular file is ever replaced; the refusal leaves everything as it was.
TEST(AtomicFile, RefusesTargetsThatAreNotWritableRegularFiles) {
    const std::string folder = makeFolder();
    ASSERT_EQ(mkfifo((folder + "fifo").c_str(), 0644), 0);
    ASSERT_EQ(mkdir((folder + "folder").c_str(), 0755), 0);
    writePlain(folder + "read-only", "keep", 0444);
    ASSERT_EQ(symlink("nowhere", (folder + "dangling").c_str()), 0);
    const std::set<std::string> before = namesIn(folder);
    const struct {
        std::string target;
        const char* reason;
    } cases[] = {
        {folder + "fifo", "it is not a regular file"},
        {"/dev/null", "it is not a regular file"},
        {folder + "folder", "it is a folder"},
        {folder + "read-only", "it is read-only"},
        {folder + "dangling", "it is a symbolic link to nothing"},
        {folder + "missing/file", "the folder does not exist"},
        {folder, "it is not a file name"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(replaceFileAtomically(c.target, "new", error)) << c.target;
        EXPECT_EQ(error, c.reason) << c.target;
    }
    EXPECT_EQ(readText(folder + "read-only"), "keep");
    EXPECT_EQ(namesIn(folder), before);
}

// A link as the target stays a link: the file it names gets the new content.
TEST(AtomicFile, FollowsALinkTargetToItsFile) {
    const std::string folder = makeFolder();
    writePlain(folder + "real.ini", "old", 0600);
    ASSERT_EQ(symlink("real.ini", (folder + "link.ini").c_str()), 0);
    std::string error;
    ASSERT_TRUE(replaceFileAtomically(folder + "link.ini", "new", error)) << error;
    struct stat info {};
    ASSERT_EQ(lstat((folder + "link.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(readText(folder + "real.ini"), "new");
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"link.ini", "real.ini"}));
}

TEST(AtomicFile, AbandonedOrFailedWritesLeaveTheOldFileAndNoTemporary) {
    const std::string folder = makeFolder();
    const std::string target = folder + "calendar.pdf";
    writePlain(target, "old", 0644);
    AtomicFile file{};
    std::string error;
    ASSERT_TRUE(beginAtomicFile(file, target, error)) << error;
    ASSERT_TRUE(writeAtomicFile(file, "partial", 7, error)) << error;
    abandonAtomicFile(file);
    EXPECT_EQ(file.descriptor, -1);
    EXPECT_EQ(readText(target), "old");
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"calendar.pdf"});
    // A descriptor that fails to take data fails the write, and the file is dropped at once.
    ASSERT_TRUE(beginAtomicFile(file, target, error)) << error;
    const int readOnly = open("/dev/null", O_RDONLY);
    ASSERT_GE(readOnly, 0);
    dup2(readOnly, file.descriptor);
    close(readOnly);
    EXPECT_FALSE(writeAtomicFile(file, "x", 1, error));
    EXPECT_EQ(file.descriptor, -1);
    EXPECT_FALSE(commitAtomicFile(file, error));
    EXPECT_EQ(readText(target), "old");
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"calendar.pdf"});
}

// Until the commit the target keeps its old content, and the new one has at most a short name
// of the program's own beside it, however long the target's name.
TEST(AtomicFile, NewContentStaysOutOfSightUntilCommitted) {
    const std::string folder = makeFolder();
    const std::string name = std::string(255, 'l');
    writePlain(folder + name, "old", 0644);
    AtomicFile file{};
    std::string error;
    ASSERT_TRUE(beginAtomicFile(file, folder + name, error)) << error;
    ASSERT_TRUE(writeAtomicFile(file, "new", 3, error)) << error;
    EXPECT_EQ(readText(folder + name), "old");
    std::set<std::string> others = namesIn(folder);
    others.erase(name);
    EXPECT_LE(others.size(), 1u);
    for (const std::string& other : others) {
        EXPECT_EQ(other.rfind(kTemporaryFilePrefix, 0), 0u) << other;
        EXPECT_EQ(other.size(), kTemporaryFilePrefix.size() + 6) << other;
    }
    ASSERT_TRUE(commitAtomicFile(file, error)) << error;
    EXPECT_EQ(readText(folder + name), "new");
    EXPECT_EQ(namesIn(folder), std::set<std::string>{name});
}

// The data reach the disk before the file takes its name, and a disk that cannot keep them
// fails the save, leaving the old file and nothing else (tests/support/sync_shim.c watches).
TEST(AtomicFile, DataReachTheDiskBeforeTheNameAndAFailedSyncFailsTheSave) {
    const std::string folder = makeFolder();
    writePlain(folder + "old.pdf", "old", 0644);
    for (const std::string name : {"new.pdf", "old.pdf"}) {
        merivaneSyncEvents[0] = '\0';
        std::string error;
        ASSERT_TRUE(replaceFileAtomically(folder + name, "new", error)) << error;
        EXPECT_EQ(std::string(merivaneSyncEvents).substr(0, 2), "sn") << name;
    }
    merivaneSyncFailure = EIO;
    std::string error;
    EXPECT_FALSE(replaceFileAtomically(folder + "old.pdf", "newer", error));
    merivaneSyncFailure = 0;
    EXPECT_EQ(error, "the disk reported an input/output error");
    EXPECT_EQ(readText(folder + "old.pdf"), "new");
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"new.pdf", "old.pdf"}));
}

TEST(AtomicFile, StartUpRemovesOnlyItsOwnLeftovers) {
    const std::string folder = makeFolder();
    const std::string own = std::string(kTemporaryFilePrefix) + "a1B2c3";
    const std::string ownLink = std::string(kTemporaryFilePrefix) + "linked";
    const std::string longer = std::string(kTemporaryFilePrefix) + "a1B2c3d";
    writePlain(folder + own, "left over", 0600);
    writePlain(folder + longer, "user's", 0600);
    writePlain(folder + "notes.txt", "user's", 0600);
    ASSERT_EQ(symlink("notes.txt", (folder + ownLink).c_str()), 0);
    EXPECT_EQ(removeLeftoverTemporaryFiles(folder), 1);
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{longer, ownLink, "notes.txt"}));
    EXPECT_EQ(readText(folder + "notes.txt"), "user's");
}

TEST(AtomicFile, ReasonsAreInPlainWords) {
    EXPECT_EQ(fileErrorText(ENOSPC), "the disk is full");
    EXPECT_EQ(fileErrorText(EDQUOT), "the disk is full");
    EXPECT_EQ(fileErrorText(EACCES), "permission denied");
    EXPECT_EQ(fileErrorText(EROFS), "the disk is read-only");
}

} // namespace
