#pragma once

#include "content/CLoadOwner.h"
#include "controls/CControlDescription.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CControlItem;

// The controls that wait for the code file of their class. While a class has
// an entry exactly one download of its file runs, after the user agreed;
// when it has arrived (and been expanded) the file is registered and every
// waiting control is created. Any failure marks every waiting control
// failed and shows nothing more. One per process, UI thread only.
class CControlInstaller {
public:
    static CControlInstaller& Instance();

    // Starts (or joins) the download of the item's code file. page is the
    // document the item belongs to: a class the user declined on it is not
    // asked for again until it leaves the page.
    void Install(CControlItem& item, const void* page);
    // The page is going: its answers are forgotten.
    void ForgetPage(const void* page);
    // The item is going: it waits no longer. The download goes with the last
    // item waiting for it.
    void Forget(CControlItem& item);
    [[nodiscard]] bool IsWaiting(const CControlItem& item) const;
    // How many classes wait for their code.
    [[nodiscard]] size_t Downloads() const { return m_waiting.size(); }

private:
    class CDownload;
    void Fail(const std::string& classId);
    void Finished(const std::string& classId, bool success);

    std::map<std::string, std::unique_ptr<CDownload>> m_waiting;
    std::set<std::pair<const void*, std::string>> m_declined;
};
