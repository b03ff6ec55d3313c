#pragma once
// Whole files as bytes: reading back what the program wrote, planting what it reads.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The file's bytes; "" when it cannot be read.
inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
