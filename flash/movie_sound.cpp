#include "flash/movie_sound.h"

namespace flash {

MovieSound::MovieSound(const Movie& movie, sound::SoundEngine& engine)
    : movie_(movie),
      engine_(engine),
      frameRate_(movie.header.frameRate88 != 0 ? movie.header.FrameRate()
                                               : Player::kZeroRateFallback88 / 256.0) {
    for (const Character& c : movie.characters) {
        if (c.kind != CharacterKind::Sound) continue;
        if (const auto sound = sound::ParseDefineSound(movie.Bytes(c.body))) engine.Define(*sound);
    }
}

MovieSound::~MovieSound() {
    for (const auto& [clip, frame] : streams_) engine_.StopStream(Key(*clip));
}

sound::SoundEngine::StreamKey MovieSound::Key(const Clip& clip) {
    return reinterpret_cast<sound::SoundEngine::StreamKey>(&clip);
}

const std::vector<Frame>& MovieSound::FramesOf(const Clip& clip) const {
    return clip.Definition() != nullptr ? clip.Definition()->frames : movie_.frames;
}

const MovieSound::StreamTags& MovieSound::StreamOf(const std::vector<Frame>& frames) {
    auto [it, added] = streamTags_.try_emplace(&frames);
    StreamTags& s = it->second;
    if (!added) return s;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        if (!frames[f].sounds && s.head) continue;
        for (const ControlTag& tag : frames[f].tags) {
            if ((tag.code == tags::kSoundStreamHead || tag.code == tags::kSoundStreamHead2) &&
                !s.head) {
                s.head = sound::ParseSoundStreamHead(movie_.Bytes(tag.body));
            } else if (tag.code == tags::kSoundStreamBlock) {
                if (s.blocks.empty()) s.blocks.resize(frames.size());
                s.blocks[f] = movie_.Bytes(tag.body);
                s.end = f + 1;
            }
        }
    }
    if (!s.head) s = StreamTags{};  // blocks without a head cannot be decoded
    return s;
}

void MovieSound::FrameEntered(const Clip& clip, std::size_t frame, bool stepped) {
    const std::vector<Frame>& frames = FramesOf(clip);
    if (frame >= frames.size()) return;
    if (clip.Parent() == nullptr && clip.Definition() == nullptr) root_ = &clip;
    if (frames[frame].sounds) {
        for (const ControlTag& tag : frames[frame].tags) {
            if (tag.code != tags::kStartSound) continue;
            if (const auto start = sound::ParseStartSound(tag.code, movie_.Bytes(tag.body))) {
                engine_.Start(start->id, start->info);
            }
        }
    }

    const StreamTags& stream = StreamOf(frames);
    if (!stream.head) return;
    auto playing = streams_.find(&clip);
    if (!clip.IsPlaying() || frame >= stream.end) {
        if (playing != streams_.end()) StopStream(clip);
        return;
    }
    // The next frame in order: the stream, read ahead, is already there. A stream that ran
    // out stays out until a jump.
    if (playing != streams_.end() && stepped && frame == playing->second + 1) {
        playing->second = frame;
        return;
    }
    if (!engine_.StartStream(Key(clip), *stream.head, stream.blocks, frame, frameRate_)) {
        if (playing != streams_.end()) streams_.erase(playing);
        return;
    }
    streams_[&clip] = frame;
    if (&clip == root_) {
        rootStream_.frame = frame;
        rootStream_.startMix = engine_.StreamStart(Key(clip));
        ++rootStream_.starts;
    }
}

void MovieSound::ButtonSound(std::span<const std::uint8_t> definition, int slot) {
    // After the button's id, four entries: a sound id, and a SOUNDINFO when it is not 0, which
    // is laid out as a StartSound body from the id on.
    std::size_t at = 2;
    for (int k = 0; k <= slot; ++k) {
        if (definition.size() < at + 2) return;
        const std::uint16_t id =
            static_cast<std::uint16_t>(definition[at] | definition[at + 1] << 8);
        if (id == 0) {
            if (k == slot) return;
            at += 2;
            continue;
        }
        if (definition.size() < at + 3) return;
        const std::uint8_t flags = definition[at + 2];
        std::size_t size =
            3 + ((flags & 0x01) ? 4 : 0) + ((flags & 0x02) ? 4 : 0) + ((flags & 0x04) ? 2 : 0);
        if (flags & 0x08) {
            if (definition.size() < at + size + 1) return;
            size += 1 + 8 * std::size_t{definition[at + size]};
        }
        if (definition.size() < at + size) return;
        if (k == slot) {
            if (const auto start =
                    sound::ParseStartSound(tags::kStartSound, definition.subspan(at, size))) {
                engine_.Start(start->id, start->info);
            }
            return;
        }
        at += size;
    }
}

void MovieSound::ClipRemoved(const Clip& clip) {
    if (streams_.count(&clip) != 0) StopStream(clip);
}

void MovieSound::StopStream(const Clip& clip) {
    engine_.StopStream(Key(clip));
    streams_.erase(&clip);
}

void MovieSound::Sync() {
    for (auto it = streams_.begin(); it != streams_.end();) {
        if (it->first->IsPlaying()) {
            ++it;
        } else {
            engine_.StopStream(Key(*it->first));
            it = streams_.erase(it);
        }
    }
}

MovieSound::RootStream MovieSound::Root() const {
    RootStream r = rootStream_;
    r.active = root_ != nullptr && streams_.count(root_) != 0;
    return r;
}

}  // namespace flash
