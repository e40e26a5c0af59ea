// JP2 and JPC through OpenJPEG, which writes into the CxFile through the
// stream procedures below. Positions OpenJPEG asks for count from where the
// stream stood when the encoder started, so the codestream may follow other
// data in the file.
#include <openjpeg.h>

#include <cstdlib>
#include <cstring>

#include "image/CxFile.h"
#include "image/CxImageJAS.h"

namespace {

// What the stream procedures receive as their user data.
struct JasSink {
    CxFile* file;
    long base;  // the stream's position when the encoder started
};

OPJ_SIZE_T CxJasReadProc(void* buffer, OPJ_SIZE_T count, void* user)
{
    JasSink* sink = static_cast<JasSink*>(user);
    size_t got = sink->file->Read(buffer, 1, count);
    return got ? got : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_SIZE_T CxJasWriteProc(void* buffer, OPJ_SIZE_T count, void* user)
{
    JasSink* sink = static_cast<JasSink*>(user);
    if (sink->file->Write(buffer, 1, count) != count) return static_cast<OPJ_SIZE_T>(-1);
    return count;
}

// True (1) when the stream moved; never a position.
OPJ_BOOL CxJasSeekProc(OPJ_OFF_T offset, void* user)
{
    JasSink* sink = static_cast<JasSink*>(user);
    return sink->file->Seek(long(sink->base + offset), SEEK_SET) ? OPJ_TRUE : OPJ_FALSE;
}

OPJ_OFF_T CxJasSkipProc(OPJ_OFF_T count, void* user)
{
    JasSink* sink = static_cast<JasSink*>(user);
    return sink->file->Seek(long(count), SEEK_CUR) ? count : -1;
}

void Quiet(const char*, void*) {}

// Reads "rate=r", the target size as a fraction of the raw samples. OpenJPEG
// takes the inverse, a compression ratio; a rate of 1 or more, or none, keeps
// every coding pass, and the reversible transform then loses nothing.
float CompressionRatio(const char* options)
{
    const char* at = strstr(options, "rate=");
    if (!at) return 0;
    double rate = atof(at + 5);
    if (rate <= 0 || rate >= 1) return 0;
    return float(1.0 / rate);
}

// Each resolution halves the picture; the smallest level must keep a pixel.
int Resolutions(DWORD width, DWORD height)
{
    DWORD side = width < height ? width : height;
    int levels = 6;
    while (levels > 1 && (side >> (levels - 1)) == 0) levels--;
    return levels;
}

// Everything the encoder creates, released in one place on every path.
struct OpjSession {
    opj_stream_t* stream = nullptr;
    opj_codec_t* codec = nullptr;
    opj_image_t* image = nullptr;
    ~OpjSession()
    {
        if (stream) opj_stream_destroy(stream);
        if (codec) opj_destroy_codec(codec);
        if (image) opj_image_destroy(image);
    }
};

}  // namespace

const char* CxImageJAS::EncodeJpeg2000(CxFile* hFile, DWORD imagetype, const char* options)
{
    OpjSession s;
    JasSink sink{hFile, hFile->Tell()};
    if (sink.base < 0) sink.base = 0;
    s.stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    if (!s.stream) return "error: cannot open standard output";
    opj_stream_set_user_data(s.stream, &sink, nullptr);  // the caller keeps the file
    opj_stream_set_read_function(s.stream, CxJasReadProc);
    opj_stream_set_write_function(s.stream, CxJasWriteProc);
    opj_stream_set_seek_function(s.stream, CxJasSeekProc);
    opj_stream_set_skip_function(s.stream, CxJasSkipProc);

    const int count = Components();
    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    opj_image_cmptparm_t parms[3];
    memset(parms, 0, sizeof(parms));
    for (int c = 0; c < count; c++) {
        parms[c].dx = parms[c].dy = 1;
        parms[c].w = width;
        parms[c].h = height;
        parms[c].prec = 8;
        parms[c].sgnd = 0;
    }
    s.image = opj_image_create(OPJ_UINT32(count), parms, count == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB);
    if (!s.image) return "error : jas_image_create";
    s.image->x0 = s.image->y0 = 0;
    s.image->x1 = width;
    s.image->y1 = height;

    BYTE* row = static_cast<BYTE*>(malloc(size_t(width) * count));
    if (!row) return "error : can't allocate memory";
    for (DWORD top = 0; top < height; top++) {
        TopRowSamples(LONG(top), row);
        for (int c = 0; c < count; c++) {
            OPJ_INT32* out = s.image->comps[c].data + size_t(top) * width;
            for (DWORD x = 0; x < width; x++) out[x] = row[size_t(x) * count + c];
        }
    }
    free(row);

    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.tcp_rates[0] = CompressionRatio(options);
    parameters.cp_disto_alloc = 1;
    parameters.irreversible = 0;
    parameters.tcp_mct = count == 3 ? 1 : 0;
    parameters.numresolution = Resolutions(width, height);

    s.codec = opj_create_compress(imagetype == CXIMAGE_FORMAT_JP2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    if (!s.codec) return "error: cannot encode image";
    opj_set_error_handler(s.codec, Quiet, nullptr);
    opj_set_warning_handler(s.codec, Quiet, nullptr);
    opj_set_info_handler(s.codec, Quiet, nullptr);
    if (!opj_setup_encoder(s.codec, &parameters, s.image)
        || !opj_start_compress(s.codec, s.image, s.stream) || !opj_encode(s.codec, s.stream)
        || !opj_end_compress(s.codec, s.stream))
        return "error: cannot encode image";
    if (!hFile->Flush()) return "error: cannot encode image";
    return nullptr;
}
