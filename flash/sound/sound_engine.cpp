#include "flash/sound/sound_engine.h"

#include <algorithm>

namespace flash::sound {

SoundEngine::SoundEngine(std::uint32_t outRate, std::size_t maxDecodedSamples)
    : mixer_(outRate), maxDecodedSamples_(maxDecodedSamples) {}

SoundEngine::~SoundEngine() {
    Clear();
}

void SoundEngine::Define(const DefineSound& sound) {
    auto it = sounds_.find(sound.id);
    if (it != sounds_.end()) {
        // Instances already playing keep the old sound until they end.
        if (it->second.pcm) decodedSamples_ -= it->second.pcm->samples.size();
        it->second = Sound{sound, nullptr};
    } else {
        sounds_.emplace(sound.id, Sound{sound, nullptr});
    }
}

void SoundEngine::Forget(std::uint16_t id, Sound& sound) {
    {
        // Also lets go of the references that ended channels keep.
        std::lock_guard lock(mutex_);
        mixer_.Stop(id);
    }
    decodedSamples_ -= sound.pcm->samples.size();
    sound.pcm.reset();
}

std::shared_ptr<const Pcm> SoundEngine::Decoded(std::uint16_t id, Sound& sound) {
    if (sound.pcm) return sound.pcm;
    if (decodedSamples_ >= maxDecodedSamples_) {
        for (auto& [otherId, other] : sounds_) {
            if (other.pcm && otherId != id && !IsPlaying(otherId)) Forget(otherId, other);
        }
    }
    const std::size_t room = maxDecodedSamples_ - std::min(decodedSamples_, maxDecodedSamples_);
    const std::size_t channels = sound.definition.format.Channels();
    auto pcm = std::make_shared<Pcm>(
        DecodeSound(sound.definition, std::min(kMaxSoundFrames, room / channels)));
    // An MP3 may hold two channels where its tag says one: cut what went past the room.
    if (pcm->samples.size() > room) {
        pcm->samples.resize(room / pcm->channels * pcm->channels);
        pcm->samples.shrink_to_fit();
    }
    decodedSamples_ += pcm->samples.size();
    sound.pcm = std::move(pcm);
    return sound.pcm;
}

void SoundEngine::Start(std::uint16_t id, const SoundInfo& info) {
    auto it = sounds_.find(id);
    if (it == sounds_.end()) return;
    if (info.stop) {
        std::lock_guard lock(mutex_);
        mixer_.Stop(id);
        return;
    }
    if (info.noMultiple && IsPlaying(id)) return;
    std::shared_ptr<const Pcm> pcm = Decoded(id, it->second);
    std::lock_guard lock(mutex_);
    mixer_.Play(std::move(pcm), info, id);
}

bool SoundEngine::IsPlaying(std::uint16_t id) const {
    std::lock_guard lock(mutex_);
    return mixer_.IsPlaying(id);
}

bool SoundEngine::StartStream(StreamKey key, const StreamHead& head, std::vector<Bytes> blocks,
                              std::size_t frame, double frameRate) {
    StopStream(key);
    auto source = std::make_unique<StreamSource>(head, std::move(blocks), frame, frameRate);
    if (!source->Playable()) return false;
    Stream stream;
    stream.tag = nextStreamTag_++;
    if (nextStreamTag_ == 0) nextStreamTag_ = 0x10000;
    {
        std::lock_guard lock(mutex_);
        if (!mixer_.PlayStream(*source, stream.tag)) return false;
        stream.startMix = mixer_.MixedFrames();
    }
    stream.source = std::move(source);
    streams_.emplace(key, std::move(stream));
    return true;
}

void SoundEngine::StopStream(StreamKey key) {
    auto it = streams_.find(key);
    if (it == streams_.end()) return;
    {
        std::lock_guard lock(mutex_);
        mixer_.Stop(it->second.tag);
    }
    streams_.erase(it);
}

bool SoundEngine::StreamPlaying(StreamKey key) const {
    auto it = streams_.find(key);
    if (it == streams_.end()) return false;
    std::lock_guard lock(mutex_);
    return mixer_.IsPlaying(it->second.tag);
}

std::uint64_t SoundEngine::StreamStart(StreamKey key) const {
    auto it = streams_.find(key);
    return it == streams_.end() ? 0 : it->second.startMix;
}

void SoundEngine::StopAll() {
    {
        std::lock_guard lock(mutex_);
        mixer_.StopAll();
    }
    streams_.clear();
}

void SoundEngine::Clear() {
    StopAll();
    sounds_.clear();
    decodedSamples_ = 0;
}

std::size_t SoundEngine::ActiveChannels() const {
    std::lock_guard lock(mutex_);
    return mixer_.ActiveChannels();
}

void SoundEngine::Render(std::int16_t* out, std::size_t frames) {
    std::lock_guard lock(mutex_);
    mixer_.Mix(out, frames);
}

std::uint64_t SoundEngine::MixedFrames() const {
    std::lock_guard lock(mutex_);
    return mixer_.MixedFrames();
}

}  // namespace flash::sound
