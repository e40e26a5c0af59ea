// Drawings ([MS-ODRAW] 2.2): the drawing group with the picture store, and
// one drawing per slide and master with its group, background and shapes.
#include "platform/presentation/PptRecords.h"

#include "platform/presentation/PptStreams.h"
#include "platform/presentation/RecordTypes.h"

#include <algorithm>
#include <utility>

namespace presentation {

using Properties = std::vector<std::pair<uint16_t, uint32_t>>;

// Property ids ([MS-ODRAW] 2.3); 0x4000 marks a blip id.
enum : uint16_t {
    Protection = 0x007F,
    WrapText = 0x0085,
    TextBooleans = 0x00BF,
    Pib = 0x4104,
    FillColor = 0x0181,
    FillBackColor = 0x0183,
    FillBlip = 0x4186,
    FillRectRight = 0x0193,
    FillRectBottom = 0x0194,
    FillBooleans = 0x01BF,
    LineColor = 0x01C0,
    LineFillBlip = 0x41C5,
    LineBooleans = 0x01FF,
    ShadowColor = 0x0201,
    BlackAndWhiteMode = 0x0304,
    ShapeBooleans = 0x033F,
};

enum : uint32_t { SchemeColor = 0x08000000 };

// Shape flags ([MS-ODRAW] 2.2.40).
enum : uint32_t { Group = 0x1, Patriarch = 0x4, HaveAnchor = 0x200, Background = 0x400, HaveShapeType = 0x800 };

// Shape types ([MS-ODRAW] 2.4.24).
enum : uint16_t { NotPrimitive = 0, Rectangle = 1, PictureFrame = 75, TextBox = 202 };

static void writeProperties(RecordWriter& w, const Properties& properties)
{
    w.begin(rt::FOPT, 3, uint16_t(properties.size()));
    for (auto [id, value] : properties) {
        w.u16(id);     // opid
        w.u32(value);  // op
    }
    w.end(long(properties.size() * 6));
}

static void writeFDGG(RecordWriter& w, const RecordPlan& plan)
{
    std::vector<DrawingIds> drawings{plan.master};
    drawings.insert(drawings.end(), plan.slides.begin(), plan.slides.end());
    uint32_t clusters = 0, shapes = 0, maxShapeId = 0;
    for (const DrawingIds& d : drawings) {
        clusters += (d.shapeCount + 1023) / 1024;
        shapes += d.shapeCount;
        maxShapeId = d.lastShapeId();
    }
    w.begin(rt::FDGG);
    w.u32(maxShapeId + 1);            // spidMax
    w.u32(clusters + 1);              // cidcl
    w.u32(shapes);                    // cspSaved
    w.u32(uint32_t(drawings.size())); // cdgSaved
    for (const DrawingIds& d : drawings) {
        for (uint32_t used = 0; used < d.shapeCount; used += 1024) {
            w.u32(d.drawingId);                           // dgid
            w.u32(std::min<uint32_t>(1024, d.shapeCount - used));  // cspidCur
        }
    }
    w.end(long(16 + 8 * clusters));
}

static void writeBlipStore(RecordWriter& w, const Presentation& p, const RecordPlan& plan)
{
    if (p.pictures.empty()) return;
    w.beginContainer(rt::BStoreContainer, uint16_t(p.pictures.size()));
    for (size_t i = 0; i < p.pictures.size(); ++i) {
        const PictureData& picture = p.pictures[i];
        uint8_t kind = picture.kind == PictureKind::Png ? 6 : 5;  // msoblipPNG, msoblipJPEG
        w.begin(rt::FBSE, 2, kind);
        w.u8(kind);                            // btWin32
        w.u8(kind);                            // btMacOS
        w.bytes(picture.digest.data(), 16);    // rgbUid
        w.u16(0x00FF);                         // tag
        w.u32(plan.pictureSizes[i]);           // size: the blip record in "Pictures"
        w.u32(plan.pictureRefs[i]);            // cRef
        w.u32(plan.pictureOffsets[i]);         // foDelay: its offset there
        w.u8(0);                               // unused1
        w.u8(0);                               // cbName
        w.u8(0);                               // unused2
        w.u8(0);                               // unused3
        w.end(36);
    }
    w.end();
}

void WriteDrawingGroup(RecordWriter& w, const Presentation& p, const RecordPlan& plan)
{
    w.beginContainer(rt::PPDrawingGroup);
    w.beginContainer(rt::DggContainer);
    writeFDGG(w, plan);
    writeBlipStore(w, p, plan);
    writeProperties(w, {{FillColor, SchemeColor | 4}, {FillBackColor, SchemeColor | 0}, {FillBlip, 0},
                        {FillBooleans, 0x00100010}, {LineColor, SchemeColor | 1}, {LineFillBlip, 0},
                        {LineBooleans, 0x00080008}, {ShadowColor, SchemeColor | 2}});
    w.begin(rt::SplitMenuColors, 0, 4);
    w.u32(SchemeColor | 4);  // fill
    w.u32(SchemeColor | 1);  // line
    w.u32(SchemeColor | 2);  // shadow
    w.u32(0x100000F7);       // 3-D
    w.end(16);
    w.end();
    w.end();
}

static void writeShapeHeader(RecordWriter& w, uint16_t type, uint32_t shapeId, uint32_t flags)
{
    w.begin(rt::FSP, 2, type);
    w.u32(shapeId);  // spid
    w.u32(flags);    // grfPersistent
    w.end(8);
}

// The small anchor, 16-bit master units: the automation objects keep every
// shape inside its range, and values are clamped to it all the same.
static void writeAnchor(RecordWriter& w, const Anchor& a)
{
    auto clamped = [](float points) { return int16_t(std::clamp(ToMasterUnits(points), -32768, 32767)); };
    w.begin(rt::ClientAnchor);
    w.i16(clamped(a.top));               // top
    w.i16(clamped(a.left));              // left
    w.i16(clamped(a.left + a.width));    // right
    w.i16(clamped(a.top + a.height));    // bottom
    w.end(8);
}

static void writeGroupShape(RecordWriter& w, uint32_t shapeId)
{
    w.beginContainer(rt::SpContainer);
    w.begin(rt::FSPGR, 1);
    w.zeros(16);  // xLeft, yTop, xRight, yBottom
    w.end(16);
    writeShapeHeader(w, NotPrimitive, shapeId, Group | Patriarch);
    w.end();
}

static void writeBackgroundShape(RecordWriter& w, const Presentation& p, uint32_t shapeId)
{
    w.beginContainer(rt::SpContainer);
    writeShapeHeader(w, Rectangle, shapeId, Background | HaveShapeType);
    writeProperties(w, {{FillColor, SchemeColor | 0}, {FillBackColor, SchemeColor | 5},
                        {FillRectRight, uint32_t(p.slideWidth * 12700)},
                        {FillRectBottom, uint32_t(p.slideHeight * 12700)}, {FillBooleans, 0x00120012},
                        {LineBooleans, 0x00080000}, {BlackAndWhiteMode, 9}, {ShapeBooleans, 0x00010001}});
    w.end();
}

static void writePictureShape(RecordWriter& w, const PictureShape& s, uint32_t shapeId)
{
    w.beginContainer(rt::SpContainer);
    writeShapeHeader(w, PictureFrame, shapeId, HaveAnchor | HaveShapeType);
    writeProperties(w, {{Protection, 0x00800080},       // fLockAspectRatio
                        {Pib, uint32_t(s.picture + 1)},  // 1-based picture store entry
                        {FillBooleans, 0x00100000},      // not filled
                        {LineBooleans, 0x00080000}});    // no line
    writeAnchor(w, s.anchor);
    w.end();
}

static void writeTextBoxShape(RecordWriter& w, const TextBoxShape& s, uint32_t shapeId, const FontTable& fonts)
{
    w.beginContainer(rt::SpContainer);
    writeShapeHeader(w, TextBox, shapeId, HaveAnchor | HaveShapeType);
    writeProperties(w, {{WrapText, 0},                 // msowrapSquare: word wrap
                        {TextBooleans, 0x00020002},    // fFitShapeToText
                        {FillBooleans, 0x00100000},    // not filled
                        {LineBooleans, 0x00080000}});  // no line
    writeAnchor(w, s.anchor);
    w.beginContainer(rt::ClientTextbox);
    WriteTextBox(w, s.body, fonts);
    w.end();
    w.end();
}

void WriteDrawing(RecordWriter& w, const Presentation& p, const RecordPlan& plan, const DrawingIds& ids,
                  const Slide* slide)
{
    w.beginContainer(rt::PPDrawing);
    w.beginContainer(rt::DgContainer);
    w.begin(rt::FDG, 0, uint16_t(ids.drawingId));
    w.u32(ids.shapeCount - 1);  // csp: the shapes besides the group
    w.u32(ids.lastShapeId());   // spidCur
    w.end(8);
    w.beginContainer(rt::SpgrContainer);
    writeGroupShape(w, ids.firstShapeId);
    uint32_t shapeId = ids.firstShapeId + 2;
    if (slide) {
        for (const auto& shape : slide->shapes) {
            if (auto pic = std::get_if<PictureShape>(shape.get())) writePictureShape(w, *pic, shapeId++);
            else writeTextBoxShape(w, std::get<TextBoxShape>(*shape), shapeId++, plan.fonts);
        }
    }
    w.end();
    writeBackgroundShape(w, p, ids.firstShapeId + 1);
    w.end();
    w.end();
}

} // namespace presentation
