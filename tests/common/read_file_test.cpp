#include "common/read_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every kind of thing that can stand under a name the program reads, and what reading it gives.
// A FIFO must come back at once: opening one for reading would otherwise wait for a writer.
TEST(ReadRegularFile, GivesWholeFilesOnlyAndNeverBlocks) {
    std::string folder = testing::TempDir() + "read-XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    folder += "/";
    std::ofstream(folder + "ten", std::ios::binary) << "0123456789";
    std::ofstream(folder + "eleven", std::ios::binary) << "0123456789A";
    std::ofstream(folder + "empty", std::ios::binary);
    ASSERT_EQ(mkfifo((folder + "fifo").c_str(), 0600), 0);
    ASSERT_EQ(mkdir((folder + "folder").c_str(), 0700), 0);
    ASSERT_EQ(symlink("ten", (folder + "link").c_str()), 0);

    struct Case {
        const char* name;
        FileRead result;
        const char* content;
    };
    const Case cases[] = {
        {"ten", FileRead::Read, "0123456789"}, {"eleven", FileRead::TooLarge, "0123456789"},
        {"empty", FileRead::Read, ""},         {"missing", FileRead::Missing, ""},
        {"ten/below", FileRead::Missing, ""},  {"fifo", FileRead::Failed, ""},
        {"folder", FileRead::Failed, ""},      {"link", FileRead::Read, "0123456789"},
    };
    for (const Case& c : cases) {
        std::string content = "left over";
        EXPECT_EQ(readRegularFile(folder + c.name, 10, content), c.result) << c.name;
        EXPECT_EQ(content, c.content) << c.name;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace
