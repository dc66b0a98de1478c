#include "flash/sound/decoder.h"

#include <algorithm>
#include <optional>

#include "flash/sound/adpcm.h"
#include "flash/sound/mp3_codec.h"
#include "flash/sound/mp3_frames.h"

namespace flash::sound {
namespace {

// Keeps at most `maxFrames` frames appended after `start`; returns the frames kept.
std::size_t Cap(std::vector<std::int16_t>& out, std::size_t start, unsigned channels,
                std::size_t maxFrames) {
    const std::size_t frames = (out.size() - start) / channels;
    const std::size_t kept = std::min(frames, maxFrames);
    out.resize(start + kept * channels);
    return kept;
}

class SilentDecoder final : public Decoder {
public:
    explicit SilentDecoder(const SoundFormat& f) : rate_(f.RateHz()), channels_(f.Channels()) {}
    std::uint32_t Rate() const override { return rate_; }
    unsigned Channels() const override { return channels_; }
    std::size_t Decode(std::span<const std::uint8_t>, std::vector<std::int16_t>&,
                       std::size_t) override {
        return 0;
    }
    bool Supported() const override { return false; }

private:
    std::uint32_t rate_;
    unsigned channels_;
};

// Uncompressed samples: 8-bit ones are unsigned (128 is silence), 16-bit ones little-endian.
// The "native byte order" format was written on little-endian machines and reads the same.
class PcmDecoder final : public Decoder {
public:
    explicit PcmDecoder(const SoundFormat& f)
        : rate_(f.RateHz()), channels_(f.Channels()), sixteen_(f.sixteenBit) {}
    std::uint32_t Rate() const override { return rate_; }
    unsigned Channels() const override { return channels_; }

    std::size_t Decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out,
                       std::size_t maxFrames) override {
        const std::size_t width = sixteen_ ? 2 : 1;
        const std::size_t frames = std::min(data.size() / (width * channels_), maxFrames);
        const std::size_t count = frames * channels_;
        const std::size_t start = out.size();
        out.resize(start + count);
        std::int16_t* dst = out.data() + start;
        if (sixteen_) {
            for (std::size_t i = 0; i < count; ++i) {
                dst[i] = static_cast<std::int16_t>(data[2 * i] | (data[2 * i + 1] << 8));
            }
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                dst[i] = static_cast<std::int16_t>((data[i] - 128) * 256);
            }
        }
        return frames;
    }

private:
    std::uint32_t rate_;
    unsigned channels_;
    bool sixteen_;
};

class AdpcmDecoder final : public Decoder {
public:
    explicit AdpcmDecoder(const SoundFormat& f) : rate_(f.RateHz()), channels_(f.Channels()) {}
    std::uint32_t Rate() const override { return rate_; }
    unsigned Channels() const override { return channels_; }

    std::size_t Decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out,
                       std::size_t maxFrames) override {
        // At most one frame per two bits: reserve what the data can hold, never more.
        out.reserve(out.size() + std::min(maxFrames, data.size() * 4 / channels_ + 1) * channels_);
        return DecodeAdpcm(data, channels_, out, maxFrames);
    }

private:
    std::uint32_t rate_;
    unsigned channels_;
};

// Finds the whole frames and hands runs of them to the platform's codec. The first frame
// fixes the format; later frames of another rate or channel count are skipped, since a codec
// cannot change its format within a sound.
class Mp3Decoder final : public Decoder {
public:
    explicit Mp3Decoder(const SoundFormat& f) : tagRate_(f.RateHz()), tagChannels_(f.Channels()) {}
    std::uint32_t Rate() const override { return format_ ? format_->rate : tagRate_; }
    unsigned Channels() const override { return format_ ? format_->channels : tagChannels_; }
    bool Supported() const override { return !failed_; }

    std::size_t Decode(std::span<const std::uint8_t> data, std::vector<std::int16_t>& out,
                       std::size_t maxFrames) override {
        const std::size_t start = out.size();
        const auto produced = [&] {
            return format_ ? (out.size() - start) / format_->channels : 0;
        };
        std::size_t pos = 0;
        while (produced() < maxFrames && !failed_) {
            std::optional<Mp3Frame> f = FindMp3Frame(data, pos);
            if (!f) break;
            pos = f->offset + f->header.bytes;
            if (!format_) {
                codec_ = MakeMp3Codec();
                if (!codec_ || !codec_->Open(f->header)) {
                    failed_ = true;
                    codec_.reset();
                    break;
                }
                format_ = f->header;
            } else if (f->header.rate != format_->rate || f->header.channels != format_->channels) {
                continue;
            }
            // The run: this frame and those right after it in the same format, as many as
            // the frames still wanted need, and two more for what the codec holds back.
            const std::size_t runStart = f->offset;
            std::size_t runFrames = f->header.samples;
            const std::size_t wanted = maxFrames - produced() + 2 * std::size_t{f->header.samples};
            while (runFrames < wanted) {
                const std::optional<Mp3FrameHeader> next = ReadMp3FrameHeader(data.subspan(pos));
                if (!next || next->bytes > data.size() - pos || next->rate != format_->rate ||
                    next->channels != format_->channels) {
                    break;
                }
                pos += next->bytes;
                runFrames += next->samples;
            }
            codec_->Decode(data.subspan(runStart, pos - runStart), out);
        }
        return format_ ? Cap(out, start, format_->channels, maxFrames) : 0;
    }

    std::size_t Finish(std::vector<std::int16_t>& out, std::size_t maxFrames) override {
        if (!codec_) return 0;
        const std::size_t start = out.size();
        codec_->Finish(out);
        return Cap(out, start, format_->channels, maxFrames);
    }

private:
    std::uint32_t tagRate_;
    unsigned tagChannels_;
    std::optional<Mp3FrameHeader> format_;
    std::unique_ptr<Mp3Codec> codec_;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<Decoder> MakeDecoder(const SoundFormat& format) {
    switch (format.codec) {
        case Codec::PcmNative:
        case Codec::PcmLittle:
            return std::make_unique<PcmDecoder>(format);
        case Codec::Adpcm:
            return std::make_unique<AdpcmDecoder>(format);
        case Codec::Mp3:
            return std::make_unique<Mp3Decoder>(format);
        default:
            return std::make_unique<SilentDecoder>(format);
    }
}

Pcm DecodeSound(const DefineSound& sound, std::size_t maxFrames) {
    std::unique_ptr<Decoder> decoder = MakeDecoder(sound.format);
    const std::size_t seek = sound.format.codec == Codec::Mp3
                                 ? static_cast<std::size_t>(std::max<int>(0, sound.seekSamples))
                                 : 0;
    const std::size_t total = seek + std::min<std::size_t>(sound.sampleCount, maxFrames);
    Pcm pcm;
    std::size_t frames = decoder->Decode(sound.data, pcm.samples, total);
    frames += decoder->Finish(pcm.samples, total - frames);
    pcm.rate = decoder->Rate();
    pcm.channels = decoder->Channels();
    const std::size_t drop = std::min(seek, frames) * pcm.channels;
    pcm.samples.erase(pcm.samples.begin(), pcm.samples.begin() + static_cast<std::ptrdiff_t>(drop));
    pcm.samples.shrink_to_fit();
    return pcm;
}

}  // namespace flash::sound
