#include "ControlFixture.h"

#include "controls/CControlDescription.h"
#include "controls/ControlClassLookup.h"
#include "controls/InstallLog.h"
#include "platform/com/ComRuntime.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

CLSID ClassOf(const char* text) {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromString(text, &clsid), S_OK);
    return clsid;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

using ControlCache = ControlTest;

// The sample clock is registered by the fixture and carries "1.0.0.1".
TEST_F(ControlCache, FindClassResults) {
    std::string key = "CLSID\\";
    key.append(kClockClass);
    std::string server = key, control = key;
    server.append("\\InprocServer32");
    control.append("\\Control");
    struct Case {
        const char* name;
        std::function<void()> change;
        std::string wanted;
        ControlClassResult expected;
    };
    const Case cases[] = {
        {"any version", [] {}, "", ControlClassResult::Found},
        {"same version", [] {}, "1.0.0.1", ControlClassResult::Found},
        {"other version", [] {}, "1.0.0.2", ControlClassResult::VersionDiffers},
        {"version with a blank more", [] {}, "1.0.0.1 ", ControlClassResult::VersionDiffers},
        {"version one byte short", [] {}, "1.0.0.", ControlClassResult::VersionDiffers},
        {"server file missing",
         [&] {
             ASSERT_TRUE(
                 m_registry.SetString(RegRoot::ClassesRoot, server, "", PathOf("gone.ocx")));
         },
         "", ControlClassResult::ServerMissing},
        {"no server", [&] { ASSERT_TRUE(m_registry.DeleteKey(RegRoot::ClassesRoot, server)); }, "",
         ControlClassResult::NoServer},
        {"not a control", [&] { ASSERT_TRUE(m_registry.DeleteKey(RegRoot::ClassesRoot, control)); },
         "", ControlClassResult::NotFound},
        {"not registered", [&] { ASSERT_TRUE(m_registry.DeleteKey(RegRoot::ClassesRoot, key)); },
         "", ControlClassResult::NotFound},
    };
    // Each case changes the registry further, in this order.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        CRegistryRecord record;
        EXPECT_EQ(FindControlClass(m_registry, ClassOf(kClockClass), c.wanted, record), c.expected);
        if (c.expected == ControlClassResult::ServerMissing) {
            EXPECT_EQ(record.classKey, kClockClass);
            EXPECT_EQ(record.serverPath, PathOf("gone.ocx"));
            EXPECT_FALSE(record.progId.empty());
        }
    }
}

TEST_F(ControlCache, RegisterServerRunsTheLibrarysOwnEntryPoints) {
    const std::string clock = VESTRIAL_CONTROLS_DIR "/clock.ocx";
    CRegistryRecord record;
    record.serverPath = clock;
    CRegistryRecord found;
    EXPECT_TRUE(RegisterServer(record, true));
    EXPECT_EQ(FindControlClass(m_registry, ClassOf(kClockClass), "", found),
              ControlClassResult::NotFound);
    EXPECT_TRUE(RegisterServer({}, false, clock));
    EXPECT_EQ(FindControlClass(m_registry, ClassOf(kClockClass), "", found),
              ControlClassResult::Found);
    EXPECT_FALSE(RegisterServer({}, false));
    EXPECT_FALSE(RegisterServer({}, false, PathOf("missing.ocx")));
}

TEST_F(ControlCache, InstallLogLinesByteForByte) {
    CControlDescription d;
    d.productName = "Clock";
    d.companyName = "Vestrial Samples";
    d.fileDescription = "A clock";
    d.legalCopyright = "(c) 1996";
    d.legalTrademarks = "";
    d.productVersion = "1.0.0.1";
    d.filenameUrl = "http://127.0.0.1/clock.oc_";
    const std::string prefix = PathOf("tmp-");
    ASSERT_TRUE(AppendInstallLog(prefix, d));
    d.productName = std::string(600, 'x');
    ASSERT_TRUE(AppendInstallLog(prefix, d));
    const std::string entry = "Company Name = Vestrial Samples \r\n"
                              "File Description = A clock \r\n"
                              "Legal Copyright = (c) 1996 \r\n"
                              "Legal Trademarks =  \r\n"
                              "Product Version = 1.0.0.1 \r\n"
                              "HTTP Site = http://127.0.0.1/clock.oc_ \r\n"
                              "----------------------------------------------------------\r\n";
    EXPECT_EQ(ReadText(prefix + "ocxlog.log"), "Product Name = Clock \r\n" + entry +
                                                   "Product Name = " + std::string(600, 'x') +
                                                   " \r\n" + entry);
    EXPECT_FALSE(AppendInstallLog(PathOf("no-such-dir/"), d));
}
