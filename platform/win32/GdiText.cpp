// Fonts and DrawTextA of the GDI stand-in: fontconfig picks the installed
// face for a LOGFONTA and FreeType draws its glyphs without smoothing, as a
// plain GDI font does. A weight or slant the face lacks is synthesised.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/GdiObjects.h"

namespace {

// Em height of a font whose lfHeight is 0, and the largest em drawn: a
// glyph's bitmap grows with its square.
constexpr int kDefaultEm = 12;
constexpr long kLargestEm = 1024;

struct FaceChoice {
    std::string file;
    int index = 0;
    bool embolden = false;  // bold asked, the face is lighter
    bool oblique = false;   // italic asked, the face is upright
};

FaceChoice MatchFace(const LOGFONTA& log)
{
    char family[LF_FACESIZE + 1] = {};
    memcpy(family, log.lfFaceName, LF_FACESIZE);
    int weight = log.lfWeight > 0 ? log.lfWeight : FW_NORMAL;

    FcPattern* pattern = FcPatternCreate();
    if (family[0]) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, log.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);

    FaceChoice choice;
    if (!match) return choice;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) choice.file = reinterpret_cast<char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &choice.index);
    int matchedWeight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    FcPatternDestroy(match);
    choice.embolden = weight >= 600 && matchedWeight < FC_WEIGHT_DEMIBOLD;
    choice.oblique = log.lfItalic && slant == FC_SLANT_ROMAN;
    return choice;
}

