// TextMasterStyleAtom ([MS-PPT] 2.9.35): per outline level a paragraph and a
// character format, each with every field present.
#include "platform/presentation/MasterTextStyles.h"

#include "platform/presentation/RecordTypes.h"

#include <vector>

namespace presentation {

struct LevelStyle {
    bool bullet;
    uint16_t alignment;  // 0 left, 1 centre
    uint16_t leftMargin, indent;  // master units
    uint16_t spaceBefore;
    uint16_t fontSize;  // points
    uint8_t colorIndex;  // colour scheme entry
};

static std::vector<LevelStyle> levelsOf(TextType type)
{
    switch (type) {
    case TextType::Title:
        return {{false, 1, 0, 0, 0, 44, 3}};
    case TextType::Body:
        return {{true, 0, 0, 216, 20, 32, 1},
                {true, 0, 288, 360, 20, 28, 1},
                {true, 0, 576, 720, 20, 24, 1},
                {true, 0, 864, 1008, 20, 20, 1},
                {true, 0, 1152, 1296, 20, 20, 1}};
    case TextType::Notes:
        return {{false, 0, 0, 0, 30, 12, 1}, {false, 0, 288, 288, 30, 12, 1}, {false, 0, 576, 576, 30, 12, 1},
                {false, 0, 864, 864, 30, 12, 1}, {false, 0, 1152, 1152, 30, 12, 1}};
    case TextType::Other:
        break;
    }
    return {{false, 0, 0, 0, 0, 18, 1}, {false, 0, 288, 288, 0, 18, 1}, {false, 0, 576, 576, 0, 18, 1},
            {false, 0, 864, 864, 0, 18, 1}, {false, 0, 1152, 1152, 0, 18, 1}};
}

static void writeSchemeColor(RecordWriter& w, uint8_t index)
{
    w.u8(0);      // red
    w.u8(0);      // green
    w.u8(0);      // blue
    w.u8(index);  // index: colour scheme entry
}

// TextPFException with masks 0x003FFDFF: every field from bulletFlags to textDirection.
static void writeParagraphStyle(RecordWriter& w, const LevelStyle& s)
{
    w.u32(0x003FFDFF);         // masks
    w.u16(s.bullet ? 1 : 0);   // bulletFlags: fHasBullet
    w.u16(0x2022);             // bulletChar: bullet
    w.u16(0);                  // bulletFontRef
    w.u16(100);                // bulletSize: percent
    writeSchemeColor(w, 1);    // bulletColor
    w.u16(s.alignment);        // textAlignment
    w.u16(100);                // lineSpacing: percent
    w.u16(s.spaceBefore);      // spaceBefore
    w.u16(0);                  // spaceAfter
    w.u16(s.leftMargin);       // leftMargin
    w.u16(s.indent);           // indent
    w.u16(576);                // defaultTabSize: 1 in
    w.u16(0);                  // tabStops.count
    w.u16(0);                  // fontAlign: roman
    w.u16(0x0007);             // wrapFlags: charWrap, wordWrap, overflow
    w.u16(0);                  // textDirection
}

// TextCFException with masks 0x00EFFFFF: style, fonts, size, colour, position.
static void writeCharacterStyle(RecordWriter& w, const LevelStyle& s)
{
    w.u32(0x00EFFFFF);          // masks
    w.u16(0);                   // fontStyle: plain
    w.u16(0);                   // fontRef: Arial
    w.u16(0xFFFF);              // oldEAFontRef: none
    w.u16(0xFFFF);              // ansiFontRef: none
    w.u16(0xFFFF);              // symbolFontRef: none
    w.u16(s.fontSize);          // fontSize
    writeSchemeColor(w, s.colorIndex);  // color
    w.u16(0);                   // position: baseline
}

void WriteMasterTextStyle(RecordWriter& w, TextType type)
{
    std::vector<LevelStyle> levels = levelsOf(type);
    w.begin(rt::TextMasterStyleAtom, 0, uint16_t(type));
    w.u16(uint16_t(levels.size()));  // cLevels
    for (const LevelStyle& level : levels) {
        writeParagraphStyle(w, level);
        writeCharacterStyle(w, level);
    }
    w.end(long(2 + levels.size() * (38 + 22)));
}

} // namespace presentation
