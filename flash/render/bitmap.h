// The movie's bitmaps: the DefineBits tags decoded into premultiplied pixels, and the library
// that decodes each one the first time it is drawn and keeps it for the life of the movie.
//
// JPEG, PNG and GIF data are decoded with stb_image, zlib data (the lossless formats, the
// JPEG alpha planes) with zlib. Bitmaps past Flash Player's own limits (8191 pixels a side,
// 16,777,215 pixels in all) or past the movie's budget of decoded bytes are refused before
// anything is decoded: they stay undrawn and the rest of the frame draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "flash/render/surface.h"
#include "flash/swf_movie.h"

namespace flash::render {

inline constexpr int kMaxBitmapSide = 8191;
inline constexpr std::int64_t kMaxBitmapPixels = 16777215;
// Decoded bytes a movie may hold: room for sixteen bitmaps of the largest size.
inline constexpr std::size_t kBitmapBudgetBytes = std::size_t{1} << 30;

// Tag codes of the bitmap definitions.
inline constexpr std::uint16_t kDefineBits = 6;
inline constexpr std::uint16_t kDefineBitsLossless = 20;
inline constexpr std::uint16_t kDefineBitsJpeg2 = 21;
inline constexpr std::uint16_t kDefineBitsJpeg3 = 35;
inline constexpr std::uint16_t kDefineBitsLossless2 = 36;
inline constexpr std::uint16_t kDefineBitsJpeg4 = 90;

// Premultiplied pixels, rows top to bottom with no padding, in memory from malloc: a decoder's
// own output buffer is taken over and converted where it lies, with no second copy.
// A pixel with its red and blue bytes exchanged.
inline Pixel SwapRedBlue(Pixel p) {
    return (p & 0xFF00FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
}

struct Bitmap {
    int width = 0;
    int height = 0;
    std::unique_ptr<Pixel[], void (*)(void*)> data{nullptr, &std::free};
    // Red and blue lie exchanged in `data`, as the decoder wrote them (bytes R, G, B, A): an
    // opaque JPEG is kept so rather than turned over 16 MB at a time, and its colours are read
    // through At or ShadeBitmap, which turn each pixel they take.
    bool redBlueSwapped = false;

    bool Empty() const { return data == nullptr; }
    std::size_t Count() const { return static_cast<std::size_t>(width) * height; }
    std::size_t Bytes() const { return Empty() ? 0 : Count() * sizeof(Pixel); }
    // As stored: see redBlueSwapped.
    const Pixel* Row(int y) const { return data.get() + static_cast<std::size_t>(y) * width; }
    Pixel At(int x, int y) const { return redBlueSwapped ? SwapRedBlue(Row(y)[x]) : Row(y)[x]; }
    std::span<const Pixel> Pixels() const { return {data.get(), Empty() ? 0 : Count()}; }
    // Fresh memory for w x h pixels (contents undefined); false, leaving the bitmap empty,
    // when there is none.
    bool Allocate(int w, int h);
};

enum class BitmapStatus : std::uint8_t {
    Decoded,
    NotBitmap,   // not a bitmap tag
    Unreadable,  // cut short, corrupt, or a format the decoders refuse
    TooLarge,    // past the side or pixel limit
    OverBudget,  // would take more than the bytes left in the budget
};

// Decodes one bitmap tag's body (its character id included). `jpegTables` is the movie's
// JPEGTables body, used by DefineBits only. On any status but Decoded `out` is unchanged.
BitmapStatus DecodeBitmap(std::uint16_t tagCode, std::span<const std::uint8_t> body,
                          std::span<const std::uint8_t> jpegTables, std::size_t budgetBytes,
                          Bitmap& out);

// False when a JPEG's Huffman table definition lists more than 256 codes: the decoder
// (stb_image as Debian ships it) writes past its tables for those, so such a picture is
// refused before it is decoded.
bool JpegHuffmanTablesFit(std::span<const std::uint8_t> jpeg);

// One JPEG stream from the shared tables and an image's data, as SWF files store them: the
// start and end markers between (and the stray end-start pair many files carry at the start
// of their data) are dropped, so that a strict decoder sees one image. Either part may be
// empty. Segments are copied whole; from the first scan on, the data is copied as it is.
std::vector<std::uint8_t> JoinJpeg(std::span<const std::uint8_t> tables,
                                   std::span<const std::uint8_t> data);

// What the renderer asks for a bitmap fill's bitmap.
class BitmapSource {
public:
    virtual ~BitmapSource() = default;
    // The decoded bitmap of the character with this id; null when there is none to draw.
    virtual const Bitmap* FindBitmap(std::uint16_t id) = 0;
};

// The bitmaps of one movie, each decoded on its first use and kept. The movie must outlive it.
class BitmapLibrary final : public BitmapSource {
public:
    explicit BitmapLibrary(const Movie& movie, std::size_t budgetBytes = kBitmapBudgetBytes);

    const Bitmap* FindBitmap(std::uint16_t id) override;

    std::size_t Decoded() const { return decoded_; }
    std::size_t Refused() const { return refused_; }
    std::size_t BytesUsed() const { return used_; }

private:
    const Movie& movie_;
    std::size_t budget_;
    std::size_t used_ = 0;
    std::size_t decoded_ = 0;
    std::size_t refused_ = 0;
    // Parallel to movie_.characters; a bitmap is tried once, decoded or not.
    std::vector<Bitmap> bitmaps_;
    std::vector<std::uint8_t> state_;  // 0 untried, 1 decoded, 2 refused
};

}  // namespace flash::render
