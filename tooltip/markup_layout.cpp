#include "tooltip/markup_layout.h"

#include <algorithm>
#include <climits>

#include "base/ansi_text.h"

namespace tooltip {

namespace {

// Nested tables deeper than this are not laid out as tables (their tags are dropped, their
// text flows): each level may lay its cells out twice, and the recursion must stay shallow.
constexpr int kMaxTableDepth = 6;
// A table grid never grows beyond this many rows or columns; cells beyond are dropped.
constexpr int kMaxGrid = 256;
// Coordinates saturate here, so sums over very long texts cannot overflow.
constexpr int kMaxCoordinate = 1 << 24;

constexpr std::string_view kBreakCharacters = " -.,!:;)}]?";

// A percentage ("50%") of a size, within 0 ... kMaxCoordinate however large the number.
int PercentOf(int size, std::string_view value) {
    const int percent = std::min(LeadingNumber(value), 100000);
    const long long v = static_cast<long long>(size) * percent / 100;
    return static_cast<int>(std::clamp<long long>(v, 0, kMaxCoordinate));
}

int AddSaturated(int a, int b) {
    return static_cast<int>(
        std::clamp<long long>(static_cast<long long>(a) + b, -kMaxCoordinate, kMaxCoordinate));
}

int CountBlanks(std::string_view text) {
    int n = 0;
    for (std::size_t i = 0; i < text.size(); i += base::CharLength(text, i)) {
        if (text[i] == ' ' && base::CharLength(text, i) == 1) ++n;
    }
    return n;
}

std::string_view TrimLeadingBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return s;
}

std::string_view TrimTrailingBlanks(std::string_view s) {
    return base::TrimEnd(s, " ");
}

unsigned ImageStyleFlags(std::string_view letters, bool* shadow) {
    unsigned flags = 0;
    for (char c : letters) {
        if (c == 'g') flags |= recolour::kGrey;
        if (c == 'd') flags |= recolour::kDarker;
        if (c == 'l') flags |= recolour::kLighter;
        if (c == 's') *shadow = true;
    }
    return flags;
}

}  // namespace

std::optional<BackgroundPicture> ParseBackgroundPicture(std::string_view value) {
    const std::size_t colon = base::FindChar(value, ':', 0);
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string kind = base::ToLowerAnsi(value.substr(0, colon));
    const std::string_view rest = value.substr(colon + 1);
    BackgroundPicture p;
    if (kind == "idres") {
        p.source = BackgroundPicture::Source::Resource;
        p.id = LeadingNumber(rest);
    } else if (kind == "iddll") {
        p.source = BackgroundPicture::Source::Module;
        p.id = LeadingNumber(rest);
    } else if (kind == "file") {
        if (rest.empty()) return std::nullopt;
        p.source = BackgroundPicture::Source::File;
        p.path.assign(rest);
    } else {
        return std::nullopt;
    }
    return p;
}

// ---- the layout -----------------------------------------------------------------------------

// A hyperlink's runs are drawn in the hot style while it is the hot one.
struct ItemStyle {
    TextStyle normal;
    TextStyle hot;
};

struct Item {
    enum class Kind { Text, Image, Rule };
    Kind kind = Kind::Text;
    int x = 0;  // from the line's start
    int width = 0;
    int height = 0;      // text: the run's extent; objects: what they occupy
    int ascent = 0;      // text: the font's ascent
    int fontHeight = 0;  // text: the font's height
    int style = 0;       // index into the layout's styles
    int link = -1;
    int blanks = 0;
    std::string text;
    // images
    ImageRef image;
    Size display;
    Size frameSize;
    int frameCount = 1;
    int animation = -1;
    unsigned flags = 0;
    unsigned hotFlags = 0;
    bool shadow = false;
    bool hotShadow = false;
    std::optional<Colour> transparent;
    // rules
    int percent = 0;
    int thickness = 1;
    Colour colour = 0;
};

struct Line {
    LineRecord record;
    int top = 0;
    std::vector<Item> items;
};

// Table, row and cell settings read from the attributes.
struct Box {
    int borderStyle = linestyle::kNone;
    int borderWidth = 0;
    Colour light = Rgb(255, 255, 255);
    Colour dark = Rgb(128, 128, 128);
    int effect = effect::kTransparent;
    Colour begin = Rgb(255, 255, 255);
    std::optional<Colour> middle;
    std::optional<Colour> end;
    std::optional<BackgroundPicture> picture;
    std::optional<HAlign> align;
    VAlign valign = VAlign::Top;
    std::string width;
    std::string height;
};

struct Table;

struct Segment {
    std::vector<Line> lines;
    std::unique_ptr<Table> table;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct MarkupEngine::Block {
    std::vector<Segment> segments;
    int width = 0;
    int height = 0;
    std::vector<ItemStyle> styles;  // the root block's: every item's style
};

struct Cell {
    int row = 0, col = 0, rowSpan = 1, colSpan = 1;
    Box box;
    int inset = 0;  // padding plus border
    int fixedWidth = 0;
    int fixedHeight = 0;
    std::size_t begin = 0, end = 0;  // its tokens
    MarkupEngine::Block content;
};

struct Table {
    Box box;
    int padding = 1;
    int spacing = 2;
    int frame = 0;  // the border's allowance on each side
    int rows = 0, cols = 0;
    std::vector<int> colWidth, rowHeight;
    std::vector<char> fixedCol;
    std::vector<Cell> cells;
    int width = 0, height = 0;
    HAlign place = HAlign::Left;
};

// ---- the measure pass ------------------------------------------------------------------------

class LayoutBuilder {
public:
    LayoutBuilder(MarkupEngine& engine, MarkupDevice& device, std::vector<ItemStyle>& styles)
        : e_(engine), device_(device), styles_(styles) {
        rules_.colours = &engine.colours_;
        rules_.environment = &device;
        rules_.enabled = engine.settings_.enabled;
        rules_.disabledColour = engine.settings_.disabledColour;
        if (!rules_.enabled) {
            cur_.normal.textColour = cur_.hot.textColour = rules_.disabledColour;
        }
        ApplyRule("body");
    }

    void BuildBlock(MarkupEngine::Block& out, const std::vector<Token>& tokens, std::size_t begin,
                    std::size_t end, int wrap, int depth, bool topLevel);

private:
    struct State {
        TextStyle normal;
        TextStyle hot;
        int link = -1;
    };
    struct Entry {
        std::string_view label;
        State state;
    };
    // The text flow of one text segment.
    struct Flow {
        Segment* segment = nullptr;
        int wrap = 0;
        Line line;
        int x = 0;
        int above = 0;
        int depth = 0;
        bool content = false;
        bool alignSet = false;
        bool continuation = false;  // the line was started by wrapping
    };

    template <typename F>
    void Change(F f) {
        f(cur_.normal);
        f(cur_.hot);
        styleIndex_ = -1;
    }
    void ApplyRule(std::string_view selector) {
        if (const auto d = e_.sheet_.Find(selector)) {
            Change([&](TextStyle& s) { ApplyDeclarations(s, *d, rules_); });
        }
    }
    int StyleIndex() {
        if (styleIndex_ < 0) {
            styles_.push_back({cur_.normal, cur_.link >= 0 ? cur_.hot : cur_.normal});
            styleIndex_ = static_cast<int>(styles_.size()) - 1;
        }
        return styleIndex_;
    }
    void SetState(const State& s) {
        cur_ = s;
        styleIndex_ = -1;
    }

