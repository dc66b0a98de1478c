// What the parser makes of a SWF file: plain values, no behaviour. The timeline core
// (timeline.h) plays them; the control paints from them.
//
// Frame count. A movie's header declares a frame count, and the tags hold one ShowFrame per
// frame; the two often disagree (tools that patch movies, movies cut short). Flash Player
// plays the frames that are really there: a movie that declares two frames but holds one
// ShowFrame behaves as a one-frame movie (its first-frame actions run once and never again),
// and one that declares one frame but holds two ShowFrames loops over both. So
// `TotalFrames()` - the number of ShowFrame tags, at least one - is the movie's frame count,
// and the control's `TotalFrames` reports it; `header.declaredFrames` is kept for display only.
// Tags after the last ShowFrame belong to no frame that is ever shown and are dropped; a movie with
// no ShowFrame at all has one empty frame, so "frame 0" always exists.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace flash {

enum class Compression : std::uint8_t { None, Zlib, Lzma };

// The stage rectangle in twips (1/20 pixel). Xmin and Ymin are not always 0.
struct Rect {
    std::int32_t xMin = 0;
    std::int32_t xMax = 0;
    std::int32_t yMin = 0;
    std::int32_t yMax = 0;

    std::int32_t WidthTwips() const { return xMax - xMin; }
    std::int32_t HeightTwips() const { return yMax - yMin; }
    bool operator==(const Rect&) const = default;
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Header {
    Compression compression = Compression::None;
    std::uint8_t version = 0;
    // The FileLength field as stored: uncompressed size, header included.
    std::uint32_t fileLength = 0;
    Rect stage;
    // Frames per second as 8.8 fixed point, as stored (0x1800 is 24 fps).
    std::uint16_t frameRate88 = 0;
    std::uint16_t declaredFrames = 0;

    double FrameRate() const { return frameRate88 / 256.0; }
};

// A run of bytes inside Movie::bytes. Offsets rather than pointers, so that a Movie can be
// copied and moved freely.
struct ByteRange {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    bool operator==(const ByteRange&) const = default;
};

struct Frame {
    // FrameLabel names (without their terminating NUL).
    std::vector<ByteRange> labels;
    // The action records of each DoAction tag of the frame, in tag order; read them with
    // ActionReader (actions.h).
    std::vector<ByteRange> actions;
};

// Limits that keep a hostile file from turning a few bytes per tag into large allocations.
// 65535 frames is what the format's 16-bit frame numbers can address anyway.
inline constexpr std::size_t kMaxFrames = 65535;
inline constexpr std::size_t kMaxLabels = 65535;
inline constexpr std::size_t kMaxActionBlocks = 1 << 20;

struct Movie {
    Header header;
    // The uncompressed file, header included: frames refer into it.
    std::vector<std::uint8_t> bytes;
    // The first SetBackgroundColor of the movie; none means the host's own colour.
    std::optional<Rgb> background;
    // At least one frame; see the note at the top about the frame count.
    std::vector<Frame> frames;
    // True when the data ended before the End tag (file cut short, FileLength shorter than
    // the tags, broken compressed stream): the frames read so far are kept.
    bool truncated = false;
    // True when one of the limits above dropped frames, labels or action blocks.
    bool limited = false;
    // Tag and action codes met but not understood by this engine, for diagnostics and for
    // tests that need to know whether a movie relies on them.
    std::bitset<1024> otherTags;
    std::bitset<256> otherActions;

    std::string_view Text(ByteRange r) const {
        return {reinterpret_cast<const char*>(bytes.data()) + r.offset, r.length};
    }
    std::size_t TotalFrames() const { return frames.size(); }
};

}  // namespace flash
