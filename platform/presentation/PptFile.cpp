#include "platform/presentation/PptFile.h"

#include "platform/presentation/PptRecords.h"
#include "platform/win32/WriterFiles.h"

#include <gsf/gsf-infile.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace presentation {

static const WriterFileNames kSaveCopyNames = {".ppt-save-", ""};

// Writes what write hands to its sink into the stream and closes it.
// A stream longer than its 32-bit size field can say fails.
static bool fillStream(GsfOutput* stream, const std::function<void(const StreamSink&)>& write)
{
    if (!stream) return false;
    bool ok = true;
    uint64_t written = 0;
    write([&](const uint8_t* data, size_t size) {
        written += size;
        ok = ok && written <= UINT32_MAX && (size == 0 || gsf_output_write(stream, size, data));
    });
    ok = gsf_output_close(stream) && ok;
    g_object_unref(stream);
    return ok;
}

static bool writeStream(GsfOutfile* ole, const char* name, const std::function<void(const StreamSink&)>& write)
{
    return fillStream(gsf_outfile_new_child(ole, name, FALSE), write);
}

static std::function<void(const StreamSink&)> bytesOf(const std::vector<uint8_t>& bytes)
{
    return [&bytes](const StreamSink& out) { out(bytes.data(), bytes.size()); };
}

// The root storage's class id names the application that owns the file;
// readers that sniff the file's kind look at it.
static const guint8 PresentationClassId[16] = {0x10, 0x8D, 0x81, 0x64, 0x9B, 0x4F, 0xCF, 0x11,
                                               0x86, 0xEA, 0x00, 0xAA, 0x00, 0xB9, 0x29, 0xE8};

// The streams in the order the application writes them. Current User is
// made first and filled last, once the document stream that it points into
// is written: the compound file places small streams only when it closes.
static std::string writeCompoundFile(const Presentation& p, const PropertySetStreams& properties,
                                     const std::string& path)
{
    GError* error = nullptr;
    GsfOutput* file = gsf_output_stdio_new(path.c_str(), &error);
    if (!file) {
        std::string message = error ? error->message : "cannot create file";
        if (error) g_error_free(error);
        return message;
    }
    GsfOutfile* ole = gsf_outfile_msole_new(file);
    bool ok = ole != nullptr && gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole), PresentationClassId);
    GsfOutput* currentUserStream = ok ? gsf_outfile_new_child(ole, "Current User", FALSE) : nullptr;
    std::vector<uint8_t> currentUser;
    ok = ok && currentUserStream != nullptr;
    ok = ok && writeStream(ole, SummaryInformationName, bytesOf(properties.summary));
    ok = ok && writeStream(ole, "PowerPoint Document",
                           [&](const StreamSink& out) { currentUser = WriteDocumentStream(p, out); });
    ok = ok && writeStream(ole, DocumentSummaryInformationName, bytesOf(properties.documentSummary));
    ok = ok && writeStream(ole, "Pictures", [&](const StreamSink& out) { WritePicturesStream(p, out); });
    if (currentUserStream) ok = fillStream(currentUserStream, bytesOf(currentUser)) && ok;
    if (ole) {
        ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
        g_object_unref(ole);
    }
    if (!gsf_output_is_closed(file)) ok = gsf_output_close(file) && ok;
    const GError* fileError = gsf_output_error(file);
    std::string message = fileError ? fileError->message : "write failed";
    g_object_unref(file);
    return ok ? std::string() : message;
}

static std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file's name without folder and extension, as the title.
static std::string titleOf(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Drawing ids, picture store entries and font indexes are 12-bit
// instance fields of their records; the pictures' sizes and offsets are
// 32-bit fields.
static std::string checkLimits(const Presentation& p)
{
    if (p.slides.size() > 4093) return "more than 4093 slides";
    if (p.pictures.size() > 4095) return "more than 4095 pictures";
    RecordPlan plan(p);
    if (plan.fonts.names().size() > 4095) return "more than 4095 fonts";
    if (!plan.picturesFit) return "pictures of more than 4 GB";
    return {};
}

std::string SavePptFile(const Presentation& presentation, const std::string& path)
{
    if (std::string limit = checkLimits(presentation); !limit.empty())
        return "cannot save '" + path + "': " + limit;
    PropertySetStreams properties = WritePropertySets(presentation, {titleOf(path), std::time(nullptr)});
    if (properties.summary.empty() || properties.documentSummary.empty())
        return "cannot save '" + path + "': the document properties could not be written";
    gsf_init();
    // The copy is the writer's own, ".ppt-save-<pid>-<n>": what a killed
    // save left in this folder goes with the next save into it.
    const std::string folder = folderOf(path) + "/";
    RemoveDeadWritersFiles(folder, "", kSaveCopyNames);
    std::string temp;
    int fd = CreateWriterFile(folder, kSaveCopyNames, 0666, temp);
    if (fd < 0) return "cannot create a file in the folder of '" + path + "': " + strerror(errno);
    close(fd);
    std::string error = writeCompoundFile(presentation, properties, temp);
    if (error.empty() && rename(temp.c_str(), path.c_str()) != 0) error = strerror(errno);
    if (!error.empty()) {
        unlink(temp.c_str());
        return "cannot save '" + path + "': " + error;
    }
    return {};
}

} // namespace presentation
