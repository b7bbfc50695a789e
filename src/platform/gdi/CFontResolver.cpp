#include "platform/gdi/CFontResolver.h"

#include "platform/Verify.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

const char* GenericFamily(const CLogFont& logFont) {
    if (logFont.pitch == FontPitch::Fixed || logFont.family == FontFamily::Modern)
        return "monospace";
    if (logFont.family == FontFamily::Roman)
        return "serif";
    return "sans-serif";
}

} // namespace

CFontResolver& CFontResolver::Get() {
    static CFontResolver resolver;
    return resolver;
}

CFontResolver::CFontResolver() {
    VERIFY(FT_Init_FreeType(&m_library) == 0);
    VERIFY(FcInit() == FcTrue);
}

CFontResolver::~CFontResolver() {
    FT_Done_FreeType(m_library);
}

CFontFile CFontResolver::Resolve(const CLogFont& logFont) {
    const bool bold = logFont.weight >= 600;
    MatchKey key{logFont.faceName, GenericFamily(logFont), bold, logFont.italic};
    CMutexGuard lock(m_mutex);
    if (auto found = m_matches.find(key); found != m_matches.end())
        return found->second;

    PatternPtr pattern(FcPatternCreate());
    VERIFY(pattern);
    const auto* family = reinterpret_cast<const FcChar8*>(logFont.faceName.c_str());
    if (!logFont.faceName.empty())
        FcPatternAddString(pattern.get(), FC_FAMILY, family);
    FcPatternAddString(pattern.get(), FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(GenericFamily(logFont)));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, logFont.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);

    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    CFontFile file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match.get(), FC_FILE, 0, &path) == FcResultMatch) {
        file.path = reinterpret_cast<const char*>(path);
        FcPatternGetInteger(match.get(), FC_INDEX, 0, &file.index);
    }
    m_matches.emplace(std::move(key), file);
    return file;
}

CFontResolver::FacePtr CFontResolver::OpenFace(const CFontFile& file) {
    if (file.path.empty())
        return nullptr;
    CMutexGuard lock(m_mutex);
    FT_Face face = nullptr;
    if (FT_New_Face(m_library, file.path.c_str(), file.index, &face) != 0)
        return nullptr;
    if (!FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        return nullptr;
    }
    return FacePtr(face);
}

void CFontResolver::FaceDeleter::operator()(FT_FaceRec_* face) const {
    CFontResolver::Get().CloseFace(face);
}

void CFontResolver::CloseFace(FT_FaceRec_* face) {
    CMutexGuard lock(m_mutex);
    FT_Done_Face(face);
}
