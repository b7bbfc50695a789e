// Reads a product version from arbitrary bytes taken for a control file.
#include "platform/version/ProductVersion.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string version = ProductVersionFromBytes({data, size});
    if (version.size() > MaxProductVersionLength)
        __builtin_trap();
    return 0;
}
