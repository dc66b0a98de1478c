#include "flash/swf_movie.h"

#include <algorithm>

namespace flash {

std::optional<CharacterKind> CharacterKindOfTag(std::uint16_t tagCode) {
    switch (tagCode) {
        case 2:   // DefineShape
        case 22:  // DefineShape2
        case 32:  // DefineShape3
        case 83:  // DefineShape4
            return CharacterKind::Shape;
        case 46:  // DefineMorphShape
        case 84:  // DefineMorphShape2
            return CharacterKind::MorphShape;
        case tags::kDefineSprite:
            return CharacterKind::Sprite;
        case 7:   // DefineButton
        case 34:  // DefineButton2
            return CharacterKind::Button;
        case 11:  // DefineText
        case 33:  // DefineText2
            return CharacterKind::Text;
        case 37:  // DefineEditText
            return CharacterKind::EditText;
        case 6:   // DefineBits
        case 20:  // DefineBitsLossless
        case 21:  // DefineBitsJPEG2
        case 35:  // DefineBitsJPEG3
        case 36:  // DefineBitsLossless2
        case 90:  // DefineBitsJPEG4
            return CharacterKind::Bitmap;
        case 10:  // DefineFont
        case 48:  // DefineFont2
        case 75:  // DefineFont3
        case 91:  // DefineFont4
            return CharacterKind::Font;
        case 14:  // DefineSound
            return CharacterKind::Sound;
        case 60:  // DefineVideoStream
            return CharacterKind::Video;
        case 87:  // DefineBinaryData
            return CharacterKind::Other;
        default:
            return std::nullopt;
    }
}

const Character* Movie::FindCharacter(std::uint16_t id) const {
    const auto it = std::lower_bound(characters.begin(), characters.end(), id,
                                     [](const Character& c, std::uint16_t v) { return c.id < v; });
    return it != characters.end() && it->id == id ? &*it : nullptr;
}

}  // namespace flash
