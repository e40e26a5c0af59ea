#include "tests/presentation/PptStructureCheck.h"

#include "platform/presentation/RecordTypes.h"

#include <algorithm>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <cstring>
#include <map>
#include <set>

namespace rt = presentation::rt;
using Bytes = std::vector<uint8_t>;

namespace {

struct Record {
    size_t offset = 0;  // of the header
    uint16_t version = 0, instance = 0, type = 0;
    uint32_t length = 0;
    const uint8_t* body = nullptr;
    std::vector<Record> children;
    bool container() const { return version == 0xF; }
    const Record* child(uint16_t t, size_t nth = 0) const {
        for (const Record& c : children)
            if (c.type == t && nth-- == 0) return &c;
        return nullptr;
    }
    size_t count(uint16_t t) const {
        size_t n = 0;
        for (const Record& c : children) n += c.type == t;
        return n;
    }
};

uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32(const uint8_t* p) { return uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24); }
int16_t i16(const uint8_t* p) { return int16_t(u16(p)); }

class Checker {
public:
    Checker(const presentation::PptStreams& s, CheckedPresentation& found) : s_(s), found_(found) {}
    std::vector<std::string> run();

private:
    void fail(const std::string& what) { problems_.push_back(what); }
    std::vector<Record> walk(const Bytes& data, size_t from, size_t to, int depth);
    const Record* topAt(size_t offset) const;
    void checkFixedLengths(const Record& r);
    void checkDocument(const Record& doc);
    void checkFonts(const Record& env);
    void checkDrawingGroup(const Record& group);
    void checkDrawing(const Record& ppDrawing, const std::string& where);
    void checkShape(const Record& sp, const std::string& where);
    void checkText(const Record& clientTextbox, const std::string& where);
    void checkCharRuns(const uint8_t* p, const uint8_t* end, uint32_t total, const std::string& where);
    void checkPictureStore();
    void checkPropertySet(const Bytes& set, const char* name, const uint8_t (&formatId)[16]);
    void readProperty(const char* name, uint32_t id, const uint8_t* value, uint32_t room);

    const presentation::PptStreams& s_;
    CheckedPresentation& found_;
    std::vector<std::string> problems_;
    std::vector<Record> top_;
    std::vector<Record> pictures_;
    std::map<uint32_t, uint32_t> persist_;  // id -> offset
    std::vector<const Record*> blipEntries_;
    std::map<uint32_t, uint32_t> pibUses_;    // 1-based store entry -> shapes
    std::map<uint32_t, uint32_t> clusterUse_; // dgid -> shape ids declared
    std::set<uint32_t> shapeIds_;
    size_t fontCount_ = 0;
};

std::vector<Record> Checker::walk(const Bytes& data, size_t from, size_t to, int depth)
{
    std::vector<Record> out;
    size_t at = from;
    while (at < to) {
        if (to - at < 8) {
            fail("record header cut at " + std::to_string(at));
            break;
        }
        Record r;
        r.offset = at;
        r.version = data[at] & 0xF;
        r.instance = u16(&data[at]) >> 4;
        r.type = u16(&data[at + 2]);
        r.length = u32(&data[at + 4]);
        if (r.length > to - at - 8) {
            fail("record " + std::to_string(r.type) + " at " + std::to_string(at) + " runs past its parent");
            break;
        }
        r.body = &data[at + 8];
        if (r.container() && depth < 32) r.children = walk(data, at + 8, at + 8 + r.length, depth + 1);
        checkFixedLengths(r);
        out.push_back(std::move(r));
        at += 8 + out.back().length;
    }
    return out;
}

void Checker::checkFixedLengths(const Record& r)
{
    static const std::map<uint16_t, uint32_t> lengths = {
        {rt::DocumentAtom, 40},   {rt::SlideAtom, 24},       {rt::SlidePersistAtom, 20}, {rt::UserEditAtom, 28},
        {rt::FontEntityAtom, 68}, {rt::ColorSchemeAtom, 32}, {rt::TextHeaderAtom, 4},    {rt::FSP, 8},
        {rt::FDG, 8},             {rt::FSPGR, 16},           {rt::FBSE, 36},             {rt::EndDocumentAtom, 0},
    };
    auto known = lengths.find(r.type);
    if (known != lengths.end() && known->second != r.length)
        fail("record " + std::to_string(r.type) + " has length " + std::to_string(r.length));
    if (r.type == rt::FOPT && r.length != r.instance * 6u) fail("property table length does not match its count");
    if (r.type == rt::ClientAnchor && r.length != 8 && r.length != 16) fail("anchor of odd length");
}

