#pragma once
// Runs a shell command from a test and reads what it writes.
#include <cstdio>
#include <string>

// What the command writes to standard output; "" when it cannot be started. failed, when given,
// is set when the command could not be started or ended with a status other than 0.
inline std::string commandOutput(const std::string& command, bool* failed = nullptr) {
    std::string output;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (failed != nullptr) *failed = true;
    if (pipe == nullptr) return output;
    char buffer[4096];
    for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    const int status = pclose(pipe);
    if (failed != nullptr) *failed = status != 0;
    return output;
}
