// Buttons (DefineButton and DefineButton2): the characters each of the four states shows -
// up, over, down and the hit-test area - with their depths, placements, colour transforms,
// filters and blend modes, and the actions the button runs as the mouse moves over it.
//
// States and transitions. A button is idle (showing its up state), over-up (the mouse over
// it, showing its over state), over-down (pressed over it, showing its down state) or
// out-down (pressed on it, then dragged off while the button is held: its over state). The
// transitions between them are the conditions DefineButton2's actions name; DefineButton's
// one block of actions runs on the release inside (over-down to over-up).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "flash/draw_types.h"
#include "flash/placement.h"
#include "flash/swf_movie.h"

namespace flash {

inline constexpr std::uint16_t kDefineButton = 7;
inline constexpr std::uint16_t kDefineButton2 = 34;

enum ButtonStateBit : std::uint8_t {
    kButtonUp = 0x01,
    kButtonOver = 0x02,
    kButtonDown = 0x04,
    kButtonHitTest = 0x08,
};

enum class ButtonPhase : std::uint8_t { Idle, OverUp, OverDown, OutDown };

// The state bit a phase shows.
std::uint8_t ShownStates(ButtonPhase phase);

// The condition bits of a BUTTONCONDACTION, as the 16-bit field reads little-endian: the
// first byte's bits are the low byte.
enum ButtonCondition : std::uint16_t {
    kIdleToOverUp = 0x0001,       // roll over
    kOverUpToIdle = 0x0002,       // roll out
    kOverUpToOverDown = 0x0004,   // press
    kOverDownToOverUp = 0x0008,   // release
    kOverDownToOutDown = 0x0010,  // drag out
    kOutDownToOverDown = 0x0020,  // drag over
    kOutDownToIdle = 0x0040,      // release outside
    kIdleToOverDown = 0x0080,     // drag over a menu button
    kOverDownToIdle = 0x0100,     // drag out of a menu button
    kKeyPressMask = 0xFE00,       // a key code in bits 9-15: read, not run
};

// The condition a change of phase meets; 0 for a change that names none.
std::uint16_t ConditionOf(ButtonPhase from, ButtonPhase to);

struct ButtonRecord {
    std::uint8_t states = 0;  // ButtonStateBit bits
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    FilterList filters;
    BlendMode blendMode = BlendMode::Normal;
};

struct ButtonAction {
    std::uint16_t conditions = 0;  // ButtonCondition bits
    ByteRange actions;             // into the movie's bytes
};

// Records a button may hold, and condition action blocks; more are dropped.
inline constexpr std::size_t kMaxButtonRecords = 1024;
inline constexpr std::size_t kMaxButtonActions = 1024;

struct Button {
    std::uint16_t id = 0;
    bool trackAsMenu = false;
    // Ordered by depth, the file's order among equal depths.
    std::vector<ButtonRecord> records;
    // DefineButton: one block meeting kOverDownToOverUp. DefineButton2: its condition actions
    // in file order.
    std::vector<ButtonAction> actions;
    // The body of the movie's DefineButtonSound for this button; empty when it has none.
    ByteRange sounds;
};

// The transitions DefineButtonSound gives sounds for, in its order: roll out, roll over,
// press, release. -1 for the others.
int ButtonSoundSlot(ButtonPhase from, ButtonPhase to);

// Gives every record of a DefineButton the colour transform of a DefineButtonCxform body (the
// button's id, then a colour transform without alpha). False, with the button unchanged, for
// a body too short for it.
bool ApplyButtonColorTransform(Button& button, std::span<const std::uint8_t> body);

// Reads the DefineButton or DefineButton2 tag whose body is `body` within `movieBytes`; empty
// for another tag or a body too short for the id. A record cut short ends the list, and a
// condition action whose size runs past the body ends the actions; what came before is kept.
std::optional<Button> ParseButton(std::uint16_t tagCode, std::span<const std::uint8_t> movieBytes,
                                  ByteRange body);

}  // namespace flash