    void Tag(Flow& flow, const Token& t, const TagInfo& info);
    void Run(Flow& flow, std::string_view raw);
    void Emit(Flow& flow, std::string_view text, const FontMetrics& m,
              std::optional<Size> measured = std::nullopt);
    void Object(Flow& flow, Item item);
    void CloseLine(Flow& flow, bool wrapped);
    void EndSegment(Flow& flow);
    void Image(Flow& flow, const Token& t, int code);
    void Rule(Flow& flow, const Token& t);
    int FontHeightNow() {
        device_.UseFont(cur_.normal);
        return device_.Metrics().height;
    }
    std::unique_ptr<Table> BuildTable(const std::vector<Token>& tokens, std::size_t begin,
                                      std::size_t end, const Token& open, int avail, int depth);
    void ReadBox(Box& box, const std::vector<Attribute>& attrs, const TextStyle& style,
                 Table* table);
    void LayOutCells(Table& t, const std::vector<Token>& tokens, const std::vector<State>& states,
                     const std::vector<int>& wraps, int depth);
    void MeasureColumns(Table& t);
    void MeasureRows(Table& t);

    MarkupEngine& e_;
    MarkupDevice& device_;
    std::vector<ItemStyle>& styles_;
    StyleRules rules_;
    State cur_;
    std::vector<Entry> stack_;
    int styleIndex_ = -1;
    std::vector<LineRecord>* records_ = nullptr;
};

void LayoutBuilder::Emit(Flow& flow, std::string_view text, const FontMetrics& m,
                         std::optional<Size> measured) {
    if (text.empty()) return;
    const Size extent = measured ? *measured : device_.Extent(text);
    Item item;
    item.kind = Item::Kind::Text;
    item.x = flow.x;
    item.width = extent.cx;
    item.height = extent.cy;
    item.ascent = m.ascent;
    item.fontHeight = m.height;
    item.style = StyleIndex();
    item.link = cur_.link;
    item.blanks = CountBlanks(text);
    item.text.assign(text);
    if (!flow.alignSet) {
        flow.line.record.align = cur_.normal.hAlign;
        flow.alignSet = true;
    }
    flow.x = AddSaturated(flow.x, extent.cx);
    flow.above = std::max(flow.above, m.ascent);
    flow.depth = std::max(flow.depth, extent.cy - m.ascent);
    flow.line.record.blanks += item.blanks;
    flow.content = true;
    flow.line.items.push_back(std::move(item));
}

void LayoutBuilder::Run(Flow& flow, std::string_view raw) {
    const std::string transformed = TransformText(raw, cur_.normal.transform);
    std::string_view text = transformed;
    device_.UseFont(cur_.normal);
    const FontMetrics m = device_.Metrics();
    while (!text.empty()) {
        if (flow.continuation && !flow.content) {
            text = TrimLeadingBlanks(text);
            if (text.empty()) break;
        }
        const Size whole = device_.Extent(text);
        if (flow.wrap <= 0 || static_cast<long long>(flow.x) + whole.cx <= flow.wrap) {
            Emit(flow, text, m, whole);
            break;
        }
        const int avail = flow.wrap - flow.x;
        // Every character is taken to be at least a pixel wide, so no prefix longer than this
        // can fit: the searches below never measure more than a line's worth of text.
        const std::size_t reach =
            std::min(text.size(), 2 * static_cast<std::size_t>(std::max(avail, 0)) + 2);

        // 1. The longest prefix ending with a break character that fits.
        //    A prefix of blanks only is no candidate: it would leave nothing on the line.
        std::vector<std::size_t> ends;
        bool visible = false;
        for (std::size_t i = 0; i < reach; i += base::CharLength(text, i)) {
            const std::size_t len = base::CharLength(text, i);
            visible = visible || len > 1 || text[i] != ' ';
            if (len == 1 && visible && kBreakCharacters.find(text[i]) != std::string_view::npos) {
                ends.push_back(i + 1);
            }
        }
        std::size_t lo = 0, hi = ends.size();  // ends[0 .. lo) fit
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (device_.Extent(text.substr(0, ends[mid])).cx <= avail) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
        if (lo > 0) {
            const std::size_t cut = ends[lo - 1];
            Emit(flow, TrimTrailingBlanks(text.substr(0, cut)), m);
            text = TrimLeadingBlanks(text.substr(cut));
            CloseLine(flow, true);
            continue;
        }
        if (!flow.content) {
            // 2. Nothing breaks here and the line is empty: cut character by character; the
            //    first character stays even when it alone is too wide.
            std::vector<std::size_t> bounds;
            for (std::size_t i = 0; i < reach;) {
                i += base::CharLength(text, i);
                bounds.push_back(std::min(i, text.size()));
            }
            std::size_t a = 1, b = bounds.size();  // bounds[0 .. a) are taken
            while (a < b) {
                const std::size_t mid = (a + b) / 2;
                if (device_.Extent(text.substr(0, bounds[mid])).cx <= avail) {
                    a = mid + 1;
                } else {
                    b = mid;
                }
            }
            const std::size_t cut = bounds[a - 1];
            Emit(flow, text.substr(0, cut), m);
            text = text.substr(cut);
            CloseLine(flow, true);
            continue;
        }
        // 3. The line has something on it already: the run starts the next line.
        CloseLine(flow, true);
    }
}

void LayoutBuilder::Object(Flow& flow, Item item) {
    if (flow.wrap > 0 && flow.content && static_cast<long long>(flow.x) + item.width > flow.wrap) {
        CloseLine(flow, true);
    }
    item.x = flow.x;
    item.style = StyleIndex();
    item.link = cur_.link;
    if (!flow.alignSet) {
        flow.line.record.align = cur_.normal.hAlign;
        flow.alignSet = true;
    }
    flow.x = AddSaturated(flow.x, item.width);
    flow.line.record.percent = AddSaturated(flow.line.record.percent, item.percent);
    // An object raises its line to its height. One on the baseline stands above it, so the
    // part above the baseline grows to its height (else it would reach over the line's top).
    if (cur_.normal.vAlign == VAlign::Baseline) {
        flow.above = std::max(flow.above, item.height);
    } else if (flow.above + flow.depth < item.height) {
        flow.above = item.height - flow.depth;
    }
    flow.content = true;
    flow.line.items.push_back(std::move(item));
}

void LayoutBuilder::CloseLine(Flow& flow, bool wrapped) {
    Line& line = flow.line;
    if (wrapped && !line.items.empty() && line.items.back().kind == Item::Kind::Text) {
        // A wrapped line does not end in blanks: they would only widen it.
        Item& last = line.items.back();
        const std::string_view trimmed = TrimTrailingBlanks(last.text);
        if (trimmed.size() != last.text.size()) {
            const int before = last.width;
            line.record.blanks -= last.blanks;
            last.text.resize(trimmed.size());
            device_.UseFont(styles_[last.style].normal);
            last.width = last.text.empty() ? 0 : device_.Extent(last.text).cx;
            last.blanks = CountBlanks(last.text);
            line.record.blanks += last.blanks;
            flow.x -= before - last.width;
            device_.UseFont(cur_.normal);
        }
    }
    line.record.width = flow.x;
    line.record.depth = flow.depth;
    line.record.height = flow.content ? flow.above + flow.depth : FontHeightNow();
    line.record.wrapped = wrapped;
    if (!flow.alignSet) line.record.align = cur_.normal.hAlign;
    Segment& seg = *flow.segment;
    line.top = seg.height;
    seg.height = AddSaturated(seg.height, line.record.height);
    int width = line.record.width;
    if (flow.wrap > 0 && line.record.percent > 0) {
        width = AddSaturated(width, MulDiv(flow.wrap, std::min(line.record.percent, 100000), 100));
    }
    seg.width = std::max(seg.width, width);
    if (records_) records_->push_back(line.record);
    seg.lines.push_back(std::move(line));
    flow.line = Line();
    flow.x = flow.above = flow.depth = 0;
    flow.content = flow.alignSet = false;
    flow.continuation = wrapped;
}

void LayoutBuilder::EndSegment(Flow& flow) {
    if (flow.content) CloseLine(flow, false);
}

void LayoutBuilder::Image(Flow& flow, const Token& t, int code) {
    const std::vector<Attribute>& at = t.attributes;
    ImageRef ref;
    ref.tagCode = code;
    if (code == tag::kImageList) {
        ref.source = ImageRef::Source::ImageList;
        ref.id = LeadingNumber(FindAttribute(at, "index").value_or(""));
    } else if (const auto v = FindAttribute(at, "idres")) {
        ref.source = ImageRef::Source::Resource;
        ref.id = LeadingNumber(*v);
    } else if (const auto f = FindAttribute(at, "file"); f && !f->empty()) {
        ref.source = ImageRef::Source::File;
        ref.path.assign(*f);
    } else if (const auto d = FindAttribute(at, "iddll")) {
        ref.source = ImageRef::Source::Module;
        ref.id = LeadingNumber(*d);
        ref.path.assign(FindAttribute(at, "srcdll").value_or(""));
    } else if (const auto h = FindAttribute(at, "handle")) {
        ref.source = ImageRef::Source::Handle;
        ref.handle = static_cast<std::uintptr_t>(LeadingHandle(*h));
    }
    if (ref.source == ImageRef::Source::None) return;
    const std::optional<Size> natural = device_.ImageSize(ref);
    if (!natural || natural->cx <= 0 || natural->cy <= 0) return;

    Item item;
    item.kind = Item::Kind::Image;
    item.image = ref;
    // A bitmap can be a strip of frames "cx" wide side by side ("cy" tall when given); it
    // animates when it has several frames and a "speed".
    Size frame = *natural;
    const TextStyle& st = cur_.normal;
    if (code == tag::kBitmap) {
        const int cx = rules_.Length(FindAttribute(at, "cx").value_or(""), 0, st);
        const int cy = rules_.Length(FindAttribute(at, "cy").value_or(""), 0, st);
        if (cx > 0 && cx < natural->cx) {
            frame.cx = cx;
            item.frameCount = natural->cx / cx;
        }
        if (cy > 0 && cy < natural->cy) frame.cy = cy;
    }
    item.frameSize = frame;
    item.display.cx = rules_.Length(FindAttribute(at, "width").value_or(""), frame.cx, st);
    item.display.cy = rules_.Length(FindAttribute(at, "height").value_or(""), frame.cy, st);
    const int speed = LeadingNumber(FindAttribute(at, "speed").value_or(""));
    if (item.frameCount > 1 && speed > 0) {
        item.animation = static_cast<int>(e_.animations_.size());
        e_.animations_.push_back({0, item.frameCount, 0, speed});
    }
    if (HasAttribute(at, "mask")) {
        item.transparent = Rgb(255, 0, 255);
        if (const auto m = FindAttribute(at, "mask")) {
            if (const auto c = ParseColour(*m, e_.colours_)) item.transparent = *c;
        }
    }
    const bool shadowsOn =
        e_.settings_.imageShadowOffset.x != 0 || e_.settings_.imageShadowOffset.y != 0;
    const std::string_view normalLetters = FindAttribute(at, "style").value_or("");
    item.flags = ImageStyleFlags(normalLetters, &item.shadow);
    item.hotFlags = item.flags;
    item.hotShadow = item.shadow;
    if (const auto hotLetters = FindAttribute(at, "hotstyle")) {
        item.hotShadow = false;
        item.hotFlags = ImageStyleFlags(*hotLetters, &item.hotShadow);
    }
    item.shadow = item.shadow && shadowsOn;
    item.hotShadow = item.hotShadow && shadowsOn;
    item.width = item.display.cx + (item.shadow ? std::abs(e_.settings_.imageShadowOffset.x) : 0);
    item.height = item.display.cy + (item.shadow ? std::abs(e_.settings_.imageShadowOffset.y) : 0);
    if (item.width <= 0 || item.height <= 0) return;
    Object(flow, std::move(item));
}

void LayoutBuilder::Rule(Flow& flow, const Token& t) {
    // The "hr" rule of the sheet colours this rule only.
    const State saved = cur_;
    ApplyRule("hr");
    const TextStyle& st = cur_.normal;
    Item item;
    item.kind = Item::Kind::Rule;
    item.thickness = st.borderWidth > 0 ? st.borderWidth : 1;
    if (const auto s = FindAttribute(t.attributes, "size")) {
        item.thickness = std::max(1, rules_.Length(*s, item.thickness, st));
    }
    item.colour = st.textColour;
    if (const auto c = FindAttribute(t.attributes, "color")) {
        if (const auto colour = rules_.ColourOf(*c)) item.colour = *colour;
    }
    item.percent = 100;
    if (const auto w = FindAttribute(t.attributes, "width"); w && !w->empty()) {
        if (w->back() == '%') {
            item.percent = std::min(LeadingNumber(*w), 100000);
        } else {
            item.percent = 0;
            item.width = rules_.Length(*w, 0, st);
        }
    }
    // A rule is as tall as the current font (at least its thickness), drawn across the middle
    // of a line of its own: its width is a share of the width a paint has, which the measure
    // cannot know, so nothing may stand beside it.
    item.height = std::max(item.thickness, FontHeightNow());
    SetState(saved);
    if (flow.content) CloseLine(flow, false);
    Object(flow, std::move(item));
    CloseLine(flow, false);
}

void LayoutBuilder::Tag(Flow& flow, const Token& t, const TagInfo& info) {
    if (t.closing) {
        if (!stack_.empty() && !info.styleName.empty() && stack_.back().label == info.styleName) {
            SetState(stack_.back().state);
            stack_.pop_back();
        }
        return;
    }
    // Tags with a style name open a scope a closing tag ends; the others (line breaks, tabs,
    // rules, images, strings) are single objects and leave nothing on the stack, so that
    // "<b>a<br>b</b>" still closes the bold.
    if (!info.styleName.empty()) stack_.push_back({info.styleName, cur_});
    const std::vector<Attribute>& at = t.attributes;
    switch (info.code) {
        case tag::kBold:
            Change([](TextStyle& s) { s.weight = std::min(s.weight * 2, 900); });
            break;
        case tag::kItalic:
            Change([](TextStyle& s) { s.italic = !s.italic; });
            break;
        case tag::kUnderline:
            Change([](TextStyle& s) { s.underline = !s.underline; });
            break;
        case tag::kStrikeout:
            Change([](TextStyle& s) { s.strikeout = !s.strikeout; });
            break;
        case tag::kFont:
            Change([&](TextStyle& s) { ApplyFontAttributes(s, at, rules_); });
            break;
        case tag::kRule:
            Rule(flow, t);
            break;
        case tag::kBreak: {
            const int n = std::min(CountOf(t.rest, 1), 255);
            for (int i = 0; i < n; ++i) CloseLine(flow, false);
            break;
        }
        case tag::kTab: {
            const int n = std::min(CountOf(t.rest, 1), 255);
            const int size = std::max(1, e_.settings_.tabSize);
            const long long next = (static_cast<long long>(flow.x) / size + n) * size;
            flow.x = static_cast<int>(std::min<long long>(next, kMaxCoordinate));
            flow.content = true;
            break;
        }
        case tag::kLeft:
        case tag::kCenter:
        case tag::kRight:
        case tag::kJustify: {
            const HAlign a = static_cast<HAlign>(info.code - tag::kLeft);
            Change([a](TextStyle& s) { s.hAlign = a; });
            break;
        }
        case tag::kBaseline:
        case tag::kTop:
        case tag::kVCenter:
        case tag::kBottom: {
            static constexpr VAlign kV[] = {VAlign::Baseline, VAlign::Top, VAlign::Center,
                                            VAlign::Bottom};
            const VAlign v = kV[info.code - tag::kBaseline];
            Change([v](TextStyle& s) { s.vAlign = v; });
            break;
        }
        case tag::kBitmap:
        case tag::kIcon:
        case tag::kImageList:
            Image(flow, t, info.code);
            break;
        case tag::kString: {
            StringRef ref;
            if (const auto id = FindAttribute(at, "idres")) {
                ref.id = LeadingNumber(*id);
            } else if (const auto dll = FindAttribute(at, "iddll")) {
                ref.id = LeadingNumber(*dll);
                ref.module.assign(FindAttribute(at, "srcdll").value_or(""));
                if (ref.module.empty()) break;
            } else {
                break;
            }
            const std::string text = device_.LoadResourceString(ref);
            Run(flow, text);
            break;
        }
        case tag::kSheetRule:
            ApplyRule(info.styleName);
            break;
        case tag::kSpan:
            if (const auto c = FindAttribute(at, "class")) {
                ApplyRule("." + base::ToLowerAnsi(*c));
            }
            break;
        case tag::kLink: {
            MarkupEngine::LinkTarget target;
            if (const auto href = FindAttribute(at, "href")) {
                target = {1, std::string(*href)};
            } else if (const auto msg = FindAttribute(at, "msg")) {
                target = {2, std::string(*msg)};
            }
            e_.links_.push_back(std::move(target));
            cur_.link = static_cast<int>(e_.links_.size()) - 1;
            cur_.normal.link = cur_.hot.link = true;
            if (const auto d = e_.sheet_.Find("a:link")) {
                ApplyDeclarations(cur_.normal, *d, rules_);
            }
            if (const auto d = e_.sheet_.Find("a:hover")) ApplyDeclarations(cur_.hot, *d, rules_);
            styleIndex_ = -1;
            break;
        }
        default:
            break;
    }
}

// The token after the "</table>" that closes the table opened at begin (or end).
std::size_t TableEnd(const std::vector<Token>& tokens, std::size_t begin, std::size_t end) {
    int depth = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const Token& t = tokens[i];
        if (t.kind != Token::Kind::Tag || t.text != "table") continue;
        depth += t.closing ? -1 : 1;
        if (depth == 0) return i + 1;
    }
    return end;
}

