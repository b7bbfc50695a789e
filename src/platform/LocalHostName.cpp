#include "platform/LocalHostName.h"

#include <climits>
#include <unistd.h>

std::string LocalHostName() {
    // One more than the longest name, so that the name always ends in a NUL.
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}
