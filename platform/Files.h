#pragma once
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace tavlin {

// Reads the whole file; nullopt when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& path);
bool fileExists(const std::string& path);      // a regular file (links followed)
bool directoryExists(const std::string& path); // a directory (links followed)

// A 32-bit packed DOS date-time in local time: date in the high word (years since 1980 in bits
// 9-15, month 5-8, day 0-4), time in the low word (hours 11-15, minutes 5-10, seconds/2 0-4).
uint32_t packDosDateTime(std::time_t t);

struct DirEntry {
    std::string name;
    bool isDirectory = false;
    uint32_t lastWrite = 0; // packed DOS date-time
};

// Every entry of a directory except "." and "..", in the case-insensitive order of their names
// (as the Windows file system returns them), so listings are the same on every machine.
// nullopt when the directory cannot be read.
std::optional<std::vector<DirEntry>> listDirectory(const std::string& path);

// Copies the bytes, then the modification time and permission bits. False on any failure.
bool copyFileKeepingTime(const std::string& from, const std::string& to);

// The canonical form of a path (links and ".." resolved) for telling whether two names mean
// the same file; the path as given when it cannot be resolved.
std::string canonicalPath(const std::string& path);
bool isSameFile(const std::string& a, const std::string& b);

// The platform's separator, and the place for temporary files (TEMP, then TMPDIR, then /tmp).
inline constexpr char kPathSeparator = '/';
std::string tempDirectory();
std::string homeDirectory();
std::string joinPath(const std::string& dir, const std::string& name);

} // namespace tavlin