const Record* Checker::topAt(size_t offset) const
{
    for (const Record& r : top_)
        if (r.offset == offset) return &r;
    return nullptr;
}

// The format ids of the two sets (MS-OLEPS 1.9).
const uint8_t SummaryFormatId[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                     0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
const uint8_t DocumentSummaryFormatId[16] = {0x02, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10,
                                             0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};

std::vector<std::string> Checker::run()
{
    checkPropertySet(s_.properties.summary, "summary information", SummaryFormatId);
    checkPropertySet(s_.properties.documentSummary, "document summary information", DocumentSummaryFormatId);
    top_ = walk(s_.document, 0, s_.document.size(), 0);
    pictures_ = walk(s_.pictures, 0, s_.pictures.size(), 0);
    const Bytes& cu = s_.currentUser;
    if (cu.size() < 28 || u16(&cu[2]) != rt::CurrentUserAtom || u32(&cu[4]) + 8 != cu.size()) {
        fail("Current User atom malformed");
        return problems_;
    }
    if (u32(&cu[8]) != 20 || u32(&cu[12]) != 0xE391C05F) fail("Current User size or token wrong");
    uint16_t nameLength = u16(&cu[20]);
    if (28 + nameLength * 3u + 4 != cu.size()) fail("Current User name lengths wrong");
    // The user edit chain: each edit names its persist directory and the edit before it.
    uint32_t edit = u32(&cu[16]);
    uint32_t docPersistId = 0, seed = 0;
    for (int hops = 0; hops < 100; ++hops) {
        const Record* ue = topAt(edit);
        if (!ue || ue->type != rt::UserEditAtom) {
            fail("user edit offset " + std::to_string(edit) + " is no user edit atom");
            return problems_;
        }
        if (hops == 0) docPersistId = u32(ue->body + 16), seed = u32(ue->body + 20);
        const Record* dir = topAt(u32(ue->body + 12));
        if (!dir || dir->type != rt::PersistDirectoryAtom) {
            fail("persist directory offset wrong");
            return problems_;
        }
        for (size_t at = 0; at + 4 <= dir->length;) {
            uint32_t head = u32(dir->body + at);
            uint32_t first = head & 0xFFFFF, count = head >> 20;
            at += 4;
            if (at + 4 * count > dir->length) {
                fail("persist directory entry runs past the atom");
                break;
            }
            for (uint32_t i = 0; i < count; ++i, at += 4) persist_.emplace(first + i, u32(dir->body + at));
        }
        edit = u32(ue->body + 8);
        if (edit == 0) break;
    }
    uint32_t maxId = persist_.empty() ? 0 : persist_.rbegin()->first;
    if (seed < maxId) fail("persist id seed below the largest persist id");
    for (auto [id, offset] : persist_)
        if (!topAt(offset)) fail("persist id " + std::to_string(id) + " points inside a record");
    if (!persist_.count(docPersistId)) {
        fail("document persist id not in the directory");
        return problems_;
    }
    const Record* doc = topAt(persist_[docPersistId]);
    if (!doc || doc->type != rt::Document) fail("document persist id does not name the document");
    else checkDocument(*doc);
    return problems_;
}

void Checker::checkDocument(const Record& doc)
{
    const Record* atom = doc.child(rt::DocumentAtom);
    if (!atom || &doc.children.front() != atom) return fail("document does not start with its atom");
    found_.slideWidth = int32_t(u32(atom->body));
    found_.slideHeight = int32_t(u32(atom->body + 4));
    if (doc.children.back().type != rt::EndDocumentAtom) fail("document does not end with the end atom");
    const Record* env = doc.child(rt::Environment);
    if (!env) return fail("no environment");
    checkFonts(*env);
    const Record* group = doc.child(rt::PPDrawingGroup);
    if (!group) return fail("no drawing group");
    checkDrawingGroup(*group);
    for (const Record& list : doc.children) {
        if (list.type != rt::SlideListWithText) continue;
        for (const Record& entry : list.children) {
            if (entry.type != rt::SlidePersistAtom) continue;
            uint32_t id = u32(entry.body);
            std::string where = "slide persist " + std::to_string(id);
            if (!persist_.count(id)) {
                fail(where + " missing from the directory");
                continue;
            }
            const Record* slide = topAt(persist_[id]);
            uint16_t expected = list.instance == 1 ? rt::MainMaster : rt::Slide;
            if (!slide || slide->type != expected) {
                fail(where + " names the wrong record");
                continue;
            }
            if (list.instance == 0) ++found_.slides;
            if (slide->children.empty() || slide->children[0].type != rt::SlideAtom) fail(where + ": no slide atom");
            const Record* drawing = slide->child(rt::PPDrawing);
            if (!drawing) fail(where + ": no drawing");
            else checkDrawing(*drawing, where);
        }
    }
    checkPictureStore();
}

void Checker::checkFonts(const Record& env)
{
    const Record* fonts = env.child(rt::FontCollection);
    if (!fonts) return fail("no font collection");
    for (const Record& f : fonts->children) {
        if (f.type != rt::FontEntityAtom) continue;
        if (f.instance != fontCount_) fail("font entity out of order");
        bool terminated = false;
        for (int i = 0; i < 32; ++i) terminated = terminated || u16(f.body + 2 * i) == 0;
        if (!terminated) fail("font name not terminated");
        ++fontCount_;
    }
    found_.fonts = fontCount_;
    if (fontCount_ == 0) fail("empty font collection");
}

void Checker::checkDrawingGroup(const Record& group)
{
    const Record* dgg = group.child(rt::DggContainer);
    const Record* fdgg = dgg ? dgg->child(rt::FDGG) : nullptr;
    if (!fdgg || fdgg->length < 16) return fail("no drawing group atom");
    uint32_t clusters = u32(fdgg->body + 4) - 1;
    if (fdgg->length != 16 + 8 * clusters) fail("drawing group cluster count does not match its length");
    for (uint32_t i = 0; i < clusters && 16 + 8 * i + 8 <= fdgg->length; ++i) {
        uint32_t used = u32(fdgg->body + 16 + 8 * i + 4);
        if (used > 1024) fail("cluster uses more than 1024 ids");
        clusterUse_[u32(fdgg->body + 16 + 8 * i)] += used;
    }
    const Record* store = dgg->child(rt::BStoreContainer);
    if (store) {
        if (store->instance != store->count(rt::FBSE)) fail("picture store count wrong");
        for (const Record& e : store->children) blipEntries_.push_back(&e);
    }
    found_.pictures = blipEntries_.size();
}

void Checker::checkDrawing(const Record& ppDrawing, const std::string& where)
{
    const Record* dg = ppDrawing.child(rt::DgContainer);
    const Record* fdg = dg ? dg->child(rt::FDG) : nullptr;
    const Record* group = dg ? dg->child(rt::SpgrContainer) : nullptr;
    if (!fdg || !group) return fail(where + ": drawing without its atom or group");
    std::vector<const Record*> shapes;
    for (const Record& sp : group->children) shapes.push_back(&sp);
    if (const Record* background = dg->child(rt::SpContainer)) shapes.push_back(background);
    uint32_t dgid = fdg->instance, maxId = 0;
    for (const Record* sp : shapes) {
        const Record* fsp = sp->child(rt::FSP);
        if (!fsp) {
            fail(where + ": shape without header");
            continue;
        }
        uint32_t id = u32(fsp->body);
        if (!shapeIds_.insert(id).second) fail(where + ": shape id " + std::to_string(id) + " used twice");
        maxId = std::max(maxId, id);
        checkShape(*sp, where);
    }
    if (u32(fdg->body) + 1 != shapes.size()) fail(where + ": shape count wrong");
    if (u32(fdg->body + 4) != maxId) fail(where + ": last shape id wrong");
    if (clusterUse_[dgid] != shapes.size()) fail(where + ": drawing group declares other ids for this drawing");
}

void Checker::checkShape(const Record& sp, const std::string& where)
{
    if (const Record* opt = sp.child(rt::FOPT)) {
        for (uint32_t i = 0; i < opt->instance && 6 * i + 6 <= opt->length; ++i) {
            if ((u16(opt->body + 6 * i) & 0x3FFF) == 0x0104) ++pibUses_[u32(opt->body + 6 * i + 2)];
        }
    }
    if (const Record* anchor = sp.child(rt::ClientAnchor); anchor && anchor->length == 8) {
        int16_t top = i16(anchor->body), left = i16(anchor->body + 2);
        int16_t right = i16(anchor->body + 4), bottom = i16(anchor->body + 6);
        if (right < left || bottom < top) fail(where + ": anchor turned inside out");
    }
    if (const Record* text = sp.child(rt::ClientTextbox)) checkText(*text, where);
}

void Checker::checkText(const Record& box, const std::string& where)
{
    ++found_.textBoxes;
    if (box.children.size() < 3 || box.children[0].type != rt::TextHeaderAtom)
        return fail(where + ": text box does not start with its header");
    const Record& chars = box.children[1];
    uint32_t length = chars.type == rt::TextCharsAtom ? chars.length / 2 : chars.length;
    if (chars.type != rt::TextCharsAtom && chars.type != rt::TextBytesAtom) return fail(where + ": no text atom");
    if (chars.type == rt::TextCharsAtom && chars.length % 2) fail(where + ": odd UTF-16 length");
    const Record* style = box.child(rt::StyleTextPropAtom);
    if (!style) return fail(where + ": no style runs");
    const uint8_t* p = style->body;
    const uint8_t* end = p + style->length;
    uint32_t covered = 0;
    while (covered < length + 1) {
        if (end - p < 10) return fail(where + ": paragraph runs cut");
        uint32_t count = u32(p);
        if (count == 0) return fail(where + ": empty paragraph run");
        if (u32(p + 6) != 0) return fail(where + ": paragraph run with properties this checker does not know");
        covered += count;
        p += 10;
    }
    if (covered != length + 1) fail(where + ": paragraph runs cover " + std::to_string(covered) + " of " + std::to_string(length + 1));
    checkCharRuns(p, end, length + 1, where);
    if (const Record* special = box.child(rt::TextSpecialInfoAtom); special && u32(special->body) != length + 1)
        fail(where + ": special info run length wrong");
}

void Checker::checkCharRuns(const uint8_t* p, const uint8_t* end, uint32_t total, const std::string& where)
{
    uint32_t covered = 0;
    while (p < end) {
        if (end - p < 8) return fail(where + ": character run cut");
        uint32_t count = u32(p), masks = u32(p + 4);
        if (count == 0) fail(where + ": empty character run");
        covered += count;
        p += 8;
        size_t fields = ((masks & 0xFFFF) ? 2 : 0) + ((masks & 0x10000) ? 2 : 0) + ((masks & 0x200000) ? 2 : 0)
            + ((masks & 0x400000) ? 2 : 0) + ((masks & 0x800000) ? 2 : 0) + ((masks & 0x20000) ? 2 : 0)
            + ((masks & 0x40000) ? 4 : 0) + ((masks & 0x80000) ? 2 : 0);
        if (size_t(end - p) < fields) return fail(where + ": character run fields cut");
        // fontRef, oldEAFontRef, ansiFontRef and symbolFontRef follow fontStyle in that order.
        const uint8_t* fontRef = p + ((masks & 0xFFFF) ? 2 : 0);
        for (uint32_t slot : {0x10000u, 0x200000u, 0x400000u, 0x800000u}) {
            if (!(masks & slot)) continue;
            if (u16(fontRef) >= fontCount_) fail(where + ": font index out of range");
            fontRef += 2;
        }
        p += fields;
    }
    if (covered != total) fail(where + ": character runs cover " + std::to_string(covered) + " of " + std::to_string(total));
}

void Checker::checkPictureStore()
{
    for (size_t i = 0; i < blipEntries_.size(); ++i) {
        const Record& e = *blipEntries_[i];
        std::string where = "picture " + std::to_string(i + 1);
        uint32_t size = u32(e.body + 20), refs = u32(e.body + 24), offset = u32(e.body + 28);
        const Record* blip = nullptr;
        for (const Record& r : pictures_)
            if (r.offset == offset) blip = &r;
        if (!blip) {
            fail(where + ": offset names no record in the picture stream");
            continue;
        }
        if (blip->length + 8 != size) fail(where + ": size differs from its record");
        if (blip->length < 17 || memcmp(blip->body, e.body + 2, 16) != 0) fail(where + ": id differs from its record");
        uint16_t expected = e.instance == 6 ? rt::BlipPNG : rt::BlipJPEG;
        if (blip->type != expected || e.body[0] != e.instance) fail(where + ": type differs from its record");
        if (pibUses_[uint32_t(i + 1)] != refs) fail(where + ": reference count wrong");
    }
    for (auto [pib, uses] : pibUses_)
        if (pib == 0 || pib > blipEntries_.size()) fail("picture shape names store entry " + std::to_string(pib));
    if (pictures_.size() != blipEntries_.size()) fail("picture stream and store differ in count");
}

// A property set stream (MS-OLEPS 2.21): its header, the first section's
// table of property ids and offsets, and every value inside the section on
// a four-byte boundary.
void Checker::checkPropertySet(const Bytes& set, const char* name, const uint8_t (&formatId)[16])
{
    std::string where = std::string(name) + ": ";
    if (set.size() < 48) return fail(where + "property set cut short in its header");
    if (u16(&set[0]) != 0xFFFE || u16(&set[2]) > 1) fail(where + "byte order or version wrong");
    uint32_t sections = u32(&set[24]);
    if (sections < 1 || sections > 2) return fail(where + "section count " + std::to_string(sections));
    if (memcmp(&set[28], formatId, 16) != 0) fail(where + "wrong format id");
    uint32_t start = u32(&set[44]);
    if (start % 4 || start > set.size() || set.size() - start < 8) return fail(where + "property set cut short before its section");
    uint32_t size = u32(&set[start]), count = u32(&set[start + 4]);
    if (size > set.size() - start) return fail(where + "property set cut short: section of " + std::to_string(size) + " bytes");
    if (size % 4) fail(where + "section size not a multiple of four");
    if (count > (size - 8) / 8) return fail(where + "property table runs past the section");
    bool codePage = false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id = u32(&set[start + 8 + 8 * i]), offset = u32(&set[start + 12 + 8 * i]);
        std::string property = where + "property " + std::to_string(id);
        if (offset % 4) fail(property + " off its four-byte boundary");
        if (offset < 8 + 8 * count || offset > size - 4) {
            fail(property + " outside its section");
            continue;
        }
        codePage = codePage || id == 1;
        readProperty(property.c_str(), id, &set[start + offset], size - offset);
    }
    if (!codePage) fail(where + "no code page");
}

