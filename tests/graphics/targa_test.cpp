// targa_test.cpp: the font sheet loader, fed small Targa files built here.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "surface.h"
#include "targa.h"
#include "testutil.h"
#include "tgafile.h"

namespace {

using namespace testutil;

// The four bytes of surface pixel (x, y) in memory order, as a Px.
Px At(SDL_Surface *s, int x, int y) {
    const uint8_t *p = static_cast<uint8_t *>(s->pixels) + y * s->pitch + x * 4;
    return Px{p[0], p[1], p[2], p[3]};
}

const Px kRed{200, 10, 20, 0x40}, kGreen{1, 220, 3, 0x80}, kBlue{5, 6, 250, 0xC0};
const Px kWhite{255, 255, 254, 0xFF}, kGrey{90, 91, 92, 0x00}, kTeal{0, 128, 128, 0x11};
const Px kZero{0, 0, 0, 0};

class TargaTest : public ::testing::Test {
protected:
    TempDir dir;

    // Writes the bytes to a file and loads it, keeping whatever went to stderr.
    SDL_Surface *Load(const std::string &bytes) {
        std::string path = dir / "sheet.tga";
        WriteFile(path, bytes);
        testing::internal::CaptureStderr();
        SDL_Surface *s = LoadTargaImage(path.c_str());
        err = testing::internal::GetCapturedStderr();
        return s;
    }

    // Checks every pixel against rows given top row first.
    static void ExpectPicture(SDL_Surface *s, const std::vector<std::vector<Px>> &rows) {
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->h, static_cast<int>(rows.size()));
        for (int y = 0; y < s->h; y++) {
            ASSERT_EQ(s->w, static_cast<int>(rows[y].size()));
            for (int x = 0; x < s->w; x++) EXPECT_EQ(At(s, x, y), rows[y][x]) << "at " << x << "," << y;
        }
    }

    std::string err;
};

// The same 3 x 2 picture, one raw packet running over the row end.
TEST_F(TargaTest, BothPixelOrdersGiveTheSamePicture) {
    Tga top;
    top.width = 3;
    top.height = 2;
    top.descriptor = 0x20;
    Tga bottom = top;
    bottom.descriptor = 0x00;

    SurfaceHolder a(Load(top.Header() + RawPacket({kRed, kGreen, kBlue, kWhite, kGrey, kTeal}, 32)));
    SurfaceHolder b(Load(bottom.Header() + RawPacket({kWhite, kGrey, kTeal, kRed, kGreen, kBlue}, 32)));
    ExpectPicture(a.get(), {{kRed, kGreen, kBlue}, {kWhite, kGrey, kTeal}});
    ASSERT_NE(b.get(), nullptr);
    ASSERT_EQ(a.get()->pitch, b.get()->pitch);
    std::string bytesA(static_cast<char *>(a.get()->pixels), a.get()->pitch * 2);
    std::string bytesB(static_cast<char *>(b.get()->pixels), b.get()->pitch * 2);
    EXPECT_EQ(bytesA, bytesB);
    EXPECT_EQ(err, "");
}

TEST_F(TargaTest, SurfaceFormatAndPitch) {
    Tga t;
    t.width = 5;
    t.height = 3;
    SurfaceHolder s(Load(t.Header() + RunPacket(15, kRed, 32)));
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(s.get()->format->BitsPerPixel, 32);
    EXPECT_EQ(s.get()->pitch, 5 * 4);
    EXPECT_EQ(s.get()->format->Rmask, 0x000000FFu);
    EXPECT_EQ(s.get()->format->Gmask, 0x0000FF00u);
    EXPECT_EQ(s.get()->format->Bmask, 0x00FF0000u);
    EXPECT_EQ(s.get()->flags & SDL_HWSURFACE, 0u);
}

TEST_F(TargaTest, RunPacketCrossesRowEndUpwardsInBottomUpFiles) {
    Tga t;
    t.width = 3;
    t.height = 2;
    t.descriptor = 0x00;
    SurfaceHolder s(Load(t.Header() + RunPacket(4, kRed, 32) + RawPacket({kGreen, kBlue}, 32)));
    ExpectPicture(s.get(), {{kRed, kGreen, kBlue}, {kRed, kRed, kRed}});
}

TEST_F(TargaTest, PacketsCrossRowEndsDownwardsInTopDownFiles) {
    Tga t;
    t.width = 2;
    t.height = 3;
    t.descriptor = 0x20;
    SurfaceHolder s(Load(t.Header() + RawPacket({kRed, kGreen, kBlue}, 32) + RunPacket(3, kTeal, 32)));
    ExpectPicture(s.get(), {{kRed, kGreen}, {kBlue, kTeal}, {kTeal, kTeal}});
}