void LayoutBuilder::BuildBlock(MarkupEngine::Block& out, const std::vector<Token>& tokens,
                               std::size_t begin, std::size_t end, int wrap, int depth,
                               bool topLevel) {
    std::vector<LineRecord>* const savedRecords = records_;
    records_ = topLevel ? &e_.lineRecords_ : nullptr;
    Flow flow;
    flow.wrap = wrap;
    auto newTextSegment = [&] {
        out.segments.emplace_back();
        flow.segment = &out.segments.back();
    };
    newTextSegment();
    for (std::size_t i = begin; i < end; ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Kind::Text) {
            Run(flow, t.text);
            continue;
        }
        if (t.text == "table" && !t.closing && depth < kMaxTableDepth) {
            EndSegment(flow);
            const std::size_t stop = TableEnd(tokens, i, end);
            const std::size_t inner = stop > i + 1 && stop <= end &&
                                              tokens[stop - 1].text == "table" &&
                                              tokens[stop - 1].closing
                                          ? stop - 1
                                          : stop;
            Segment seg;
            seg.table = BuildTable(tokens, i + 1, inner, t, wrap, depth + 1);
            seg.width = seg.table->width;
            seg.height = seg.table->height;
            out.segments.push_back(std::move(seg));
            newTextSegment();
            i = stop - 1;
            continue;
        }
        if (const auto info = LookupTag(t.text)) Tag(flow, t, *info);
    }
    EndSegment(flow);
    // Empty text segments (around tables, or a text of tags only) take no room.
    out.segments.erase(std::remove_if(out.segments.begin(), out.segments.end(),
                                      [](const Segment& s) { return !s.table && s.lines.empty(); }),
                       out.segments.end());
    out.width = out.height = 0;
    for (Segment& s : out.segments) {
        s.top = out.height;
        out.height = AddSaturated(out.height, s.height);
        out.width = std::max(out.width, s.width);
    }
    records_ = savedRecords;
}

