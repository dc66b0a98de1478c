#include "flash/actions.h"

#include <bit>
#include <cstring>

namespace flash {

namespace {

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

bool IsKnownAction(std::uint8_t code) {
    switch (static_cast<ActionCode>(code)) {
        case ActionCode::NextFrame:
        case ActionCode::PreviousFrame:
        case ActionCode::Play:
        case ActionCode::Stop:
        case ActionCode::Pop:
        case ActionCode::SetTarget2:
        case ActionCode::Trace:
        case ActionCode::GotoFrame:
        case ActionCode::ConstantPool:
        case ActionCode::SetTarget:
        case ActionCode::GotoLabel:
        case ActionCode::Push:
        case ActionCode::GotoFrame2:
            return true;
        default:
            return false;
    }
}

const char* ActionName(std::uint8_t code) {
    struct Name {
        std::uint8_t code;
        const char* name;
    };
    static constexpr Name kNames[] = {
        {0x04, "NextFrame"},
        {0x05, "PreviousFrame"},
        {0x06, "Play"},
        {0x07, "Stop"},
        {0x08, "ToggleQuality"},
        {0x09, "StopSounds"},
        {0x0A, "Add"},
        {0x0B, "Subtract"},
        {0x0C, "Multiply"},
        {0x0D, "Divide"},
        {0x0E, "Equals"},
        {0x0F, "Less"},
        {0x10, "And"},
        {0x11, "Or"},
        {0x12, "Not"},
        {0x13, "StringEquals"},
        {0x14, "StringLength"},
        {0x15, "StringExtract"},
        {0x17, "Pop"},
        {0x18, "ToInteger"},
        {0x1C, "GetVariable"},
        {0x1D, "SetVariable"},
        {0x20, "SetTarget2"},
        {0x21, "StringAdd"},
        {0x22, "GetProperty"},
        {0x23, "SetProperty"},
        {0x24, "CloneSprite"},
        {0x25, "RemoveSprite"},
        {0x26, "Trace"},
        {0x27, "StartDrag"},
        {0x28, "EndDrag"},
        {0x29, "StringLess"},
        {0x2A, "Throw"},
        {0x2B, "CastOp"},
        {0x2C, "ImplementsOp"},
        {0x30, "RandomNumber"},
        {0x31, "MBStringLength"},
        {0x32, "CharToAscii"},
        {0x33, "AsciiToChar"},
        {0x34, "GetTime"},
        {0x35, "MBStringExtract"},
        {0x36, "MBCharToAscii"},
        {0x37, "MBAsciiToChar"},
        {0x3A, "Delete"},
        {0x3B, "Delete2"},
        {0x3C, "DefineLocal"},
        {0x3D, "CallFunction"},
        {0x3E, "Return"},
        {0x3F, "Modulo"},
        {0x40, "NewObject"},
        {0x41, "DefineLocal2"},
        {0x42, "InitArray"},
        {0x43, "InitObject"},
        {0x44, "TypeOf"},
        {0x45, "TargetPath"},
        {0x46, "Enumerate"},
        {0x47, "Add2"},
        {0x48, "Less2"},
        {0x49, "Equals2"},
        {0x4A, "ToNumber"},
        {0x4B, "ToString"},
        {0x4C, "PushDuplicate"},
        {0x4D, "StackSwap"},
        {0x4E, "GetMember"},
        {0x4F, "SetMember"},
        {0x50, "Increment"},
        {0x51, "Decrement"},
        {0x52, "CallMethod"},
        {0x53, "NewMethod"},
        {0x54, "InstanceOf"},
        {0x55, "Enumerate2"},
        {0x60, "BitAnd"},
        {0x61, "BitOr"},
        {0x62, "BitXor"},
        {0x63, "BitLShift"},
        {0x64, "BitRShift"},
        {0x65, "BitURShift"},
        {0x66, "StrictEquals"},
        {0x67, "Greater"},
        {0x68, "StringGreater"},
        {0x69, "Extends"},
        {0x81, "GotoFrame"},
        {0x83, "GetURL"},
        {0x87, "StoreRegister"},
        {0x88, "ConstantPool"},
        {0x8A, "WaitForFrame"},
        {0x8B, "SetTarget"},
        {0x8C, "GotoLabel"},
        {0x8D, "WaitForFrame2"},
        {0x8E, "DefineFunction2"},
        {0x8F, "Try"},
        {0x94, "With"},
        {0x96, "Push"},
        {0x99, "Jump"},
        {0x9A, "GetURL2"},
        {0x9B, "DefineFunction"},
        {0x9D, "If"},
        {0x9E, "Call"},
        {0x9F, "GotoFrame2"},
    };
    for (const Name& n : kNames) {
        if (n.code == code) return n.name;
    }
    return nullptr;
}

bool ActionReader::Next(ActionRecord& out) {
    if (done_ || pos_ >= block_.size()) return false;
    const std::uint8_t code = block_[pos_];
    if (code == 0) {
        done_ = true;
        return false;
    }
    // Codes from 0x80 carry a 16-bit payload length; the others are a single byte.
    std::size_t length = 0;
    std::size_t start = pos_ + 1;
    if (code >= 0x80) {
        if (block_.size() - pos_ < 3) {
            done_ = true;
            return false;
        }
        length = U16(&block_[pos_ + 1]);
        start = pos_ + 3;
        if (block_.size() - start < length) {
            done_ = true;
            return false;
        }
    }
    out.code = code;
    out.data = block_.subspan(start, length);
    pos_ = start + length;
    return true;
}

bool PushReader::Next(PushValue& out) {
    if (pos_ >= data_.size()) return false;
    const std::uint8_t type = data_[pos_];
    const std::size_t left = data_.size() - pos_ - 1;
    const std::uint8_t* p = data_.data() + pos_ + 1;
    PushValue v;
    std::size_t used = 0;
    switch (type) {
        case 0: {  // string
            const void* nul = std::memchr(p, 0, left);
            if (nul == nullptr) return false;
            used = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - p) + 1;
            v.kind = PushValue::Kind::String;
            v.text = std::string_view(reinterpret_cast<const char*>(p), used - 1);
            break;
        }
        case 1:  // 32-bit float
            if (left < 4) return false;
            used = 4;
            v.kind = PushValue::Kind::Number;
            v.number = std::bit_cast<float>(U32(p));
            break;
        case 2:
            v.kind = PushValue::Kind::Null;
            break;
        case 3:
            v.kind = PushValue::Kind::Undefined;
            break;
        case 4:  // register number: no registers at frame level
            if (left < 1) return false;
            used = 1;
            v.kind = PushValue::Kind::Undefined;
            break;
        case 5:
            if (left < 1) return false;
            used = 1;
            v.kind = PushValue::Kind::Boolean;
            v.number = p[0] != 0 ? 1 : 0;
            break;
        case 6: {  // double, stored as its high 32 bits first, each half little-endian
            if (left < 8) return false;
            used = 8;
            const std::uint64_t bits = static_cast<std::uint64_t>(U32(p)) << 32 | U32(p + 4);
            v.kind = PushValue::Kind::Number;
            v.number = std::bit_cast<double>(bits);
            break;
        }
        case 7:
            if (left < 4) return false;
            used = 4;
            v.kind = PushValue::Kind::Number;
            v.number = static_cast<std::int32_t>(U32(p));
            break;
        case 8:
            if (left < 1) return false;
            used = 1;
            v.kind = PushValue::Kind::Constant;
            v.index = p[0];
            break;
        case 9:
            if (left < 2) return false;
            used = 2;
            v.kind = PushValue::Kind::Constant;
            v.index = U16(p);
            break;
        default:
            // The size of an unknown type is unknown: nothing after it can be read.
            pos_ = data_.size();
            return false;
    }
    pos_ += 1 + used;
    out = v;
    return true;
}

ConstantPoolReader::ConstantPoolReader(std::span<const std::uint8_t> data) : data_(data) {
    if (data_.size() >= 2) count_ = U16(data_.data());
}

bool ConstantPoolReader::Next(std::string_view& out) {
    if (read_ >= count_ || pos_ >= data_.size()) return false;
    const std::uint8_t* p = data_.data() + pos_;
    const void* nul = std::memchr(p, 0, data_.size() - pos_);
    if (nul == nullptr) return false;
    const std::size_t length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - p);
    out = std::string_view(reinterpret_cast<const char*>(p), length);
    pos_ += length + 1;
    ++read_;
    return true;
}

std::string_view CString(std::span<const std::uint8_t> data) {
    if (data.empty()) return {};  // memchr must not see the null pointer of an empty span
    const void* nul = std::memchr(data.data(), 0, data.size());
    const std::size_t length =
        nul == nullptr
            ? data.size()
            : static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data.data());
    return {reinterpret_cast<const char*>(data.data()), length};
}

}  // namespace flash
