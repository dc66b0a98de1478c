// What the parser makes of a SWF file: plain values, no behaviour. The player (player.h)
// plays them; the control paints from them.
//
// Frame count. A movie's header declares a frame count, and the tags hold one ShowFrame per
// frame; the two often disagree (tools that patch movies, movies cut short). Flash Player
// plays the frames that are really there: a movie that declares two frames but holds one
// ShowFrame behaves as a one-frame movie (its first-frame actions run once and never again),
// and one that declares one frame but holds two ShowFrames loops over both. So
// `TotalFrames()` - the number of ShowFrame tags, at least one - is the movie's frame count,
// and the control's `TotalFrames` reports it; `header.declaredFrames` is kept for display only.
// Tags after the last ShowFrame of the main timeline belong to no frame that is ever shown and
// are dropped; a movie with no ShowFrame at all has one empty frame, so "frame 0" always exists.
//
// Sprites (DefineSprite) are read the way Flash Player plays them, which differs: their
// declared frame count means nothing either, but content after a sprite's last ShowFrame is
// entered once as a frame of its own, and a sprite loops only when it has two or more
// ShowFrames and its own End tag (one cut short waits on its last frame, as if still loading).
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
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

// A straight (not premultiplied) colour with alpha; opaque unless told otherwise.
struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
    bool operator==(const Rgba&) const = default;
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

// The tag codes the model reads.
namespace tags {
inline constexpr std::uint16_t kEnd = 0;
inline constexpr std::uint16_t kShowFrame = 1;
inline constexpr std::uint16_t kPlaceObject = 4;
inline constexpr std::uint16_t kRemoveObject = 5;
inline constexpr std::uint16_t kJpegTables = 8;
inline constexpr std::uint16_t kSetBackgroundColor = 9;
inline constexpr std::uint16_t kDoAction = 12;
inline constexpr std::uint16_t kPlaceObject2 = 26;
inline constexpr std::uint16_t kRemoveObject2 = 28;
inline constexpr std::uint16_t kDefineSprite = 39;
inline constexpr std::uint16_t kFrameLabel = 43;
inline constexpr std::uint16_t kDoInitAction = 59;
inline constexpr std::uint16_t kPlaceObject3 = 70;
// Sound tags that act when their frame is entered (flash/sound/sound_tags.h reads them).
inline constexpr std::uint16_t kStartSound = 15;
inline constexpr std::uint16_t kSoundStreamHead = 18;
inline constexpr std::uint16_t kSoundStreamBlock = 19;
inline constexpr std::uint16_t kSoundStreamHead2 = 45;
inline constexpr std::uint16_t kStartSound2 = 89;
// The sounds a button plays on its transitions.
inline constexpr std::uint16_t kDefineButtonSound = 17;
// The colour transform of a DefineButton's characters (DefineButton2 records carry their own).
inline constexpr std::uint16_t kDefineButtonCxform = 23;
}  // namespace tags

enum class CharacterKind : std::uint8_t {
    Shape,
    MorphShape,
    Sprite,
    Button,
    Text,
    EditText,
    Bitmap,
    Font,
    Sound,
    Video,
    Other,
};

// The kind of character a definition tag defines; empty for tags that define none.
std::optional<CharacterKind> CharacterKindOfTag(std::uint16_t tagCode);

// One entry of the dictionary. `body` is the defining tag's whole body, the character id at
// its start included, so a tag's own reader (the rasteriser's ParseShape) takes it as it is.
struct Character {
    std::uint16_t id = 0;
    CharacterKind kind = CharacterKind::Other;
    std::uint16_t tagCode = 0;
    ByteRange body;
    // Sprite: index into Movie::sprites. Button: index into the player's button definitions,
    // set when the player is made.
    std::uint32_t index = 0;
};

// One tag of a frame that acts on the timeline: PlaceObject 1-3, RemoveObject 1-2, DoAction,
// DoInitAction, and the sound tags StartSound, StartSound2, SoundStreamHead(2) and
// SoundStreamBlock. Bodies are read when the frame runs (placement.h, actions.h, the sound's
// sound_tags.h).
struct ControlTag {
    std::uint16_t code = 0;
    std::uint16_t spriteId = 0;   // DoInitAction: the sprite it belongs to
    std::uint32_t initIndex = 0;  // DoInitAction: its number among the movie's init blocks
    ByteRange body;               // DoInitAction: the action records after the sprite id
};

