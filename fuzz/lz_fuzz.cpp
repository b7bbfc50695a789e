// Expands arbitrary bytes as an "SZDD" file, whole and in two pieces, with
// a small limit so that the output bound is reached too.
#include "platform/lz/CLzExpander.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (uint64_t limit : {CLzExpander::DefaultLimit, uint64_t{64}}) {
        uint64_t total = 0;
        CLzExpander expander(
            [&total](const uint8_t*, size_t n) {
                total += n;
                return true;
            },
            limit);
        size_t half = size / 2;
        if (expander.Write(data, half) == CLzExpander::Status::Continue &&
            expander.Write(data + half, size - half) == CLzExpander::Status::Continue)
            (void)expander.Finish();
        if (total > limit || total > expander.DeclaredLength())
            __builtin_trap();
    }
    return 0;
}
