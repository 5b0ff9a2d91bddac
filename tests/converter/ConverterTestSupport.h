#pragma once
#include "app/convert/Bookmark.h"
#include "platform/Files.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tavlin::test {

namespace fs = std::filesystem;

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
}

inline std::string readBytes(const std::string& path) {
    return readWholeFile(path).value_or("<missing>");
}

// Lines joined with the listing's CR LF, each one ended.
inline std::string crlfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// Every file under a folder with its bytes, so a conversion can be shown to leave the source alone.
inline std::string snapshot(const std::string& path) {
    std::string all;
    if (fs::is_regular_file(path)) {
        return readBytes(path);
    }
    for (const auto& e : fs::recursive_directory_iterator(path, fs::directory_options::none)) {
        all += e.path().string() + "\n";
        if (e.is_regular_file() && !e.is_symlink()) {
            all += readBytes(e.path().string()) + "\n";
        }
    }
    return all;
}

// Runs Convert and checks that the source came through unchanged.
inline ConvertStatus convertChecked(const std::string& source, const std::string& output,
                                    uint8_t sortMode = 0, const std::string& title = "My Links",
                                    const std::string& openTags = "", const std::string& closeTags = "") {
    const std::string before = fs::exists(source) ? snapshot(source) : "";
    const ConvertStatus status = Convert(source, output, sortMode, title, openTags, closeTags);
    EXPECT_EQ(fs::exists(source) ? snapshot(source) : "", before) << "the source changed: " << source;
    return status;
}

} // namespace tavlin::test