// One opened face at the font's size, with its line metrics in pixels.
class TextFace {
public:
    explicit TextFace(const LOGFONTA& log) : log_(log)
    {
        FaceChoice choice = MatchFace(log);
        if (choice.file.empty() || FT_Init_FreeType(&library_) != 0) return;
        if (FT_New_Face(library_, choice.file.c_str(), choice.index, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        if (!SetSize()) {
            FT_Done_Face(face_);
            face_ = nullptr;
            return;
        }
        embolden_ = choice.embolden;
        if (choice.oblique) {
            FT_Matrix shear{0x10000, 0x3333, 0, 0x10000};  // x += 0.2 y
            FT_Set_Transform(face_, &shear, nullptr);
        }
        const FT_Size_Metrics& m = face_->size->metrics;
        ascent_ = int((m.ascender + 63) >> 6);
        descent_ = int((-m.descender + 63) >> 6);
        if (ascent_ + descent_ <= 0) ascent_ = int((m.y_ppem));
        strength_ = embolden_ ? std::max<FT_Pos>(64, m.y_ppem * 64 / 24) : 0;
        if (FT_IS_SCALABLE(face_)) {
            underlineY_ = int(-FT_MulFix(face_->underline_position, m.y_scale) >> 6);
            underlineThickness_ = std::max(1, int(FT_MulFix(face_->underline_thickness, m.y_scale) >> 6));
        }
    }
    ~TextFace()
    {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }
    TextFace(const TextFace&) = delete;
    TextFace& operator=(const TextFace&) = delete;

    bool Ok() const { return face_ != nullptr; }
    int Ascent() const { return ascent_; }
    int LineHeight() const { return ascent_ + descent_; }

    // Loads and renders a glyph; null when the face has none to show.
    FT_GlyphSlot Glyph(unsigned long code)
    {
        if (FT_Load_Char(face_, code, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return nullptr;
        FT_GlyphSlot slot = face_->glyph;
        if (embolden_ && slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Embolden(&slot->outline, strength_);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return nullptr;
        return slot;
    }
    int Advance(unsigned long code)
    {
        if (FT_Load_Char(face_, code, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return 0;
        return int((face_->glyph->advance.x + strength_ + 32) >> 6);
    }
    bool Underline() const { return log_.lfUnderline != 0; }
    int UnderlineY() const { return underlineY_; }
    int UnderlineThickness() const { return underlineThickness_; }

private:
    bool SetSize()
    {
        long long h = log_.lfHeight;
        long long em = h < 0 ? -h : h == 0 ? kDefaultEm : h;
        // A cell height: the em is the part of it the face's design gives.
        long cell = face_->ascender - face_->descender;
        if (h > 0 && FT_IS_SCALABLE(face_) && cell > 0) em = h * face_->units_per_EM / cell;
        em = std::clamp<long long>(em, 1, kLargestEm);
        return FT_Set_Pixel_Sizes(face_, 0, FT_UInt(em)) == 0;
    }

    LOGFONTA log_;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    bool embolden_ = false;
    FT_Pos strength_ = 0;
    int ascent_ = 0;
    int descent_ = 0;
    int underlineY_ = 1;
    int underlineThickness_ = 1;
};

// The text's characters: UTF-8, with a byte that starts no valid sequence
// taken as Latin-1.
std::vector<unsigned long> Decode(const char* text, size_t length)
{
    std::vector<unsigned long> codes;
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length;) {
        unsigned char c = s[i];
        int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
        if (c >= 0xF8) extra = 0;
        unsigned long code = extra ? c & (0x3F >> extra) : c;
        bool valid = i + extra < length;
        for (int k = 1; valid && k <= extra; k++) {
            if ((s[i + k] & 0xC0) != 0x80) valid = false;
            else code = (code << 6) | (s[i + k] & 0x3F);
        }
        if (!valid) {
            code = c;
            extra = 0;
        }
        codes.push_back(code);
        i += 1 + extra;
    }
    return codes;
}

// Lines of the text: broken at "\n" (a "\r" before it is dropped) unless the
// format keeps one line.
std::vector<std::vector<unsigned long>> Lines(const std::vector<unsigned long>& codes, UINT format)
{
    std::vector<std::vector<unsigned long>> lines(1);
    for (unsigned long code : codes) {
        if (code == '\n' && !(format & DT_SINGLELINE)) {
            if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
            lines.emplace_back();
            continue;
        }
        if (code == '\r' || code == '\n') continue;
        lines.back().push_back(code);
    }
    return lines;
}

int LineWidth(TextFace& face, const std::vector<unsigned long>& line)
{
    int width = 0;
    for (unsigned long code : line) width += face.Advance(code);
    return width;
}

struct Canvas {
    GdiBitmap* bitmap;
    RECT clip;  // in bitmap pixels, right and bottom exclusive

    void Put(long x, long y, RGBQUAD c)
    {
        if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) return;
        bitmap->Put(LONG(x), LONG(y), c);
    }
    void Fill(long left, long top, long right, long bottom, RGBQUAD c)
    {
        for (long y = top; y < bottom; y++)
            for (long x = left; x < right; x++) Put(x, y, c);
    }
};

RGBQUAD Quad(COLORREF c)
{
    return RGBQUAD{BYTE(c >> 16), BYTE(c >> 8), BYTE(c), 0};
}

void DrawGlyph(Canvas& canvas, FT_GlyphSlot slot, long penX, long baseline, RGBQUAD colour)
{
    const FT_Bitmap& b = slot->bitmap;
    for (unsigned gy = 0; gy < b.rows; gy++) {
        const unsigned char* row = b.buffer + (long)gy * b.pitch;
        for (unsigned gx = 0; gx < b.width; gx++) {
            if (row[gx / 8] & (0x80 >> (gx % 8)))
                canvas.Put(penX + slot->bitmap_left + gx, baseline - slot->bitmap_top + gy, colour);
        }
    }
}

void DrawLine(Canvas& canvas, TextFace& face, const std::vector<unsigned long>& line, long left, long top,
              int width, const GdiDc& dc)
{
    if (dc.bkMode == OPAQUE) canvas.Fill(left, top, left + width, top + face.LineHeight(), Quad(dc.background));
    long baseline = top + face.Ascent();
    long pen = left;
    for (unsigned long code : line) {
        int advance = face.Advance(code);
        if (FT_GlyphSlot slot = face.Glyph(code)) DrawGlyph(canvas, slot, pen, baseline, Quad(dc.text));
        pen += advance;
    }
    if (face.Underline()) {
        long y = baseline + face.UnderlineY();
        canvas.Fill(left, y, left + width, y + face.UnderlineThickness(), Quad(dc.text));
    }
}

}  // namespace

GdiFont* GdiStockFont()
{
    static GdiFont* font = [] {
        auto* f = new GdiFont;
        f->stock = true;
        f->log.lfHeight = -11;
        f->log.lfWeight = FW_NORMAL;
        strcpy(f->log.lfFaceName, "Sans");
        GdiRegister(f);
        return f;
    }();
    return font;
}

HFONT CreateFontIndirectA(const LOGFONTA* lplf)
{
    if (!lplf) return nullptr;
    auto* font = new GdiFont;
    font->log = *lplf;
    font->log.lfFaceName[LF_FACESIZE - 1] = '\0';
    GdiRegister(font);
    return font;
}

int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, RECT* lprc, UINT format)
{
    GdiDc* dc = GdiAs<GdiDc>(hdc, GdiObject::Dc);
    if (!dc || !lpchText || !lprc) return 0;
    size_t length = cchText < 0 ? strlen(lpchText) : size_t(cchText);
    TextFace face(dc->font->log);
    if (!face.Ok()) return 0;

    auto lines = Lines(Decode(lpchText, length), format);
    std::vector<int> widths;
    for (const auto& line : lines) widths.push_back(LineWidth(face, line));
    int height = int(lines.size()) * face.LineHeight();
    if (format & DT_CALCRECT) {
        lprc->right = lprc->left + *std::max_element(widths.begin(), widths.end());
        lprc->bottom = lprc->top + height;
        return height;
    }

    GdiBitmap* bitmap = dc->bitmap;
    Canvas canvas{bitmap, RECT{0, 0, bitmap->width, bitmap->height}};
    if (!(format & DT_NOCLIP)) {
        canvas.clip.left = std::max(canvas.clip.left, lprc->left);
        canvas.clip.top = std::max(canvas.clip.top, lprc->top);
        canvas.clip.right = std::min(canvas.clip.right, lprc->right);
        canvas.clip.bottom = std::min(canvas.clip.bottom, lprc->bottom);
    }
    for (size_t i = 0; i < lines.size(); i++) {
        long left = lprc->left;
        long room = (long)lprc->right - lprc->left - widths[i];
        if (format & DT_CENTER) left += room / 2;
        else if (format & DT_RIGHT) left += room;
        DrawLine(canvas, face, lines[i], left, lprc->top + (long)i * face.LineHeight(), widths[i], *dc);
    }
    return height;
}
