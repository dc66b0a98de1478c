#include "flash/swf_parser.h"

#include <cstdio>
#include <memory>

#include "flash/actions.h"
#include "flash/inflate.h"

namespace flash {

namespace {

constexpr std::size_t kHeaderBytes = 8;

enum TagCode : std::uint16_t {
    kEnd = 0,
    kShowFrame = 1,
    kDoAction = 12,
    kSetBackgroundColor = 9,
    kFrameLabel = 43,
};

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads bit fields most significant bit first, as the RECT record stores them.
class BitReader {
public:
    BitReader(std::span<const std::uint8_t> data, std::size_t pos) : data_(data), bit_(pos * 8) {}

    // Returns false, leaving `out` unchanged, when fewer than `count` bits are left.
    bool Unsigned(unsigned count, std::uint32_t& out) {
        if (count > 32 || data_.size() * 8 - bit_ < count) return false;
        std::uint32_t value = 0;
        for (unsigned i = 0; i < count; ++i, ++bit_) {
            const unsigned bit = data_[bit_ / 8] >> (7 - bit_ % 8) & 1;
            value = value << 1 | bit;
        }
        out = value;
        return true;
    }

    bool Signed(unsigned count, std::int32_t& out) {
        std::uint32_t raw = 0;
        if (!Unsigned(count, raw)) return false;
        // Sign-extend from `count` bits; a 0-bit field is 0.
        if (count > 0 && count < 32 && (raw >> (count - 1) & 1) != 0) raw |= ~0u << count;
        out = static_cast<std::int32_t>(raw);
        return true;
    }

    // The byte after the last bit read (fields end on a byte boundary).
    std::size_t BytePos() const { return (bit_ + 7) / 8; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t bit_;
};

void NoteActions(Movie& movie, ByteRange block) {
    ActionReader reader(std::span(movie.bytes).subspan(block.offset, block.length));
    ActionRecord record;
    while (reader.Next(record)) {
        if (!IsKnownAction(record.code)) movie.otherActions.set(record.code);
    }
}

// Walks the tags from `pos` into movie.frames. Returns true when it reached the End tag.
bool WalkTags(Movie& movie, std::size_t pos) {
    const std::vector<std::uint8_t>& b = movie.bytes;
    const std::size_t end = b.size();
    Frame current;
    std::size_t labels = 0;
    std::size_t blocks = 0;
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

        if (code == kEnd) {
            reachedEnd = true;
            break;
        }
        switch (code) {
            case kShowFrame:
                if (movie.frames.size() < kMaxFrames) {
                    movie.frames.push_back(std::move(current));
                } else {
                    movie.limited = true;
                }
                current = Frame{};
                break;
            case kSetBackgroundColor:
                if (length >= 3 && !movie.background) {
                    movie.background = Rgb{b[body.offset], b[body.offset + 1], b[body.offset + 2]};
                }
                break;
            case kFrameLabel: {
                // A NUL-terminated name, optionally followed by an anchor flag byte.
                const std::string_view name =
                    CString(std::span(b).subspan(body.offset, body.length));
                if (labels < kMaxLabels) {
                    ++labels;
                    current.labels.push_back(
                        {body.offset, static_cast<std::uint32_t>(name.size())});
                } else {
                    movie.limited = true;
                }
                break;
            }
            case kDoAction:
                if (blocks < kMaxActionBlocks) {
                    ++blocks;
                    current.actions.push_back(body);
                    NoteActions(movie, body);
                } else {
                    movie.limited = true;
                }
                break;
            default:
                movie.otherTags.set(code);
                break;
        }
    }
    // Content after the last ShowFrame is never shown; only a movie without any ShowFrame
    // gets an (empty) frame, so that frame 0 always exists.
    if (movie.frames.empty()) movie.frames.emplace_back();
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
    BitReader bits(movie.bytes, kHeaderBytes);
    std::uint32_t nbits = 0;
    Rect& r = movie.header.stage;
    std::size_t pos = 0;
    if (!bits.Unsigned(5, nbits) || !bits.Signed(nbits, r.xMin) || !bits.Signed(nbits, r.xMax) ||
        !bits.Signed(nbits, r.yMin) || !bits.Signed(nbits, r.yMax) ||
        movie.bytes.size() - (pos = bits.BytePos()) < 4) {
        // A rejected file leaves no half-filled movie behind.
        result.movie = Movie{};
        result.error = LoadError::BadHeader;
        return result;
    }
    movie.header.frameRate88 = U16(&movie.bytes[pos]);
    movie.header.declaredFrames = U16(&movie.bytes[pos + 2]);
    pos += 4;

    const bool reachedEnd = WalkTags(movie, pos);
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
