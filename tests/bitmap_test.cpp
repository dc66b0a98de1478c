// Bitmaps: each DefineBits format decoded to the premultiplied pixels the format fixes, the
// JPEG streams joined as strict decoders need them, the limits refusing before decoding, and
// bitmap fills drawn clipped or tiled, nearest or smoothed.
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <zlib.h>

#include <cstring>

#include "flash/render/bitmap.h"
#include "flash/render/renderer.h"

namespace {

using namespace flash;
using namespace flash::render;
using Bytes = std::vector<std::uint8_t>;

Bytes Zlib(const Bytes& raw) {
    uLongf size = compressBound(raw.size());
    Bytes out(size);
    compress(out.data(), &size, raw.data(), raw.size());
    out.resize(size);
    return out;
}

void U16(Bytes& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8 & 0xFF);
}

// A DefineBitsLossless(2) body: id 1, then the header and the zlib data of `raw`.
Bytes Lossless(int format, int w, int h, const Bytes& raw, int tableSize = 0) {
    Bytes b;
    U16(b, 1);
    b.push_back(static_cast<std::uint8_t>(format));
    U16(b, w);
    U16(b, h);
    if (format == 3) b.push_back(static_cast<std::uint8_t>(tableSize - 1));
    const Bytes z = Zlib(raw);
    b.insert(b.end(), z.begin(), z.end());
    return b;
}

struct LosslessCase {
    const char* name;
    std::uint16_t tag;
    Bytes body;
    std::vector<Pixel> pixels;  // 3 x 2
};

class LosslessFormats : public ::testing::TestWithParam<LosslessCase> {};

