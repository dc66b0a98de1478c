#include "flash/render/bitmap.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "flash/inflate.h"

// stb_image's decoders, private to this file (STB_IMAGE_STATIC), so that the tools' own copy
// of the PNG reader never meets this one at link time.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_MAX_DIMENSIONS 8192
#include <stb/stb_image.h>

namespace flash::render {

namespace {

struct Reader {
    std::span<const std::uint8_t> data;
    std::size_t pos = 0;
    bool failed = false;

    std::uint8_t U8() {
        if (pos + 1 > data.size()) return failed = true, 0;
        return data[pos++];
    }
    std::uint16_t U16() {
        if (pos + 2 > data.size()) return failed = true, 0;
        pos += 2;
        return static_cast<std::uint16_t>(data[pos - 2] | data[pos - 1] << 8);
    }
    std::uint32_t U32() {
        const std::uint32_t lo = U16();
        return lo | std::uint32_t{U16()} << 16;
    }
    std::span<const std::uint8_t> Rest() const { return data.subspan(std::min(pos, data.size())); }
};

std::uint32_t Premul(std::uint32_t c, std::uint32_t a) {
    return (c * a + 127) / 255;
}

// RGBA bytes (and an optional alpha plane replacing their alpha) turned, where they lie, into
// premultiplied pixels. The bytes are straight colour, except under a JPEG's alpha plane:
// there the colour was multiplied by the plane when the movie was made, so a channel is only
// held to its alpha, as in the lossless alpha formats. Opaque pictures only swap red and blue,
// in one pass the compiler vectorises; the rest after it.
void FromRgba(std::uint8_t* rgba, const std::uint8_t* alpha, std::size_t count) {
    auto* px = reinterpret_cast<std::uint32_t*>(rgba);
    std::uint32_t all = 0xFF000000u;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t v;
        std::memcpy(&v, px + i, 4);  // bytes R, G, B, A: 0xAABBGGRR on little-endian machines
        all &= v;
        v = SwapRedBlue(v);
        std::memcpy(px + i, &v, 4);
    }
    if (alpha == nullptr && (all & 0xFF000000u) == 0xFF000000u) return;
    for (std::size_t i = 0; i < count; ++i) {
        Pixel p;
        std::memcpy(&p, px + i, 4);
        if (alpha != nullptr) {
            const std::uint32_t a = alpha[i];
            p = PackPixel(a, std::min(PixelR(p), a), std::min(PixelG(p), a),
                          std::min(PixelB(p), a));
        } else {
            const std::uint32_t a = PixelA(p);
            if (a == 255) continue;
            p = PackPixel(a, Premul(PixelR(p), a), Premul(PixelG(p), a), Premul(PixelB(p), a));
        }
        std::memcpy(px + i, &p, 4);
    }
}

BitmapStatus CheckSize(std::int64_t w, std::int64_t h, std::size_t budget) {
    if (w <= 0 || h <= 0) return BitmapStatus::Unreadable;
    if (w > kMaxBitmapSide || h > kMaxBitmapSide || w * h > kMaxBitmapPixels)
        return BitmapStatus::TooLarge;
    if (static_cast<std::size_t>(w * h) * sizeof(Pixel) > budget) return BitmapStatus::OverBudget;
    return BitmapStatus::Decoded;
}

bool IsPng(std::span<const std::uint8_t> d) {
    static constexpr std::uint8_t kSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return d.size() >= 8 && std::memcmp(d.data(), kSig, 8) == 0;
}

bool IsGif(std::span<const std::uint8_t> d) {
    return d.size() >= 6 && std::memcmp(d.data(), "GIF8", 4) == 0;
}

// An encoded image (JPEG, PNG, GIF) with an optional zlib alpha plane (JPEGs only).
BitmapStatus DecodeImage(std::span<const std::uint8_t> tables, std::span<const std::uint8_t> image,
                         std::span<const std::uint8_t> alphaZlib, std::size_t budget, Bitmap& out) {
    const bool jpeg = !IsPng(image) && !IsGif(image);
    std::vector<std::uint8_t> joined;
    std::span<const std::uint8_t> stream = image;
    if (jpeg) {
        joined = JoinJpeg(tables, image);
        stream = joined;
        if (!JpegHuffmanTablesFit(stream)) return BitmapStatus::Unreadable;
    }
    if (stream.size() > static_cast<std::size_t>(INT32_MAX)) return BitmapStatus::Unreadable;
    const auto* bytes = stream.data();
    const int length = static_cast<int>(stream.size());
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, length, &w, &h, &channels)) return BitmapStatus::Unreadable;
    if (const BitmapStatus s = CheckSize(w, h, budget); s != BitmapStatus::Decoded) return s;
    stbi_uc* rgba = stbi_load_from_memory(bytes, length, &w, &h, &channels, 4);
    if (rgba == nullptr) return BitmapStatus::Unreadable;
    // stb's buffer comes from malloc (its default allocator): the bitmap takes it over.
    static_assert(sizeof(Pixel) == 4);
    out.data.reset(reinterpret_cast<Pixel*>(rgba));
    out.width = w;
    out.height = h;
    out.redBlueSwapped = false;
    const std::size_t count = out.Count();
    std::vector<std::uint8_t> alpha;
    if (jpeg && !alphaZlib.empty()) {
        InflateZlib(alphaZlib, count, alpha);
        // A plane cut short leaves the rest of the picture opaque.
        alpha.resize(count, 255);
    }
    if (jpeg && alpha.empty()) {
        // stb_image gives a JPEG an alpha of 255 throughout: nothing to multiply, and red and
        // blue are turned where the pixels are read.
        out.redBlueSwapped = true;
        return BitmapStatus::Decoded;
    }
    FromRgba(rgba, alpha.empty() ? nullptr : alpha.data(), count);
    return BitmapStatus::Decoded;
}

