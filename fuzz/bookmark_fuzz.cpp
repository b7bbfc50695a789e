// Feeds arbitrary bytes to the bookmark file loader. Whatever loads must read
// back the same once written (the count and every length agreeing with what
// was read), or a save after a start-up would change the user's hotlist.
#include "bookmarks/CBookmarkList.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBookmarkList list;
    const BookmarkLoadResult result = list.LoadFrom(std::span<const uint8_t>(data, size));
    if (result != BookmarkLoadResult::Loaded)
        return 0;
    CBookmarkList again;
    if (again.LoadFrom(list.Serialise()) != BookmarkLoadResult::Loaded || !(again == list))
        __builtin_trap();
    return 0;
}