// One typed value (MS-OLEPS 2.15) with room bytes left in its section.
void Checker::readProperty(const char* where, uint32_t id, const uint8_t* value, uint32_t room)
{
    uint16_t type = u16(value);
    auto needs = [&](uint32_t bytes) {
        if (bytes <= room) return true;
        fail(std::string(where) + " runs past the section");
        return false;
    };
    switch (type) {
    case 0x02:  // VT_I2
    case 0x03:  // VT_I4
    case 0x0B:  // VT_BOOL
        if (!needs(8)) return;
        if (id == 1) found_.codePage = u16(value + 4);
        if (id == 7 && type == 0x03) found_.slideCount = int32_t(u32(value + 4));
        return;
    case 0x40:  // VT_FILETIME
        needs(12);
        return;
    case 0x1E: {  // VT_LPSTR: a length with the terminator, the bytes, zeros to a four-byte boundary
        if (!needs(8)) return;
        uint32_t length = u32(value + 4);
        if (length == 0 || !needs(uint32_t(std::min<uint64_t>(8 + uint64_t(length), UINT32_MAX)))) return;
        if (value[8 + length - 1] != 0) return fail(std::string(where) + " text not terminated");
        std::string text(reinterpret_cast<const char*>(value + 8), length - 1);
        if (id == 2) found_.title = text;
        if (id == 0x12) found_.application = text;
        return;
    }
    default:
        fail(std::string(where) + " of type " + std::to_string(type) + " this checker does not know");
    }
}

