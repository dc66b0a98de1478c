// A small SWF writer for test movies, fuzz seeds, benchmarks and the demo: header, stage,
// frame rate and count, background colour, frame labels, DoAction with the timeline actions
// and Push/Pop/ConstantPool/Trace, ShowFrame, and a rectangle shape placed on the stage.
// It writes what it is told, including things a well-formed movie would not hold (a
// declared frame count that disagrees with the ShowFrame tags, raw tags, raw actions), since
// tests need exactly those.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace swfwriter {

enum class Compression : std::uint8_t { None, Zlib, Lzma };

// One DoAction tag's actions. Build with the chained calls; the End action is added when the
// block is written.
class Actions {
public:
    Actions& Play() { return Code(0x06); }
    Actions& Stop() { return Code(0x07); }
    Actions& NextFrame() { return Code(0x04); }
    Actions& PreviousFrame() { return Code(0x05); }
    Actions& Pop() { return Code(0x17); }
    Actions& Trace() { return Code(0x26); }
    Actions& GotoFrame(std::uint16_t frame);  // 0-based
    Actions& GotoLabel(std::string_view label);
    // Pops a frame number (1-based) or label; plays afterwards when `play`.
    Actions& GotoFrame2(bool play);
    Actions& ConstantPool(const std::vector<std::string>& constants);

    Actions& PushString(std::string_view text);
    Actions& PushInt(std::int32_t value);
    Actions& PushFloat(float value);
    Actions& PushDouble(double value);
    Actions& PushBool(bool value);
    Actions& PushNull();
    Actions& PushUndefined();
    Actions& PushRegister(std::uint8_t reg);
    Actions& PushConstant(std::uint16_t index);  // 8-bit form below 256, else 16-bit

    // Push + Trace.
    Actions& TraceText(std::string_view text) { return PushString(text).Trace(); }

    // Any action: codes from 0x80 get the payload with its 16-bit length, others none.
    Actions& Raw(std::uint8_t code, std::span<const std::uint8_t> payload = {});
    Actions& Code(std::uint8_t code) { return Raw(code); }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    Actions& PushRecord(std::uint8_t type, std::span<const std::uint8_t> value);
    std::vector<std::uint8_t> bytes_;
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

class MovieBuilder {
public:
    MovieBuilder& Version(std::uint8_t version);
    // Stage in twips; Xmin and Ymin need not be 0.
    MovieBuilder& StageTwips(std::int32_t xMin, std::int32_t xMax, std::int32_t yMin,
                             std::int32_t yMax);
    MovieBuilder& StagePixels(std::int32_t width, std::int32_t height) {
        return StageTwips(0, width * 20, 0, height * 20);
    }
    MovieBuilder& FrameRate88(std::uint16_t rate);
    MovieBuilder& FrameRate(double fps);
    // Without this the header declares as many frames as ShowFrame tags were written.
    MovieBuilder& DeclaredFrames(std::uint16_t count);

    MovieBuilder& BackgroundColor(Rgb color);
    MovieBuilder& FrameLabel(std::string_view name);
    MovieBuilder& DoAction(const Actions& actions);
    MovieBuilder& ShowFrame();
    // DefineShape: a filled rectangle from (0,0) to (width, height) twips.
    MovieBuilder& Rectangle(std::uint16_t id, std::int32_t widthTwips, std::int32_t heightTwips,
                            Rgb fill);
    // PlaceObject2: character `id` at `depth`, translated by (x, y) twips.
    MovieBuilder& PlaceObject(std::uint16_t id, std::uint16_t depth, std::int32_t xTwips,
                              std::int32_t yTwips);
    // Any tag; the long length form is used when the payload needs it or `forceLong`.
    MovieBuilder& Tag(std::uint16_t code, std::span<const std::uint8_t> payload,
                      bool forceLong = false);

    std::size_t ShowFrames() const { return showFrames_; }

    // The whole file, End tag appended.
    std::vector<std::uint8_t> Build(Compression compression = Compression::None) const;

private:
    std::uint8_t version_ = 10;
    std::int32_t stage_[4] = {0, 550 * 20, 0, 400 * 20};
    std::uint16_t rate88_ = 24 * 256;
    bool declared_ = false;
    std::uint16_t declaredFrames_ = 0;
    std::size_t showFrames_ = 0;
    std::vector<std::uint8_t> tags_;
};

// LZMA-compresses data with the SDK encoder: the 5 property bytes, then the raw stream
// without an end mark (the form ZWS files use).
std::vector<std::uint8_t> LzmaCompress(std::span<const std::uint8_t> data,
                                       std::uint8_t (&props)[5]);

// Writes bytes to a file; false when it cannot.
bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace swfwriter
