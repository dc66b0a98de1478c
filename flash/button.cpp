#include "flash/button.h"

#include <algorithm>

#include "flash/swf_reader.h"

namespace flash {

std::uint8_t ShownStates(ButtonPhase phase) {
    switch (phase) {
        case ButtonPhase::Idle:
            return kButtonUp;
        case ButtonPhase::OverDown:
            return kButtonDown;
        case ButtonPhase::OverUp:
        case ButtonPhase::OutDown:
            return kButtonOver;
    }
    return kButtonUp;
}

std::uint16_t ConditionOf(ButtonPhase from, ButtonPhase to) {
    using P = ButtonPhase;
    struct Row {
        P from, to;
        std::uint16_t condition;
    };
    static constexpr Row kRows[] = {
        {P::Idle, P::OverUp, kIdleToOverUp},
        {P::OverUp, P::Idle, kOverUpToIdle},
        {P::OverUp, P::OverDown, kOverUpToOverDown},
        {P::OverDown, P::OverUp, kOverDownToOverUp},
        {P::OverDown, P::OutDown, kOverDownToOutDown},
        {P::OutDown, P::OverDown, kOutDownToOverDown},
        {P::OutDown, P::Idle, kOutDownToIdle},
        {P::Idle, P::OverDown, kIdleToOverDown},
        {P::OverDown, P::Idle, kOverDownToIdle},
    };
    for (const Row& r : kRows) {
        if (r.from == from && r.to == to) return r.condition;
    }
    return 0;
}

int ButtonSoundSlot(ButtonPhase from, ButtonPhase to) {
    switch (ConditionOf(from, to)) {
        case kOverUpToIdle:
            return 0;
        case kIdleToOverUp:
            return 1;
        case kOverUpToOverDown:
            return 2;
        case kOverDownToOverUp:
            return 3;
        default:
            return -1;
    }
}

bool ApplyButtonColorTransform(Button& button, std::span<const std::uint8_t> body) {
    SwfReader in(body);
    std::uint16_t id = 0;
    ColorTransform cx;
    if (!in.U16(id) || !ReadColorTransform(in, false, cx)) return false;
    for (ButtonRecord& r : button.records) r.colorTransform = cx;
    return true;
}

std::optional<Button> ParseButton(std::uint16_t tagCode, std::span<const std::uint8_t> movieBytes,
                                  ByteRange body) {
    if (tagCode != kDefineButton && tagCode != kDefineButton2) return std::nullopt;
    if (body.offset > movieBytes.size() || body.length > movieBytes.size() - body.offset)
        return std::nullopt;
    const std::span<const std::uint8_t> data = movieBytes.subspan(body.offset, body.length);
    const bool version2 = tagCode == kDefineButton2;
    SwfReader in(data);
    Button b;
    if (!in.U16(b.id)) return std::nullopt;
    std::size_t actionsAt = 0;
    if (version2) {
        std::uint8_t flags = 0;
        std::uint16_t offset = 0;
        if (!in.U8(flags) || !in.U16(offset)) return b;
        b.trackAsMenu = flags & 1;
        // The offset counts from its own field; 0 means no actions.
        if (offset != 0) actionsAt = in.Pos() - 2 + offset;
    }
    bool ended = false;
    while (b.records.size() < kMaxButtonRecords) {
        std::uint8_t flags = 0;
        if (!in.U8(flags)) break;
        if (flags == 0) {
            ended = true;
            break;
        }
        ButtonRecord r;
        r.states = flags & 0x0F;
        if (!in.U16(r.characterId) || !in.U16(r.depth) || !ReadMatrix(in, r.matrix)) break;
        if (version2) {
            if (!ReadColorTransform(in, true, r.colorTransform)) break;
            if ((flags & 0x10) && !ReadFilterList(in, data, body.offset, r.filters)) break;
            std::uint8_t mode = 0;
            if ((flags & 0x20) && !in.U8(mode)) break;
            if (flags & 0x20) r.blendMode = BlendModeFromByte(mode);
        }
        b.records.push_back(r);
    }
    std::stable_sort(
        b.records.begin(), b.records.end(),
        [](const ButtonRecord& x, const ButtonRecord& y) { return x.depth < y.depth; });

    if (!version2) {
        // The actions follow the records' end mark and run to the tag's end.
        if (ended && in.Pos() < data.size()) {
            b.actions.push_back({kOverDownToOverUp,
                                 {body.offset + static_cast<std::uint32_t>(in.Pos()),
                                  static_cast<std::uint32_t>(data.size() - in.Pos())}});
        }
        return b;
    }
    // BUTTONCONDACTION: the size of the record (0 for the last), the conditions, the actions.
    std::size_t at = actionsAt;
    while (at != 0 && at + 4 <= data.size() && b.actions.size() < kMaxButtonActions) {
        const std::size_t size = data[at] | data[at + 1] << 8;
        const std::size_t end = size == 0 ? data.size() : at + size;
        if (size != 0 && (size < 4 || end > data.size())) break;
        ButtonAction a;
        a.conditions = static_cast<std::uint16_t>(data[at + 2] | data[at + 3] << 8);
        a.actions = {body.offset + static_cast<std::uint32_t>(at + 4),
                     static_cast<std::uint32_t>(end - at - 4)};
        b.actions.push_back(a);
        at = size == 0 ? 0 : end;
    }
    return b;
}

}  // namespace flash
