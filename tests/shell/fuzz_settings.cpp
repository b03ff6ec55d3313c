// libFuzzer entry for the settings store. The input is a section, a key and a value, each ended
// by a NUL, then the settings file's content. Reading never fails; a write either leaves the
// file byte for byte as it was, or reads back as what was written while every other entry reads
// as before.
#include "common/text.h"
#include "program/settings.h"
#include "support/fuzz_scratch.h"
#include "support/test_files.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Names stay well inside the store's limits, where both operations cut them alike.
constexpr std::size_t kLongestName = 64;
constexpr std::size_t kValueLimit = 999;
constexpr std::size_t kMostEntriesChecked = 64;
constexpr const char* kMissing = "\x01(missing)";

const std::string& settingsPath() {
    static const std::string path = fuzzScratchFolder("settings") + "/Zarn.ini";
    return path;
}

std::string nextField(std::string_view& input) {
    const std::size_t end = input.find('\0');
    const std::string field(input.substr(0, end));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return field.substr(0, kLongestName);
}

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Section and key names the file mentions, found without the store's own parser.
std::vector<std::pair<std::string, std::string>> mentionedEntries(const std::string& content) {
    std::vector<std::string> sections, keys;
    for (const std::string& line : splitText(content, '\n')) {
        const std::string trimmed = trimBlanks(line, " \t\r");
        if (!trimmed.empty() && trimmed[0] == '[')
            sections.push_back(trimmed.substr(1, trimmed.find(']') - 1));
        else if (trimmed.find('=') != std::string::npos)
            keys.push_back(trimmed.substr(0, trimmed.find('=')));
    }
    std::vector<std::pair<std::string, std::string>> entries;
    for (const std::string& section : sections)
        for (const std::string& key : keys)
            if (entries.size() < kMostEntriesChecked)
                entries.emplace_back(section.substr(0, kLongestName), key.substr(0, kLongestName));
    return entries;
}

[[noreturn]] void fail(const char* what, const std::string& section, const std::string& key) {
    std::fprintf(stderr, "%s: [%s] %s\n", what, section.c_str(), key.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string section = nextField(input);
    const std::string key = nextField(input);
    const std::string value = nextField(input);
    const std::string content(input);
    const std::string& path = settingsPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    const auto entries = mentionedEntries(content);
    std::vector<std::string> before;
    for (const auto& [entrySection, entryKey] : entries)
        before.push_back(ReadSetting(path, entrySection, entryKey, kMissing));

    if (!WriteSetting(path, section, key, value)) {
        if (readText(path) != content) fail("a refused write changed the file", section, key);
        return 0;
    }
    const std::string expected = trimBlanks(trimBlanks(value).substr(0, kValueLimit));
    if (ReadSetting(path, section, key, kMissing) != expected)
        fail("the written value does not read back", section, key);
    const std::string writtenSection = lowered(trimBlanks(section));
    const std::string writtenKey = lowered(trimBlanks(key));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [entrySection, entryKey] = entries[i];
        if (lowered(trimBlanks(entrySection)) == writtenSection &&
            lowered(trimBlanks(entryKey)) == writtenKey)
            continue;
        if (ReadSetting(path, entrySection, entryKey, kMissing) != before[i])
            fail("another entry changed", entrySection, entryKey);
    }
    return 0;
}
