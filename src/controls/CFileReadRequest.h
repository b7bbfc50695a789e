#pragma once

#include "content/CLoadOwner.h"

#include <optional>
#include <string>

class CControlItem;

// One file a control asked for with its "ReadFile" event: a download into
// the control directory, whose end the item passes on to the control with
// the address exactly as the control gave it. UI thread only.
class CFileReadRequest final : public CLoadOwner {
public:
    enum class State { Done = 0, Running = 1 };

    CFileReadRequest(CControlItem& item, std::string resolved, std::string given);
    ~CFileReadRequest() override;

    // Starts the download for path: into a file of its own beside it, put in
    // its place only once complete, so a failed or second fetch of a name
    // never leaves the control half a file.
    void Start(const std::string& path);
    void OnLoadNotify(uint32_t flags, CDynamicLoad* load) override;

    [[nodiscard]] State GetState() const { return m_state; }
    [[nodiscard]] const std::string& Resolved() const { return m_resolved; }
    [[nodiscard]] const std::string& Given() const { return m_given; }

private:
    CControlItem& m_item;
    const std::string m_resolved;
    const std::string m_given;
    std::string m_path;
    std::string m_partPath;
    State m_state = State::Done;
};

// The address a control's "ReadFile" names, resolved against the property
// file's address; empty when it is refused (only http, https and file
// addresses are fetched).
[[nodiscard]] std::string ResolveReadAddress(const std::string& base, const std::string& address);
// Where a file read from address is stored in directory (which ends in
// "/"): the address's last segment, unescaped, with every byte but letters,
// digits, ".", "-" and "_" replaced by "_". Nothing when that segment could
// not be a file of the directory itself: empty, "." or "..", or holding a
// separator or a NUL once unescaped.
[[nodiscard]] std::optional<std::string> LocalPathFor(const std::string& directory,
                                                      const std::string& address);
// A name beside path for a download into it that is not finished yet, unique
// in the process. Its "~" never appears in a name LocalPathFor takes from an
// address, so no page can name (and write into) another download's file.
[[nodiscard]] std::string UnfinishedPathFor(const std::string& path);
// Whether the file at path was fetched from resolved earlier in this process
// and is still there: a control asking for it again is answered at once.
[[nodiscard]] bool AlreadyFetched(const std::string& path, const std::string& resolved);
// A "file:" address whose file is path itself: fetching it there would empty
// the file before reading it.
[[nodiscard]] bool IsOwnTarget(const std::string& resolved, const std::string& path);
