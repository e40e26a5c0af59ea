#include "platform/presentation/PropertySets.h"

#include "platform/win32/Utf16.h"

#include <gsf/gsf-doc-meta-data.h>
#include <gsf/gsf-meta-names.h>
#include <gsf/gsf-msole-utils.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-timestamp.h>
#include <gsf/gsf-utils.h>

#include <glib.h>

#include <algorithm>

namespace presentation {

namespace {

GValue* newValue(GType type)
{
    GValue* value = g_new0(GValue, 1);
    g_value_init(value, type);
    return value;
}

void putText(GsfDocMetaData* meta, const char* name, const std::string& text)
{
    GValue* value = newValue(G_TYPE_STRING);
    g_value_set_string(value, text.c_str());
    gsf_doc_meta_data_insert(meta, g_strdup(name), value);
}

void putInt(GsfDocMetaData* meta, const char* name, int number)
{
    GValue* value = newValue(G_TYPE_INT);
    g_value_set_int(value, number);
    gsf_doc_meta_data_insert(meta, g_strdup(name), value);
}

void putTime(GsfDocMetaData* meta, const char* name, std::time_t when)
{
    GsfTimestamp* stamp = gsf_timestamp_new();
    gsf_timestamp_set_time(stamp, guint64(when < 0 ? 0 : when));
    GValue* value = newValue(GSF_TIMESTAMP_TYPE);
    gsf_timestamp_to_value(stamp, value);
    gsf_timestamp_free(stamp);
    gsf_doc_meta_data_insert(meta, g_strdup(name), value);
}

uint32_t get32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// libgsf writes 8-bit strings without the padding that puts every value
// on a four-byte boundary (MS-OLEPS 2.20, 2.21); readers that step through
// the set in four-byte units then run off its end. Lays the values of a
// one-section set out again, each padded with zeros. Empty when the set is
// not what the writer makes.
std::vector<uint8_t> padValues(const std::vector<uint8_t>& set)
{
    constexpr size_t header = 48;  // set header, one format id and offset
    if (set.size() < header + 8 || get32(set, 24) != 1 || get32(set, 44) != header) return {};
    uint32_t size = get32(set, header), count = get32(set, header + 4);
    if (size < 8 || size > set.size() - header || count > (size - 8) / 8) return {};
    std::vector<std::pair<uint32_t, size_t>> values;  // offset in the section, table entry
    for (size_t i = 0; i < count; ++i) values.emplace_back(get32(set, header + 12 + 8 * i), i);
    std::sort(values.begin(), values.end());
    std::vector<uint8_t> out(set.begin(), set.begin() + long(header + 8 + 8 * count));
    for (size_t i = 0; i < values.size(); ++i) {
        uint32_t from = values[i].first, to = i + 1 < values.size() ? values[i + 1].first : size;
        if (from < 8 + 8 * count || to < from || to > size) return {};
        put32(out, header + 12 + 8 * values[i].second, uint32_t(out.size() - header));
        out.insert(out.end(), set.begin() + long(header + from), set.begin() + long(header + to));
        out.resize((out.size() + 3) & ~size_t(3));
    }
    put32(out, header, uint32_t(out.size() - header));
    return out;
}

// One set: the summary, or with documentNotComponent the document summary.
std::vector<uint8_t> serialise(GsfDocMetaData* meta, bool documentNotComponent)
{
    GsfOutput* memory = gsf_output_memory_new();
    bool ok = gsf_doc_meta_data_write_to_msole(meta, memory, documentNotComponent);
    ok = gsf_output_close(memory) && ok;
    std::vector<uint8_t> bytes;
    if (ok) {
        const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
        bytes.assign(data, data + gsf_output_size(memory));
    }
    g_object_unref(memory);
    return padValues(bytes);
}

} // namespace

std::string TitleText(const std::string& name)
{
    return Utf8ReadingBadBytesAsWindows1252(name);
}

int CodePageFor(const std::string& utf8)
{
    for (unsigned char c : utf8)
        if (c >= 0x80) return Utf8CodePage;
    return LatinCodePage;
}

PropertySetStreams WritePropertySets(const Presentation& p, const DocumentInfo& info)
{
    gsf_init();
    std::string title = TitleText(info.title);
    GsfDocMetaData* meta = gsf_doc_meta_data_new();
    putInt(meta, GSF_META_NAME_CODEPAGE, CodePageFor(title + ApplicationName));
    putText(meta, GSF_META_NAME_TITLE, title);
    putText(meta, GSF_META_NAME_GENERATOR, ApplicationName);
    putTime(meta, GSF_META_NAME_DATE_CREATED, p.created);
    putTime(meta, GSF_META_NAME_DATE_MODIFIED, info.saved);
    putInt(meta, GSF_META_NAME_SLIDE_COUNT, int(p.slides.size()));
    PropertySetStreams sets{serialise(meta, false), serialise(meta, true)};
    g_object_unref(meta);
    return sets;
}

} // namespace presentation