// ---- tables ----------------------------------------------------------------------------------

void LayoutBuilder::ReadBox(Box& box, const std::vector<Attribute>& attrs, const TextStyle& style,
                            Table* table) {
    TextStyle border;  // the border rules of the language, over the box's values
    border.borderStyle = box.borderStyle;
    border.borderWidth = box.borderWidth;
    for (const Attribute& a : attrs) {
        if (!a.value) continue;
        const std::string_view v = *a.value;
        const std::string lower = base::ToLowerAnsi(v);
        if (a.name == "border") {
            SetBorderWidth(border, rules_.Length(v, border.borderWidth, style));
        } else if (a.name == "borderstyle") {
            if (const auto s = BorderStyleFromName(lower)) SetBorderStyle(border, *s);
        } else if (a.name == "bordercolor") {
            if (const auto c = rules_.ColourOf(v)) box.light = box.dark = *c;
        } else if (a.name == "bordercolorlight") {
            if (const auto c = rules_.ColourOf(v)) box.light = *c;
        } else if (a.name == "bordercolordark") {
            if (const auto c = rules_.ColourOf(v)) box.dark = *c;
        } else if (a.name == "bgcolor") {
            if (const auto c = rules_.ColourOf(v)) {
                box.begin = *c;
                if (box.effect == effect::kTransparent) box.effect = effect::kSolid;
            }
        } else if (a.name == "bgmidcolor") {
            if (const auto c = rules_.ColourOf(v)) box.middle = *c;
        } else if (a.name == "bgendcolor") {
            if (const auto c = rules_.ColourOf(v)) box.end = *c;
        } else if (a.name == "bgeffect") {
            if (const auto e = EffectFromName(v)) box.effect = *e;
        } else if (a.name == "background" && table) {
            box.picture = ParseBackgroundPicture(v);
        } else if (a.name == "cellpadding" && table) {
            table->padding = rules_.Length(v, table->padding, style);
        } else if (a.name == "cellspacing" && table) {
            table->spacing = rules_.Length(v, table->spacing, style);
        } else if (a.name == "align") {
            if (lower == "left") box.align = HAlign::Left;
            if (lower == "center" || lower == "middle") box.align = HAlign::Center;
            if (lower == "right") box.align = HAlign::Right;
            if (lower == "justify") box.align = HAlign::Justify;
        } else if (a.name == "valign") {
            box.valign = lower == "middle" || lower == "vcenter" ? VAlign::Center
                         : lower == "bottom"                     ? VAlign::Bottom
                                                                 : VAlign::Top;
        } else if (a.name == "width") {
            box.width.assign(v);
        } else if (a.name == "height") {
            box.height.assign(v);
        }
    }
    box.borderStyle = border.borderStyle;
    box.borderWidth = border.borderWidth;
    if (box.borderStyle == linestyle::kNone || box.borderWidth == 0) {
        box.borderStyle = linestyle::kNone;
        box.borderWidth = 0;
    } else if (box.borderStyle != linestyle::kSolid) {
        box.borderWidth = 1;
    }
    if (!table) box.borderWidth = std::min(box.borderWidth, 1);
}