TEST_P(LosslessFormats, DecodeToPremultipliedPixels) {
    const LosslessCase& c = GetParam();
    Bitmap b;
    ASSERT_EQ(DecodeBitmap(c.tag, c.body, {}, kBitmapBudgetBytes, b), BitmapStatus::Decoded);
    EXPECT_EQ(b.width, 3);
    EXPECT_EQ(b.height, 2);
    EXPECT_EQ(std::vector<Pixel>(b.Pixels().begin(), b.Pixels().end()), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Bitmaps, LosslessFormats,
    ::testing::Values(
        // Palette rows padded to 4 bytes; index 9 lies past the table and draws nothing.
        LosslessCase{"palette",
                     kDefineBitsLossless,
                     Lossless(3, 3, 2, {255, 0, 0, 0, 255, 0, 0, 1, 0, 0, 9, 0, 1, 0}, 2),
                     {0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0, 0xFFFF0000, 0xFF00FF00}},
        // RGBA palette entries are premultiplied already; a channel above alpha is held to it.
        LosslessCase{
            "palette with alpha",
            kDefineBitsLossless2,
            Lossless(3, 3, 2, {128, 0, 0, 128, 200, 200, 200, 100, 0, 1, 0, 0, 1, 1, 0, 0}, 2),
            {0x80800000, 0x64646464, 0x80800000, 0x64646464, 0x64646464, 0x80800000}},
        // RGB15, big-endian 0RRRRRGGGGGBBBBB, rows padded to 4 bytes.
        LosslessCase{"rgb15",
                     kDefineBitsLossless,
                     Lossless(4, 3, 2,
                              {0x7C, 0x00, 0x03, 0xE0, 0x00, 0x1F, 0, 0, 0x7F, 0xFF, 0x00, 0x00,
                               0x42, 0x10, 0, 0}),
                     {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF848484}},
        // RGB24: the first byte of each pixel is padding, the picture is opaque.
        LosslessCase{"rgb24",
                     kDefineBitsLossless,
                     Lossless(5, 3, 2, {0, 1, 2, 3, 7, 4, 5, 6, 0, 7,   8,   9,
                                        0, 9, 9, 9, 0, 0, 0, 0, 0, 255, 255, 255}),
                     {0xFF010203, 0xFF040506, 0xFF070809, 0xFF090909, 0xFF000000, 0xFFFFFFFF}},
        LosslessCase{"argb",
                     kDefineBitsLossless2,
                     Lossless(5, 3, 2, {255, 1,   2,  3, 0, 0, 0, 0, 16,  32,  8,   4,
                                        128, 128, 64, 0, 0, 9, 9, 9, 255, 255, 255, 255}),
                     {0xFF010203, 0, 0x10100804, 0x80804000, 0, 0xFFFFFFFF}}),
    [](const auto& info) {
        std::string n = info.param.name;
        std::replace(n.begin(), n.end(), ' ', '_');
        return n;
    });

struct LimitCase {
    const char* name;
    std::uint16_t tag;
    Bytes body;
    std::size_t budget;
    BitmapStatus status;
};

class BitmapLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(BitmapLimits, RefuseWithoutDecoding) {
    const LimitCase& c = GetParam();
    Bitmap b;
    b.width = 7;  // left alone on refusal
    EXPECT_EQ(DecodeBitmap(c.tag, c.body, {}, c.budget, b), c.status);
    EXPECT_EQ(b.width, 7);
    EXPECT_TRUE(b.Empty());
}

INSTANTIATE_TEST_SUITE_P(
    Bitmaps, BitmapLimits,
    ::testing::Values(
        LimitCase{"side", kDefineBitsLossless, Lossless(5, 8192, 1, {}), kBitmapBudgetBytes,
                  BitmapStatus::TooLarge},
        LimitCase{"pixels", kDefineBitsLossless, Lossless(5, 4096, 4097, {}), kBitmapBudgetBytes,
                  BitmapStatus::TooLarge},
        LimitCase{"budget", kDefineBitsLossless2, Lossless(5, 3, 2, Bytes(24, 0)), 23,
                  BitmapStatus::OverBudget},
        LimitCase{"short data", kDefineBitsLossless2, Lossless(5, 3, 2, Bytes(20, 0)),
                  kBitmapBudgetBytes, BitmapStatus::Unreadable},
        LimitCase{"empty", kDefineBitsLossless, Lossless(5, 0, 2, {}), kBitmapBudgetBytes,
                  BitmapStatus::Unreadable},
        LimitCase{"unknown format", kDefineBitsLossless, Lossless(6, 1, 1, Bytes(4, 0)),
                  kBitmapBudgetBytes, BitmapStatus::Unreadable},
        LimitCase{"header cut", kDefineBitsLossless, Bytes{1, 0, 5, 3}, kBitmapBudgetBytes,
                  BitmapStatus::Unreadable},
        LimitCase{"not a jpeg", kDefineBitsJpeg2, Bytes{1, 0, 0xFF, 0xD8, 0xFF, 0xC0, 1, 2, 3},
                  kBitmapBudgetBytes, BitmapStatus::Unreadable},
        LimitCase{"not a bitmap", 2, Bytes{1, 0}, kBitmapBudgetBytes, BitmapStatus::NotBitmap}),
    [](const auto& info) {
        std::string n = info.param.name;
        std::replace(n.begin(), n.end(), ' ', '_');
        return n;
    });

TEST(Bitmaps, JpegPartsJoinIntoOneImage) {
    // Tables with their own start and end, data with the stray end-start pair first.
    const Bytes tables{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x03, 0x11, 0xFF, 0xD9};
    const Bytes data{0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xD8, 0xFF, 0xC0, 0x00,
                     0x02, 0xFF, 0xFF, 0xDA, 0x00, 0xD9, 0xFF, 0xD9};
    const Bytes joined{0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x03, 0x11, 0xFF, 0xC0,
                       0x00, 0x02, 0xFF, 0xDA, 0x00, 0xD9, 0xFF, 0xD9};
    EXPECT_EQ(JoinJpeg(tables, data), joined);
    // A segment length past the end keeps what is there.
    EXPECT_EQ(JoinJpeg({}, Bytes{0xFF, 0xE0, 0x10, 0x00, 0x01}),
              (Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x10, 0x00, 0x01}));
}

// Table definitions found anywhere among the segments, also after a scan's coded data, are
// checked; bytes inside another segment or inside coded data are not taken for markers.
TEST(Bitmaps, HuffmanTablesOfMoreThan256CodesAreRefused) {
    const auto dht = [](std::size_t codes) {
        Bytes s{0xFF, 0xC4, static_cast<std::uint8_t>((19 + codes) >> 8),
                static_cast<std::uint8_t>(19 + codes), 0x10};
        for (std::size_t i = 0; i < 16; ++i)
            s.push_back(static_cast<std::uint8_t>(codes / 16 + (i == 0 ? codes % 16 : 0)));
        s.insert(s.end(), codes, 0x01);
        return s;
    };
    const auto jpeg = [](std::initializer_list<Bytes> parts) {
        Bytes out{0xFF, 0xD8};
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    Bytes app{0xFF, 0xE1, 0x00, 0x17};  // an APP1 segment holding a table-like run
    const Bytes fake = dht(257);
    app.insert(app.end(), fake.begin(), fake.begin() + 21);
    const Bytes scan{0xFF, 0xDA, 0x00, 0x02, 0x12, 0xFF, 0x00, 0xC4, 0xFF, 0xD0, 0x34};
    EXPECT_TRUE(JpegHuffmanTablesFit(jpeg({dht(256), dht(3)})));
    EXPECT_FALSE(JpegHuffmanTablesFit(jpeg({dht(257)})));
    EXPECT_FALSE(JpegHuffmanTablesFit(jpeg({dht(3), dht(400)})));
    EXPECT_TRUE(JpegHuffmanTablesFit(jpeg({app, scan, dht(12)})));
    EXPECT_FALSE(JpegHuffmanTablesFit(jpeg({app, scan, dht(300)})));
}

void Append(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data),
                static_cast<std::uint8_t*>(data) + size);
}

