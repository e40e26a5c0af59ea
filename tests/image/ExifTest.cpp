// The JPEG section splitter and EXIF reader: JPEGs tagged by exiftool parse
// to what exiftool reports; JPEGs whose sections are built here, valid and
// broken, parse or fail cleanly; a JPEG written with an attached reader
// carries its EXIF and comment sections where exiftool finds them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

#include "CodecFixtures.h"
#include "image/CxExifInfo.h"
#include "image/CxIOFile.h"
#include "image/CxImageJPG.h"

namespace {

using Bytes = std::vector<BYTE>;

// --- building sections ---

// The TIFF block of an EXIF section, in either byte order. Directories are
// appended; values longer than 4 bytes go right after their directory.
class Tiff {
public:
    struct Entry {
        unsigned tag, type, count;
        Bytes value;  // up to 4 bytes inline, else stored after the directory
    };

    explicit Tiff(bool motorola) : m_motorola(motorola)
    {
        bytes = motorola ? Bytes{'M', 'M', 0, 42} : Bytes{'I', 'I', 42, 0};
        Append32(8);
    }

    void Put16(size_t at, unsigned v)
    {
        bytes[at + (m_motorola ? 1 : 0)] = BYTE(v);
        bytes[at + (m_motorola ? 0 : 1)] = BYTE(v >> 8);
    }
    void Put32(size_t at, unsigned v)
    {
        for (int i = 0; i < 4; i++) bytes[at + (m_motorola ? 3 - i : i)] = BYTE(v >> (8 * i));
    }
    void Append32(unsigned v)
    {
        bytes.resize(bytes.size() + 4);
        Put32(bytes.size() - 4, v);
    }
    Bytes Short(unsigned v)
    {
        Bytes b(2);
        b[m_motorola ? 1 : 0] = BYTE(v);
        b[m_motorola ? 0 : 1] = BYTE(v >> 8);
        return b;
    }
    Bytes Long(unsigned v)
    {
        Bytes b(4);
        for (int i = 0; i < 4; i++) b[m_motorola ? 3 - i : i] = BYTE(v >> (8 * i));
        return b;
    }
    Bytes Rational(unsigned num, unsigned den)
    {
        Bytes b = Long(num), d = Long(den);
        b.insert(b.end(), d.begin(), d.end());
        return b;
    }

    // Appends a directory; returns its offset. Its next link sits at
    // offset + 2 + 12 x entries.
    size_t Directory(const std::vector<Entry>& entries, unsigned next = 0)
    {
        size_t at = bytes.size();
        size_t data = at + 2 + 12 * entries.size() + 4;
        bytes.resize(data);
        Put16(at, unsigned(entries.size()));
        for (size_t i = 0; i < entries.size(); i++) {
            const Entry& e = entries[i];
            size_t p = at + 2 + 12 * i;
            Put16(p, e.tag);
            Put16(p + 2, e.type);
            Put32(p + 4, e.count);
            if (e.value.size() <= 4) {
                std::copy(e.value.begin(), e.value.end(), bytes.begin() + long(p + 8));
            } else {
                Put32(p + 8, unsigned(bytes.size()));
                bytes.insert(bytes.end(), e.value.begin(), e.value.end());
            }
        }
        Put32(at + 2 + 12 * entries.size(), next);
        return at;
    }
    void SetFirst(unsigned offset) { Put32(4, offset); }