std::unique_ptr<Table> LayoutBuilder::BuildTable(const std::vector<Token>& tokens,
                                                 std::size_t begin, std::size_t end,
                                                 const Token& open, int avail, int depth) {
    auto table = std::make_unique<Table>();
    Table& t = *table;
    const State outer = cur_;
    const std::vector<Entry> outerStack = stack_;

    ApplyRule("table");
    t.box.borderStyle = cur_.normal.borderStyle;
    t.box.borderWidth = cur_.normal.borderWidth;
    t.box.light = cur_.normal.borderLight;
    t.box.dark = cur_.normal.borderDark;
    if (cur_.normal.padding > 0) t.padding = cur_.normal.padding;
    ReadBox(t.box, open.attributes, cur_.normal, &t);
    if (!t.box.middle) t.box.middle = t.box.begin;
    if (!t.box.end) t.box.end = t.box.begin;
    t.frame = t.box.borderStyle == linestyle::kDouble ? 3 : t.box.borderWidth;
    t.place = t.box.align.value_or(cur_.normal.hAlign);
    if (t.box.align) {
        const HAlign a = *t.box.align;
        Change([a](TextStyle& s) { s.hAlign = a; });
    }
    const State tableState = cur_;

    // Cells take the table's border (one pixel at most, a double one drawn single) and its
    // colours; a row's attributes apply to all its cells, a cell's own to itself.
    Box cellDefault;
    cellDefault.borderStyle =
        t.box.borderStyle == linestyle::kDouble ? linestyle::kSolid : t.box.borderStyle;
    cellDefault.borderWidth = std::min(t.box.borderWidth, 1);
    cellDefault.light = t.box.light;
    cellDefault.dark = t.box.dark;

    std::vector<State> states;
    Box rowBox = cellDefault;
    State rowState = tableState;
    bool inRow = false;
    Cell* open_cell = nullptr;
    int rowIndex = -1;
    std::vector<std::vector<char>> covered;  // grid positions taken by earlier cells
    auto take = [&](int r, int c) -> char& {
        while (static_cast<int>(covered.size()) <= r) covered.emplace_back(kMaxGrid, 0);
        return covered[r][c];
    };
    int nextCol = 0;
    auto startRow = [&](const std::vector<Attribute>* attrs) {
        ++rowIndex;
        nextCol = 0;
        inRow = true;
        SetState(tableState);
        ApplyRule("tr");
        rowBox = cellDefault;
        if (attrs) ReadBox(rowBox, *attrs, cur_.normal, nullptr);
        if (rowBox.align) {
            const HAlign a = *rowBox.align;
            Change([a](TextStyle& s) { s.hAlign = a; });
        }
        rowState = cur_;
    };
    for (std::size_t i = begin; i < end; ++i) {
        const Token& tok = tokens[i];
        if (tok.kind == Token::Kind::Tag && tok.text == "table" && !tok.closing) {
            i = TableEnd(tokens, i, end) - 1;  // a nested table belongs to the open cell
            if (open_cell) open_cell->end = i + 1;
            continue;
        }
        if (tok.kind != Token::Kind::Tag || (tok.text != "tr" && tok.text != "td")) {
            if (open_cell) open_cell->end = i + 1;
            continue;
        }
        open_cell = nullptr;
        if (tok.closing) {
            if (tok.text == "tr") inRow = false;
            continue;
        }
        if (tok.text == "tr") {
            if (rowIndex + 1 >= kMaxGrid) break;
            startRow(&tok.attributes);
            continue;
        }
        // td
        if (!inRow) {
            if (rowIndex + 1 >= kMaxGrid) break;
            startRow(nullptr);
        }
        while (nextCol < kMaxGrid && take(rowIndex, nextCol)) ++nextCol;
        if (nextCol >= kMaxGrid) continue;
        Cell cell;
        cell.row = rowIndex;
        cell.col = nextCol;
        cell.box = rowBox;
        SetState(rowState);
        ApplyRule("td");
        ReadBox(cell.box, tok.attributes, cur_.normal, nullptr);
        if (cell.box.align) {
            const HAlign a = *cell.box.align;
            Change([a](TextStyle& s) { s.hAlign = a; });
        }
        if (!cell.box.middle) cell.box.middle = cell.box.begin;
        if (!cell.box.end) cell.box.end = cell.box.begin;
        cell.colSpan = std::clamp(
            LeadingNumber(FindAttribute(tok.attributes, "colspan").value_or("1")), 1, kMaxGrid);
        cell.colSpan = std::min(cell.colSpan, kMaxGrid - cell.col);
        cell.rowSpan = std::clamp(
            LeadingNumber(FindAttribute(tok.attributes, "rowspan").value_or("1")), 1, kMaxGrid);
        cell.begin = cell.end = i + 1;
        for (int r = cell.row; r < std::min(cell.row + cell.rowSpan, kMaxGrid); ++r) {
            for (int k = cell.col; k < cell.col + cell.colSpan; ++k) take(r, k) = 1;
        }
        states.push_back(cur_);
        t.cells.push_back(std::move(cell));
        open_cell = &t.cells.back();
        nextCol += open_cell->colSpan;
    }
    t.rows = rowIndex + 1;
    // A row span never reaches past the last row. The columns are as many as the cells reach:
    // the largest sum of one row's column spans, or more where spans from above push a row's
    // cells further right.
    for (Cell& c : t.cells) {
        c.rowSpan = std::min(c.rowSpan, t.rows - c.row);
        t.cols = std::max(t.cols, c.col + c.colSpan);
        c.inset = t.padding + c.box.borderWidth;
    }

    // Column widths, the rule of our measurement:
    //  1. Each cell is laid out at its natural size: wrapped at its "width" when it has one
    //     (then its columns count as fixed), else at what the table may take at most (the
    //     space available, or no limit). Its size adds the padding and border on each side.
    //  2. A column is as wide as its widest one-column cell; a cell spanning columns shares
    //     what it needs beyond them equally among its columns that are not fixed (all of them
    //     when every one is), the remainder to the last.
    //  3. Rows likewise from heights, with "height" raising a cell's natural height.
    //  4. A table "width" larger than the natural width is shared among the columns that are
    //     not fixed like extra space; "height" likewise among the rows.
    //  5. When space is limited and the table is wider, the columns that are not fixed shrink
    //     in proportion to their natural widths and their cells are laid out again at the
    //     new widths; the widths are then measured once more from the cells.
    const int overheadX = 2 * t.frame + t.spacing * (t.cols + 1);
    const int overheadY = 2 * t.frame + t.spacing * (t.rows + 1);
    int innerAvail = avail > 0 ? std::max(1, avail - overheadX) : 0;
    if (avail > 0 && !t.box.width.empty() && t.box.width.back() != '%') {
        innerAvail = std::max(
            1, std::min(innerAvail, rules_.Length(t.box.width, 0, cur_.normal) - overheadX));
    }
    std::vector<int> wraps(t.cells.size(), 0);
    for (std::size_t k = 0; k < t.cells.size(); ++k) {
        Cell& c = t.cells[k];
        const std::string& w = c.box.width;
        if (!w.empty()) {
            c.fixedWidth = w.back() == '%' ? (innerAvail > 0 ? PercentOf(innerAvail, w) : 0)
                                           : rules_.Length(w, 0, states[k].normal);
        }
        if (!c.box.height.empty() && c.box.height.back() != '%') {
            c.fixedHeight = rules_.Length(c.box.height, 0, states[k].normal);
        }
        wraps[k] = c.fixedWidth > 0 ? std::max(1, c.fixedWidth - 2 * c.inset)
                   : innerAvail > 0 ? std::max(1, innerAvail - 2 * c.inset)
                                    : 0;
    }
    t.fixedCol.assign(t.cols, 0);
    for (const Cell& c : t.cells) {
        if (c.fixedWidth > 0) {
            for (int k = c.col; k < c.col + c.colSpan; ++k) t.fixedCol[k] = 1;
        }
    }

    // Laying the cells out twice must not number links or animations twice.
    const std::size_t links = e_.links_.size(), animations = e_.animations_.size();
    LayOutCells(t, tokens, states, wraps, depth);
    MeasureColumns(t);
    int natural = overheadX;
    for (int w : t.colWidth) natural = AddSaturated(natural, w);
    if (avail > 0 && natural > avail) {
        int fixedSum = 0, flexSum = 0, flexCount = 0;
        for (int k = 0; k < t.cols; ++k) {
            if (t.fixedCol[k]) {
                fixedSum = AddSaturated(fixedSum, t.colWidth[k]);
            } else {
                flexSum = AddSaturated(flexSum, t.colWidth[k]);
                ++flexCount;
            }
        }
        if (flexCount > 0 && flexSum > 0) {
            const int room = std::max(flexCount, avail - overheadX - fixedSum);
            if (room < flexSum) {
                std::vector<int> widths = t.colWidth;
                for (int k = 0; k < t.cols; ++k) {
                    if (!t.fixedCol[k]) {
                        widths[k] =
                            std::max(1, static_cast<int>(static_cast<long long>(t.colWidth[k]) *
                                                         room / flexSum));
                    }
                }
                for (std::size_t k = 0; k < t.cells.size(); ++k) {
                    const Cell& c = t.cells[k];
                    if (c.fixedWidth > 0) continue;
                    int span = t.spacing * (c.colSpan - 1);
                    for (int j = c.col; j < c.col + c.colSpan; ++j) {
                        span = AddSaturated(span, widths[j]);
                    }
                    wraps[k] = std::max(1, span - 2 * c.inset);
                }
                e_.links_.resize(links);
                e_.animations_.resize(animations);
                LayOutCells(t, tokens, states, wraps, depth);
                MeasureColumns(t);
            }
        }
    }
    MeasureRows(t);

    // Extra width and height asked for by the table's own "width" and "height".
    auto share = [](std::vector<int>& sizes, const std::vector<char>& fixed, int extra) {
        if (extra <= 0 || sizes.empty()) return;
        std::vector<int> flex;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            if (fixed.empty() || !fixed[k]) flex.push_back(static_cast<int>(k));
        }
        if (flex.empty()) {
            for (std::size_t k = 0; k < sizes.size(); ++k) flex.push_back(static_cast<int>(k));
        }
        const int each = extra / static_cast<int>(flex.size());
        for (int k : flex) sizes[k] = AddSaturated(sizes[k], each);
        sizes[flex.back()] =
            AddSaturated(sizes[flex.back()], extra - each * static_cast<int>(flex.size()));
    };
    t.width = overheadX;
    for (int w : t.colWidth) t.width = AddSaturated(t.width, w);
    t.height = overheadY;
    for (int h : t.rowHeight) t.height = AddSaturated(t.height, h);
    if (!t.box.width.empty()) {
        const int want = t.box.width.back() == '%'
                             ? (avail > 0 ? PercentOf(avail, t.box.width) : 0)
                             : rules_.Length(t.box.width, 0, tableState.normal);
        if (want > t.width) {
            share(t.colWidth, t.fixedCol, want - t.width);
            t.width = want;
        }
    }
    if (!t.box.height.empty() && t.box.height.back() != '%') {
        const int want = rules_.Length(t.box.height, 0, tableState.normal);
        if (want > t.height) {
            share(t.rowHeight, {}, want - t.height);
            t.height = want;
        }
    }
    // Space given beyond the table's width goes to the columns that are not fixed.
    if (avail > t.width &&
        std::any_of(t.fixedCol.begin(), t.fixedCol.end(), [](char f) { return !f; })) {
        share(t.colWidth, t.fixedCol, avail - t.width);
        t.width = avail;
    }

    // What the table's cells left open ends with the table.
    SetState(outer);
    stack_ = outerStack;
    return table;
}