struct Frame {
    // FrameLabel names (without their terminating NUL).
    std::vector<ByteRange> labels;
    // The frame's control tags in file order.
    std::vector<ControlTag> tags;
    // Control tags in the frames before this one: the cost of reaching this frame from the
    // timeline's start, known before going there.
    std::uint32_t tagsBefore = 0;
    // True when the frame places or removes something.
    bool placements = false;
    // True when the frame has a StartSound, StartSound2 or SoundStreamBlock.
    bool sounds = false;
};

struct Sprite {
    std::uint16_t id = 0;
    std::uint16_t declaredFrames = 0;
    // At least one frame; the last may be the content after the last ShowFrame (see the note
    // at the top).
    std::vector<Frame> frames;
    std::uint32_t shownFrames = 0;  // ShowFrame tags
    bool complete = false;          // ended with its own End tag

    bool Loops() const { return complete && shownFrames > 1; }
};

// Limits that keep a hostile file from turning a few bytes per tag into large allocations or
// long runs. 65535 frames per timeline is what the format's 16-bit frame numbers can address
// anyway; character ids are 16-bit, so there are at most 65536 characters and sprites.
inline constexpr std::size_t kMaxFrames = 65535;          // per timeline
inline constexpr std::size_t kMaxLabels = 65535;          // in the whole movie
inline constexpr std::size_t kMaxActionBlocks = 1 << 20;  // DoAction and DoInitAction
inline constexpr std::size_t kMaxControlTags = 1 << 22;   // in the whole movie
inline constexpr std::size_t kMaxTagsPerFrame = 1 << 16;

struct Movie {
    Header header;
    // The uncompressed file, header included: frames refer into it.
    std::vector<std::uint8_t> bytes;
    // The first SetBackgroundColor of the movie; none means the host's own colour.
    std::optional<Rgb> background;
    // The main timeline: at least one frame; see the note at the top about the frame count.
    std::vector<Frame> frames;
    // The dictionary, sorted by id. A later definition of an id already defined is ignored.
    std::vector<Character> characters;
    std::vector<Sprite> sprites;
    // The JPEGTables shared by DefineBits bitmaps, when the movie has them.
    std::optional<ByteRange> jpegTables;
    std::uint32_t initActionBlocks = 0;
    // DefineButtonSound bodies, in file order; the player gives each to its button.
    std::vector<ByteRange> buttonSounds;
    // DefineButtonCxform bodies, in file order; the player gives each to its button.
    std::vector<ByteRange> buttonColorTransforms;
    // True when the data ended before the End tag (file cut short, FileLength shorter than
    // the tags, broken compressed stream): the frames read so far are kept.
    bool truncated = false;
    // True when one of the limits above dropped frames, labels, tags or action blocks.
    bool limited = false;
    // True when tags stood where the format does not allow them and were skipped: a
    // DefineSprite or another definition inside a sprite.
    bool refused = false;
    // True when a placement carries clip event handlers (onClipEvent), which this engine
    // reads past but does not run.
    bool clipEvents = false;
    // Tag and action codes met but not understood by this engine, for diagnostics and for
    // tests that need to know whether a movie relies on them. Actions are noted from every
    // DoAction and DoInitAction block, sprites' included.
    std::bitset<1024> otherTags;
    std::bitset<256> otherActions;

    std::string_view Text(ByteRange r) const {
        return {reinterpret_cast<const char*>(bytes.data()) + r.offset, r.length};
    }
    std::span<const std::uint8_t> Bytes(ByteRange r) const {
        return std::span(bytes).subspan(r.offset, r.length);
    }
    std::size_t TotalFrames() const { return frames.size(); }
    // The character with this id; null when the movie defines none.
    const Character* FindCharacter(std::uint16_t id) const;
};

}  // namespace flash
