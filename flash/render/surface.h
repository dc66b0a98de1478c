// Where the rasteriser draws: rows of premultiplied 32-bit BGRA pixels (bytes B, G, R, A in
// memory; 0xAARRGGBB as a 32-bit value on little-endian machines). The control draws into its
// DIB section through SurfaceView, the command-line tool and the tests into a PixelBuffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace flash::render {

using Pixel = std::uint32_t;

// Largest surface (and so largest layer) the rasteriser draws: a side of 8192 pixels and
// 32 M pixels in all (128 MB). Larger requests are refused rather than attempted.
inline constexpr int kMaxSurfaceSide = 8192;
inline constexpr std::int64_t kMaxSurfacePixels = std::int64_t{1} << 25;

bool SurfaceSizeAllowed(int width, int height);

class Surface {
public:
    virtual ~Surface() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The first pixel of row y, 0 <= y < Height().
    virtual Pixel* Row(int y) = 0;
};

// A surface that owns its pixels.
class PixelBuffer final : public Surface {
public:
    PixelBuffer() = default;
    PixelBuffer(int width, int height) { Resize(width, height); }

    // Makes the buffer width x height, every pixel transparent. Beyond the caps (or for a
    // negative size) it refuses, becomes 0 x 0 and returns false. Keeps its memory for the
    // next call, so resizing within the largest size seen allocates nothing.
    bool Resize(int width, int height);

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    Pixel* Row(int y) override { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    const Pixel* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    Pixel At(int x, int y) const { return Row(y)[x]; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Pixel> pixels_;
};

// Someone else's pixels, `firstRow` pointing at the top row: the stride is in bytes and is
// negative for a bottom-up DIB (whose top row is the last in memory).
class SurfaceView final : public Surface {
public:
    SurfaceView(void* firstRow, int width, int height, std::ptrdiff_t strideBytes)
        : first_(static_cast<std::uint8_t*>(firstRow)),
          width_(width),
          height_(height),
          stride_(strideBytes) {}

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    Pixel* Row(int y) override { return reinterpret_cast<Pixel*>(first_ + y * stride_); }

private:
    std::uint8_t* first_;
    int width_;
    int height_;
    std::ptrdiff_t stride_;
};

// Channel access and packing.
constexpr std::uint32_t PixelA(Pixel p) {
    return p >> 24;
}
constexpr std::uint32_t PixelR(Pixel p) {
    return p >> 16 & 0xFF;
}
constexpr std::uint32_t PixelG(Pixel p) {
    return p >> 8 & 0xFF;
}
constexpr std::uint32_t PixelB(Pixel p) {
    return p & 0xFF;
}
constexpr Pixel PackPixel(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

}  // namespace flash::render
