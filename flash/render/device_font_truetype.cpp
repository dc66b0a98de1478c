// The system's fonts off Windows: Debian's DejaVu faces (fonts-dejavu-core, and the italic
// faces of fonts-dejavu-extra when present) read with stb_truetype, with WenQuanYi Zen Hei
// (fonts-wqy-zenhei) for the characters they lack, Chinese above all.
#include <fstream>
#include <mutex>
#include <optional>

#include "flash/render/device_font.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace flash::render {

namespace {

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kFallback = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

struct FontFile {
    std::vector<unsigned char> bytes;
    stbtt_fontinfo info{};
    float unitsPerEm = 2048;
};

// The file names of a family's faces, the requested style first, then the regular face.
std::vector<std::string> Candidates(GenericFamily family, bool bold, bool italic) {
    const std::string base = family == GenericFamily::Serif        ? "DejaVuSerif"
                             : family == GenericFamily::Typewriter ? "DejaVuSansMono"
                                                                   : "DejaVuSans";
    const std::string slant = family == GenericFamily::Serif ? "Italic" : "Oblique";
    std::vector<std::string> names;
    if (bold && italic) names.push_back(base + "-Bold" + slant);
    if (bold) names.push_back(base + "-Bold");
    if (italic) names.push_back(base + "-" + slant);
    names.push_back(base);
    if (family != GenericFamily::Sans) names.push_back("DejaVuSans");
    for (std::string& n : names) n = kDejaVu + n + ".ttf";
    return names;
}

class TrueTypeSource final : public DeviceFontSource {
public:
    bool Metrics(const FaceRequest& face, FaceMetrics& out) override {
        std::lock_guard lock(mutex_);
        const FontFile* f = Primary(face);
        if (f == nullptr) return false;
        int ascent = 0, descent = 0, gap = 0;
        stbtt_GetFontVMetrics(&f->info, &ascent, &descent, &gap);
        const double s = kDeviceEmSquare / f->unitsPerEm;
        out = {ascent * s, -descent * s, gap * s};
        return true;
    }

    bool Glyph(const FaceRequest& face, char32_t code, Shape& shape, double& advance) override {
        std::lock_guard lock(mutex_);
        // The face's own glyph, or else the Chinese face's (read only when first needed).
        for (int pass = 0; pass < 2; ++pass) {
            const FontFile* f = pass == 0 ? Primary(face) : Load(kFallback);
            if (f == nullptr) continue;
            const int glyph = stbtt_FindGlyphIndex(&f->info, static_cast<int>(code));
            if (glyph == 0 && code != ' ') continue;
            int adv = 0, lsb = 0;
            stbtt_GetGlyphHMetrics(&f->info, glyph, &adv, &lsb);
            stbtt_vertex* v = nullptr;
            const int n = stbtt_GetGlyphShape(&f->info, glyph, &v);
            OutlineBuilder b(f->unitsPerEm);
            for (int i = 0; i < n; ++i) {
                switch (v[i].type) {
                    case STBTT_vmove:
                        b.MoveTo(v[i].x, v[i].y);
                        break;
                    case STBTT_vline:
                        b.LineTo(v[i].x, v[i].y);
                        break;
                    case STBTT_vcurve:
                        b.QuadTo(v[i].cx, v[i].cy, v[i].x, v[i].y);
                        break;
                    case STBTT_vcubic:
                        b.CubicTo(v[i].cx, v[i].cy, v[i].cx1, v[i].cy1, v[i].x, v[i].y);
                        break;
                    default:
                        break;
                }
            }
            stbtt_FreeShape(&f->info, v);
            shape = b.Finish();
            advance = adv * kDeviceEmSquare / f->unitsPerEm;
            return true;
        }
        return false;
    }

private:
    const FontFile* Primary(const FaceRequest& face) {
        for (const std::string& path : Candidates(face.family, face.bold, face.italic)) {
            if (const FontFile* f = Load(path)) return f;
        }
        return Load(kFallback);
    }

    // The font in `path`, read once; null when it is missing or unreadable.
    const FontFile* Load(const std::string& path) {
        auto [it, added] = files_.try_emplace(path);
        if (added) {
            std::ifstream in(path, std::ios::binary | std::ios::ate);
            auto f = std::make_unique<FontFile>();
            const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
            f->bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
            in.seekg(0);
            if (!in.read(reinterpret_cast<char*>(f->bytes.data()), size)) f->bytes.clear();
            const int offset = stbtt_GetFontOffsetForIndex(f->bytes.data(), 0);
            if (!f->bytes.empty() && offset >= 0 &&
                stbtt_InitFont(&f->info, f->bytes.data(), offset)) {
                f->unitsPerEm = 1 / stbtt_ScaleForMappingEmToPixels(&f->info, 1);
                it->second = std::move(f);
            }
        }
        return it->second.get();
    }

    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<FontFile>> files_;
};

}  // namespace

DeviceFontSource& SystemFontSource() {
    static TrueTypeSource source;
    return source;
}

}  // namespace flash::render