    Bytes bytes;

private:
    bool m_motorola;
};

Bytes Text(const char* s, bool nul = true)
{
    Bytes b(s, s + strlen(s));
    if (nul) b.push_back(0);
    return b;
}

Bytes Section(BYTE marker, const Bytes& payload)
{
    size_t length = payload.size() + 2;
    Bytes b = {0xFF, marker, BYTE(length >> 8), BYTE(length)};
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes ExifSection(const Bytes& tiff)
{
    Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    return Section(0xE1, payload);
}

// Start of image, the given sections, a frame header, a scan header, a few
// bytes of "scan data" and the end of image.
Bytes Jpeg(const std::vector<Bytes>& sections)
{
    Bytes b = {0xFF, 0xD8};
    for (const Bytes& s : sections) b.insert(b.end(), s.begin(), s.end());
    Bytes sof = Section(0xC0, {8, 0, 23, 0, 37, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    Bytes sos = Section(0xDA, {3, 1, 0, 2, 0x11, 3, 0x11, 0, 63, 0});
    b.insert(b.end(), sof.begin(), sof.end());
    b.insert(b.end(), sos.begin(), sos.end());
    for (BYTE x : {0x12, 0x34, 0x56, 0xFF, 0xD9}) b.push_back(x);
    return b;
}

struct Parsed {
    bool ok;
    EXIFINFO info;
    std::string error;
};

Parsed Parse(const Bytes& jpeg, int mode = EXIF_READ_EXIF)
{
    Parsed p{};
    CxMemFile file(const_cast<BYTE*>(jpeg.data()), jpeg.size());
    CxExifInfo reader(&p.info);
    p.ok = reader.DecodeExif(&file, mode);
    p.error = reader.m_szLastError;
    return p;
}

// --- exiftool as the judge ---

// exiftool's tags by name; `names` narrows them down (e.g. "-IFD1:XResolution").
std::map<std::string, std::string> ExiftoolTags(const std::string& path, const std::string& names = "")
{
    std::map<std::string, std::string> tags;
    ToolRun run = RunTool("exiftool -n -s " + names + " '" + path + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    std::istringstream lines(run.output);
    std::string line;
    while (std::getline(lines, line)) {
        size_t colon = line.find(" : ");
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, line.find(' '));
        tags[name] = line.substr(colon + 3);
    }
    return tags;
}

double Number(const std::map<std::string, std::string>& tags, const std::string& name)
{
    auto it = tags.find(name);
    if (it == tags.end()) {
        ADD_FAILURE() << "exiftool reports no " << name;
        return NAN;
    }
    return atof(it->second.c_str());
}

std::string Tag(const std::map<std::string, std::string>& tags, const std::string& name)
{
    auto it = tags.find(name);
    return it == tags.end() ? "(none)" : it->second;
}

// A JPEG of ours, tagged by exiftool.
std::string TaggedJpeg(const std::string& name, const std::string& arguments)
{
    CxImage image;
    EXPECT_NE(image.Create(37, 23, 24), nullptr);
    std::string path = TempPath(name, "jpg");
    EXPECT_TRUE(image.Save(path.c_str(), CXIMAGE_FORMAT_JPG));
    ToolRun run = RunTool("exiftool -q -overwrite_original " + arguments + " '" + path + "' 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    return path;
}

Bytes ReadFile(const std::string& path)
{
    Bytes bytes;
    if (FILE* fp = fopen(path.c_str(), "rb")) {
        int c;
        while ((c = fgetc(fp)) != EOF) bytes.push_back(BYTE(c));
        fclose(fp);
    }
    return bytes;
}

const char kCameraTags[] =
    "-Make=Canon -Model='PowerShot X' -Orientation#=6 '-DateTimeOriginal=2024:05:06 07:08:09' "
    "-ISO=200 -FNumber=2.8 -ExposureTime=0.01 -FocalLength=35 -EXIF:Flash#=1 "
    "-ExifImageWidth=37 -ExifImageHeight=23 -XResolution=72 -YResolution=300 "
    "-ResolutionUnit=cm '-UserComment=hello there' -InteropIndex=R98 -ExifVersion=0231 "
    "-MeteringMode#=5 -LightSource#=1 -ExposureProgram#=2 -ExposureCompensation=-1 "
    "-SubjectDistance=3.5 -BrightnessValue=4.5 -FocalPlaneXResolution=4000 "
    "-FocalPlaneResolutionUnit#=2 -CompressedBitsPerPixel=3 -XMP:Title=ignored";

struct ExiftoolCase {
    const char* name;
    const char* order;
    bool comment;  // a comment section besides the user comment
};

void PrintTo(const ExiftoolCase& c, std::ostream* os) { *os << c.name; }

class ExifFromExiftool : public testing::TestWithParam<ExiftoolCase> {};

TEST_P(ExifFromExiftool, RecordMatchesExiftool)
{
    const ExiftoolCase& c = GetParam();
    std::string arguments = std::string(kCameraTags) + " -ExifByteOrder=" + c.order;
    if (c.comment) arguments += " '-Comment=a comment'";
    std::string thumbnail = TaggedJpeg(std::string(c.name) + "_thumb", "");
    arguments += " '-ThumbnailImage<=" + thumbnail + "'";
    std::string path = TaggedJpeg(c.name, arguments);
    remove(thumbnail.c_str());
    auto tags = ExiftoolTags(path);
    auto thumbnailTags = ExiftoolTags(path, "-IFD1:XResolution -IFD1:YResolution -IFD1:ResolutionUnit");
    Parsed p = Parse(ReadFile(path));
    remove(path.c_str());

    ASSERT_TRUE(p.ok) << p.error;
    const EXIFINFO& info = p.info;
    EXPECT_TRUE(info.IsExif) << p.error;
    EXPECT_EQ(Tag(tags, "ExifByteOrder"), std::string(c.order) == "Big-endian" ? "MM" : "II");
    const std::pair<const char*, std::string> texts[] = {
        {"Make", info.CameraMake}, {"Model", info.CameraModel},
        {"DateTimeOriginal", info.DateTime}, {"ExifVersion", info.Version}};
    for (const auto& [name, value] : texts) EXPECT_EQ(value, Tag(tags, name)) << name;
    const std::pair<const char*, double> numbers[] = {
        {"Orientation", info.Orientation}, {"ISO", info.ISOequivalent},
        {"FNumber", info.ApertureFNumber}, {"ExposureTime", info.ExposureTime},
        {"FocalLength", info.FocalLength}, {"MeteringMode", info.MeteringMode},
        {"LightSource", info.LightSource}, {"ExposureProgram", info.ExposureProgram},
        {"ExposureCompensation", info.ExposureBias}, {"SubjectDistance", info.Distance},
        {"BrightnessValue", info.Brightness}, {"CompressedBitsPerPixel", info.CompressionLevel},
        {"FocalPlaneXResolution", info.FocalplaneXRes}, {"ImageWidth", info.Width},
        {"ImageHeight", info.Height}, {"ThumbnailLength", info.ThumbnailSize}};
    for (const auto& [name, value] : numbers) EXPECT_FLOAT_EQ(float(value), float(Number(tags, name))) << name;
    EXPECT_EQ(info.FlashUsed, int(Number(tags, "Flash")) & 7 ? 1 : 0);
    EXPECT_FLOAT_EQ(info.CCDWidth, Number(tags, "ExifImageWidth") / Number(tags, "FocalPlaneXResolution"));
    // The thumbnail's directory is read last and its resolution stays.
    EXPECT_FLOAT_EQ(info.Xresolution, Number(thumbnailTags, "XResolution"));
    EXPECT_FLOAT_EQ(info.Yresolution, Number(thumbnailTags, "YResolution"));
    EXPECT_EQ(Number(thumbnailTags, "ResolutionUnit"), 2);
    EXPECT_FLOAT_EQ(info.ResolutionUnit, 1.0f);
    EXPECT_EQ(info.IsColor, 1);
    EXPECT_EQ(info.Process, 0xC0);
    ASSERT_NE(info.ThumbnailPointer, nullptr);
    // The comment section, read after the EXIF section, wins over the user
    // comment.
    EXPECT_EQ(info.Comments, Tag(tags, c.comment ? "Comment" : "UserComment"));
}

INSTANTIATE_TEST_SUITE_P(Orders, ExifFromExiftool,
                         testing::Values(ExiftoolCase{"little", "Little-endian", false},
                                         ExiftoolCase{"big", "Big-endian", false},
                                         ExiftoolCase{"commented", "Little-endian", true}));

// The encoder re-inserts the reader's EXIF and comment sections in place of
// its JFIF header; exiftool and djpeg read the result.
TEST(ExifAttached, WrittenJpegCarriesTheSections)
{
    std::string source = TaggedJpeg("source", std::string(kCameraTags) + " '-Comment=kept comment'");
    auto before = ExiftoolTags(source);

    struct Attached : CxImageJPG {
        void Attach(CxExifInfo* reader) { m_exif = reader; }
    };
    CxImage picture;
    Pattern(picture, 21, 9, 24);
    Attached jpg;
    jpg.Ghost(&picture);
    CxExifInfo* reader = new CxExifInfo();
    {
        CxIOFile in;
        ASSERT_TRUE(in.Open(source.c_str(), "rb"));
        ASSERT_TRUE(reader->DecodeExif(&in, EXIF_READ_EXIF)) << reader->m_szLastError;
    }
    remove(source.c_str());
    jpg.Attach(reader);
    CxMemFile out;
    out.Open();
    ASSERT_TRUE(jpg.Encode(&out)) << jpg.GetLastError();

    std::string path = TempPath("attached", "jpg");
    FILE* fp = fopen(path.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    fwrite(out.GetBuffer(false), 1, size_t(out.Size()), fp);
    fclose(fp);
    const BYTE* b = out.GetBuffer(false);
    EXPECT_EQ(b[2], 0xFF);
    EXPECT_EQ(b[3], 0xE1) << "the EXIF section follows the start of image";

    auto after = ExiftoolTags(path);
    for (const char* name : {"Make", "Model", "Orientation", "DateTimeOriginal", "ISO", "FNumber",
                             "UserComment", "Comment"})
        EXPECT_EQ(Tag(after, name), Tag(before, name)) << name;
    EXPECT_EQ(Tag(after, "Comment"), "kept comment");
    EXPECT_EQ(Tag(after, "JFIFVersion"), "(none)");
    EXPECT_EQ(Tag(after, "XMPToolkit"), "(none)") << "only EXIF and comment sections are kept";
    EXPECT_EQ(Tag(after, "ImageWidth"), "21");
    ToolRun djpeg = RunTool("djpeg '" + path + "' 2>&1 | pamfile 2>&1");
    EXPECT_TRUE(Has(djpeg.output, "21 by 9")) << djpeg.output;
    remove(path.c_str());
}

// Without an EXIF record the encoder's file is left as libjpeg wrote it.
TEST(ExifAttached, ReaderWithoutExifChangesNothing)
{
    struct Attached : CxImageJPG {
        void Attach(CxExifInfo* reader) { m_exif = reader; }
    };
    CxImage picture;
    Pattern(picture, 8, 8, 24);
    CxMemFile plain;
    plain.Open();
    ASSERT_TRUE(picture.Encode(&plain, CXIMAGE_FORMAT_JPG));
    Attached jpg;
    jpg.Ghost(&picture);
    jpg.Attach(new CxExifInfo());
    CxMemFile out;
    out.Open();
    ASSERT_TRUE(jpg.Encode(&out));
    ASSERT_EQ(out.Size(), plain.Size());
    EXPECT_EQ(memcmp(out.GetBuffer(false), plain.GetBuffer(false), size_t(plain.Size())), 0);
}

// A block built here: the first directory away from offset 8, a maker note,
// nested EXIF and interoperability directories. exiftool reads it the same.
TEST(ExifBuilt, MakerNoteAndNestedDirectories)
{
    for (bool motorola : {false, true}) {
        SCOPED_TRACE(motorola ? "MM" : "II");
        Tiff t(motorola);
        t.bytes.resize(16, 0xEE);  // padding before the first directory
        size_t interop = t.Directory({{0x0001, 2, 4, Text("R98")}});
        Bytes maker = Text("ACME maker note \x01\x02\x03\x04 with offsets", false);
        size_t exif = t.Directory({{0x829D, 5, 1, t.Rational(28, 10)},
                                   {0x8827, 3, 1, t.Short(2)},
                                   {0x9286, 7, 16, Bytes{'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i', ' ', ' ', ' ', ' ', ' ', ' '}},
                                   {0x927C, 7, unsigned(maker.size()), maker},
                                   {0xA005, 4, 1, t.Long(unsigned(interop))}});
        size_t ifd0 = t.Directory({{0x010F, 2, 5, Text("ACME")},
                                   {0x0110, 2, 3, Text("Z9", true)},
                                   {0x0112, 3, 1, t.Short(9)},
                                   {0x011A, 5, 1, t.Rational(300, 1)},
                                   {0x8769, 4, 1, t.Long(unsigned(exif))}});
        t.SetFirst(unsigned(ifd0));
        Bytes jpeg = Jpeg({ExifSection(t.bytes)});

        Parsed p = Parse(jpeg);
        ASSERT_TRUE(p.ok) << p.error;
        EXPECT_TRUE(p.info.IsExif);
        EXPECT_STREQ(p.info.CameraMake, "ACME");
        EXPECT_STREQ(p.info.CameraModel, "Z9");
        // Orientation 9 is reported and dropped; the directory is still read.
        EXPECT_EQ(p.info.Orientation, 0);
        EXPECT_EQ(p.error, "Undefined rotation value");
        EXPECT_FLOAT_EQ(p.info.Xresolution, 300);
        EXPECT_FLOAT_EQ(p.info.ApertureFNumber, 2.8f);
        EXPECT_EQ(p.info.ISOequivalent, 400);  // below 50: times 200
        EXPECT_STREQ(p.info.Comments, "hi");

        std::string path = TempPath("built", "jpg");
        FILE* fp = fopen(path.c_str(), "wb");
        ASSERT_NE(fp, nullptr);
        fwrite(jpeg.data(), 1, jpeg.size(), fp);
        fclose(fp);
        auto tags = ExiftoolTags(path);
        remove(path.c_str());
        EXPECT_EQ(Tag(tags, "Make"), "ACME");
        EXPECT_EQ(Tag(tags, "Model"), "Z9");
        EXPECT_EQ(Tag(tags, "ISO"), "2");
        EXPECT_EQ(Tag(tags, "InteropIndex"), "R98");
        EXPECT_EQ(Tag(tags, "UserComment"), "hi");
        EXPECT_TRUE(Has(Tag(tags, "Warning"), "Unrecognized MakerNotes")) << "exiftool finds the maker note";
    }
}

TEST(ExifSections, PaddingBeforeAMarker)
{
    Bytes six = Jpeg({});
    six.insert(six.begin() + 2, 5, 0xFF);  // with the marker's own: six
    EXPECT_TRUE(Parse(six).ok);
    Bytes seven = six;
    seven.insert(seven.begin() + 2, 0xFF);
    EXPECT_FALSE(Parse(seven).ok);
    Bytes notJpeg = {0xFF, 0xD9, 0xFF, 0xD8};
    Parsed p = Parse(notJpeg);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, "");
}

TEST(ExifSections, CommentTextIsCleaned)
{
    Parsed p = Parse(Jpeg({Section(0xFE, {'a', '\r', '\n', 'b', 0x01, '\t', 'c'})}));
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_STREQ(p.info.Comments, "a\nb?\tc");
}

// APP0, EXIF APP1, a non-EXIF APP1, two comments: the JFIF header, the
// other APP1 and the second comment are dropped; written back they follow
// the start of image in their order, and the image data closes the file.
TEST(ExifSections, KeptListWritesBack)
{
    Tiff t(false);
    t.Directory({{0x010F, 2, 4, Text("Cam")}});
    Bytes app0 = Section(0xE0, Text("JFIF"));
    Bytes exif = ExifSection(t.bytes);
    Bytes xmp = Section(0xE1, Text("http://ns.adobe.com/xap/1.0/"));
    Bytes first = Section(0xFE, Text("one", false));
    Bytes second = Section(0xFE, Text("two", false));
    Bytes dqt = Section(0xDB, Bytes(65, 1));
    Bytes jpeg = Jpeg({app0, exif, xmp, first, second, dqt});

    CxMemFile in(jpeg.data(), jpeg.size());
    CxExifInfo reader;
    ASSERT_TRUE(reader.DecodeExif(&in, EXIF_READ_ALL)) << reader.m_szLastError;
    EXPECT_STREQ(reader.m_pExifInfo->Comments, "one");
    CxMemFile out;
    out.Open();
    ASSERT_TRUE(reader.EncodeExif(&out));
    Bytes expected = {0xFF, 0xD8};
    for (const Bytes* s : {&exif, &first, &dqt}) expected.insert(expected.end(), s->begin(), s->end());
    Bytes tail = Jpeg({});
    expected.insert(expected.end(), tail.begin() + 2, tail.end());
    Bytes written(out.GetBuffer(false), out.GetBuffer(false) + out.Size());
    EXPECT_EQ(written, expected);

    // Only the EXIF and comment sections survive the discard; without a scan
    // the list cannot be written.
    reader.DiscardAllButExif();
    CxMemFile none;
    none.Open();
    EXPECT_FALSE(reader.EncodeExif(&none));
    EXPECT_STREQ(reader.m_szLastError, "Can't write exif : didn't read all");
}

// An EXIF section whose first directory names the camera and, when given,
// a thumbnail stored after the directory.
Bytes ExifWithThumbnail(const char* make, const Bytes& thumbnail)
{
    Tiff t(false);
    if (thumbnail.empty()) {
        t.Directory({{0x010F, 2, 4, Text(make)}});
        return ExifSection(t.bytes);
    }
    size_t dir = t.Directory({{0x010F, 2, 4, Text(make)},
                              {0x0201, 4, 1, t.Long(0)},
                              {0x0202, 4, 1, t.Long(unsigned(thumbnail.size()))}});
    t.Put32(dir + 2 + 12 + 8, unsigned(t.bytes.size()));
    t.bytes.insert(t.bytes.end(), thumbnail.begin(), thumbnail.end());
    return ExifSection(t.bytes);
}

struct TwoExifCase {
    const char* name;
    bool firstHasThumbnail, secondHasThumbnail;
    bool kept;  // the thumbnail survives the discard
};

void PrintTo(const TwoExifCase& c, std::ostream* os) { *os << c.name; }

class ExifTwoSections : public testing::TestWithParam<TwoExifCase> {};

// Of two EXIF sections the record describes the first, the one the discard
// keeps: its camera and its thumbnail, which still reads right after the
// discard; a thumbnail only the second holds is not taken.
TEST_P(ExifTwoSections, TheRecordDescribesTheKeptSection)
{
    const TwoExifCase& c = GetParam();
    const Bytes first = Text("first thumbnail"), second = Text("second one");
    Bytes jpeg = Jpeg({ExifWithThumbnail("One", c.firstHasThumbnail ? first : Bytes{}),
                       ExifWithThumbnail("Two", c.secondHasThumbnail ? second : Bytes{})});
    CxMemFile in(jpeg.data(), jpeg.size());
    CxExifInfo reader;
    ASSERT_TRUE(reader.DecodeExif(&in, EXIF_READ_ALL)) << reader.m_szLastError;
    const EXIFINFO* info = reader.m_pExifInfo;
    EXPECT_STREQ(info->CameraMake, "One");
    EXPECT_TRUE(info->IsExif);

    for (bool discarded : {false, true}) {
        SCOPED_TRACE(discarded ? "after the discard" : "as read");
        if (discarded) reader.DiscardAllButExif();
        // Reading the thumbnail is safe whatever it holds; the sanitizers
        // catch a pointer into freed data here.
        Bytes thumbnail;
        if (info->ThumbnailPointer)
            thumbnail.assign(info->ThumbnailPointer, info->ThumbnailPointer + info->ThumbnailSize);
        if (c.kept) {
            EXPECT_EQ(thumbnail, first);
        } else {
            EXPECT_EQ(info->ThumbnailPointer, nullptr);
            EXPECT_EQ(info->ThumbnailSize, 0u);
        }
        EXPECT_STREQ(info->CameraMake, "One");
    }
}

INSTANTIATE_TEST_SUITE_P(Thumbnails, ExifTwoSections,
                         testing::Values(TwoExifCase{"in the first", true, false, true},
                                         TwoExifCase{"in the second", false, true, false},
                                         TwoExifCase{"in both", true, true, true},
                                         TwoExifCase{"in neither", false, false, false}));

TEST(ExifSections, ListWithoutJfifOrExifGetsAJfifHeader)
{
    Bytes dqt = Section(0xDB, Bytes(65, 1));
    Bytes jpeg = Jpeg({dqt});
    CxMemFile in(jpeg.data(), jpeg.size());
    CxExifInfo reader;
    ASSERT_TRUE(reader.DecodeExif(&in, EXIF_READ_ALL));
    CxMemFile out;
    out.Open();
    ASSERT_TRUE(reader.EncodeExif(&out));
    const BYTE jfif[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 1, 1, 0x2C, 1, 0x2C, 0, 0};
    ASSERT_EQ(out.Size(), long(jpeg.size() + 18));
    EXPECT_EQ(memcmp(out.GetBuffer(false), jfif, sizeof(jfif)), 0);
}

// --- broken streams: each fails cleanly, or reads what it can ---

struct BrokenCase {
    const char* name;
    Bytes jpeg;
    bool ok;            // DecodeExif's result
    const char* error;  // the reader's last error
};

void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.name; }

Bytes Cut(Bytes b, size_t n)
{
    b.resize(n);
    return b;
}

Bytes WithExif(bool motorola, const std::function<void(Tiff&)>& build)
{
    Tiff t(motorola);
    build(t);
    return Jpeg({ExifSection(t.bytes)});
}

std::vector<BrokenCase> BrokenCases()
{
    std::vector<BrokenCase> cases;
    Bytes plain = Jpeg({Section(0xFE, Text("x"))});
    cases.push_back({"end after start of image", Cut(plain, 2), false, "Premature end of file?"});
    cases.push_back({"end in the padding", Bytes{0xFF, 0xD8, 0xFF, 0xFF}, false, "Premature end of file?"});
    cases.push_back({"end in the length", Cut(plain, 5), false, "Premature end of file?"});
    cases.push_back({"length past the end", Cut(plain, 7), false, "Premature end of file?"});
    cases.push_back({"length below 2", Bytes{0xFF, 0xD8, 0xFF, 0xFE, 0, 1, 0, 0}, false, "invalid marker"});
    cases.push_back({"end of image before a scan", Bytes{0xFF, 0xD8, 0xFF, 0xD9, 0, 2}, false, ""});
    std::vector<Bytes> many(20, Section(0xDB, Bytes(3, 0)));
    cases.push_back({"too many sections", Jpeg(many), false, "Too many sections in jpg file"});
    cases.push_back({"short frame header", Jpeg({Section(0xC1, {8, 0})}), true, ""});

    cases.push_back({"short EXIF header", Jpeg({Section(0xE1, Text("Exif", false))}), true,
                     "Incorrect Exif header"});
    cases.push_back({"TIFF header cut", Jpeg({Section(0xE1, {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42})}),
                     true, "Incorrect Exif header"});
    cases.push_back({"bad alignment", WithExif(false, [](Tiff& t) { t.bytes[0] = 'X'; }), true,
                     "Invalid Exif alignment marker."});
    cases.push_back({"not 42", WithExif(true, [](Tiff& t) { t.Put16(2, 43); }), true,
                     "Invalid Exif start (1)"});
    cases.push_back({"first directory past the end", WithExif(false, [](Tiff& t) { t.SetFirst(0x7FFFFFF0); }),
                     true, "Illegal subdirectory link"});
    cases.push_back({"directory count past the end", WithExif(false, [](Tiff& t) {
                         t.Directory({{0x010F, 2, 4, Text("Cam")}});
                         t.Put16(8, 0xFFFF);
                     }), true, "Illegally sized directory"});
    cases.push_back({"format 13", WithExif(true, [](Tiff& t) { t.Directory({{0x010F, 13, 1, {}}}); }), true,
                     "Illegal format code in EXIF dir"});
    // Offset + count wraps in 32 bits; component count x size wraps too.
    cases.push_back({"value offset wraps", WithExif(false, [](Tiff& t) {
                         t.Directory({{0x010F, 2, 16, {}}});
                         t.Put32(8 + 2 + 8, 0xFFFFFFF8u);
                     }), true, "Illegal pointer offset value in EXIF."});
    cases.push_back({"value size wraps", WithExif(false, [](Tiff& t) {
                         t.Directory({{0x829A, 5, 0x20000001u, {}}});
                         t.Put32(8 + 2 + 8, 8);
                     }), true, "Illegal pointer offset value in EXIF."});
    cases.push_back({"sub-directory past the end", WithExif(false, [&](Tiff& t) {
                         t.Directory({{0x8769, 4, 1, t.Long(0x10000)}});
                     }), true, "Illegal subdirectory link"});
    // A text value with no NUL stops at its byte count.
    cases.push_back({"text without NUL", WithExif(false, [](Tiff& t) {
                         t.Directory({{0x0110, 2, 2, Text("ZZ", false)}, {0x010F, 2, 3, Text("Can", false)}});
                     }), true, ""});
    return cases;
}

class ExifBroken : public testing::TestWithParam<BrokenCase> {};

TEST_P(ExifBroken, FailsCleanly)
{
    const BrokenCase& c = GetParam();
    Parsed p = Parse(c.jpeg, EXIF_READ_ALL);
    EXPECT_EQ(p.ok, c.ok);
    EXPECT_EQ(p.error, c.error);
    EXPECT_LT(strlen(p.info.CameraMake), sizeof(p.info.CameraMake));
    if (std::string(c.name) == "text without NUL") {
        EXPECT_STREQ(p.info.CameraMake, "Can");
        EXPECT_STREQ(p.info.CameraModel, "ZZ");
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, ExifBroken, testing::ValuesIn(BrokenCases()),
                         [](const testing::TestParamInfo<BrokenCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// Directories that link back to themselves or each other are read once.
TEST(ExifLoops, LinksBackAreNotFollowedAgain)
{
    Tiff t(true);
    size_t ifd0 = t.Directory({{0x010F, 2, 4, Text("Cam")}, {0x8769, 4, 1, t.Long(8)}}, 8);
    ASSERT_EQ(ifd0, 8u);
    size_t exif = t.Directory({{0x8827, 3, 1, t.Short(100)}, {0xA005, 4, 1, t.Long(8)}});
    t.Put32(8 + 2 + 12 + 8, unsigned(exif));  // IFD0's EXIF pointer
    t.Put32(exif + 2 + 24, unsigned(exif));   // EXIF directory links to itself
    Parsed p = Parse(Jpeg({ExifSection(t.bytes)}));
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.info.IsExif) << p.error;
    EXPECT_STREQ(p.info.CameraMake, "Cam");
    EXPECT_EQ(p.info.ISOequivalent, 100);
}

// A chain of next-directory links deeper than four levels stops there.
TEST(ExifLoops, NestingIsBounded)
{
    Tiff t(false);
    std::vector<size_t> links;
    for (int i = 0; i < 7; i++) {
        size_t at = t.Directory({{0x8827, 3, 1, t.Short(unsigned(100 + i))}});
        links.push_back(at + 2 + 12);
    }
    for (size_t i = 0; i + 1 < links.size(); i++) t.Put32(links[i], unsigned(links[i + 1] - 12 - 2));
    Parsed p = Parse(Jpeg({ExifSection(t.bytes)}));
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.info.IsExif);
    EXPECT_EQ(p.info.ISOequivalent, 104);  // levels 0 to 4
    EXPECT_EQ(p.error, "Maximum directory nesting exceeded (corrupt exif header)");
}

}  // namespace
