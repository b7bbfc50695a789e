#include "OpfWriter.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <cstdio>
#include <memory>

namespace {

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
using OutputPtr = std::unique_ptr<GsfOutput, GObjectUnref>;

// The 16 bytes of a class id as compound files store them: the first three
// groups little-endian, the last eight bytes in order.
bool ClassIdBytes(const std::string& text, guint8 bytes[16]) {
    unsigned data1, data2, data3, b[8];
    char close = 0;
    if (text.size() != 38 ||
        std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &data1, &data2,
                    &data3, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &close) != 12 ||
        close != '}')
        return false;
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<guint8>(data1 >> (8 * i));
    bytes[4] = static_cast<guint8>(data2);
    bytes[5] = static_cast<guint8>(data2 >> 8);
    bytes[6] = static_cast<guint8>(data3);
    bytes[7] = static_cast<guint8>(data3 >> 8);
    for (int i = 0; i < 8; ++i)
        bytes[8 + i] = static_cast<guint8>(b[i]);
    return true;
}

bool WriteStream(GsfOutfile* parent, const std::string& name, const std::string& bytes) {
    OutputPtr stream(gsf_outfile_new_child(parent, name.c_str(), FALSE));
    if (!stream)
        return false;
    bool written = bytes.empty() || gsf_output_write(stream.get(), bytes.size(),
                                                     reinterpret_cast<const guint8*>(bytes.data()));
    return gsf_output_close(stream.get()) && written;
}

bool WriteText(GsfOutfile* parent, const char* name, const std::optional<std::string>& text) {
    if (!text)
        return true;
    std::string bytes = *text;
    bytes += '\0';
    return WriteStream(parent, name, bytes);
}

bool WriteHeader(GsfOutfile* root, const COpfContents& contents) {
    OutputPtr section(gsf_outfile_new_child(root, "Header Section", TRUE));
    if (!section)
        return false;
    auto* header = GSF_OUTFILE(section.get());
    bool ok = WriteText(header, "Company Name", contents.companyName) &&
              WriteText(header, "File Description", contents.fileDescription) &&
              WriteText(header, "Legal Copyright", contents.legalCopyright) &&
              WriteText(header, "Legal Trademarks", contents.legalTrademarks) &&
              WriteText(header, "Product Name", contents.productName) &&
              WriteText(header, "Product Version", contents.productVersion) &&
              WriteText(header, "Filename Url", contents.filenameUrl) &&
              WriteText(header, "License Url", contents.licenseUrl) &&
              WriteText(header, "Width", contents.width) &&
              WriteText(header, "Height", contents.height) &&
              WriteText(header, "IsCompressed", contents.isCompressed);
    return gsf_output_close(section.get()) && ok;
}

bool WriteProperties(GsfOutfile* root, const COpfContents& contents, const guint8 classId[16]) {
    OutputPtr section(gsf_outfile_new_child(root, "Object Property Section", TRUE));
    if (!section)
        return false;
    bool ok = gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(section.get()), classId);
    for (const auto& [name, bytes] : contents.properties)
        ok = ok && WriteStream(GSF_OUTFILE(section.get()), name, bytes);
    return gsf_output_close(section.get()) && ok;
}

} // namespace

std::optional<std::vector<uint8_t>> WriteObjectPropertyFile(const COpfContents& contents,
                                                            std::string& error) {
    guint8 classId[16];
    if (!ClassIdBytes(contents.classId, classId)) {
        error = "the class id is not of the form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
        return std::nullopt;
    }
    gsf_init();
    OutputPtr sink(gsf_output_memory_new());
    OutputPtr rootOutput(reinterpret_cast<GsfOutput*>(gsf_outfile_msole_new(sink.get())));
    if (!sink || !rootOutput) {
        error = "libgsf cannot make a compound file";
        return std::nullopt;
    }
    auto* root = GSF_OUTFILE(rootOutput.get());
    bool ok = WriteText(root, "Browser Version", contents.browserVersion);
    if (ok && contents.headerSection)
        ok = WriteHeader(root, contents);
    if (ok && contents.propertySection)
        ok = WriteProperties(root, contents, classId);
    // Closing the compound file writes its directory and closes the sink.
    ok = gsf_output_close(rootOutput.get()) && ok;
    if (!ok) {
        error = "libgsf failed to write the compound file";
        return std::nullopt;
    }
    const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
    gsf_off_t size = gsf_output_size(sink.get());
    if (!bytes || size <= 0) {
        error = "libgsf wrote nothing";
        return std::nullopt;
    }
    return std::vector<uint8_t>(bytes, bytes + size);
}
