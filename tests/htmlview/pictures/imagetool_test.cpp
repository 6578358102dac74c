#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "htmlview/common/GifWriter.h"
#include "tools/imagetool/ImageTool.h"

namespace {

std::string Temp(const std::string& n) { return "/tmp/imagetool_" + std::to_string(getpid()) + "_" + n; }

std::string ReadAll(const std::string& n) {
    std::ifstream in(n, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int Tool(std::vector<std::string> args, std::string& out, std::string& err) {
    std::ostringstream o, e;
    const int rc = imagetool::Run(args, o, e);
    out = o.str();
    err = e.str();
    return rc;
}

}  // namespace

TEST(ImageTool, DecodesAnimationFramesAndPrintsInfo) {
    testgif::Gif g;
    g.width = 2;
    g.height = 1;
    g.globalTable = {{255, 0, 0}, {0, 0, 255}};
    g.loopCount = 0;
    testgif::Frame a;
    a.width = 2;
    a.height = 1;
    a.pixels = {0, 0};
    a.gce = true;
    a.delay = 7;
    testgif::Frame b = a;
    b.width = 1;
    b.pixels = {1};
    b.left = 1;
    g.frames = {a, b};
    const std::string gif = Temp("a.gif"), ppm = Temp("a.ppm");
    {
        auto bytes = g.Encode();
        std::ofstream(gif, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string out, err;
    ASSERT_EQ(Tool({"decode", gif, ppm, "--frame", "2"}, out, err), 0) << err;
    EXPECT_EQ(ReadAll(ppm), std::string("P6\n2 1\n255\n") + std::string("\xFF\x00\x00\x00\x00\xFF", 6));
    ASSERT_EQ(Tool({"decode", gif, ppm}, out, err), 0) << err;
    EXPECT_EQ(ReadAll(ppm), std::string("P6\n2 1\n255\n") + std::string("\xFF\x00\x00\xFF\x00\x00", 6));
    ASSERT_EQ(Tool({"info", gif}, out, err), 0);
    EXPECT_NE(out.find("type: GIF89a"), std::string::npos) << out;
    EXPECT_NE(out.find("frames: 2"), std::string::npos);
    EXPECT_NE(out.find("delays: 70 70 ms"), std::string::npos);
    EXPECT_NE(out.find("loops: endless"), std::string::npos);
    EXPECT_NE(out.find("transparency: no"), std::string::npos);

    // On a 256-colour display pure red and blue are in the palette's static colours.
    ASSERT_EQ(Tool({"decode", gif, ppm, "--depth", "8", "--frame", "2"}, out, err), 0) << err;
    EXPECT_EQ(ReadAll(ppm).size(), std::string("P6\n2 1\n255\n").size() + 6);

    EXPECT_EQ(Tool({"decode", gif, ppm, "--frame", "3"}, out, err), 2);
    EXPECT_EQ(Tool({"decode", gif, ppm, "--depth", "5"}, out, err), 2);
    EXPECT_EQ(Tool({"decode", Temp("none.gif"), ppm}, out, err), 1);
    EXPECT_EQ(Tool({"bogus"}, out, err), 2);
    EXPECT_EQ(Tool({}, out, err), 2);
    std::remove(gif.c_str());
    std::remove(ppm.c_str());
}