Bytes readChild(GsfInfile* ole, const char* name, bool& ok)
{
    GsfInput* in = gsf_infile_child_by_name(ole, name);
    if (!in) {
        ok = false;
        return {};
    }
    Bytes bytes(size_t(gsf_input_size(in)));
    if (!bytes.empty() && !gsf_input_read(in, bytes.size(), bytes.data())) ok = false;
    g_object_unref(in);
    return bytes;
}

} // namespace

std::vector<std::string> CheckPptStructure(const presentation::PptStreams& streams, CheckedPresentation& found)
{
    return Checker(streams, found).run();
}

namespace {

GsfInfile* openCompoundFile(const std::string& path)
{
    gsf_init();
    GsfInput* file = gsf_input_stdio_new(path.c_str(), nullptr);
    if (!file) return nullptr;
    GsfInfile* ole = gsf_infile_msole_new(file, nullptr);
    g_object_unref(file);
    return ole;
}

// The streams by the names the application gives them; the names of those
// missing in missing.
presentation::PptStreams readStreams(GsfInfile* ole, std::vector<std::string>& missing)
{
    presentation::PptStreams s;
    auto read = [&](const char* name, Bytes& into) {
        bool ok = true;
        into = readChild(ole, name, ok);
        if (!ok) missing.push_back(name);
    };
    read("Current User", s.currentUser);
    read("PowerPoint Document", s.document);
    read("Pictures", s.pictures);
    read(presentation::SummaryInformationName, s.properties.summary);
    read(presentation::DocumentSummaryInformationName, s.properties.documentSummary);
    return s;
}

} // namespace

