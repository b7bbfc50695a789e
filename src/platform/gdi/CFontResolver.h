#pragma once

#include "platform/CMutex.h"
#include "platform/gdi/CLogFont.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

struct FT_LibraryRec_;
struct FT_FaceRec_;

// Where a font file lives: what fontconfig answered for a request.
struct CFontFile {
    std::string path;
    int index = 0;
};

// The process's one FreeType library and fontconfig, behind a lock: FreeType
// allows faces of one library to be used from different threads, but not
// to be created or destroyed concurrently.
class CFontResolver {
public:
    [[nodiscard]] static CFontResolver& Get();

    CFontResolver(const CFontResolver&) = delete;
    CFontResolver& operator=(const CFontResolver&) = delete;
    ~CFontResolver();

    // fontconfig's best match for the family, weight and slant; the generic
    // family decides the fallback when the name itself is unknown. Kept for
    // the process: a page asks again for every size of the same face, and
    // each match costs fontconfig's whole substitution.
    [[nodiscard]] CFontFile Resolve(const CLogFont& logFont);

    struct FaceDeleter {
        void operator()(FT_FaceRec_* face) const;
    };
    using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

    // Null when the file cannot be opened as a scalable font.
    [[nodiscard]] FacePtr OpenFace(const CFontFile& file);

private:
    CFontResolver();
    void CloseFace(FT_FaceRec_* face);

    // Also held around fontconfig's calls, which share its configuration.
    CMutex m_mutex;
    FT_LibraryRec_* m_library GUARDED_BY(m_mutex) = nullptr;
    // Face name, generic family, bold, italic: all a match depends on.
    using MatchKey = std::tuple<std::string, std::string, bool, bool>;
    std::map<MatchKey, CFontFile> m_matches GUARDED_BY(m_mutex);
};