TEST_F(TargaTest, FinalRunLongerThanTheImageFillsOnlyWhatRemains) {
    Tga t;
    t.width = 2;
    t.height = 2;
    // Bytes after the last needed packet would be a corrupt packet if read.
    SurfaceHolder s(Load(t.Header() + RawPacket({kRed}, 32) + RunPacket(128, kBlue, 32) + RawPacket({kGreen}, 32)));
    ExpectPicture(s.get(), {{kRed, kBlue}, {kBlue, kBlue}});
    EXPECT_EQ(err, "");
}

TEST_F(TargaTest, FinalRawPacketNeedsOnlyTheValuesItUses) {
    Tga t;
    t.width = 3;
    t.height = 1;
    // Declares 100 values but the file holds only the two still needed.
    SurfaceHolder s(Load(t.Header() + RunPacket(1, kGrey, 32) + RawPacket({kRed, kGreen}, 32, 100)));
    ExpectPicture(s.get(), {{kGrey, kRed, kGreen}});
}

TEST_F(TargaTest, TwentyFourBitsAreOpaqueWithoutAlphaMask) {
    Tga t;
    t.width = 2;
    t.height = 2;
    t.depth = 24;
    SurfaceHolder s(Load(t.Header() + RawPacket({kRed, kGreen}, 24) + RunPacket(2, kGrey, 24)));
    const auto opaque = [](Px p) { return Px{p.r, p.g, p.b, 0xFF}; };
    ExpectPicture(s.get(), {{opaque(kRed), opaque(kGreen)}, {opaque(kGrey), opaque(kGrey)}});
    EXPECT_EQ(s.get()->format->Amask, 0u);
}

TEST_F(TargaTest, ThirtyTwoBitsKeepAlphaAndHaveAlphaMask) {
    Tga t;
    t.width = 3;
    t.height = 1;
    SurfaceHolder s(Load(t.Header() + RawPacket({kGrey, kRed, kWhite}, 32)));
    ExpectPicture(s.get(), {{kGrey, kRed, kWhite}});
    EXPECT_EQ(s.get()->format->Amask, 0xFF000000u);
}

TEST_F(TargaTest, LongImageIdIsSkippedAndOriginFieldsIgnored) {
    Tga t;
    t.width = 2;
    t.height = 1;
    t.xOrigin = 0xFFFF;
    t.yOrigin = 0x1234;
    t.id = std::string(255, '\xFF');  // would read as run packets if decoded
    SurfaceHolder s(Load(t.Header() + RawPacket({kTeal, kBlue}, 32)));
    ExpectPicture(s.get(), {{kTeal, kBlue}});
}

TEST_F(TargaTest, DescriptorBitsOutsideThePixelOrderAreIgnored) {
    struct Case {
        int descriptor;
        bool topDown;
    } cases[] = {{0x00, false}, {0x08, false}, {0x28, true}, {0x20, true}, {0xC0, false}, {0xEF, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.descriptor);
        Tga t;
        t.width = 1;
        t.height = 2;
        t.descriptor = c.descriptor;
        SurfaceHolder s(Load(t.Header() + RawPacket({kRed, kBlue}, 32)));
        if (c.topDown)
            ExpectPicture(s.get(), {{kRed}, {kBlue}});
        else
            ExpectPicture(s.get(), {{kBlue}, {kRed}});
        EXPECT_EQ(err, "");
    }
}

