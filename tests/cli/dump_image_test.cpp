// Runs the real program: `tavlin dump --image FILE [--frame N] [-o OUT.png]`.
#include "../images/GifWriter.h"
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

using DumpRun = tavlin::test::ShellRun;

DumpRun dump(const std::string& args) {
    return tavlin::test::runShell(std::string(TAVLIN_EXE) + " dump --image " + args + " 2>/dev/null");
}

class DumpImage : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavlin-dump-image-XXXXXX";
        dir_ = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string dir_;
};

// Two frames: a red 4x3 picture, then a 2x2 green square with a transparent corner at 3,2
// that reaches past the screen (which grows to 5x4) and loops forever.
std::string animation() {
    giftest::Gif g;
    g.width = 4;
    g.height = 3;
    g.globalTable = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    g.loop = 0;
    giftest::Frame a = giftest::frameOf(0, 0, 4, 3, [](int, int) { return 1; });
    a.delayCs = 25;
    a.disposal = 1;
    a.control = true;
    giftest::Frame b = giftest::frameOf(3, 2, 2, 2, [](int x, int y) { return x == 1 && y == 1 ? 0 : 2; });
    b.transparent = 0;
    b.disposal = 2;
    b.interlaced = true;
    b.localTable = {0x000000, 0x111111, 0x00FF00, 0x0000FF};
    g.frames = {a, b};
    return giftest::encode(g);
}

} // namespace

TEST_F(DumpImage, GifHeaderAndFrames) {
    const DumpRun run = dump(write("anim.gif", animation()));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "GIF89a 5x4 frames=2 loop=0 transparent=1\n"
                       "frame 1: 0,0 4x3 delay=250 disposal=1 transparent=- interlaced=0 local=0\n"
                       "frame 2: 3,2 2x2 delay=0 disposal=2 transparent=0 interlaced=1 local=2\n");
}

TEST_F(DumpImage, WritesTheCompositeAfterNFramesAsPng) {
    const std::string gif = write("anim.gif", animation());
    const std::string png = dir_ + "/out.png";
    ASSERT_EQ(dump(gif + " --frame 2 -o " + png).status, 0);
    EXPECT_EQ(dump(png).out, "PNG 5x4 frames=1 transparent=1\n");
    EXPECT_EQ(dump(gif + " --frame 3 -o " + png).status, 2); // there is no frame 3
    EXPECT_EQ(dump(gif + " --frame x").status, 2);
}

TEST_F(DumpImage, OtherTypesAndFailures) {
    const std::string data = TAVLIN_TEST_DATA "/images/";
    EXPECT_EQ(dump(data + "photo.jpg").out, "JPEG 40x30 frames=1 transparent=0\n");
    EXPECT_EQ(dump(data + "picture.bmp").out, "BMP 9x5 frames=1 transparent=0\n");
    EXPECT_EQ(dump(data + "alpha.png").out, "PNG 9x5 frames=1 transparent=1\n");

    const DumpRun bad = dump(write("bad.gif", "GIF89a\x02\0\x02\0\0\0\0\x21\x99\x01x\0;"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out.substr(0, 7), "error: ");
    EXPECT_EQ(bad.out.find('\n'), bad.out.size() - 1);
    const DumpRun text = dump(write("x.txt", "hello"));
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, "error: Unknown picture type\n");
    EXPECT_EQ(dump(write("cut.jpg", "\xFF\xD8\xFF")).status, 1);
}
