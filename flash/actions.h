// Reading the action records of a DoAction tag. Actions stay as bytes inside the movie and are
// decoded as they run, so a movie with a million actions costs no more memory than its file,
// and running them allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace flash {

// The codes the player runs. Every other code is read past by its length and skipped when
// run.
enum class ActionCode : std::uint8_t {
    End = 0x00,
    NextFrame = 0x04,
    PreviousFrame = 0x05,
    Play = 0x06,
    Stop = 0x07,
    Pop = 0x17,
    SetTarget2 = 0x20,
    Trace = 0x26,
    GotoFrame = 0x81,
    ConstantPool = 0x88,
    SetTarget = 0x8B,
    GotoLabel = 0x8C,
    Push = 0x96,
    GotoFrame2 = 0x9F,
};

// True for the codes above other than End.
bool IsKnownAction(std::uint8_t code);

// The action's name in the format's description ("GetVariable"), for diagnostics; null for
// codes it does not define.
const char* ActionName(std::uint8_t code);

struct ActionRecord {
    std::uint8_t code = 0;
    // The record's payload: empty for codes below 0x80, which carry none.
    std::span<const std::uint8_t> data;
};

// Steps through one action block. Stops at the End action (code 0), at the end of the block,
// or at a record whose length runs past the end of the block (that record is not returned).
class ActionReader {
public:
    explicit ActionReader(std::span<const std::uint8_t> block) : block_(block) {}

    // On success fills `out` and returns true; at the end returns false and leaves `out`
    // unchanged.
    bool Next(ActionRecord& out);

private:
    std::span<const std::uint8_t> block_;
    std::size_t pos_ = 0;
    bool done_ = false;
};

// One value of a Push record. Strings point into the movie's bytes.
struct PushValue {
    enum class Kind : std::uint8_t { Undefined, Null, Boolean, Number, String, Constant };
    Kind kind = Kind::Undefined;
    double number = 0;        // Number; Boolean as 0 or 1
    std::uint16_t index = 0;  // Constant: index into the current constant pool
    std::string_view text;    // String
};

// Steps through the values of a Push record's payload. Registers read as undefined (there
// are no registers outside functions). A value of an unknown type, or one cut short, ends
// the record: the values before it are still pushed.
class PushReader {
public:
    explicit PushReader(std::span<const std::uint8_t> data) : data_(data) {}
    bool Next(PushValue& out);

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

// Steps through the NUL-terminated strings of a ConstantPool payload (count UI16 first).
// Stops at the count or at a string with no terminator.
class ConstantPoolReader {
public:
    explicit ConstantPoolReader(std::span<const std::uint8_t> data);
    std::uint16_t Count() const { return count_; }
    bool Next(std::string_view& out);

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 2;
    std::uint16_t count_ = 0;
    std::uint16_t read_ = 0;
};

// The text of a NUL-terminated string at the start of data: up to the first NUL, or all of
// data when there is none.
std::string_view CString(std::span<const std::uint8_t> data);

}  // namespace flash