void LayoutBuilder::LayOutCells(Table& t, const std::vector<Token>& tokens,
                                const std::vector<State>& states, const std::vector<int>& wraps,
                                int depth) {
    for (std::size_t k = 0; k < t.cells.size(); ++k) {
        Cell& c = t.cells[k];
        SetState(states[k]);
        const std::vector<Entry> saved = stack_;
        c.content = MarkupEngine::Block();
        BuildBlock(c.content, tokens, c.begin, c.end, wraps[k], depth, false);
        // What a cell leaves open ends with it.
        stack_ = saved;
    }
}

namespace {

// Shares need over the sizes from first to first + count - 1 (the flexible ones when there are
// any), equally, the remainder to the last.
void Spread(std::vector<int>& sizes, const std::vector<char>& fixed, int first, int count,
            int need) {
    if (need <= 0 || count <= 0) return;
    std::vector<int> targets;
    for (int k = first; k < first + count; ++k) {
        if (fixed.empty() || !fixed[k]) targets.push_back(k);
    }
    if (targets.empty()) {
        for (int k = first; k < first + count; ++k) targets.push_back(k);
    }
    const int n = static_cast<int>(targets.size());
    const int each = need / n;
    for (int k : targets) sizes[k] = AddSaturated(sizes[k], each);
    sizes[targets.back()] = AddSaturated(sizes[targets.back()], need - each * n);
}

}  // namespace

