#include "platform/CLateLibrary.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

#define MATH_FUNCTIONS(X) X(cos) X(sqrt)
VESTRIAL_LATE_LIBRARY("libm.so.6", MATH_FUNCTIONS)
using MathFunctions = LateFunctions;

// The file's own table is filled on the first call.
TEST(LateLibrary, TheFilesTableIsFilledOnFirstUse) {
    ASSERT_TRUE(LateLibrary().IsLoaded()) << LateLibrary().Error();
    EXPECT_EQ(&LateLibrary(), &LateLibrary());
    ASSERT_NE(g_late.sqrt, nullptr);
    EXPECT_EQ(g_late.sqrt(6.25), 2.5);
}

// A library found with every function asked for fills every slot with the
// function itself.
TEST(LateLibrary, FillsEverySlotWithTheLibrarysFunction) {
    MathFunctions math;
#define MATH_ENTRY(name) {#name, &math.name},
    CLateLibrary library("libm.so.6", {MATH_FUNCTIONS(MATH_ENTRY)});
#undef MATH_ENTRY
    ASSERT_TRUE(library.IsLoaded()) << library.Error();
    EXPECT_EQ(library.Error(), "");
    ASSERT_NE(math.cos, nullptr);
    ASSERT_NE(math.sqrt, nullptr);
    EXPECT_EQ(math.cos(0.0), 1.0);
    EXPECT_EQ(math.sqrt(2.25), 1.5);
}

// A missing library, or one function missing from a library that is there
// (first, last), fills no slot at all: a half-filled table would be called
// through a null pointer later.
TEST(LateLibrary, AMissingLibraryOrFunctionFillsNoSlot) {
    struct Case {
        const char* soname;
        const char* first;
        const char* second;
        const char* said; // in Error()
    };
    const Case cases[] = {
        {"libvestrial-no-such-library.so.1", "cos", "sqrt", "libvestrial-no-such-library.so.1"},
        {"libm.so.6", "vestrial_no_such_function", "sqrt", "vestrial_no_such_function"},
        {"libm.so.6", "cos", "vestrial_no_such_function", "vestrial_no_such_function"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.soname) + " " + c.first + " " + c.second);
        MathFunctions math;
        CLateLibrary library(c.soname, {{c.first, &math.cos}, {c.second, &math.sqrt}});
        EXPECT_FALSE(library.IsLoaded());
        EXPECT_NE(library.Error().find(c.said), std::string::npos) << library.Error();
        EXPECT_EQ(math.cos, nullptr);
        EXPECT_EQ(math.sqrt, nullptr);
    }
}

} // namespace
