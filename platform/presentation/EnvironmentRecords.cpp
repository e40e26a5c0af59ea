// The environment: font collection, text defaults and the master text
// styles ([MS-PPT] 2.4.3 DocumentTextInfoContainer, 2.9 text records).
#include "platform/presentation/PptRecords.h"

#include "platform/presentation/MasterTextStyles.h"
#include "platform/presentation/RecordTypes.h"

namespace presentation {

static void writeFontEntity(RecordWriter& w, const std::u16string& name, uint16_t index)
{
    w.begin(rt::FontEntityAtom, 0, index);
    std::u16string face = name.substr(0, 31);
    w.utf16(face);                        // lfFaceName
    w.zeros(64 - 2 * face.size());        // rest of lfFaceName, terminator included
    w.u8(0);                              // lfCharSet: ANSI
    w.u8(0);                              // fEmbedSubsetted
    w.u8(0x04);                           // truetypeFontType
    w.u8(0x22);                           // lfPitchAndFamily: variable pitch, swiss
    w.end(68);
}

static void writeFontCollection(RecordWriter& w, const FontTable& fonts)
{
    w.beginContainer(rt::FontCollection);
    for (size_t i = 0; i < fonts.names().size(); ++i) writeFontEntity(w, fonts.names()[i], uint16_t(i));
    w.end();
}

static void writeTextDefaults(RecordWriter& w)
{
    w.begin(rt::TextCharFormatExceptionAtom);
    w.u32(0x00400080);  // masks: kumi, ansiTypeface
    w.u16(0);           // fontStyle
    w.u16(0xFFFF);      // ansiFontRef: none
    w.end(8);

    w.begin(rt::TextParagraphFormatExceptionAtom);
    w.u16(0);           // reserved
    w.u32(0x002E0800);  // masks: align, charWrap, wordWrap, overflow, textDirection
    w.u16(0);           // textAlignment: left
    w.u16(0x0002);      // wrapFlags: word wrap
    w.u16(0);           // textDirection: left to right
    w.end(12);

    w.begin(rt::TextSpecialInfoDefaultAtom);
    w.u32(0x00000007);  // masks: spell, lang, altLang
    w.u16(2);           // spellInfo: clean
    w.u16(0x0409);      // lang: English (United States)
    w.u16(0);           // altLang
    w.end(10);
}

void WriteEnvironment(RecordWriter& w, const RecordPlan& plan)
{
    w.beginContainer(rt::Environment);
    writeFontCollection(w, plan.fonts);
    writeTextDefaults(w);
    WriteMasterTextStyle(w, TextType::Other);
    w.end();
}

} // namespace presentation
