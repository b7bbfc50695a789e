#include "platform/Windows1252.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool Unassigned(int b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

// What the window title and status bar are given for page text is iconv's
// reading of the same bytes as Windows-1252.
TEST(Windows1252, Utf8ForTheToolkitMatchesIconv) {
    std::string text;
    for (int b = 1; b <= 0xFF; ++b)
        if (!Unassigned(b))
            text += static_cast<char>(b);
    const TempDir dir;
    const std::string in = (dir.Path() / "in").string();
    const std::string out = (dir.Path() / "out").string();
    std::ofstream(in, std::ios::binary) << text;
    ASSERT_EQ(std::system(("iconv -f WINDOWS-1252 -t UTF-8 '" + in + "' > '" + out + "'").c_str()),
              0);
    std::stringstream utf8;
    utf8 << std::ifstream(out, std::ios::binary).rdbuf();
    EXPECT_EQ(Windows1252ToUtf8(text), utf8.str());
    // The unassigned bytes stand for the control codes of the same number.
    EXPECT_EQ(Windows1252ToUtf8("\x81\x9D"), "\xC2\x81\xC2\x9D");
    EXPECT_EQ(Windows1252ToUtf8(""), "");
}

TEST(Windows1252, EveryCharacterFindsItsByteAgain) {
    for (int b = 0; b <= 0xFF; ++b) {
        const char32_t c = Windows1252ToUnicode(static_cast<uint8_t>(b));
        EXPECT_EQ(UnicodeToWindows1252(c), Unassigned(b) ? -1 : b) << b;
    }
    EXPECT_EQ(UnicodeToWindows1252(0x2014), 0x97);
    EXPECT_EQ(UnicodeToWindows1252(0x0100), -1);
    EXPECT_EQ(UnicodeToWindows1252(0x10FFFF), -1);
}

} // namespace
