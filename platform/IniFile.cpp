#include "platform/IniFile.h"

#include "platform/Files.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <strings.h>

namespace tavlin {

namespace {

std::string_view trim(std::string_view s) {
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
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// One line of the file, without its line end, and where it starts and ends in the text.
struct Line {
    std::string_view text;
    size_t begin;
    size_t end; // after the line end
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && text[j] != '\r' && text[j] != '\n') {
            ++j;
        }
        size_t next = j;
        if (next < text.size() && text[next] == '\r') {
            ++next;
        }
        if (next < text.size() && text[next] == '\n' && (next == j || text[next - 1] == '\r')) {
            ++next;
        }
        lines.push_back({text.substr(i, j - i), i, next});
        i = next;
    }
    return lines;
}

bool sectionHeader(std::string_view line, std::string_view& name) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') {
        return false;
    }
    const size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = trim(line.substr(1, close - 1));
    return true;
}

bool keyLine(std::string_view line, std::string_view& key, std::string_view& value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

// Where a key lives (or would go) in the text.
struct Place {
    bool sectionFound = false;
    bool keyFound = false;
    size_t lineIndex = 0;     // the key's line, or the line after which to insert
};

Place locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Place place;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (sectionHeader(lines[i].text, name)) {
            if (place.sectionFound && inSection) {
                return place; // the section ended without the key
            }
            inSection = sameName(name, section);
            if (inSection) {
                place.sectionFound = true;
                place.lineIndex = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        std::string_view k, v;
        if (keyLine(lines[i].text, k, v)) {
            place.lineIndex = i;
            if (sameName(k, key)) {
                place.keyFound = true;
                return place;
            }
        }
    }
    return place;
}

std::string lineEndOf(std::string_view text) {
    if (text.find("\r\n") != std::string_view::npos) {
        return "\r\n";
    }
    if (text.find('\n') != std::string_view::npos) {
        return "\n";
    }
    return "\r\n";
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::readFrom(const std::string& text, const std::string& section, const std::string& key,
                              const std::string& def) {
    const std::vector<Line> lines = splitLines(text);
    const Place place = locate(lines, trim(section), trim(key));
    if (!place.keyFound) {
        return def;
    }
    std::string_view k, value;
    keyLine(lines[place.lineIndex].text, k, value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

std::string IniFile::writeInto(const std::string& text, const std::string& section, const std::string& key,
                               const std::string& value) {
    const std::vector<Line> lines = splitLines(text);
    const Place place = locate(lines, trim(section), trim(key));
    const std::string eol = lineEndOf(text);
    const std::string entry = key + "=" + value;
    if (place.keyFound) {
        const Line& line = lines[place.lineIndex];
        return text.substr(0, line.begin) + entry + text.substr(line.begin + line.text.size());
    }
    if (place.sectionFound) {
        const Line& after = lines[place.lineIndex];
        const bool hasEnd = after.end > after.begin + after.text.size();
        return text.substr(0, after.end) + (hasEnd ? "" : eol) + entry + eol + text.substr(after.end);
    }
    std::string out = text;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') {
        out += eol;
    }
    if (!out.empty()) {
        out += eol;
    }
    return out + "[" + section + "]" + eol + entry + eol;
}

std::string IniFile::readString(const std::string& section, const std::string& key, const std::string& def) const {
    const std::optional<std::string> text = readWholeFile(path_);
    return text ? readFrom(*text, section, key, def) : def;
}

int IniFile::readInteger(const std::string& section, const std::string& key, int def) const {
    const std::string value = readString(section, key, "");
    if (value.empty()) {
        return def;
    }
    return int(std::strtol(value.c_str(), nullptr, 10));
}

bool IniFile::writeString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string updated = writeInto(readWholeFile(path_).value_or(""), section, key, value);
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (!f) {
        return false;
    }
    const bool written = std::fwrite(updated.data(), 1, updated.size(), f) == updated.size();
    return (std::fclose(f) == 0) && written;
}

} // namespace tavlin
