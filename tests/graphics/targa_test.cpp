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

TEST_F(TargaTest, SurfaceFormatAndPitch) {
    SurfaceHolder s(Load(Tga(5, 3).Header() + RunPacket(15, kRed, 32)));
    ASSERT_NE(s.get(), nullptr);
    EXPECT_EQ(s.get()->format->BitsPerPixel, 32);
    EXPECT_EQ(s.get()->pitch, 5 * 4);
    EXPECT_EQ(s.get()->format->Rmask, 0x000000FFu);
    EXPECT_EQ(s.get()->format->Gmask, 0x0000FF00u);
    EXPECT_EQ(s.get()->format->Bmask, 0x00FF0000u);
    EXPECT_EQ(s.get()->flags & SDL_HWSURFACE, 0u);
}

// Files the loader takes, with every pixel of the picture they give (rows
// top first), said nothing about, and alpha kept at 32 bits only.
TEST_F(TargaTest, DecodesThePicture) {
    const auto opaque = [](Px p) { return Px{p.r, p.g, p.b, 0xFF}; };
    Tga id(2, 1);
    id.xOrigin = 0xFFFF;
    id.yOrigin = 0x1234;
    id.id = std::string(255, '\xFF');  // would read as run packets if decoded
    const std::string cut = Tga(3, 2).Header() + RawPacket({kRed, kGreen}, 32);
    struct {
        const char *what;
        std::string file;
        std::vector<std::vector<Px>> picture;
    } cases[] = {
        // the same picture in both orders, one raw packet running over the row end
        {"top down", Tga(3, 2).Header() + RawPacket({kRed, kGreen, kBlue, kWhite, kGrey, kTeal}, 32),
         {{kRed, kGreen, kBlue}, {kWhite, kGrey, kTeal}}},
        {"bottom up", Tga(3, 2, 32, 0x00).Header() + RawPacket({kWhite, kGrey, kTeal, kRed, kGreen, kBlue}, 32),
         {{kRed, kGreen, kBlue}, {kWhite, kGrey, kTeal}}},
        {"run over a row end, bottom up", Tga(3, 2, 32, 0x00).Header() + RunPacket(4, kRed, 32) +
         RawPacket({kGreen, kBlue}, 32), {{kRed, kGreen, kBlue}, {kRed, kRed, kRed}}},
        {"packets over row ends, top down", Tga(2, 3).Header() + RawPacket({kRed, kGreen, kBlue}, 32) +
         RunPacket(3, kTeal, 32), {{kRed, kGreen}, {kBlue, kTeal}, {kTeal, kTeal}}},
        // bytes after the last needed packet would be a corrupt packet if read
        {"final run longer than the image", Tga(2, 2).Header() + RawPacket({kRed}, 32) + RunPacket(128, kBlue, 32) +
         RawPacket({kGreen}, 32), {{kRed, kBlue}, {kBlue, kBlue}}},
        // it declares 100 values but the file holds only the two still needed
        {"final raw packet cut short", Tga(3, 1).Header() + RunPacket(1, kGrey, 32) +
         RawPacket({kRed, kGreen}, 32, 100), {{kGrey, kRed, kGreen}}},
        {"24 bits are opaque", Tga(2, 2, 24).Header() + RawPacket({kRed, kGreen}, 24) + RunPacket(2, kGrey, 24),
         {{opaque(kRed), opaque(kGreen)}, {opaque(kGrey), opaque(kGrey)}}},
        {"32 bits keep alpha", Tga(3, 1).Header() + RawPacket({kGrey, kRed, kWhite}, 32), {{kGrey, kRed, kWhite}}},
        {"long image id, origin fields", id.Header() + RawPacket({kTeal, kBlue}, 32), {{kTeal, kBlue}}},
        // descriptor bits outside the pixel order
        {"descriptor 0x08", Tga(1, 2, 32, 0x08).Header() + RawPacket({kRed, kBlue}, 32), {{kBlue}, {kRed}}},
        {"descriptor 0xC0", Tga(1, 2, 32, 0xC0).Header() + RawPacket({kRed, kBlue}, 32), {{kBlue}, {kRed}}},
        {"descriptor 0x28", Tga(1, 2, 32, 0x28).Header() + RawPacket({kRed, kBlue}, 32), {{kRed}, {kBlue}}},
        {"descriptor 0xEF", Tga(1, 2, 32, 0xEF).Header() + RawPacket({kRed, kBlue}, 32), {{kRed}, {kBlue}}},
        // a file that ends inside the packets keeps what was decoded
        {"ends after a packet", cut, {{kRed, kGreen, kZero}, {kZero, kZero, kZero}}},
        {"ends after a run header", cut + "\x83", {{kRed, kGreen, kZero}, {kZero, kZero, kZero}}},
        {"ends inside a run value", cut + RunPacket(2, kBlue, 32).substr(0, 4),
         {{kRed, kGreen, kZero}, {kZero, kZero, kZero}}},
        {"ends inside a raw value", cut + RawPacket({kBlue, kTeal}, 32).substr(0, 7),
         {{kRed, kGreen, kBlue}, {kZero, kZero, kZero}}},
        {"ends after a whole run", cut + RunPacket(2, kBlue, 32), {{kRed, kGreen, kBlue}, {kBlue, kZero, kZero}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SurfaceHolder s(Load(c.file));
        ASSERT_NE(s.get(), nullptr) << err;
        ExpectPicture(s.get(), c.picture);
        EXPECT_EQ(err, "");
        EXPECT_EQ(s.get()->format->Amask, c.file[16] == 32 ? 0xFF000000u : 0u);
    }
}

TEST_F(TargaTest, RefusalsSayWhyOnStderr) {
    for (const RefusedSheet &c : RefusedSheets()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Load(c.bytes), nullptr);
        EXPECT_EQ(err, c.err);
    }
}

TEST_F(TargaTest, EveryOtherImageTypeAndDepthIsRefused) {
    struct {
        int Tga::*field;
        int good1, good2;
        std::string message;
    } fields[] = {{&Tga::imageType, 10, 10, "unsupported image type (%d)"},
                  {&Tga::depth, 24, 32, "unsupported image depth (%d)\n"}};
    for (const auto &f : fields)
        for (int v = 0; v < 256; v++) {
            if (v == f.good1 || v == f.good2) continue;
            SCOPED_TRACE(f.message + " " + std::to_string(v));
            Tga t;
            t.*f.field = v;
            char want[64];
            snprintf(want, sizeof want, ("LoadTargaImage: " + f.message).c_str(), v);
            EXPECT_EQ(Load(t.File()), nullptr);
            EXPECT_EQ(err, want);
        }
}

TEST_F(TargaTest, WidestRowThatFitsIsAccepted) {
    std::string packets;
    for (int left = 16383; left > 0; left -= 128) packets += RunPacket(left < 128 ? left : 128, kGreen, 32);
    SurfaceHolder s(Load(Tga(16383, 1).Header() + packets));
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

TEST_F(TargaTest, EmptyImageReadsNoPacket) {
    struct Case {
        unsigned width, height;
    } cases[] = {{0, 5}, {7, 0}, {0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        Tga t(c.width, c.height);
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