BitmapStatus DecodeLossless(bool withAlpha, Reader& in, std::size_t budget, Bitmap& out) {
    const std::uint8_t format = in.U8();
    const int w = in.U16(), h = in.U16();
    const int tableSize = format == 3 ? in.U8() + 1 : 0;
    if (in.failed || (format != 3 && format != 4 && format != 5)) return BitmapStatus::Unreadable;
    if (const BitmapStatus s = CheckSize(w, h, budget); s != BitmapStatus::Decoded) return s;
    // Rows of the palette and RGB15 formats are padded to 32 bits.
    const std::size_t entry = withAlpha ? 4 : 3;
    const std::size_t stride = format == 3 ? (static_cast<std::size_t>(w) + 3) & ~std::size_t{3}
                               : format == 4
                                   ? (static_cast<std::size_t>(w) * 2 + 3) & ~std::size_t{3}
                                   : static_cast<std::size_t>(w) * 4;
    const std::size_t table = format == 3 ? tableSize * entry : 0;
    const std::size_t expected = table + stride * h;
    std::vector<std::uint8_t> data;
    InflateZlib(in.Rest(), expected, data);
    if (data.size() < expected) return BitmapStatus::Unreadable;
    Bitmap decoded;
    if (!decoded.Allocate(w, h)) return BitmapStatus::OverBudget;
    Pixel* pixels = decoded.data.get();
    // The alpha formats store premultiplied colour; a channel above its alpha is held to it.
    auto stored = [withAlpha](std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
        if (!withAlpha) return PackPixel(255, r, g, b);
        return PackPixel(a, std::min(r, a), std::min(g, a), std::min(b, a));
    };
    Pixel palette[256] = {};
    for (int i = 0; i < tableSize; ++i) {
        const std::uint8_t* e = data.data() + i * entry;
        palette[i] = stored(withAlpha ? e[3] : 255, e[0], e[1], e[2]);
    }
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = data.data() + table + y * stride;
        Pixel* dst = pixels + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            if (format == 3) {
                // An index past the table draws nothing.
                dst[x] = row[x] < tableSize ? palette[row[x]] : 0;
            } else if (format == 4) {
                const std::uint32_t v = row[2 * x] << 8 | row[2 * x + 1];
                auto five = [](std::uint32_t c) { return (c << 3) | (c >> 2); };
                dst[x] = PackPixel(255, five(v >> 10 & 31), five(v >> 5 & 31), five(v & 31));
            } else {
                const std::uint8_t* p = row + 4 * x;
                dst[x] = stored(p[0], p[1], p[2], p[3]);
            }
        }
    }
    out = std::move(decoded);
    return BitmapStatus::Decoded;
}

// Appends `s` to `out` walking its JPEG markers; true once a scan has begun (the rest of
// everything is then data).
bool AppendJpegPart(std::span<const std::uint8_t> s, std::vector<std::uint8_t>& out) {
    std::size_t i = 0;
    auto copyRest = [&] { out.insert(out.end(), s.begin() + i, s.end()); };
    while (i + 1 < s.size()) {
        if (s[i] != 0xFF) {
            copyRest();
            return true;
        }
        const std::uint8_t m = s[i + 1];
        if (m == 0xFF) {  // fill byte before a marker
            ++i;
            continue;
        }
        if (m == 0xD8 || m == 0xD9) {  // start and end of image
            i += 2;
            continue;
        }
        if (m == 0xDA) {  // start of scan: from here on, data
            copyRest();
            return true;
        }
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {  // markers without a length
            out.insert(out.end(), s.begin() + i, s.begin() + i + 2);
            i += 2;
            continue;
        }
        if (i + 4 > s.size()) break;
        const std::size_t end = std::min(s.size(), i + 2 + (s[i + 2] << 8 | s[i + 3]));
        out.insert(out.end(), s.begin() + i, s.begin() + end);
        i = end;
    }
    return false;
}

}  // namespace

