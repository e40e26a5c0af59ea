#include "platform/presentation/PptFile.h"

#include "platform/presentation/PptRecords.h"

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

static bool writeStream(GsfOutfile* ole, const char* name, const std::vector<uint8_t>& bytes)
{
    GsfOutput* stream = gsf_outfile_new_child(ole, name, FALSE);
    if (!stream) return false;
    bool ok = bytes.empty() || gsf_output_write(stream, bytes.size(), bytes.data());
    ok = gsf_output_close(stream) && ok;
    g_object_unref(stream);
    return ok;
}

// The root storage's class id names the application that owns the file;
// readers that sniff the file's kind look at it.
static const guint8 PresentationClassId[16] = {0x10, 0x8D, 0x81, 0x64, 0x9B, 0x4F, 0xCF, 0x11,
                                               0x86, 0xEA, 0x00, 0xAA, 0x00, 0xB9, 0x29, 0xE8};

static std::string writeCompoundFile(const PptStreams& streams, const std::string& path)
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
    ok = ok && writeStream(ole, "Current User", streams.currentUser);
    ok = ok && writeStream(ole, SummaryInformationName, streams.properties.summary);
    ok = ok && writeStream(ole, "PowerPoint Document", streams.document);
    ok = ok && writeStream(ole, DocumentSummaryInformationName, streams.properties.documentSummary);
    ok = ok && writeStream(ole, "Pictures", streams.pictures);
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

std::string SavePptStreams(const PptStreams& streams, const std::string& path)
{
    if (streams.properties.summary.empty() || streams.properties.documentSummary.empty())
        return "cannot save '" + path + "': the document properties could not be written";
    gsf_init();
    std::string temp = folderOf(path) + "/.ppt-save-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return "cannot create a file in the folder of '" + path + "': " + strerror(errno);
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);  // the permissions a new file gets
    close(fd);
    std::string error = writeCompoundFile(streams, temp);
    if (error.empty() && rename(temp.c_str(), path.c_str()) != 0) error = strerror(errno);
    if (!error.empty()) {
        unlink(temp.c_str());
        return "cannot save '" + path + "': " + error;
    }
    return {};
}

// The file's name without folder and extension, as the title.
static std::string titleOf(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Drawing ids, picture store entries and font indexes are 12-bit
// instance fields of their records.
static std::string checkLimits(const Presentation& p)
{
    if (p.slides.size() > 4093) return "more than 4093 slides";
    if (p.pictures.size() > 4095) return "more than 4095 pictures";
    if (FontTable(p).names().size() > 4095) return "more than 4095 fonts";
    return {};
}

std::string SavePptFile(const Presentation& presentation, const std::string& path)
{
    if (std::string limit = checkLimits(presentation); !limit.empty())
        return "cannot save '" + path + "': " + limit;
    return SavePptStreams(WritePptStreams(presentation, {titleOf(path), std::time(nullptr)}), path);
}

} // namespace presentation
