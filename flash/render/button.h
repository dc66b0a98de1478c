// Buttons (DefineButton and DefineButton2): the characters each of the four states shows -
// up, over, down and the hit-test area - with their depths, placements, colour transforms
// and blend modes. The button's actions are kept as the range they occupy, for the actions'
// reader.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "flash/draw_types.h"
#include "flash/swf_movie.h"

namespace flash::render {

inline constexpr std::uint16_t kDefineButton = 7;
inline constexpr std::uint16_t kDefineButton2 = 34;

enum ButtonState : std::uint8_t {
    kButtonUp = 0x01,
    kButtonOver = 0x02,
    kButtonDown = 0x04,
    kButtonHitTest = 0x08,
};

struct ButtonRecord {
    std::uint8_t states = 0;  // ButtonState bits
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    BlendMode blendMode = BlendMode::Normal;
};

// Records a button may hold; more are dropped.
inline constexpr std::size_t kMaxButtonRecords = 1024;

struct Button {
    std::uint16_t id = 0;
    bool trackAsMenu = false;
    // Ordered by depth, the file's order among equal depths.
    std::vector<ButtonRecord> records;
    // DefineButton: the actions; DefineButton2: the condition actions. Offsets into the body.
    std::uint32_t actionsOffset = 0;
};

// Reads a DefineButton or DefineButton2 body; empty for another tag or a body too short for
// the id. A record cut short ends the list; those before it are kept.
std::optional<Button> ParseButton(std::uint16_t tagCode, std::span<const std::uint8_t> body);

}  // namespace flash::render