const uint8_t PresentationClassId[16] = {0x10, 0x8D, 0x81, 0x64, 0x9B, 0x4F, 0xCF, 0x11,
                                         0x86, 0xEA, 0x00, 0xAA, 0x00, 0xB9, 0x29, 0xE8};

std::optional<presentation::PptStreams> ReadPptStreams(const std::string& path)
{
    GsfInfile* ole = openCompoundFile(path);
    if (!ole) return std::nullopt;
    std::vector<std::string> missing;
    presentation::PptStreams s = readStreams(ole, missing);
    g_object_unref(ole);
    if (!missing.empty()) return std::nullopt;
    return s;
}

std::vector<std::string> CheckPptFile(const std::string& path, CheckedPresentation& found)
{
    GsfInfile* ole = openCompoundFile(path);
    if (!ole) return {"not a compound file"};
    std::vector<std::string> problems, missing;
    uint8_t classId[16] = {};
    if (!gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(ole), classId) || memcmp(classId, PresentationClassId, 16) != 0)
        problems.push_back("root storage class id is not the presentation's");
    presentation::PptStreams s = readStreams(ole, missing);
    g_object_unref(ole);
    for (const std::string& name : missing) {
        std::string shown = name[0] == '\005' ? "\\005" + name.substr(1) : name;
        problems.push_back("no stream named \"" + shown + "\"");
    }
    if (!missing.empty()) return problems;
    std::vector<std::string> inside = CheckPptStructure(s, found);
    problems.insert(problems.end(), inside.begin(), inside.end());
    return problems;
}

bool WriteCompoundFile(const std::string& path, const std::vector<std::pair<std::string, Bytes>>& streams,
                       const uint8_t (&classId)[16])
{
    gsf_init();
    GsfOutput* file = gsf_output_stdio_new(path.c_str(), nullptr);
    if (!file) return false;
    GsfOutfile* ole = gsf_outfile_msole_new(file);
    g_object_unref(file);
    bool ok = gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole), classId);
    for (const auto& [name, bytes] : streams) {
        GsfOutput* child = gsf_outfile_new_child(ole, name.c_str(), FALSE);
        ok = child && (bytes.empty() || gsf_output_write(child, bytes.size(), bytes.data())) && ok;
        if (child) {
            ok = gsf_output_close(child) && ok;
            g_object_unref(child);
        }
    }
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
    g_object_unref(ole);
    return ok;
}
