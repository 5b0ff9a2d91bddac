#pragma once
#include <string>
#include <vector>

namespace tavlin {

// A settings file read and written as the Windows profile functions do: section and key names
// match without regard to case, values are trimmed (and lose one pair of surrounding quotes),
// a missing file, section or key gives the default, and writing one key keeps every other line.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }
    std::string readString(const std::string& section, const std::string& key, const std::string& def) const;
    int readInteger(const std::string& section, const std::string& key, int def) const;
    // Writes key=value into the section, creating file and section as needed. False when the
    // file cannot be written.
    bool writeString(const std::string& section, const std::string& key, const std::string& value);

    // The same semantics over text in memory, for callers (and fuzzing) without a file.
    static std::string readFrom(const std::string& text, const std::string& section, const std::string& key,
                                const std::string& def);
    static std::string writeInto(const std::string& text, const std::string& section, const std::string& key,
                                 const std::string& value);

private:
    std::string path_;
};

} // namespace tavlin
