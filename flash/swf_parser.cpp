#include "flash/swf_parser.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "flash/actions.h"
#include "flash/inflate.h"
#include "flash/swf_reader.h"

namespace flash {

namespace {

constexpr std::size_t kHeaderBytes = 8;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void NoteActions(Movie& movie, ByteRange block) {
    ActionReader reader(movie.Bytes(block));
    ActionRecord record;
    while (reader.Next(record)) {
        if (!IsKnownAction(record.code)) movie.otherActions.set(record.code);
    }
}

// Counts over the whole movie, for the limits in swf_movie.h.
struct WalkCounts {
    std::size_t labels = 0;
    std::size_t blocks = 0;
    std::size_t controlTags = 0;
    std::vector<bool> defined = std::vector<bool>(65536);  // character ids met
};

// One timeline's frames as they are read: the main timeline's or a sprite's.
struct TimelineOut {
    std::vector<Frame>& frames;
    bool inSprite = false;
    std::uint32_t shown = 0;
};

bool AddControlTag(Movie& movie, WalkCounts& counts, Frame& frame, const ControlTag& tag) {
    if (counts.controlTags >= kMaxControlTags || frame.tags.size() >= kMaxTagsPerFrame) {
        movie.limited = true;
        return false;
    }
    ++counts.controlTags;
    frame.tags.push_back(tag);
    switch (tag.code) {
        case tags::kDoAction:
        case tags::kDoInitAction:
        case tags::kSoundStreamHead:
        case tags::kSoundStreamHead2:
            break;
        case tags::kStartSound:
        case tags::kStartSound2:
        case tags::kSoundStreamBlock:
            frame.sounds = true;
            break;
        default:
            frame.placements = true;
            break;
    }
    return true;
}

void AddActionBlock(Movie& movie, WalkCounts& counts, Frame& frame, ControlTag tag) {
    if (counts.blocks >= kMaxActionBlocks) {
        movie.limited = true;
        return;
    }
    if (tag.code == tags::kDoInitAction) tag.initIndex = movie.initActionBlocks;
    if (!AddControlTag(movie, counts, frame, tag)) return;
    ++counts.blocks;
    if (tag.code == tags::kDoInitAction) ++movie.initActionBlocks;
    NoteActions(movie, tag.body);
}

bool WalkTags(Movie& movie, std::size_t pos, std::size_t end, TimelineOut& out, WalkCounts& counts);

// DefineSprite: its own frames, read from its body.
void AddSprite(Movie& movie, ByteRange body, WalkCounts& counts) {
    if (body.length < 4) return;
    const std::uint16_t id = U16(&movie.bytes[body.offset]);
    if (counts.defined[id]) return;  // the first definition of an id counts
    counts.defined[id] = true;
    Sprite sprite;
    sprite.id = id;
    sprite.declaredFrames = U16(&movie.bytes[body.offset + 2]);
    TimelineOut out{sprite.frames, true};
    sprite.complete = WalkTags(movie, body.offset + 4, body.offset + body.length, out, counts);
    sprite.shownFrames = out.shown;
    movie.characters.push_back({id, CharacterKind::Sprite, tags::kDefineSprite, body,
                                static_cast<std::uint32_t>(movie.sprites.size())});
    movie.sprites.push_back(std::move(sprite));
}

// Walks the tags from `pos` to `end` into `out`. Returns true when it reached the End tag.
bool WalkTags(Movie& movie, std::size_t pos, std::size_t end, TimelineOut& out,
              WalkCounts& counts) {
    const std::vector<std::uint8_t>& b = movie.bytes;
    Frame current;
    bool reachedEnd = false;
    while (end - pos >= 2) {
        const std::uint16_t head = U16(&b[pos]);
        pos += 2;
        const std::uint16_t code = head >> 6;
        std::size_t length = head & 0x3F;
        if (length == 0x3F) {
            if (end - pos < 4) break;
            length = U32(&b[pos]);
            pos += 4;
        }
        if (length > end - pos) break;
        const ByteRange body{static_cast<std::uint32_t>(pos), static_cast<std::uint32_t>(length)};
        pos += length;

        if (code == tags::kEnd) {
            reachedEnd = true;
            break;
        }
        switch (code) {
            case tags::kShowFrame:
                ++out.shown;
                if (out.frames.size() < kMaxFrames) {
                    out.frames.push_back(std::move(current));
                } else {
                    movie.limited = true;
                }
                current = Frame{};
                break;
            case tags::kSetBackgroundColor:
                if (length >= 3 && !movie.background && !out.inSprite) {
                    movie.background = Rgb{b[body.offset], b[body.offset + 1], b[body.offset + 2]};
                }
                break;
            case tags::kJpegTables:
                if (!movie.jpegTables && !out.inSprite) movie.jpegTables = body;
                break;
            case tags::kFrameLabel: {
                // A NUL-terminated name, optionally followed by an anchor flag byte.
                const std::string_view name = CString(movie.Bytes(body));
                if (counts.labels < kMaxLabels) {
                    ++counts.labels;
                    current.labels.push_back(
                        {body.offset, static_cast<std::uint32_t>(name.size())});
                } else {
                    movie.limited = true;
                }
                break;
            }
            case tags::kDoAction:
                AddActionBlock(movie, counts, current, {code, 0, 0, body});
                break;
            case tags::kDoInitAction:
                if (length >= 2) {
                    AddActionBlock(
                        movie, counts, current,
                        {code, U16(&b[body.offset]), 0, {body.offset + 2, body.length - 2}});
                }
                break;
            case tags::kPlaceObject2:
            case tags::kPlaceObject3:
                if (length > 0 && (b[body.offset] & 0x80) != 0) movie.clipEvents = true;
                [[fallthrough]];
            case tags::kPlaceObject:
            case tags::kRemoveObject:
            case tags::kRemoveObject2:
            case tags::kStartSound:
            case tags::kStartSound2:
            case tags::kSoundStreamHead:
            case tags::kSoundStreamHead2:
            case tags::kSoundStreamBlock:
                AddControlTag(movie, counts, current, {code, 0, 0, body});
                break;
            case tags::kDefineButtonSound:
            case tags::kDefineButtonCxform: {
                // Like a definition, it belongs to the main timeline.
                std::vector<ByteRange>& bodies = code == tags::kDefineButtonSound
                                                     ? movie.buttonSounds
                                                     : movie.buttonColorTransforms;
                if (out.inSprite) {
                    movie.refused = true;
                } else if (length >= 2 && bodies.size() < 65536) {
                    bodies.push_back(body);
                }
                break;
            }
            case tags::kDefineSprite:
                // The format allows no sprite inside a sprite.
                if (out.inSprite) {
                    movie.refused = true;
                } else {
                    AddSprite(movie, body, counts);
                }
                break;
            default: {
                const std::optional<CharacterKind> kind = CharacterKindOfTag(code);
                if (!kind) {
                    movie.otherTags.set(code);
                } else if (out.inSprite) {
                    // Sprites hold control tags only; definitions belong to the main timeline.
                    movie.refused = true;
                } else if (length >= 2) {
                    const std::uint16_t id = U16(&b[body.offset]);
                    if (!counts.defined[id]) {
                        counts.defined[id] = true;
                        movie.characters.push_back({id, *kind, code, body, 0});
                    }
                }
                break;
            }
        }
    }
    // The main timeline drops what follows its last ShowFrame; a sprite enters it once as a
    // frame of its own. Either way frame 0 always exists.
    if (out.inSprite && (!current.tags.empty() || !current.labels.empty()) &&
        out.frames.size() < kMaxFrames) {
        out.frames.push_back(std::move(current));
    }
    if (out.frames.empty()) out.frames.emplace_back();
    std::uint32_t before = 0;
    for (Frame& f : out.frames) {
        f.tagsBefore = before;
        before += static_cast<std::uint32_t>(f.tags.size());
    }
    return reachedEnd;
}

}  // namespace

const char* LoadErrorName(LoadError error) {
    switch (error) {
        case LoadError::None:
            return "none";
        case LoadError::CannotRead:
            return "cannot read";
        case LoadError::NotSwf:
            return "not a SWF file";
        case LoadError::BadFileLength:
            return "bad file length";
        case LoadError::TooLarge:
            return "too large";
        case LoadError::BrokenStream:
            return "broken compressed stream";
        case LoadError::BadHeader:
            return "bad header";
    }
    return "unknown";
}

LoadError Decompress(std::span<const std::uint8_t> file, Header& header,
                     std::vector<std::uint8_t>& bytes, bool& truncated) {
    bytes.clear();
    if (file.size() < kHeaderBytes) return LoadError::NotSwf;
    const std::uint8_t s0 = file[0];
    if (file[1] != 'W' || file[2] != 'S') return LoadError::NotSwf;
    if (s0 == 'F') {
        header.compression = Compression::None;
    } else if (s0 == 'C') {
        header.compression = Compression::Zlib;
    } else if (s0 == 'Z') {
        header.compression = Compression::Lzma;
    } else {
        return LoadError::NotSwf;
    }
    header.version = file[3];
    header.fileLength = U32(&file[4]);
    if (header.fileLength < kHeaderBytes) return LoadError::BadFileLength;
    if (header.fileLength > kMaxMovieBytes) return LoadError::TooLarge;

    const std::size_t bodyLimit = header.fileLength - kHeaderBytes;
    InflateEnd end = InflateEnd::Complete;
    switch (header.compression) {
        case Compression::None: {
            const std::size_t have = file.size() - kHeaderBytes;
            const std::size_t take = have < bodyLimit ? have : bodyLimit;
            bytes.assign(file.begin(),
                         file.begin() + static_cast<std::ptrdiff_t>(kHeaderBytes + take));
            truncated = take < bodyLimit;
            return LoadError::None;
        }
        case Compression::Zlib:
            // The header goes in front so that offsets in the movie are file offsets.
            bytes.assign(file.begin(), file.begin() + kHeaderBytes);
            end = InflateZlib(file.subspan(kHeaderBytes), bodyLimit, bytes);
            break;
        case Compression::Lzma:
            // Compressed length UI32 (not relied on), then 5 property bytes, then the data.
            if (file.size() < 17) return LoadError::BrokenStream;
            bytes.assign(file.begin(), file.begin() + kHeaderBytes);
            end = InflateLzma(file.subspan(12).first<5>(), file.subspan(17), bodyLimit, bytes);
            break;
    }
    if (bytes.size() == kHeaderBytes) {
        bytes.clear();
        return LoadError::BrokenStream;
    }
    truncated = end != InflateEnd::Complete || bytes.size() - kHeaderBytes < bodyLimit;
    return LoadError::None;
}

LoadResult ParseMovie(std::span<const std::uint8_t> file) {
    LoadResult result;
    Movie& movie = result.movie;
    bool truncated = false;
    result.error = Decompress(file, movie.header, movie.bytes, truncated);
    if (!result.Ok()) return result;

    // RECT: 5-bit field size, then Xmin, Xmax, Ymin, Ymax; then frame rate and count.
    SwfReader bits(movie.bytes, kHeaderBytes);
    std::uint32_t nbits = 0;
    Rect& r = movie.header.stage;
    std::size_t pos = 0;
    if (!bits.Bits(5, nbits) || !bits.SignedBits(nbits, r.xMin) ||
        !bits.SignedBits(nbits, r.xMax) || !bits.SignedBits(nbits, r.yMin) ||
        !bits.SignedBits(nbits, r.yMax) || movie.bytes.size() - (pos = bits.Pos()) < 4) {
        // A rejected file leaves no half-filled movie behind.
        result.movie = Movie{};
        result.error = LoadError::BadHeader;
        return result;
    }
    movie.header.frameRate88 = U16(&movie.bytes[pos]);
    movie.header.declaredFrames = U16(&movie.bytes[pos + 2]);
    pos += 4;

    WalkCounts counts;
    TimelineOut root{movie.frames};
    const bool reachedEnd = WalkTags(movie, pos, movie.bytes.size(), root, counts);
    std::sort(movie.characters.begin(), movie.characters.end(),
              [](const Character& a, const Character& b) { return a.id < b.id; });
    movie.truncated = truncated || !reachedEnd;
    return result;
}

LoadResult LoadMovieFile(const std::string& path) {
    LoadResult result;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        result.error = LoadError::CannotRead;
        return result;
    }
    // Nothing past kMaxMovieBytes (plus the ZWS header) can be part of an acceptable movie,
    // so a huge file is read only that far.
    constexpr std::size_t kMaxRead = kMaxMovieBytes + 17;
    std::vector<std::uint8_t> data;
    // Sized from the file's length when it can be told, grown otherwise.
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long length = std::ftell(file.get());
        if (length > 0)
            data.resize(static_cast<std::size_t>(length) < kMaxRead
                            ? static_cast<std::size_t>(length) + 1
                            : kMaxRead);
    }
    std::rewind(file.get());
    std::size_t size = 0;
    for (;;) {
        if (size == data.size()) {
            if (size == kMaxRead) break;
            data.resize(size == 0 ? 1 << 16 : (size < kMaxRead / 2 ? size * 2 : kMaxRead));
        }
        const std::size_t got = std::fread(data.data() + size, 1, data.size() - size, file.get());
        size += got;
        if (got == 0) break;
    }
    if (std::ferror(file.get())) {
        result.error = LoadError::CannotRead;
        return result;
    }
    data.resize(size);
    return ParseMovie(data);
}

}  // namespace flash
