#include "flash/sound/sound_tags.h"

#include <cstring>

namespace flash::sound {
namespace {

// Little-endian fields over a body; every read checks the bounds first and a failed read
// leaves the reader failed, so a chain of reads needs one check at the end.
class Reader {
public:
    explicit Reader(Bytes body) : body_(body) {}

    bool Ok() const { return ok_; }
    Bytes Rest() const { return ok_ ? body_.subspan(pos_) : Bytes(); }
    std::size_t Left() const { return ok_ ? body_.size() - pos_ : 0; }

    std::uint8_t U8() { return static_cast<std::uint8_t>(Take(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Take(2)); }
    std::int16_t S16() { return static_cast<std::int16_t>(Take(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Take(4)); }

    // A NUL-terminated text, without its NUL.
    std::string_view Text() {
        if (!ok_) return {};
        const void* end = std::memchr(body_.data() + pos_, 0, body_.size() - pos_);
        if (end == nullptr) {
            ok_ = false;
            return {};
        }
        const auto* start = reinterpret_cast<const char*>(body_.data() + pos_);
        const std::size_t length = static_cast<const char*>(end) - start;
        pos_ += length + 1;
        return {start, length};
    }

private:
    std::uint64_t Take(std::size_t n) {
        if (!ok_ || body_.size() - pos_ < n) {
            ok_ = false;
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) v |= std::uint64_t{body_[pos_ + i]} << (8 * i);
        pos_ += n;
        return v;
    }

    Bytes body_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Codec (4 bits), rate (2), size (1), type (1), from the high bit down.
SoundFormat FormatFromByte(std::uint8_t b) {
    SoundFormat f;
    f.codec = static_cast<Codec>(b >> 4);
    f.rateCode = static_cast<std::uint8_t>((b >> 2) & 3);
    f.sixteenBit = (b & 2) != 0;
    f.stereo = (b & 1) != 0;
    return f;
}

bool ReadSoundInfo(Reader& r, SoundInfo& info) {
    const std::uint8_t flags = r.U8();
    info.stop = (flags & 0x20) != 0;
    info.noMultiple = (flags & 0x10) != 0;
    const bool hasEnvelope = (flags & 0x08) != 0;
    const bool hasLoops = (flags & 0x04) != 0;
    const bool hasOut = (flags & 0x02) != 0;
    const bool hasIn = (flags & 0x01) != 0;
    if (hasIn) info.inPoint = r.U32();
    if (hasOut) info.outPoint = r.U32();
    if (hasLoops) info.loops = r.U16();
    if (hasEnvelope) {
        const std::uint8_t points = r.U8();
        // Each point is 8 bytes: a count the body cannot hold is refused before allocating.
        if (r.Left() < std::size_t{points} * 8) return false;
        info.envelope.resize(points);
        for (EnvelopePoint& p : info.envelope) {
            p.pos44 = r.U32();
            p.left = r.U16();
            p.right = r.U16();
        }
    }
    return r.Ok();
}

}  // namespace

std::uint32_t SoundFormat::RateHz() const {
    switch (codec) {
        case Codec::Nellymoser16k:
            return 16000;
        case Codec::Nellymoser8k:
            return 8000;
        default:
            break;
    }
    static constexpr std::uint32_t kRates[4] = {5512, 11025, 22050, 44100};
    return kRates[rateCode & 3];
}

std::optional<DefineSound> ParseDefineSound(Bytes body) {
    Reader r(body);
    DefineSound s;
    s.id = r.U16();
    s.format = FormatFromByte(r.U8());
    s.sampleCount = r.U32();
    if (s.format.codec == Codec::Mp3) s.seekSamples = r.S16();
    if (!r.Ok()) return std::nullopt;
    s.data = r.Rest();
    return s;
}

std::optional<StartSound> ParseStartSound(std::uint16_t tagCode, Bytes body) {
    Reader r(body);
    StartSound s;
    if (tagCode == kTagStartSound) {
        s.id = r.U16();
    } else if (tagCode == kTagStartSound2) {
        s.className = r.Text();
    } else {
        return std::nullopt;
    }
    if (!ReadSoundInfo(r, s.info)) return std::nullopt;
    return s;
}

std::optional<StreamHead> ParseSoundStreamHead(Bytes body) {
    Reader r(body);
    StreamHead h;
    h.playback = FormatFromByte(r.U8() & 0x0F);
    h.stream = FormatFromByte(r.U8());
    h.samplesPerFrame = r.U16();
    if (!r.Ok()) return std::nullopt;
    if (h.stream.codec == Codec::Mp3 && r.Left() >= 2) h.latencySeek = r.S16();
    return h;
}

std::optional<StreamBlock> ParseSoundStreamBlock(const StreamHead& head, Bytes body) {
    Reader r(body);
    StreamBlock b;
    if (head.stream.codec == Codec::Mp3) {
        b.sampleCount = r.U16();
        b.seekSamples = r.S16();
        if (!r.Ok()) return std::nullopt;
    }
    b.data = r.Rest();
    return b;
}

}  // namespace flash::sound
