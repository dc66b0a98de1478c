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
        case ActionCode::Trace:
        case ActionCode::GotoFrame:
        case ActionCode::ConstantPool:
        case ActionCode::GotoLabel:
        case ActionCode::Push:
        case ActionCode::GotoFrame2:
            return true;
        default:
            return false;
    }
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
