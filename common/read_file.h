#pragma once
#include <cstddef>
#include <string>

enum class FileRead { Missing, Failed, TooLarge, Read };

// The whole of a regular file into content. Never blocks and never reads without bound: a FIFO or
// device under the name is Failed, and past limit bytes reading stops with TooLarge (content then
// holds the first limit bytes).
FileRead readRegularFile(const std::string& path, std::size_t limit, std::string& content);
