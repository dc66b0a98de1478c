#include "flash/sound/sound_fuzz.h"

#include <optional>
#include <vector>

#include "flash/sound/adpcm.h"
#include "flash/sound/sound_engine.h"
#include "flash/sound/sound_tags.h"

namespace flash::sound {
namespace {

constexpr std::uint16_t kShowFrame = 1;
constexpr std::size_t kMaxFrames = 4096;
// Output mixed per ShowFrame: enough to end short sounds and cross a few stream blocks.
constexpr std::size_t kFrameMix = 512;
// Small enough that a fuzz run spends its time on many inputs, large enough to hit the
// budget's eviction with a few long sounds.
constexpr std::size_t kDecodeBudget = std::size_t{1} << 21;

}  // namespace

void FuzzSoundTags(std::span<const std::uint8_t> tags) {
    // Made at the first sound tag: most movies have none, and the movie fuzzer passes them all.
    std::optional<SoundEngine> engine;
    const auto Engine = [&engine]() -> SoundEngine& {
        if (!engine) engine.emplace(kOutputRate, kDecodeBudget);
        return *engine;
    };
    std::int16_t mix[2 * kFrameMix];
    std::vector<std::int16_t> scratch;
    std::optional<StreamHead> head;
    std::vector<Bytes> blocks(1);

    std::size_t pos = 0;
    while (tags.size() - pos >= 2) {
        const unsigned record = tags[pos] | (tags[pos + 1] << 8);
        pos += 2;
        const std::uint16_t code = static_cast<std::uint16_t>(record >> 6);
        std::size_t length = record & 0x3F;
        if (length == 0x3F) {
            if (tags.size() - pos < 4) break;
            length = tags[pos] | (tags[pos + 1] << 8) | (tags[pos + 2] << 16) |
                     (std::size_t{tags[pos + 3]} << 24);
            pos += 4;
        }
        if (length > tags.size() - pos) break;
        const Bytes body = tags.subspan(pos, length);
        pos += length;

        switch (code) {
            case kShowFrame:
                if (engine) engine->Render(mix, kFrameMix);
                if (blocks.size() < kMaxFrames) blocks.emplace_back();
                break;
            case kTagDefineSound:
                if (const auto sound = ParseDefineSound(body)) {
                    Engine().Define(*sound);
                    for (unsigned channels : {1u, 2u}) {
                        scratch.clear();
                        DecodeAdpcm(sound->data, channels, scratch, kDecodeBudget / 2);
                    }
                }
                break;
            case kTagStartSound:
            case kTagStartSound2:
                if (const auto start = ParseStartSound(code, body)) {
                    Engine().Start(start->id, start->info);
                }
                break;
            case kTagSoundStreamHead:
            case kTagSoundStreamHead2:
                head = ParseSoundStreamHead(body);
                Engine();
                break;
            case kTagSoundStreamBlock:
                blocks.back() = body;
                if (head) ParseSoundStreamBlock(*head, body);
                break;
            default:
                break;
        }
    }
    if (!engine) return;
    if (head) {
        engine->StartStream(1, *head, blocks, 0, 12);
        engine->StartStream(2, *head, blocks, blocks.size() / 2, 24);
    }
    for (int i = 0; i < 4; ++i) engine->Render(mix, kFrameMix);
    engine->StopStream(1);
    engine->Render(mix, kFrameMix);
    engine->Clear();
}

void FuzzMovieSounds(std::span<const std::uint8_t> movieBytes) {
    // The header: signature, version and length (8 bytes), the stage rectangle (5 bits of
    // field size, then four fields), the frame rate and the frame count.
    if (movieBytes.size() < 9) return;
    const std::size_t rectBits = 5 + 4 * static_cast<std::size_t>(movieBytes[8] >> 3);
    const std::size_t tagsStart = 8 + (rectBits + 7) / 8 + 4;
    if (tagsStart >= movieBytes.size()) return;
    FuzzSoundTags(movieBytes.subspan(tagsStart));
}

}  // namespace flash::sound
