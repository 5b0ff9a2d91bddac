#include "app/convert/LineReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace tavlin {
namespace {

// The lines as the rules put them: CR LF, CR and LF each end one, Ctrl-Z (when it counts) ends
// the text, and an unended last line still counts.
std::vector<std::string> expectedLines(std::string text, bool ctrlZEnds) {
    if (ctrlZEnds && text.find('\x1a') != std::string::npos) {
        text.resize(text.find('\x1a'));
    }
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(current);
            current.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            current += text[i];
        }
    }
    if (!current.empty()) {
        lines.push_back(current);
    }
    return lines;
}

std::vector<std::string> readAll(LineReader& reader) {
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

std::vector<std::string> readFromFile(const std::string& text, bool ctrlZEnds, size_t chunkSize) {
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    LineReader reader(file, ctrlZEnds, chunkSize);
    std::vector<std::string> lines = readAll(reader);
    EXPECT_FALSE(reader.failed());
    std::fclose(file);
    return lines;
}

TEST(LineReader, AgreesWithTheRulesForAnyTextAndChunkSize) {
    std::mt19937 random(11);
    const char alphabet[] = {'a', 'b', '\r', '\n', '<'};
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const size_t length = random() % 40;
        for (size_t i = 0; i < length; ++i) {
            // Ctrl-Z rarely, so that most texts run to their end.
            const size_t pick = random() % 12;
            text += pick == 0 ? '\x1a' : alphabet[pick % 5];
        }
        for (bool ctrlZEnds : {true, false}) {
            const std::vector<std::string> expected = expectedLines(text, ctrlZEnds);
            for (size_t chunk : {size_t(1), size_t(2), size_t(3), size_t(5), size_t(64)}) {
                LineReader fromMemory(text, ctrlZEnds, chunk);
                ASSERT_EQ(readAll(fromMemory), expected) << "round " << round << " chunk " << chunk;
                ASSERT_EQ(readFromFile(text, ctrlZEnds, chunk), expected) << "round " << round;
            }
        }
    }
}

TEST(LineReader, ALineMayOutgrowManyChunks) {
    const std::string big(100000, 'q');
    const std::string text = "x\r" + big + "\r\ny";
    LineReader reader(text, true, 7);
    EXPECT_EQ(readAll(reader), (std::vector<std::string>{"x", big, "y"}));
}

TEST(LineReader, AReadErrorIsNotAnEnd) {
    std::FILE* folder = std::fopen("/tmp", "rb"); // opens, but cannot be read
    ASSERT_NE(folder, nullptr);
    LineReader reader(folder, true);
    std::string_view line;
    EXPECT_FALSE(reader.next(line));
    EXPECT_TRUE(reader.failed());
    std::fclose(folder);
}

} // namespace
} // namespace tavlin