// An 8 x 8 picture of one colour as JPEG or PNG.
Bytes Encoded(bool jpeg, const std::uint8_t (&rgba)[4]) {
    std::uint8_t pixels[8 * 8 * 4];
    for (int i = 0; i < 64; ++i) std::memcpy(pixels + 4 * i, rgba, 4);
    Bytes out;
    if (jpeg) {
        stbi_write_jpg_to_func(&Append, &out, 8, 8, 4, pixels, 100);
    } else {
        stbi_write_png_to_func(&Append, &out, 8, 8, 4, pixels, 32);
    }
    return out;
}

TEST(Bitmaps, EncodedImagesDecodeWithTheirAlpha) {
    const std::uint8_t grey[4] = {100, 150, 200, 128};
    const Bytes jpeg = Encoded(true, grey), png = Encoded(false, grey);
    auto near = [](Pixel p, Pixel q) {
        for (int s = 0; s < 32; s += 8) {
            if (std::abs(int(p >> s & 0xFF) - int(q >> s & 0xFF)) > 2) return false;
        }
        return true;
    };
    Bitmap b;
    // DefineBits: the movie's tables carry nothing here; the image is whole.
    Bytes body{1, 0};
    body.insert(body.end(), jpeg.begin(), jpeg.end());
    ASSERT_EQ(DecodeBitmap(kDefineBits, body, Bytes{0xFF, 0xD8, 0xFF, 0xD9}, kBitmapBudgetBytes, b),
              BitmapStatus::Decoded);
    EXPECT_TRUE(near(b.At(27, 0), 0xFF6496C8)) << std::hex << b.At(27, 0);
    // DefineBitsJPEG2 with the stray pair, and a PNG keeping its own alpha.
    body = {1, 0, 0xFF, 0xD9, 0xFF, 0xD8};
    body.insert(body.end(), jpeg.begin(), jpeg.end());
    ASSERT_EQ(DecodeBitmap(kDefineBitsJpeg2, body, {}, kBitmapBudgetBytes, b),
              BitmapStatus::Decoded);
    body = {1, 0};
    body.insert(body.end(), png.begin(), png.end());
    ASSERT_EQ(DecodeBitmap(kDefineBitsJpeg2, body, {}, kBitmapBudgetBytes, b),
              BitmapStatus::Decoded);
    EXPECT_EQ(b.At(0, 0), 0x80324B64u);
    // DefineBitsJPEG3: the JPEG's colour is already multiplied by its alpha plane, so a
    // channel is only held to the alpha; a plane cut short is opaque.
    Bytes alpha(64, 160);
    alpha.resize(40);
    const Bytes z = Zlib(alpha);
    for (const std::uint16_t tag : {kDefineBitsJpeg3, kDefineBitsJpeg4}) {
        body = {1, 0};
        const std::uint32_t offset = static_cast<std::uint32_t>(jpeg.size());
        for (int i = 0; i < 4; ++i) body.push_back(offset >> 8 * i & 0xFF);
        if (tag == kDefineBitsJpeg4) U16(body, 0);
        body.insert(body.end(), jpeg.begin(), jpeg.end());
        body.insert(body.end(), z.begin(), z.end());
        ASSERT_EQ(DecodeBitmap(tag, body, {}, kBitmapBudgetBytes, b), BitmapStatus::Decoded);
        EXPECT_TRUE(near(b.At(0, 0), 0xA06496A0)) << std::hex << b.At(0, 0);
        EXPECT_TRUE(near(b.At(7, 7), 0xFF6496C8)) << std::hex << b.At(7, 7);
    }
}

// A 2 x 2 bitmap: red, green / blue, white; stored with red and blue exchanged, as an opaque
// JPEG is, when `swapped`.
class TwoByTwo final : public BitmapSource {
public:
    explicit TwoByTwo(bool swapped = false) {
        bitmap.Allocate(2, 2);
        const Pixel colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
        for (int i = 0; i < 4; ++i) bitmap.data[i] = swapped ? SwapRedBlue(colors[i]) : colors[i];
        bitmap.redBlueSwapped = swapped;
    }
    const Bitmap* FindBitmap(std::uint16_t id) override { return id == 7 ? &bitmap : nullptr; }
    Bitmap bitmap;
};