void LayoutBuilder::MeasureColumns(Table& t) {
    t.colWidth.assign(t.cols, 0);
    auto outer = [](const Cell& c) {
        return std::max(AddSaturated(c.content.width, 2 * c.inset), c.fixedWidth);
    };
    for (const Cell& c : t.cells) {
        if (c.colSpan == 1) t.colWidth[c.col] = std::max(t.colWidth[c.col], outer(c));
    }
    std::vector<const Cell*> spanning;
    for (const Cell& c : t.cells) {
        if (c.colSpan > 1) spanning.push_back(&c);
    }
    std::stable_sort(spanning.begin(), spanning.end(),
                     [](const Cell* a, const Cell* b) { return a->colSpan < b->colSpan; });
    for (const Cell* c : spanning) {
        int have = t.spacing * (c->colSpan - 1);
        for (int k = c->col; k < c->col + c->colSpan; ++k) {
            have = AddSaturated(have, t.colWidth[k]);
        }
        Spread(t.colWidth, t.fixedCol, c->col, c->colSpan, outer(*c) - have);
    }
}

void LayoutBuilder::MeasureRows(Table& t) {
    t.rowHeight.assign(t.rows, 0);
    auto outer = [](const Cell& c) {
        return std::max(AddSaturated(c.content.height, 2 * c.inset), c.fixedHeight);
    };
    for (const Cell& c : t.cells) {
        if (c.rowSpan == 1) t.rowHeight[c.row] = std::max(t.rowHeight[c.row], outer(c));
    }
    std::vector<const Cell*> spanning;
    for (const Cell& c : t.cells) {
        if (c.rowSpan > 1) spanning.push_back(&c);
    }
    std::stable_sort(spanning.begin(), spanning.end(),
                     [](const Cell* a, const Cell* b) { return a->rowSpan < b->rowSpan; });
    for (const Cell* c : spanning) {
        int have = t.spacing * (c->rowSpan - 1);
        for (int k = c->row; k < c->row + c->rowSpan; ++k) {
            have = AddSaturated(have, t.rowHeight[k]);
        }
        Spread(t.rowHeight, {}, c->row, c->rowSpan, outer(*c) - have);
    }
}

// ---- the draw pass ---------------------------------------------------------------------------

class LayoutPainter {
public:
    LayoutPainter(MarkupEngine& engine, MarkupPainter& painter)
        : e_(engine), p_(painter), styles_(engine.layout_->styles) {}

    void DrawBlock(const MarkupEngine::Block& block, int x, int y, int avail);

private:
    void DrawLine(const Line& line, int x, int y, int avail);
    void DrawTable(const Table& t, int x, int y, int avail);
    Colour FrameColour(Colour c) const {
        return e_.settings_.enabled ? c : e_.settings_.disabledColour;
    }
    void AddArea(int link, Rect r) {
        if (link < 0 || link >= static_cast<int>(e_.links_.size())) return;
        const MarkupEngine::LinkTarget& target = e_.links_[link];
        e_.areas_.push_back({r, target.kind, link, target.target});
    }

    MarkupEngine& e_;
    MarkupPainter& p_;
    const std::vector<ItemStyle>& styles_;
};

void LayoutPainter::DrawBlock(const MarkupEngine::Block& block, int x, int y, int avail) {
    for (const Segment& seg : block.segments) {
        if (seg.table) {
            DrawTable(*seg.table, x, y + seg.top, avail);
            continue;
        }
        for (const Line& line : seg.lines) DrawLine(line, x, y + seg.top + line.top, avail);
    }
}

void LayoutPainter::DrawLine(const Line& line, int x, int top, int avail) {
    const LineRecord& rec = line.record;
    const int width =
        AddSaturated(rec.width, MulDiv(std::max(avail, 0), std::min(rec.percent, 100000), 100));
    int start = x;
    if (rec.align == HAlign::Center) start = x + (avail - width) / 2;
    if (rec.align == HAlign::Right) start = x + avail - width;
    // Justification spreads a wrapped line's free width over its blanks; lines ended by a
    // break or by the end of the text keep their natural spacing.
    const int extra = rec.align == HAlign::Justify && rec.wrapped && rec.blanks > 0
                          ? std::max(0, avail - rec.width)
                          : 0;
    int blanksBefore = 0, shift = 0;
    const int h = rec.height;
    for (const Item& item : line.items) {
        const int ix = start + item.x + shift;
        const ItemStyle& pair = styles_[item.style];
        const bool hot = item.link >= 0 && item.link == e_.hot_;
        const TextStyle& style = hot ? pair.hot : pair.normal;
        switch (item.kind) {
            case Item::Kind::Text: {
                int ty = top + h - item.ascent - rec.depth;
                if (style.vAlign == VAlign::Top) ty = top;
                if (style.vAlign == VAlign::Center) ty = top + (h - item.fontHeight) / 2;
                if (style.vAlign == VAlign::Bottom) ty = top + h - item.ascent;
                int part = 0;
                if (extra > 0 && item.blanks > 0) {
                    const long long total = rec.blanks, spread = extra;
                    part = static_cast<int>(spread * (blanksBefore + item.blanks) / total -
                                            spread * blanksBefore / total);
                    blanksBefore += item.blanks;
                }
                p_.DrawRun({ix, ty}, item.text, style, part, part > 0 ? item.blanks : 0);
                const int w = item.width + part;
                if (style.overline) {
                    p_.DrawStrokes(StyledLineStrokes({ix, ty}, {ix + w, ty}, style.textColour,
                                                     linestyle::kSolid,
                                                     style.weight >= 700 ? 2 : 1));
                }
                AddArea(item.link, {ix, ty, ix + w, ty + item.height});
                shift += part;
                break;
            }
            case Item::Kind::Image: {
                int iy = top + h - rec.depth - item.height;
                if (style.vAlign == VAlign::Top) iy = top;
                if (style.vAlign == VAlign::Center) iy = top + (h - item.height) / 2;
                if (style.vAlign == VAlign::Bottom) iy = top + h - item.height;
                ImageDraw how;
                how.rect = {ix, iy, ix + item.display.cx, iy + item.display.cy};
                how.frameCount = item.frameCount;
                how.frameSize = item.frameSize;
                if (item.animation >= 0 &&
                    item.animation < static_cast<int>(e_.animations_.size())) {
                    how.frame = e_.animations_[item.animation].frame;
                }
                how.recolour = hot ? item.hotFlags : item.flags;
                how.shadow = hot ? item.hotShadow : item.shadow;
                if (!e_.settings_.enabled) {
                    how.recolour = recolour::kSingle;
                    how.single = e_.settings_.disabledColour;
                }
                how.transparent = item.transparent;
                how.softShadow = e_.settings_.imageShadowSoft;
                how.shadowOffset = e_.settings_.imageShadowOffset;
                how.shadowDepth = e_.settings_.imageShadowDepth;
                how.shadowDarkness = e_.settings_.imageShadowDarkness;
                p_.DrawImage(item.image, how);
                AddArea(item.link, {ix, iy, ix + item.width, iy + item.height});
                break;
            }
            case Item::Kind::Rule: {
                const int w =
                    item.percent > 0 ? MulDiv(std::max(avail, 0), item.percent, 100) : item.width;
                const int cy = top + h / 2;
                p_.DrawStrokes(StyledLineStrokes({ix, cy}, {ix + w, cy}, item.colour,
                                                 linestyle::kSolid, item.thickness));
                break;
            }
        }
    }
}

