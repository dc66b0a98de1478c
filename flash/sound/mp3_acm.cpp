// MP3 through the Audio Compression Manager's MPEG layer III codec, which Windows ships and
// Wine provides.
#include <windows.h>
// Not part of windows.h when WIN32_LEAN_AND_MEAN is set.
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>

#include "flash/sound/mp3_codec.h"

namespace flash::sound {
namespace {

// Frames per conversion call, and the largest layer III frame (MPEG-1, 320 kbit/s, 32 kHz,
// padded). The output room covers the frames' samples and a few the codec held back.
constexpr std::size_t kBatchFrames = 32;
constexpr std::size_t kMaxFrameBytes = 1441;
constexpr std::size_t kHeldBackFrames = 4;

class AcmCodec final : public Mp3Codec {
public:
    ~AcmCodec() override { Close(); }

    bool Open(const Mp3FrameHeader& format) override {
        format_ = format;
        src_.resize(kBatchFrames * kMaxFrameBytes);
        dst_.resize((kBatchFrames + kHeldBackFrames) * 1152 * format.channels);
        return OpenStream();
    }

    void Decode(std::span<const std::uint8_t> frames, std::vector<std::int16_t>& out) override {
        std::size_t pos = 0;
        while (stream_ && pos < frames.size()) {
            // A batch of whole frames; the caller gives only whole frames of our format.
            std::size_t end = pos;
            for (std::size_t n = 0; n < kBatchFrames && end < frames.size(); ++n) {
                const auto h = ReadMp3FrameHeader(frames.subspan(end));
                if (!h || h->bytes > frames.size() - end) break;
                end += h->bytes;
            }
            if (end == pos) return;
            Convert(frames.subspan(pos, end - pos), 0, out);
            pos = end;
        }
    }

    void Finish(std::vector<std::int16_t>& out) override {
        if (stream_) Convert({}, ACM_STREAMCONVERTF_END, out);
    }

private:
    bool OpenStream() {
        MPEGLAYER3WAVEFORMAT mp3{};
        mp3.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        mp3.wfx.nChannels = format_.channels;
        mp3.wfx.nSamplesPerSec = format_.rate;
        mp3.wfx.nAvgBytesPerSec = format_.kbps * 1000u / 8u;
        mp3.wfx.nBlockAlign = 1;
        mp3.wfx.wBitsPerSample = 0;
        mp3.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        mp3.wID = MPEGLAYER3_ID_MPEG;
        mp3.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
        mp3.nBlockSize = static_cast<WORD>(format_.bytes);
        mp3.nFramesPerBlock = 1;
        mp3.nCodecDelay = 0;

        WAVEFORMATEX pcm{};
        pcm.wFormatTag = WAVE_FORMAT_PCM;
        pcm.nChannels = format_.channels;
        pcm.nSamplesPerSec = format_.rate;
        pcm.wBitsPerSample = 16;
        pcm.nBlockAlign = static_cast<WORD>(2 * format_.channels);
        pcm.nAvgBytesPerSec = pcm.nBlockAlign * format_.rate;

        if (acmStreamOpen(&stream_, nullptr, &mp3.wfx, &pcm, nullptr, 0, 0,
                          ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
            stream_ = nullptr;
            return false;
        }
        header_ = {};
        header_.cbStruct = sizeof(header_);
        header_.pbSrc = src_.data();
        header_.cbSrcLength = static_cast<DWORD>(src_.size());
        header_.pbDst = reinterpret_cast<BYTE*>(dst_.data());
        header_.cbDstLength = static_cast<DWORD>(dst_.size() * sizeof(std::int16_t));
        if (acmStreamPrepareHeader(stream_, &header_, 0) != MMSYSERR_NOERROR) {
            acmStreamClose(stream_, 0);
            stream_ = nullptr;
            return false;
        }
        first_ = true;
        return true;
    }

    void Close() {
        if (!stream_) return;
        header_.cbSrcLength = static_cast<DWORD>(src_.size());
        header_.cbDstLength = static_cast<DWORD>(dst_.size() * sizeof(std::int16_t));
        acmStreamUnprepareHeader(stream_, &header_, 0);
        acmStreamClose(stream_, 0);
        stream_ = nullptr;
    }

    // Converts `bytes` (at most one batch), feeding again what the codec left unread.
    void Convert(std::span<const std::uint8_t> bytes, DWORD flags, std::vector<std::int16_t>& out) {
        if (!bytes.empty()) std::memcpy(src_.data(), bytes.data(), bytes.size());
        std::size_t offset = 0;
        std::size_t left = bytes.size();
        for (int round = 0; round < 8; ++round) {
            if (offset > 0) std::memmove(src_.data(), src_.data() + offset, left);
            header_.cbSrcLength = static_cast<DWORD>(left);
            header_.cbDstLength = static_cast<DWORD>(dst_.size() * sizeof(std::int16_t));
            header_.cbSrcLengthUsed = 0;
            header_.cbDstLengthUsed = 0;
            const DWORD f = flags | (first_ ? ACM_STREAMCONVERTF_START : 0);
            if (acmStreamConvert(stream_, &header_, f) != MMSYSERR_NOERROR) return;
            first_ = false;
            const std::size_t samples = header_.cbDstLengthUsed / sizeof(std::int16_t);
            const std::size_t whole = samples / format_.channels * format_.channels;
            out.insert(out.end(), dst_.begin(), dst_.begin() + static_cast<std::ptrdiff_t>(whole));
            const std::size_t used = std::min<std::size_t>(header_.cbSrcLengthUsed, left);
            offset = used;
            left -= used;
            // Done when everything was read and the output did not fill the buffer (a full
            // buffer may mean more is waiting).
            const bool full = header_.cbDstLengthUsed == header_.cbDstLength;
            if ((left == 0 && !full) || (used == 0 && whole == 0)) return;
        }
    }

    Mp3FrameHeader format_;
    HACMSTREAM stream_ = nullptr;
    ACMSTREAMHEADER header_{};
    std::vector<std::uint8_t> src_;
    std::vector<std::int16_t> dst_;
    bool first_ = true;
};

}  // namespace

std::unique_ptr<Mp3Codec> MakeMp3Codec() {
    return std::make_unique<AcmCodec>();
}

}  // namespace flash::sound