TEST_F(TargaTest, RefusalsSayWhyOnStderr) {
    
    const std::string pixels = RunPacket(1, kRed, 32);
    struct Case {
        const char *name;
        Tga tga;
        const char *message;
    } cases[] = {
        {"colour-mapped", [] { Tga t; t.imageType = 1; return t; }(),
         "LoadTargaImage: unsupported image type (1)"},
        {"uncompressed", [] { Tga t; t.imageType = 2; return t; }(),
         "LoadTargaImage: unsupported image type (2)"},
        {"grey", [] { Tga t; t.imageType = 3; return t; }(),
         "LoadTargaImage: unsupported image type (3)"},
        {"rle colour-mapped", [] { Tga t; t.imageType = 9; return t; }(),
         "LoadTargaImage: unsupported image type (9)"},
        {"rle grey", [] { Tga t; t.imageType = 11; return t; }(),
         "LoadTargaImage: unsupported image type (11)"},
        {"colour map before type", [] { Tga t; t.cmapType = 1; t.imageType = 1; return t; }(),
         "LoadTargaImage: unsupported colormap type (1)"},
        {"right to left", [] { Tga t; t.descriptor = 0x10; return t; }(),
         "LoadTargaImage: unsupported image origin"},
        {"top right", [] { Tga t; t.descriptor = 0x38; return t; }(),
         "LoadTargaImage: unsupported image origin"},
        {"origin before depth", [] { Tga t; t.descriptor = 0x30; t.depth = 16; return t; }(),
         "LoadTargaImage: unsupported image origin"},
        {"16 bits", [] { Tga t; t.depth = 16; return t; }(),
         "LoadTargaImage: unsupported image depth (16)\n"},
        {"8 bits", [] { Tga t; t.depth = 8; return t; }(),
         "LoadTargaImage: unsupported image depth (8)\n"},
        {"too wide", [] { Tga t; t.width = 16384; return t; }(),
         "LoadTargaImage: failed to create image surface: image too wide for a surface row\n"},
        // SDL would size these pixels as height * pitch in an int
        {"past 2 GiB by one row", [] { Tga t; t.width = 16383; t.height = 32771; return t; }(),
         "LoadTargaImage: failed to create image surface: image too large for a surface\n"},
        {"largest of all", [] { Tga t; t.width = 16383; t.height = 65535; return t; }(),
         "LoadTargaImage: failed to create image surface: image too large for a surface\n"},
        {"taller than wide", [] { Tga t; t.width = 8193; t.height = 65535; return t; }(),
         "LoadTargaImage: failed to create image surface: image too large for a surface\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.tga.Header() + pixels), nullptr);
        EXPECT_EQ(err, c.message);
    }
}

TEST_F(TargaTest, EveryOtherImageTypeAndDepthIsRefused) {
    const std::string pixels = RunPacket(1, kRed, 32);
    for (int type = 0; type < 256; type++) {
        if (type == 10) continue;
        SCOPED_TRACE("type " + std::to_string(type));
        Tga t;
        t.imageType = type;
        EXPECT_EQ(Load(t.Header() + pixels), nullptr);
        EXPECT_EQ(err, "LoadTargaImage: unsupported image type (" + std::to_string(type) + ")");
    }
    for (int depth = 0; depth < 256; depth++) {
        if (depth == 24 || depth == 32) continue;
        SCOPED_TRACE("depth " + std::to_string(depth));
        Tga t;
        t.depth = depth;
        EXPECT_EQ(Load(t.Header() + pixels), nullptr);
        EXPECT_EQ(err, "LoadTargaImage: unsupported image depth (" + std::to_string(depth) + ")\n");
    }
}

TEST_F(TargaTest, WidestRowThatFitsIsAccepted) {
    Tga t;
    t.width = 16383;
    t.height = 1;
    std::string packets;
    for (int left = 16383; left > 0; left -= 128) packets += RunPacket(left < 128 ? left : 128, kGreen, 32);
    SurfaceHolder s(Load(t.Header() + packets));
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(At(s.get(), 16382, 0), kGreen);
    EXPECT_EQ(err, "");
}

TEST_F(TargaTest, MissingFileIsNamedInTheMessage) {
    std::string path = dir / "absent.tga";
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadTargaImage(path.c_str()), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LoadTargaImage: could not open file " + path + "\n");
}

TEST_F(TargaTest, FileEndingInsideTheHeaderIsRefused) {
    std::string path = dir / "sheet.tga";
    for (size_t len : {size_t(0), size_t(1), size_t(17)}) {
        SCOPED_TRACE(len);
        EXPECT_EQ(Load(Tga().Header().substr(0, len)), nullptr);
        EXPECT_EQ(err, "LoadTargaImage: could not read the header of " + path + "\n");
    }
}

TEST_F(TargaTest, FileEndingInsidePacketsKeepsWhatWasDecoded) {
    Tga t;
    t.width = 3;
    t.height = 2;
    const std::string head = t.Header() + RawPacket({kRed, kGreen}, 32);
    struct Case {
        const char *name;
        std::string tail;
        std::vector<std::vector<Px>> picture;
    } cases[] = {
        {"after a packet", "", {{kRed, kGreen, kZero}, {kZero, kZero, kZero}}},
        {"after a run header", "\x83", {{kRed, kGreen, kZero}, {kZero, kZero, kZero}}},
        {"inside a run value", RunPacket(2, kBlue, 32).substr(0, 4), {{kRed, kGreen, kZero}, {kZero, kZero, kZero}}},
        {"inside a raw value", RawPacket({kBlue, kTeal}, 32).substr(0, 7), {{kRed, kGreen, kBlue}, {kZero, kZero, kZero}}},
        {"whole run", RunPacket(2, kBlue, 32), {{kRed, kGreen, kBlue}, {kBlue, kZero, kZero}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceHolder s(Load(head + c.tail));
        ExpectPicture(s.get(), c.picture);
        EXPECT_EQ(err, "");
    }
}

TEST_F(TargaTest, EmptyImageReadsNoPacket) {
    struct Case {
        unsigned width, height;
    } cases[] = {{0, 5}, {7, 0}, {0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        Tga t;
        t.width = c.width;
        t.height = c.height;
        t.id = "font";
        SurfaceHolder s(Load(t.Header()));
        if (s.get() == nullptr) {
            EXPECT_EQ(err.rfind("LoadTargaImage: failed to create image surface: ", 0), 0u) << err;
            continue;
        }
        EXPECT_EQ(s.get()->w, static_cast<int>(c.width));
        EXPECT_EQ(s.get()->h, static_cast<int>(c.height));
        EXPECT_EQ(err, "");
    }
}

}  // namespace
