// MP3 through libmpg123, for the native build (tests, fuzzing, tools on Linux).
#include <mpg123.h>

#include <mutex>

#include "flash/sound/mp3_codec.h"

namespace flash::sound {
namespace {

class Mpg123Codec final : public Mp3Codec {
public:
    ~Mpg123Codec() override {
        if (handle_) mpg123_delete(handle_);
    }

    bool Open(const Mp3FrameHeader& format) override {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        channels_ = format.channels;
        int error = MPG123_OK;
        handle_ = mpg123_new(nullptr, &error);
        if (handle_ == nullptr) return false;
        // Every decoded sample is kept, as the Windows codec keeps them: the movie's own seek
        // fields say what to skip.
        mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
        mpg123_param(handle_, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
        mpg123_format_none(handle_);
        const int layout = format.channels == 1 ? MPG123_MONO : MPG123_STEREO;
        return mpg123_format(handle_, format.rate, layout, MPG123_ENC_SIGNED_16) == MPG123_OK &&
               mpg123_open_feed(handle_) == MPG123_OK;
    }

    void Decode(std::span<const std::uint8_t> frames, std::vector<std::int16_t>& out) override {
        if (mpg123_feed(handle_, frames.data(), frames.size()) != MPG123_OK) return;
        Drain(out);
    }

    void Finish(std::vector<std::int16_t>& out) override { Drain(out); }

private:
    void Drain(std::vector<std::int16_t>& out) {
        constexpr std::size_t kChunk = 1152 * 2 * 4;  // samples
        for (;;) {
            const std::size_t start = out.size();
            out.resize(start + kChunk);
            std::size_t bytes = 0;
            const int result =
                mpg123_read(handle_, reinterpret_cast<unsigned char*>(out.data() + start),
                            kChunk * sizeof(std::int16_t), &bytes);
            out.resize(start + bytes / sizeof(std::int16_t) / channels_ * channels_);
            if (result == MPG123_NEW_FORMAT) continue;
            if (result != MPG123_OK || bytes == 0) return;
        }
    }

    mpg123_handle* handle_ = nullptr;
    unsigned channels_ = 1;
};

}  // namespace

std::unique_ptr<Mp3Codec> MakeMp3Codec() {
    return std::make_unique<Mpg123Codec>();
}

}  // namespace flash::sound