bool Bitmap::Allocate(int w, int h) {
    data.reset();
    width = height = 0;
    if (w <= 0 || h <= 0) return false;
    data.reset(static_cast<Pixel*>(std::malloc(static_cast<std::size_t>(w) * h * sizeof(Pixel))));
    if (data == nullptr) return false;
    width = w;
    height = h;
    return true;
}

bool JpegHuffmanTablesFit(std::span<const std::uint8_t> d) {
    std::size_t at = 2;  // past the start of image
    while (at + 4 <= d.size()) {
        // Entropy-coded data and fill bytes are stepped over; in coded data a 0xFF is always
        // followed by 0 or a restart marker, so no table marker is ever found there.
        if (d[at] != 0xFF || d[at + 1] == 0xFF) {
            ++at;
            continue;
        }
        const std::uint8_t marker = d[at + 1];
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) {
            at += 2;  // markers without a length
            continue;
        }
        const std::size_t end = std::min(d.size(), at + 2 + (d[at + 2] << 8 | d[at + 3]));
        if (marker == 0xC4) {
            // Tables: a class and id byte, 16 code counts, then as many code values.
            for (std::size_t p = at + 4; p + 17 <= end;) {
                std::size_t codes = 0;
                for (std::size_t i = 1; i <= 16; ++i) codes += d[p + i];
                if (codes > 256) return false;
                p += 17 + codes;
            }
        }
        at = std::max(end, at + 2);
    }
    return true;
}

std::vector<std::uint8_t> JoinJpeg(std::span<const std::uint8_t> tables,
                                   std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out{0xFF, 0xD8};
    out.reserve(tables.size() + data.size() + 4);
    if (!AppendJpegPart(tables, out)) AppendJpegPart(data, out);
    return out;
}

BitmapStatus DecodeBitmap(std::uint16_t tagCode, std::span<const std::uint8_t> body,
                          std::span<const std::uint8_t> jpegTables, std::size_t budget,
                          Bitmap& out) {
    Reader in{body};
    in.U16();  // the character id
    if (in.failed) return BitmapStatus::Unreadable;
    switch (tagCode) {
        case kDefineBits:
            return DecodeImage(jpegTables, in.Rest(), {}, budget, out);
        case kDefineBitsJpeg2:
            return DecodeImage({}, in.Rest(), {}, budget, out);
        case kDefineBitsJpeg3:
        case kDefineBitsJpeg4: {
            const std::uint32_t alphaOffset = in.U32();
            if (tagCode == kDefineBitsJpeg4) in.U16();  // deblocking, not applied
            if (in.failed) return BitmapStatus::Unreadable;
            const std::span<const std::uint8_t> rest = in.Rest();
            const std::size_t split = std::min<std::size_t>(alphaOffset, rest.size());
            return DecodeImage({}, rest.first(split), rest.subspan(split), budget, out);
        }
        case kDefineBitsLossless:
        case kDefineBitsLossless2:
            return DecodeLossless(tagCode == kDefineBitsLossless2, in, budget, out);
        default:
            return BitmapStatus::NotBitmap;
    }
}

BitmapLibrary::BitmapLibrary(const Movie& movie, std::size_t budgetBytes)
    : movie_(movie),
      budget_(budgetBytes),
      bitmaps_(movie.characters.size()),
      state_(movie.characters.size(), 0) {}

const Bitmap* BitmapLibrary::FindBitmap(std::uint16_t id) {
    const Character* c = movie_.FindCharacter(id);
    if (c == nullptr || c->kind != CharacterKind::Bitmap) return nullptr;
    const std::size_t index = static_cast<std::size_t>(c - movie_.characters.data());
    if (index >= state_.size()) return nullptr;
    if (state_[index] == 0) {
        const std::span<const std::uint8_t> tables =
            movie_.jpegTables ? movie_.Bytes(*movie_.jpegTables) : std::span<const std::uint8_t>{};
        const BitmapStatus s = DecodeBitmap(c->tagCode, movie_.Bytes(c->body), tables,
                                            budget_ - used_, bitmaps_[index]);
        state_[index] = s == BitmapStatus::Decoded ? 1 : 2;
        if (s == BitmapStatus::Decoded) {
            used_ += bitmaps_[index].Bytes();
            ++decoded_;
        } else {
            ++refused_;
        }
    }
    return state_[index] == 1 ? &bitmaps_[index] : nullptr;
}

}  // namespace flash::render
