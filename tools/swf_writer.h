// A small SWF writer for test movies, fuzz seeds, benchmarks and the demo: header, stage,
// frame rate and count, background colour, frame labels, DoAction with the timeline actions
// and Push/Pop/ConstantPool/Trace/SetTarget, ShowFrame, a rectangle shape placed on the
// stage, sprites, PlaceObject 1-3 with every field, RemoveObject 1-2 and DoInitAction.
// It writes what it is told, including things a well-formed movie would not hold (a
// declared frame count that disagrees with the ShowFrame tags, raw tags, raw actions), since
// tests need exactly those.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
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

    Actions& SetTarget(std::string_view path);
    // Pops the path.
    Actions& SetTarget2() { return Code(0x20); }

private:
    Actions& PushRecord(std::uint8_t type, std::span<const std::uint8_t> value);
    std::vector<std::uint8_t> bytes_;
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

struct Rgba {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;
};

// A MATRIX record: scale a, d and rotate-skew b, c (written as 16.16), translation in twips.
struct Matrix {
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    std::int32_t tx = 0;
    std::int32_t ty = 0;
};

// A CXFORM or CXFORMWITHALPHA record (8.8 multipliers, additions); the alpha terms are
// written only with alpha.
struct ColorTransform {
    bool hasMul = false;
    bool hasAdd = false;
    std::int16_t mul[4] = {256, 256, 256, 256};
    std::int16_t add[4] = {0, 0, 0, 0};
};

// One surface filter with the fields of every kind; each kind writes the ones it has.
struct FilterSpec {
    std::uint8_t kind = 1;  // 0 drop shadow ... 7 gradient bevel
    Rgba color{};
    Rgba highlight{};
    double blurX = 0;
    double blurY = 0;
    double angle = 0;
    double distance = 0;
    double strength = 0;
    std::uint8_t passes = 1;
    bool inner = false;
    bool knockout = false;
    bool compositeSource = true;
    bool onTop = false;
    std::vector<std::pair<Rgba, std::uint8_t>> stops{};  // gradient kinds
    std::uint8_t matrixX = 0;                            // convolution
    std::uint8_t matrixY = 0;
    float divisor = 1;
    float bias = 0;
    std::vector<float> matrix{};  // convolution, or the colour matrix's 20 values
    Rgba defaultColor{};
    bool clamp = false;
    bool preserveAlpha = false;
};

// A FILTERLIST: the count, then each filter.
std::vector<std::uint8_t> FilterListBytes(const std::vector<FilterSpec>& filters);

// One onClipEvent handler of a CLIPACTIONS record.
struct ClipHandler {
    std::uint32_t events = 0;
    std::uint8_t keyCode = 0;  // written when the key-press event (0x00020000) is set
    Actions actions;
};

// A CLIPACTIONS record, its event flags 16 bits wide before version 6 and 32 from it.
std::vector<std::uint8_t> ClipActionBytes(std::uint8_t version,
                                          const std::vector<ClipHandler>& handlers);

// The fields of a PlaceObject2 or PlaceObject3; absent ones are not written. The fields from
// className on are PlaceObject3's own.
struct Place {
    std::uint16_t depth = 1;
    bool move = false;
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth;
    std::optional<std::vector<std::uint8_t>> clipActions;  // from ClipActionBytes
    std::optional<std::string> className;
    bool hasImage = false;
    std::optional<std::vector<std::uint8_t>> filters;  // from FilterListBytes
    std::optional<std::uint8_t> blendMode;
    std::optional<std::uint8_t> cacheAsBitmap;
    std::optional<std::uint8_t> visible;
    std::optional<Rgba> background;
};

// One record of a button: the states (1 up, 2 over, 4 down, 8 hit test) in which it shows
// `characterId` at `depth`.
struct ButtonPart {
    std::uint8_t states = 0x0F;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 1;
    Matrix matrix{};
};

// A DefineButton2 condition action: the 16 condition bits as the field reads little-endian
// (1 roll over, 2 roll out, 4 press, 8 release, ...; the key code in bits 9-15).
struct ButtonConditionAction {
    std::uint16_t conditions = 0;
    Actions actions;
};

// A DefineEditText field with its initial text, shown in a device font (no outlines) or the
// embedded glyphs of font `fontId`.
struct EditTextSpec {
    std::uint16_t id = 0;
    std::int32_t bounds[4] = {0, 2000, 0, 400};  // twips: xMin, xMax, yMin, yMax
    std::uint16_t fontId = 0;                    // 0: none
    std::uint16_t height = 240;                  // twips
    Rgba color{0, 0, 0, 255};
    bool multiline = false;
    bool wordWrap = false;
    bool html = false;
    bool useOutlines = false;
    std::string text;  // UTF-8 from SWF 6 on
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

    // DefineSprite `id` holding `timeline`'s tags, declaring its frame count as `timeline`
    // declares it; without `endTag` the body ends with no End tag, as a sprite cut short.
    MovieBuilder& DefineSprite(std::uint16_t id, const MovieBuilder& timeline, bool endTag = true);
    // PlaceObject (the first version): colour transform without alpha, when given.
    MovieBuilder& PlaceObject1(std::uint16_t id, std::uint16_t depth, const Matrix& matrix,
                               const std::optional<ColorTransform>& colorTransform = {});
    MovieBuilder& PlaceObject2(const Place& place);
    MovieBuilder& PlaceObject3(const Place& place);
    // DefineFont2 `id` named `name` (UTF-8) with no glyphs: a face for device-font text.
    MovieBuilder& DeviceFont(std::uint16_t id, std::string_view name, bool bold = false,
                             bool italic = false);
    MovieBuilder& DefineEditText(const EditTextSpec& field);
    MovieBuilder& RemoveObject(std::uint16_t id, std::uint16_t depth);
    MovieBuilder& RemoveObject2(std::uint16_t depth);
    MovieBuilder& DoInitAction(std::uint16_t spriteId, const Actions& actions);
    // DefineButton: the parts, then the actions run on release.
    MovieBuilder& DefineButton(std::uint16_t id, const std::vector<ButtonPart>& parts,
                               const Actions& actions);
    // DefineButton2: the parts (no colour transform), then the condition actions.
    MovieBuilder& DefineButton2(std::uint16_t id, const std::vector<ButtonPart>& parts,
                                const std::vector<ButtonConditionAction>& actions,
                                bool trackAsMenu = false);

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
