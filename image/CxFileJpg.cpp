#include "image/CxFileJpg.h"

#include <cstdlib>
#include <cstring>

#include "image/CxFile.h"

namespace {

CxFileJpg* DestOf(j_compress_ptr cinfo)
{
    return reinterpret_cast<CxFileJpg*>(cinfo->dest);
}

CxFileJpg* SourceOf(j_decompress_ptr cinfo)
{
    return reinterpret_cast<CxFileJpg*>(reinterpret_cast<BYTE*>(cinfo->src) - offsetof(CxFileJpg, src));
}

void RaiseError(j_common_ptr cinfo, int code)
{
    cinfo->err->msg_code = code;
    cinfo->err->error_exit(cinfo);
}

void CxJpgInitDestination(j_compress_ptr cinfo)
{
    CxFileJpg* file = DestOf(cinfo);
    file->dest.next_output_byte = file->m_pBuffer;
    file->dest.free_in_buffer = kJpgBufferSize;
}

boolean CxJpgEmptyOutputBuffer(j_compress_ptr cinfo)
{
    CxFileJpg* file = DestOf(cinfo);
    if (file->m_pFile->Write(file->m_pBuffer, 1, kJpgBufferSize) != kJpgBufferSize)
        RaiseError(reinterpret_cast<j_common_ptr>(cinfo), JERR_FILE_WRITE);
    file->dest.next_output_byte = file->m_pBuffer;
    file->dest.free_in_buffer = kJpgBufferSize;
    return TRUE;
}

// Every byte of the last buffer must land, and the stream must flush clean.
void CxJpgTermDestination(j_compress_ptr cinfo)
{
    CxFileJpg* file = DestOf(cinfo);
    size_t count = kJpgBufferSize - file->dest.free_in_buffer;
    if (count > 0 && file->m_pFile->Write(file->m_pBuffer, 1, count) != count)
        RaiseError(reinterpret_cast<j_common_ptr>(cinfo), JERR_FILE_WRITE);
    if (!file->m_pFile->Flush() || file->m_pFile->Error())
        RaiseError(reinterpret_cast<j_common_ptr>(cinfo), JERR_FILE_WRITE);
}

void CxJpgInitSource(j_decompress_ptr cinfo)
{
    SourceOf(cinfo)->m_bStartOfFile = true;
}

// At the end of the data a fake end-of-image marker is supplied, with a
// warning, so that a cut file still decodes.
boolean CxJpgFillInputBuffer(j_decompress_ptr cinfo)
{
    CxFileJpg* file = SourceOf(cinfo);
    size_t count = file->m_pFile->Read(file->m_pBuffer, 1, kJpgBufferSize);
    if (count == 0) {
        if (file->m_bStartOfFile) RaiseError(reinterpret_cast<j_common_ptr>(cinfo), JERR_INPUT_EMPTY);
        cinfo->err->msg_code = JWRN_JPEG_EOF;
        cinfo->err->emit_message(reinterpret_cast<j_common_ptr>(cinfo), -1);
        file->m_pBuffer[0] = 0xFF;
        file->m_pBuffer[1] = JPEG_EOI;
        count = 2;
    }
    file->src.next_input_byte = file->m_pBuffer;
    file->src.bytes_in_buffer = count;
    file->m_bStartOfFile = false;
    return TRUE;
}

void CxJpgSkipInputData(j_decompress_ptr cinfo, long num_bytes)
{
    if (num_bytes <= 0) return;
    CxFileJpg* file = SourceOf(cinfo);
    while (size_t(num_bytes) > file->src.bytes_in_buffer) {
        num_bytes -= long(file->src.bytes_in_buffer);
        CxJpgFillInputBuffer(cinfo);
    }
    file->src.next_input_byte += num_bytes;
    file->src.bytes_in_buffer -= size_t(num_bytes);
}

void CxJpgTermSource(j_decompress_ptr)
{
}

}  // namespace

CxFileJpg::CxFileJpg(CxFile* pFile)
    : m_pFile(pFile), m_pBuffer(static_cast<BYTE*>(malloc(kJpgBufferSize))), m_bStartOfFile(false)
{
    memset(&dest, 0, sizeof(dest));
    memset(&src, 0, sizeof(src));
    dest.init_destination = CxJpgInitDestination;
    dest.empty_output_buffer = CxJpgEmptyOutputBuffer;
    dest.term_destination = CxJpgTermDestination;
    src.init_source = CxJpgInitSource;
    src.fill_input_buffer = CxJpgFillInputBuffer;
    src.skip_input_data = CxJpgSkipInputData;
    src.resync_to_restart = jpeg_resync_to_restart;
    src.term_source = CxJpgTermSource;
    src.next_input_byte = nullptr;
    src.bytes_in_buffer = 0;
}

CxFileJpg::~CxFileJpg()
{
    free(m_pBuffer);
}

void CxJpgErrorExit(j_common_ptr cinfo)
{
    CxJpgErrorManager* err = reinterpret_cast<CxJpgErrorManager*>(cinfo->err);
    err->pub.format_message(cinfo, err->buffer);
    longjmp(err->setjmp_buffer, 1);
}
