// The document stream: document container, main master, one slide
// container per slide, then the persist directory and the user edit atom
// that a reader finds through the Current User atom ([MS-PPT] 2.1.2).
#include "platform/presentation/PptStreams.h"

#include "platform/presentation/PptRecords.h"
#include "platform/presentation/RecordTypes.h"

#include <cassert>
#include <cmath>

namespace presentation {

int32_t ToMasterUnits(float points)
{
    return int32_t(std::lround(double(points) * 8.0));
}

static void writeDocumentAtom(RecordWriter& w, const Presentation& p)
{
    w.begin(rt::DocumentAtom, 1);
    w.i32(ToMasterUnits(p.slideWidth));   // slideSize.x
    w.i32(ToMasterUnits(p.slideHeight));  // slideSize.y
    w.i32(4320);                          // notesSize.x: 7.5 in
    w.i32(5760);                          // notesSize.y: 10 in
    w.i32(1);                             // serverZoom.numer
    w.i32(2);                             // serverZoom.denom
    w.u32(0);                             // notesMasterPersistIdRef: none
    w.u32(0);                             // handoutMasterPersistIdRef: none
    w.u16(1);                             // firstSlideNumber
    w.u16(p.slideSizeType);               // slideSizeType
    w.u8(0);                              // fSaveWithFonts
    w.u8(0);                              // fOmitTitlePlace
    w.u8(0);                              // fRightToLeft
    w.u8(1);                              // fShowComments
    w.end(40);
}

static void writeSlidePersistAtom(RecordWriter& w, uint32_t persistId, uint32_t flags, uint32_t slideId)
{
    w.begin(rt::SlidePersistAtom);
    w.u32(persistId);  // persistIdRef
    w.u32(flags);      // fShouldCollapse, fNonOutlineData
    w.i32(0);          // cTexts: no placeholder text
    w.u32(slideId);    // slideId
    w.u32(0);          // reserved
    w.end(20);
}

static void writeMasterList(RecordWriter& w)
{
    w.beginContainer(rt::SlideListWithText, 1);  // instance 1: masters
    writeSlidePersistAtom(w, MasterPersistId, 0, MasterSlideId);
    w.end();
}

static void writeSlideList(RecordWriter& w, const Presentation& p)
{
    if (p.slides.empty()) return;
    w.beginContainer(rt::SlideListWithText, 0);  // instance 0: slides
    for (size_t i = 0; i < p.slides.size(); ++i) {
        uint32_t nonOutlineData = p.slides[i]->shapes.empty() ? 0 : 0x4;
        writeSlidePersistAtom(w, SlidePersistId(i), nonOutlineData, FirstSlideId + uint32_t(i));
    }
    w.end();
}

static void writeDocInfoList(RecordWriter& w)
{
    w.beginContainer(rt::DocInfoList);
    w.beginContainer(rt::SlideViewInfo);
    w.begin(rt::SlideViewInfoAtom);
    w.u8(0);  // fShowGuides
    w.u8(1);  // fSnapToGrid
    w.u8(0);  // fSnapToShape
    w.end(3);
    w.end();
    w.end();
}

static void writeDocumentContainer(RecordWriter& w, const Presentation& p, const RecordPlan& plan)
{
    w.beginContainer(rt::Document);
    writeDocumentAtom(w, p);
    WriteEnvironment(w, plan);
    WriteDrawingGroup(w, p, plan);
    writeMasterList(w);
    writeDocInfoList(w);
    writeSlideList(w, p);
    w.begin(rt::EndDocumentAtom);
    w.end(0);
    w.end();
}

// Persist ids run from 1 without gaps; one entry holds at most 4095 of them.
static void writePersistDirectory(RecordWriter& w, const std::vector<uint32_t>& offsets)
{
    w.begin(rt::PersistDirectoryAtom);
    for (size_t first = 0; first < offsets.size(); first += 4095) {
        size_t count = std::min<size_t>(4095, offsets.size() - first);
        w.u32(uint32_t(first + 1) | uint32_t(count) << 20);  // persistId, cPersist
        for (size_t i = first; i < first + count; ++i) w.u32(offsets[i]);  // rgPersistOffset
    }
    w.end();
}

static void writeUserEditAtom(RecordWriter& w, uint32_t directoryOffset, uint32_t persistCount)
{
    w.begin(rt::UserEditAtom);
    w.u32(FirstSlideId);        // lastSlideIdRef
    w.u16(0);                   // version
    w.u8(0);                    // minorVersion
    w.u8(3);                    // majorVersion
    w.u32(0);                   // offsetLastEdit: no earlier edit
    w.u32(directoryOffset);     // offsetPersistDirectory
    w.u32(DocumentPersistId);   // docPersistIdRef
    w.u32(persistCount);        // persistIdSeed: the largest persist id
    w.u16(1);                   // lastView: slide view
    w.u16(0);                   // unused
    w.end(28);
}

static void writeCurrentUser(RecordWriter& w, uint32_t userEditOffset)
{
    static const std::string user = "Corvane";
    w.begin(rt::CurrentUserAtom);
    w.u32(20);                   // size
    w.u32(0xE391C05F);           // headerToken: not encrypted
    w.u32(userEditOffset);       // offsetToCurrentEdit
    w.u16(uint16_t(user.size()));  // lenUserName
    w.u16(0x03F4);               // docFileVersion
    w.u8(3);                     // majorVersion
    w.u8(0);                     // minorVersion
    w.u16(0);                    // unused
    w.bytes(user.data(), user.size());  // ansiUserName
    w.u32(8);                    // relVersion
    w.utf16(std::u16string(user.begin(), user.end()));  // unicodeUserName
    w.end(long(20 + user.size() * 3 + 4));
}

// Records go into a buffer that is handed on whenever no record is open,
// so that it holds one top-level record at most.
class PieceWriter {
public:
    explicit PieceWriter(const StreamSink& out) : out_(out) {}
    RecordWriter& records() { return records_; }
    // The offset in the whole stream.
    uint32_t offset() const { return uint32_t(handedOn_ + buffer_.size()); }
    void handOn()
    {
        assert(records_.depth() == 0);
        if (!buffer_.empty()) out_(buffer_.data(), buffer_.size());
        handedOn_ += buffer_.size();
        buffer_.clear();
    }

private:
    const StreamSink& out_;
    std::vector<uint8_t> buffer_;
    RecordWriter records_{buffer_};
    size_t handedOn_ = 0;
};

std::vector<uint8_t> WriteDocumentStream(const Presentation& p, const StreamSink& out)
{
    RecordPlan plan(p);
    assert(plan.picturesFit);  // SavePptFile refuses what does not fit
    PieceWriter piece(out);
    RecordWriter& w = piece.records();
    std::vector<uint32_t> persistOffsets;
    persistOffsets.push_back(piece.offset());
    writeDocumentContainer(w, p, plan);
    piece.handOn();
    persistOffsets.push_back(piece.offset());
    WriteMainMaster(w, p, plan);
    for (size_t i = 0; i < p.slides.size(); ++i) {
        piece.handOn();
        persistOffsets.push_back(piece.offset());
        WriteSlide(w, p, plan, i);
    }
    uint32_t directoryOffset = piece.offset();
    writePersistDirectory(w, persistOffsets);
    uint32_t userEditOffset = piece.offset();
    writeUserEditAtom(w, directoryOffset, uint32_t(persistOffsets.size()));
    piece.handOn();
    std::vector<uint8_t> currentUser;
    RecordWriter current(currentUser);
    writeCurrentUser(current, userEditOffset);
    return currentUser;
}

void WritePicturesStream(const Presentation& p, const StreamSink& out)
{
    std::vector<uint8_t> start;
    for (const PictureData& picture : p.pictures) {
        start.clear();
        RecordWriter w(start);
        WritePictureBlipStart(w, picture);
        out(start.data(), start.size());
        out(picture.bytes.data(), picture.bytes.size());
    }
}

static StreamSink appendingTo(std::vector<uint8_t>& bytes)
{
    return [&bytes](const uint8_t* data, size_t size) { bytes.insert(bytes.end(), data, data + size); };
}

PptStreams WritePptStreams(const Presentation& p, const DocumentInfo& info)
{
    PptStreams streams;
    streams.properties = WritePropertySets(p, info);
    streams.currentUser = WriteDocumentStream(p, appendingTo(streams.document));
    WritePicturesStream(p, appendingTo(streams.pictures));
    return streams;
}

} // namespace presentation
