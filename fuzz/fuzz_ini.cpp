// The settings-file reader and writer over any bytes. The input is
// SECTION \0 KEY \0 VALUE \0 TEXT; missing parts are empty.
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <strings.h>

namespace {

using tavlin::IniFile;

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// Names and values that a settings file can hold on one line and give back unchanged.
bool plainName(std::string_view name, std::string_view forbidden) {
    return !trimmed(name).empty() && trimmed(name) == name &&
           name.find_first_of(forbidden) == std::string_view::npos && name.front() != '[' &&
           name.front() != ';';
}

bool plainValue(std::string_view value) {
    return trimmed(value) == value && value.find_first_of("\r\n") == std::string_view::npos &&
           !(value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
             value.back() == value.front());
}

std::string nextPart(std::string_view& rest) {
    const size_t zero = rest.find('\0');
    const std::string part(rest.substr(0, zero));
    rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string section = nextPart(rest);
    const std::string key = nextPart(rest);
    const std::string value = nextPart(rest);
    const std::string text(rest);
    // Another key, read before and after the write.
    const std::string otherKey = "Other";

    const std::string before = IniFile::readFrom(text, section, otherKey, "\x01none");
    IniFile::readFrom(text, section, key, "default");
    const std::string written = IniFile::writeInto(text, section, key, value);

    if (plainName(section, "\r\n]") && plainName(key, "\r\n=") && plainValue(value)) {
        // What was written reads back, and the other key is as it was.
        if (IniFile::readFrom(written, section, key, "\x01none") != value) {
            __builtin_trap();
        }
        if (!sameName(key, otherKey) && IniFile::readFrom(written, section, otherKey, "\x01none") != before) {
            __builtin_trap();
        }
    }
    return 0;
}
