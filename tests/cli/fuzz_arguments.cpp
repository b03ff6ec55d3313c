// libFuzzer entry for merivane-cli's arguments: the input's NUL-separated pieces are the
// arguments after the program name. Every run ends with status 0, 1 or 2; a status of 2 prints
// exactly one line on standard error and leaves no file behind. Inputs naming a path with "/"
// are skipped, so the program only ever writes into a scratch folder of its own.
#define main merivaneCliMain
#include "cli/main.cpp"
#undef main

#include "support/fuzz_scratch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMostArguments = 16;

std::string scratchFolder;
std::string errorLog;

bool isEmptyFolder(const std::string& folder) {
    std::error_code error;
    return fs::is_empty(folder, error);
}

void emptyFolder(const std::string& folder) {
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored))
        fs::remove_all(entry.path(), ignored);
}

[[noreturn]] void fail(const char* what, const std::vector<std::string>& arguments) {
    std::fprintf(stderr, "%s:", what);
    for (const std::string& argument : arguments)
        std::fprintf(stderr, " '%s'", argument.c_str());
    std::fprintf(stderr, "\n");
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratchFolder = fuzzScratchFolder("cli");
    errorLog = scratchFolder + "/stderr";
    fs::create_directory(scratchFolder + "/work");
    if (chdir((scratchFolder + "/work").c_str()) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.find('/') != std::string_view::npos) return 0;
    std::vector<std::string> arguments = {"merivane-cli"};
    std::size_t start = 0;
    while (start <= input.size() && arguments.size() <= kMostArguments) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        arguments.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    if (size == 0) arguments.pop_back();
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The program's own output goes nowhere; its messages are kept to be counted.
    std::fflush(stdout);
    const int savedOut = dup(STDOUT_FILENO), savedErr = dup(STDERR_FILENO);
    const int nothing = open("/dev/null", O_WRONLY);
    const int log = open(errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(nothing, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    const int status = merivaneCliMain(static_cast<int>(arguments.size()), argv.data());
    std::fflush(stdout);
    dup2(savedOut, STDOUT_FILENO);
    dup2(savedErr, STDERR_FILENO);
    for (int descriptor : {savedOut, savedErr, nothing, log})
        close(descriptor);

    std::ifstream in(errorLog, std::ios::binary);
    const std::string messages((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    const std::string work = scratchFolder + "/work";
    if (status != 0 && status != 1 && status != 2) fail("an unknown status", arguments);
    if (status == 2) {
        if (std::count(messages.begin(), messages.end(), '\n') != 1 ||
            messages.rfind("merivane-cli: ", 0) != 0)
            fail("status 2 without exactly one message line", arguments);
        if (!isEmptyFolder(work)) fail("status 2 left a file", arguments);
    }
    emptyFolder(work);
    return 0;
}
