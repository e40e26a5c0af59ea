// The main master and the slides ([MS-PPT] 2.5.2 SlideContainer, 2.5.3
// MainMasterContainer): slide atom, drawing and colour scheme.
#include "platform/presentation/PptRecords.h"

#include "platform/presentation/MasterTextStyles.h"
#include "platform/presentation/RecordTypes.h"

namespace presentation {

// Layouts ([MS-PPT] 2.13.35 SlideLayoutType).
enum : uint32_t { TitleBodyLayout = 1, BlankLayout = 16 };
// Slide flags: the slide follows the master's objects, scheme and background.
enum : uint16_t { FollowMaster = 0x0007 };

void WriteColorScheme(RecordWriter& w, uint16_t instance)
{
    static const uint32_t colors[8] = {
        0xFFFFFF,  // background
        0x000000,  // text and lines
        0x808080,  // shadows
        0x000000,  // title text
        0xE3E0BB,  // fills
        0x993333,  // accent
        0x999900,  // accent and hyperlink
        0x00CC99,  // accent and followed hyperlink
    };
    w.begin(rt::ColorSchemeAtom, 0, instance);
    for (uint32_t bgr : colors) w.u32(bgr);  // red, green, blue, unused
    w.end(32);
}

static void writeSlideAtom(RecordWriter& w, uint32_t layout, uint32_t masterId, uint16_t flags)
{
    w.begin(rt::SlideAtom, 2);
    w.u32(layout);    // geom
    w.zeros(8);       // rgPlaceholderTypes: none
    w.u32(masterId);  // masterIdRef
    w.u32(0);         // notesIdRef: no notes
    w.u16(flags);     // slideFlags
    w.u16(0);         // unused
    w.end(24);
}

void WriteMainMaster(RecordWriter& w, const Presentation& p, const RecordPlan& plan)
{
    w.beginContainer(rt::MainMaster);
    writeSlideAtom(w, TitleBodyLayout, 0, 0);
    WriteColorScheme(w, 6);  // instance 6: the scheme list
    for (TextType type : {TextType::Title, TextType::Body, TextType::Notes}) WriteMasterTextStyle(w, type);
    WriteDrawing(w, p, plan, plan.master, nullptr);
    WriteColorScheme(w, 1);  // instance 1: the master's scheme
    w.end();
}

void WriteSlide(RecordWriter& w, const Presentation& p, const RecordPlan& plan, size_t slide)
{
    w.beginContainer(rt::Slide);
    writeSlideAtom(w, BlankLayout, MasterSlideId, FollowMaster);
    WriteDrawing(w, p, plan, plan.slides[slide], p.slides[slide].get());
    WriteColorScheme(w, 1);
    w.end();
}

} // namespace presentation
