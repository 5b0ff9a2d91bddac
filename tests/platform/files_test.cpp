#include "platform/Files.h"
#include "platform/IniFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace tavlin {
namespace {

namespace fs = std::filesystem;

using test::TempDir;
using test::localTime;

void writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TEST(Files, DosDateTimePacksLocalTime) {
    const uint32_t packed = packDosDateTime(localTime(2024, 3, 15, 13, 45, 31));
    EXPECT_EQ(packed >> 25, 44u);          // years since 1980
    EXPECT_EQ((packed >> 21) & 0xF, 3u);   // month
    EXPECT_EQ((packed >> 16) & 0x1F, 15u); // day
    EXPECT_EQ((packed >> 11) & 0x1F, 13u);
    EXPECT_EQ((packed >> 5) & 0x3F, 45u);
    EXPECT_EQ(packed & 0x1F, 15u); // seconds halved
    // Before 1980 there is no DOS time: the earliest one stands in.
    EXPECT_EQ(packDosDateTime(localTime(1975, 1, 1, 0, 0, 0)), (1u << 21) | (1u << 16));
}

TEST(Files, DirectoryListingIsInCaseInsensitiveOrderWithTimes) {
    TempDir dir;
    for (const char* name : {"beta.url", "Alpha.url", "gamma", "ALPHA2.url"}) {
        writeFile(dir.file(name), "x");
    }
    fs::create_directory(dir.file("Delta"));
    const std::time_t when = localTime(2021, 7, 4, 10, 20, 30);
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, dir.file("beta.url").c_str(), times, 0);

    const auto entries = listDirectory(dir.path());
    ASSERT_TRUE(entries.has_value());
    std::vector<std::string> names;
    for (const DirEntry& e : *entries) {
        names.push_back(e.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha.url", "ALPHA2.url", "beta.url", "Delta", "gamma"}));
    EXPECT_TRUE((*entries)[3].isDirectory);
    EXPECT_EQ((*entries)[2].lastWrite, packDosDateTime(when));
    EXPECT_FALSE(listDirectory(dir.file("missing")).has_value());
}

TEST(Files, CopyKeepsBytesTimeAndPermissions) {
    TempDir dir;
    const std::string source = dir.file("listing.htm");
    std::string bytes(200000, 'x');
    bytes[7] = '\0';
    writeFile(source, bytes);
    ::chmod(source.c_str(), 0640);
    const std::time_t when = localTime(2019, 1, 2, 3, 4, 6);
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);

    const std::string copy = dir.file("copy.htm");
    ASSERT_TRUE(copyFileKeepingTime(source, copy));
    EXPECT_EQ(readWholeFile(copy), bytes);
    struct stat st {};
    ::stat(copy.c_str(), &st);
    EXPECT_EQ(st.st_mtime, when);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_FALSE(copyFileKeepingTime(dir.file("nothing"), dir.file("other")));
    EXPECT_FALSE(fileExists(dir.file("other")));
}

TEST(Files, SameFileSeesThroughLinksAndDotDot) {
    TempDir dir;
    writeFile(dir.file("a.htm"), "x");
    fs::create_directory(dir.file("sub"));
    fs::create_symlink(dir.file("a.htm"), dir.file("link.htm"));
    EXPECT_TRUE(isSameFile(dir.file("sub/../a.htm"), dir.file("a.htm")));
    EXPECT_TRUE(isSameFile(dir.file("link.htm"), dir.file("a.htm")));
    EXPECT_FALSE(isSameFile(dir.file("b.htm"), dir.file("a.htm")));
    EXPECT_TRUE(isSameFile(dir.file("sub/../new.htm"), dir.file("new.htm")));
}

TEST(IniFile, ReadsWithProfileSemantics) {
    const std::string text = "; settings\r\n[Other]\r\nDefault_Bookmark=wrong\r\n[appinfo]\r\n"
                             "  default_BOOKMARK =  \"/home/u/bookmarks.html\"  \r\nCount=42\r\n";
    EXPECT_EQ(IniFile::readFrom(text, "APPINFO", "Default_Bookmark", "d"), "/home/u/bookmarks.html");
    EXPECT_EQ(IniFile::readFrom(text, "APPINFO", "Missing", "d"), "d");
    EXPECT_EQ(IniFile::readFrom(text, "Nowhere", "Count", "d"), "d");
    EXPECT_EQ(IniFile::readFrom("", "APPINFO", "Count", "d"), "d");
    EXPECT_EQ(IniFile("/nonexistent/dir/TAVREG.INI").readInteger("APPINFO", "Count", 7), 7);
}

TEST(IniFile, WritingOneKeyKeepsEveryOtherLine) {
    const std::string text = "[APPINFO]\r\nTitle=My Links\r\nDEFAULT_BOOKMARK=old\r\n\r\n[Other]\r\nx=1\r\n";
    EXPECT_EQ(IniFile::writeInto(text, "appinfo", "Default_Bookmark", "/new"),
              "[APPINFO]\r\nTitle=My Links\r\nDefault_Bookmark=/new\r\n\r\n[Other]\r\nx=1\r\n");
    // A new key goes after the section's last key; a new section at the end.
    EXPECT_EQ(IniFile::writeInto("[A]\nk=1\n\n[B]\n", "a", "n", "2"), "[A]\nk=1\nn=2\n\n[B]\n");
    EXPECT_EQ(IniFile::writeInto("[B]\nx=1", "A", "k", "v"), "[B]\nx=1\n\n[A]\nk=v\n");
    EXPECT_EQ(IniFile::writeInto("", "APPINFO", "k", "v"), "[APPINFO]\r\nk=v\r\n");

    TempDir dir;
    IniFile ini(dir.file("TAVREG.INI"));
    ASSERT_TRUE(ini.writeString("APPINFO", "Default_Bookmark", "/a b/c.htm"));
    ASSERT_TRUE(ini.writeString("APPINFO", "Other", "1"));
    EXPECT_EQ(ini.readString("appinfo", "default_bookmark", ""), "/a b/c.htm");
    EXPECT_EQ(ini.readInteger("APPINFO", "Other", 0), 1);
    EXPECT_FALSE(IniFile("/nonexistent/dir/TAVREG.INI").writeString("A", "k", "v"));
}

} // namespace
} // namespace tavlin
