#include "platform/Files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlin {

std::optional<std::string> readWholeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        return std::nullopt;
    }
    std::string data;
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        data.append(buffer, n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        return std::nullopt;
    }
    return data;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

uint32_t packDosDateTime(std::time_t t) {
    std::tm local{};
    if (!localtime_r(&t, &local) || local.tm_year < 80) {
        return (0u << 25) | (1u << 21) | (1u << 16); // 1980-01-01 00:00:00, the earliest DOS time
    }
    const uint32_t year = uint32_t(std::min(local.tm_year - 80, 127));
    const uint32_t date = (year << 9) | (uint32_t(local.tm_mon + 1) << 5) | uint32_t(local.tm_mday);
    const uint32_t time =
        (uint32_t(local.tm_hour) << 11) | (uint32_t(local.tm_min) << 5) | uint32_t(std::min(local.tm_sec, 59) / 2);
    return (date << 16) | time;
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty() || dir.back() == kPathSeparator) {
        return dir + name;
    }
    return dir + kPathSeparator + name;
}

std::optional<std::vector<DirEntry>> listDirectory(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir) {
        return std::nullopt;
    }
    std::vector<DirEntry> entries;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        DirEntry entry;
        entry.name = name;
        struct stat st {};
        if (::stat(joinPath(path, name).c_str(), &st) == 0) {
            entry.isDirectory = S_ISDIR(st.st_mode);
            entry.lastWrite = packDosDateTime(st.st_mtime);
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) {
        const int c = strcasecmp(a.name.c_str(), b.name.c_str());
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return entries;
}

bool copyFileKeepingTime(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    std::FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) {
        return false;
    }
    std::FILE* out = std::fopen(to.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    char buffer[65536];
    size_t n = 0;
    bool ok = true;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        ok = std::fwrite(buffer, 1, n, out) == n;
    }
    ok = ok && !std::ferror(in);
    std::fclose(in);
    ok = (std::fclose(out) == 0) && ok;
    if (!ok) {
        return false;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, to.c_str(), times, 0);
    ::chmod(to.c_str(), st.st_mode & 07777);
    return true;
}

std::string canonicalPath(const std::string& path) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string result = resolved;
        std::free(resolved);
        return result;
    }
    // A file that does not exist yet: resolve its folder and keep the name.
    const size_t slash = path.rfind(kPathSeparator);
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (char* resolved = ::realpath(dir.c_str(), nullptr)) {
        std::string result = joinPath(resolved, name);
        std::free(resolved);
        return result;
    }
    return path;
}

bool isSameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }
    return canonicalPath(a) == canonicalPath(b);
}

std::string tempDirectory() {
    for (const char* var : {"TEMP", "TMPDIR"}) {
        const char* value = std::getenv(var);
        if (value && *value) {
            std::string dir = value;
            while (dir.size() > 1 && dir.back() == kPathSeparator) {
                dir.pop_back();
            }
            return dir;
        }
    }
    return "/tmp";
}

std::string homeDirectory() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

} // namespace tavlin