// An 8 x 8 pixel square filled with bitmap 7, its pixels `scale` device pixels wide.
PixelBuffer DrawFill(bool repeat, bool smooth, double scale, std::uint16_t id = 7,
                     Quality quality = Quality::High, bool swapped = false) {
    Shape s;
    s.extent = s.bounds = Rect{0, 160, 0, 160};
    FillStyle f;
    f.kind = FillKind::Bitmap;
    f.bitmapId = id;
    f.bitmapRepeat = repeat;
    f.bitmapSmoothed = smooth;
    f.matrix = Matrix::Scale(20 * scale, 20 * scale);
    s.fills.push_back(f);
    const std::int32_t c[5][2] = {{0, 0}, {160, 0}, {160, 160}, {0, 160}, {0, 0}};
    for (int i = 0; i < 4; ++i) {
        Edge e;
        e.x0 = c[i][0], e.y0 = c[i][1], e.x1 = c[i + 1][0], e.y1 = c[i + 1][1];
        e.fill1 = 1;
        s.edges.push_back(e);
    }
    s.groups.push_back({0, 4, 0, 1, 0, 0});
    TwoByTwo source(swapped);
    Renderer r;
    r.SetQuality(quality);
    r.SetBitmaps(&source);
    PixelBuffer surface(8, 8);
    Rect stage{0, 160, 0, 160};
    r.BeginFrame(surface, MakeStageView(ScaleMode::NoScale, 8, 8, stage), Rgb{0, 0, 0});
    r.DrawShape(s, Matrix::Scale(0.05, 0.05), {});
    r.EndFrame();
    return surface;
}

TEST(BitmapFills, ExchangedRedAndBlueDrawAsTheyWereDecoded) {
    for (const bool smooth : {false, true}) {
        const PixelBuffer plain = DrawFill(false, smooth, 3);
        const PixelBuffer swapped = DrawFill(false, smooth, 3, 7, Quality::High, true);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(swapped.At(x, y), plain.At(x, y)) << x << "," << y;
        }
    }
}

TEST(BitmapFills, ClippedFillsReachOutwardsAndRepeatingOnesTile) {
    const PixelBuffer clipped = DrawFill(false, false, 2);
    EXPECT_EQ(clipped.At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(clipped.At(3, 1), 0xFF00FF00u);
    EXPECT_EQ(clipped.At(7, 0), 0xFF00FF00u);  // past the bitmap: its edge column
    EXPECT_EQ(clipped.At(7, 7), 0xFFFFFFFFu);
    const PixelBuffer tiled = DrawFill(true, false, 2);
    EXPECT_EQ(tiled.At(4, 0), 0xFFFF0000u);
    EXPECT_EQ(tiled.At(6, 0), 0xFF00FF00u);
    EXPECT_EQ(tiled.At(5, 7), 0xFF0000FFu);
}

TEST(BitmapFills, SmoothedFillsMixNeighboursAndMissingBitmapsDrawNothing) {
    // Scaled 4x: device pixel 3's centre lies at bitmap x 0.875, 3/8 of the way from the red
    // centre to the green one.
    const PixelBuffer smooth = DrawFill(false, true, 4);
    EXPECT_EQ(smooth.At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(smooth.At(3, 0), 0xFF9F6000u);
    EXPECT_EQ(smooth.At(7, 0), 0xFF00FF00u);
    const PixelBuffer nearest = DrawFill(false, false, 4);
    EXPECT_EQ(nearest.At(3, 0), 0xFFFF0000u);
    const PixelBuffer none = DrawFill(false, true, 4, 8);
    EXPECT_EQ(none.At(3, 3), 0xFF000000u);
}

TEST(BitmapFills, LowQualitySmoothsOnlyBitmapsDrawnSmaller) {
    // Enlarged 4x, low quality takes the nearest pixel.
    EXPECT_EQ(DrawFill(false, true, 4, 7, Quality::Low).At(3, 0), 0xFFFF0000u);
    // Halved, device pixel 0's centre lies where the four bitmap pixels meet: an even mix of
    // red, green, blue and white, where the nearest pixel would be white.
    const Pixel mixed = DrawFill(false, true, 0.5, 7, Quality::Low).At(0, 0);
    EXPECT_NEAR(static_cast<int>(PixelR(mixed)), 128, 1);
    EXPECT_NEAR(static_cast<int>(PixelG(mixed)), 128, 1);
    // A fill that does not ask for smoothing stays unfiltered at any size.
    EXPECT_EQ(DrawFill(false, false, 0.5, 7, Quality::Low).At(0, 0), 0xFFFFFFFFu);
}

}  // namespace
