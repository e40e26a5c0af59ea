// The text of a text box shape ([MS-PPT] 2.9): header, characters, and
// style runs for paragraphs and characters, each covering the text and the
// paragraph end after it.
#include "platform/presentation/PptRecords.h"

#include "platform/presentation/RecordTypes.h"

namespace presentation {

constexpr uint16_t BoldBit = 0x1, ItalicBit = 0x2, UnderlineBit = 0x4;
// Character run masks: bold, italic, underline, typeface, size, colour, and
// the East Asian, ANSI and symbol typefaces. Readers pick the typeface slot
// from the characters' script (U+25A1 takes the East Asian one, U+F000 to
// U+F0FF the symbol one), so every slot names the run's font.
constexpr uint32_t CharRunMasks =
    0x00000007 | 0x00010000 | 0x00020000 | 0x00040000 | 0x00200000 | 0x00400000 | 0x00800000;

static void writeCharacters(RecordWriter& w, const TextBody& body)
{
    if (body.isNarrow()) {
        const std::string& bytes = body.narrowText();  // the low byte of each character
        w.begin(rt::TextBytesAtom);
        w.bytes(bytes.data(), bytes.size());
        w.end(long(bytes.size()));
    } else {
        w.begin(rt::TextCharsAtom);
        w.utf16(body.wideText());
        w.end(long(2 * body.length()));
    }
}

static void writeCharacterRun(RecordWriter& w, uint32_t count, const CharFormat& f, const FontTable& fonts)
{
    w.u32(count);                       // count
    w.u32(CharRunMasks);                // masks
    w.u16(uint16_t((f.bold ? BoldBit : 0) | (f.italic ? ItalicBit : 0) | (f.underline ? UnderlineBit : 0)));  // fontStyle
    uint16_t font = fonts.indexOf(f.fontName);
    w.u16(font);                        // fontRef
    w.u16(font);                        // oldEAFontRef
    w.u16(font);                        // ansiFontRef
    w.u16(font);                        // symbolFontRef
    w.u16(uint16_t(f.size));            // fontSize
    w.u8(uint8_t(f.rgb));               // color.red
    w.u8(uint8_t(f.rgb >> 8));          // color.green
    w.u8(uint8_t(f.rgb >> 16));         // color.blue
    w.u8(0xFE);                         // color.index: the RGB value
}

static void writeStyleRuns(RecordWriter& w, const TextBody& body, const FontTable& fonts)
{
    size_t total = body.length() + 1;  // the paragraph end after the text
    w.begin(rt::StyleTextPropAtom);
    w.u32(uint32_t(total));  // paragraph run: count
    w.u16(0);                // indentLevel
    w.u32(0);                // masks: the master's paragraph format
    // The paragraph end joins the last run when their formats are equal.
    const std::vector<TextRun>& runs = body.runs();
    bool endJoins = !runs.empty() && runs.back().format == body.endFormatIndex();
    for (size_t i = 0; i < runs.size(); ++i) {
        uint32_t count = runs[i].length + (endJoins && i + 1 == runs.size() ? 1 : 0);
        writeCharacterRun(w, count, body.format(runs[i].format), fonts);
    }
    if (!endJoins) writeCharacterRun(w, 1, body.endFormat(), fonts);
    w.end();
}

void WriteTextBox(RecordWriter& w, const TextBody& body, const FontTable& fonts)
{
    w.begin(rt::TextHeaderAtom);
    w.u32(4);  // textType: other
    w.end(4);
    writeCharacters(w, body);
    writeStyleRuns(w, body, fonts);
    w.begin(rt::TextSpecialInfoAtom);
    w.u32(uint32_t(body.length() + 1));  // count
    w.u32(0x00000002);                   // masks: lang
    w.u16(0x0409);                       // lang: English (United States)
    w.end(10);
}

} // namespace presentation