void LayoutPainter::DrawTable(const Table& t, int x, int y, int avail) {
    std::vector<int> widths = t.colWidth;
    int width = t.width;
    if (avail > width) {
        std::vector<int> flex;
        for (int k = 0; k < t.cols; ++k) {
            if (!t.fixedCol[k]) flex.push_back(k);
        }
        const int extra = avail - width;
        if (!flex.empty()) {
            const int each = extra / static_cast<int>(flex.size());
            for (int k : flex) widths[k] = AddSaturated(widths[k], each);
            widths[flex.back()] =
                AddSaturated(widths[flex.back()], extra - each * static_cast<int>(flex.size()));
            width = avail;
        } else if (t.place == HAlign::Center) {
            x += extra / 2;
        } else if (t.place == HAlign::Right) {
            x += extra;
        }
    }
    // Widths measured beyond the table's own (its "width", or an earlier widening) go to the
    // last column, so the cells always cover the table.
    int used = 2 * t.frame + t.spacing * (t.cols + 1);
    for (int w : widths) used = AddSaturated(used, w);
    if (used < width && !widths.empty()) widths.back() = AddSaturated(widths.back(), width - used);

    const Rect outer{x, y, AddSaturated(x, width), AddSaturated(y, t.height)};
    const Box& b = t.box;
    if (b.effect != effect::kTransparent) {
        p_.FillEffect(outer, b.effect, b.begin, *b.middle, *b.end, 5, 0);
    } else if (b.picture) {
        p_.TilePicture(outer, *b.picture);
    }
    p_.DrawStrokes(StyledFrameStrokes(outer, FrameColour(b.light), FrameColour(b.dark),
                                      b.borderStyle, b.borderWidth));

    std::vector<int> colLeft(t.cols + 1), rowTop(t.rows + 1);
    colLeft[0] = AddSaturated(x, t.frame + t.spacing);
    for (int k = 0; k < t.cols; ++k) {
        colLeft[k + 1] = AddSaturated(AddSaturated(colLeft[k], widths[k]), t.spacing);
    }
    rowTop[0] = AddSaturated(y, t.frame + t.spacing);
    for (int k = 0; k < t.rows; ++k) {
        rowTop[k + 1] = AddSaturated(AddSaturated(rowTop[k], t.rowHeight[k]), t.spacing);
    }

    for (const Cell& c : t.cells) {
        const Rect r{colLeft[c.col], rowTop[c.row], colLeft[c.col + c.colSpan] - t.spacing,
                     rowTop[c.row + c.rowSpan] - t.spacing};
        const Box& cb = c.box;
        if (cb.effect != effect::kTransparent) {
            p_.FillEffect(r, cb.effect, cb.begin, *cb.middle, *cb.end, 5, 0);
        }
        p_.DrawStrokes(StyledFrameStrokes(r, FrameColour(cb.dark), FrameColour(cb.light),
                                          cb.borderStyle, cb.borderWidth));
        const Rect inner{r.left + c.inset, r.top + c.inset, r.right - c.inset, r.bottom - c.inset};
        int cy = inner.top;
        if (cb.valign == VAlign::Center) cy = inner.top + (inner.Height() - c.content.height) / 2;
        if (cb.valign == VAlign::Bottom) cy = inner.bottom - c.content.height;
        DrawBlock(c.content, inner.left, cy, inner.Width());
    }
}

// ---- the engine ------------------------------------------------------------------------------

MarkupEngine::MarkupEngine(const ColourTable::SystemColours& systemColours)
    : colours_(systemColours) {
    settings_.disabledColour = colours_.System(syscolour::kBtnShadow);
}

MarkupEngine::~MarkupEngine() = default;

Size MarkupEngine::MeasureText(MarkupDevice& device, std::string_view text) {
    layout_.reset();
    areas_.clear();
    animations_.clear();
    links_.clear();
    lineRecords_.clear();
    hot_ = kNoHotLink;
    const std::string prepared = PrepareText(text, settings_.newLineMode);
    if (prepared.empty()) return {0, 0};
    const std::vector<Token> tokens = ScanMarkup(WrapInBody(prepared));
    auto block = std::make_unique<Block>();
    LayoutBuilder builder(*this, device, block->styles);
    builder.BuildBlock(*block, tokens, 0, tokens.size(), std::max(settings_.maxWidth, 0), 0, true);
    if (block->width <= 0 && block->height <= 0) {
        // Nothing to show: later paints draw nothing.
        animations_.clear();
        links_.clear();
        lineRecords_.clear();
        return {1, 1};
    }
    Size size{block->width, block->height};
    if (settings_.maxWidth > 0) size.cx = std::min(size.cx, settings_.maxWidth);
    layout_ = std::move(block);
    return {size.cx + 1, size.cy + 1};
}

void MarkupEngine::RenderText(MarkupPainter& painter, Rect r) {
    // Each paint records the areas anew (a paint after a paint must not add them twice).
    areas_.clear();
    if (!layout_) return;
    LayoutPainter p(*this, painter);
    p.DrawBlock(*layout_, r.left, r.top, r.Width());
}

const LinkArea* MarkupEngine::LinkAt(Point p) const {
    for (const LinkArea& a : areas_) {
        if (p.x >= a.area.left && p.x <= a.area.right && p.y >= a.area.top &&
            p.y <= a.area.bottom) {
            return &a;
        }
    }
    return nullptr;
}

bool MarkupEngine::UpdateHotLink(Point p, LinkHost& host) {
    const LinkArea* a = LinkAt(p);
    const int index = a ? a->index : kNoHotLink;
    if (index != hot_) {
        hot_ = index;
        host.HotLinkChanged(index);
    }
    if (a && !a->target.empty()) {
        host.SetHandCursor();
        return true;
    }
    return false;
}

void MarkupEngine::FollowLinkAt(Point p, LinkHost& host) {
    const LinkArea* a = LinkAt(p);
    if (!a || a->target.empty()) return;
    const std::string target = a->target;  // the host may repaint and so renew the areas
    if (a->kind == 1) host.OpenTarget(target);
    if (a->kind == 2) host.SendLinkMessage(target);
}

bool MarkupEngine::StepAnimations() {
    bool changed = false;
    for (AnimationRecord& a : animations_) {
        if (a.frameCount <= 0) continue;
        if (++a.ticks >= a.ticksPerFrame) {
            a.ticks = 0;
            const int next = (a.frame + 1) % a.frameCount;
            changed = changed || next != a.frame;
            a.frame = next;
        }
    }
    return changed;
}

}  // namespace tooltip
