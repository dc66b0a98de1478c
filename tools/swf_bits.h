// Byte and bit-field output shared by the SWF writers of the tests and tools.
#pragma once

#include <cstdint>
#include <vector>

namespace swfwriter {

inline void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// Bit fields most significant bit first, as SWF's records hold them; the last byte is padded
// with zeros, as byte-aligned records start.
class BitFields {
public:
    explicit BitFields(std::vector<std::uint8_t>& out) : out_(out) {}
    ~BitFields() { Flush(); }
    BitFields(const BitFields&) = delete;
    BitFields& operator=(const BitFields&) = delete;

    // The low count bits of value.
    void Put(unsigned count, std::uint32_t value) {
        for (unsigned i = count; i-- > 0;) {
            acc_ = static_cast<std::uint8_t>(acc_ << 1 | (value >> i & 1));
            if (++used_ == 8) {
                out_.push_back(acc_);
                acc_ = 0;
                used_ = 0;
            }
        }
    }
    void PutSigned(unsigned count, std::int32_t value) {
        Put(count, static_cast<std::uint32_t>(value));
    }
    void Flush() {
        if (used_ > 0) Put(8 - used_, 0);
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint8_t acc_ = 0;
    unsigned used_ = 0;
};

}  // namespace swfwriter
