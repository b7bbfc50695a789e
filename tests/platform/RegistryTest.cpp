#include "platform/CRegistry.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <pwd.h>
#include <unistd.h>

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

constexpr RegRoot kUser = RegRoot::CurrentUser;
constexpr RegRoot kClasses = RegRoot::ClassesRoot;

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

size_t Count(const std::string& haystack, std::string_view needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

class RegistryBase : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = testing::TempDir() + "registry-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_file = m_dir / "vestrial" / "registry.reg";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::vector<fs::path> TempFiles() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(m_file.parent_path())) {
            if (entry.path().filename().string().starts_with("registry.reg.tmp-")) {
                found.push_back(entry.path());
            }
        }
        return found;
    }

    fs::path m_dir;
    fs::path m_file;
};

class Registry : public RegistryBase {};

} // namespace

TEST_F(Registry, ValuesSurviveReopening) {
    const std::string awkward = "say \"hi\" to C:\\dir\\ caf\xe9\r\nnext\tline\0end"s;
    std::string deepKey = "Deep";
    for (size_t i = 1; i < CRegFile::kMaxDepth; ++i) {
        deepKey += "\\K" + std::to_string(i);
    }
    const std::string clsid = "CLSID\\{8856F961-340A-11D0-A96B-00C04FD705A2}";
    {
        CRegistry reg(m_file);
        ASSERT_TRUE(reg.SetString(kUser, "Software\\Vestrial", "Awkward", awkward));
        ASSERT_TRUE(reg.SetString(kUser, "Software\\Vestrial", "Empty", ""));
        ASSERT_TRUE(reg.SetDword(kUser, "Software\\Vestrial", "Max", 0xffffffffu));
        ASSERT_TRUE(reg.SetDword(kUser, "Software\\Vestrial", "Zero", 0));
        ASSERT_TRUE(reg.SetString(kUser, "Software\\Vestrial", "", "the default"));
        ASSERT_TRUE(reg.SetDword(kUser, deepKey, "Leaf", 7));
        ASSERT_TRUE(reg.SetString(kClasses, clsid + "\\InprocServer32", "", "ctl.so"));
        ASSERT_TRUE(reg.CreateKey(kClasses, clsid + "\\Control"));
        ASSERT_TRUE(reg.SetString(kUser, "", "AtTheRoot", "r"));
    }
    const CRegistry reg(m_file);
    EXPECT_EQ(reg.LoadError(), "");
    EXPECT_EQ(reg.GetString(kUser, "Software\\Vestrial", "Awkward"), awkward);
    EXPECT_EQ(reg.GetString(kUser, "Software\\Vestrial", "Empty"), "");
    EXPECT_EQ(reg.GetDword(kUser, "Software\\Vestrial", "Max"), 0xffffffffu);
    EXPECT_EQ(reg.GetDword(kUser, "Software\\Vestrial", "Zero"), 0u);
    EXPECT_EQ(reg.GetString(kUser, "Software\\Vestrial", ""), "the default");
    EXPECT_EQ(reg.GetDword(kUser, deepKey, "Leaf"), 7u);
    EXPECT_EQ(reg.GetString(kClasses, clsid + "\\InprocServer32", ""), "ctl.so");
    EXPECT_TRUE(reg.KeyExists(kClasses, clsid + "\\Control"));
    EXPECT_FALSE(reg.KeyExists(kUser, clsid));
    EXPECT_EQ(reg.GetString(kUser, "", "AtTheRoot"), "r");
}

TEST_F(Registry, NamesMatchIgnoringCaseButKeepTheirSpelling) {
    {
        CRegistry reg(m_file);
        ASSERT_TRUE(reg.SetString(kUser, "Software\\Vestrial", "HomePage", "a"));
        ASSERT_TRUE(reg.SetString(kUser, "SOFTWARE\\vestrial", "HOMEPAGE", "b"));
        ASSERT_TRUE(reg.SetString(kUser, "Software", "\xc9t\xe9", "latin"));
        EXPECT_EQ(reg.GetString(kUser, "software", "\xe9t\xe9"), std::nullopt);
    }
    const CRegistry reg(m_file);
    EXPECT_EQ(reg.GetString(kUser, "sOfTwArE\\VESTRIAL", "homepage"), "b");
    EXPECT_EQ(reg.SubKeys(kUser, "software"), std::vector<std::string>{"Vestrial"});
    EXPECT_EQ(reg.ValueNames(kUser, "Software\\Vestrial"), std::vector<std::string>{"HomePage"});
}

TEST_F(Registry, SubKeysAndValuesKeepCreationOrder) {
    CRegistry reg(m_file);
    for (const char* name : {"Zeta", "alpha", "Mid"}) {
        ASSERT_TRUE(reg.CreateKey(kUser, "Order\\"s + name));
        ASSERT_TRUE(reg.SetDword(kUser, "Order", name, 1));
    }
    const CRegistry reopened(m_file);
    const std::vector<std::string> expected{"Zeta", "alpha", "Mid"};
    EXPECT_EQ(reopened.SubKeys(kUser, "Order"), expected);
    EXPECT_EQ(reopened.ValueNames(kUser, "Order"), expected);
}

TEST_F(Registry, ANameHoldsOneTypeAtATime) {
    CRegistry reg(m_file);
    ASSERT_TRUE(reg.SetDword(kUser, "K", "V", 5));
    ASSERT_TRUE(reg.SetString(kUser, "K", "v", "five"));
    EXPECT_EQ(reg.GetDword(kUser, "K", "V"), std::nullopt);
    EXPECT_EQ(reg.GetString(kUser, "K", "V"), "five");
    EXPECT_EQ(reg.ValueNames(kUser, "K").size(), 1u);
}

TEST_F(Registry, DeleteKeyRemovesTheWholeSubtreeForGood) {
    {
        CRegistry reg(m_file);
        ASSERT_TRUE(reg.SetDword(kUser, "A\\B\\C", "x", 1));
        ASSERT_TRUE(reg.SetDword(kUser, "A\\B", "y", 2));
        ASSERT_TRUE(reg.SetDword(kUser, "A\\D", "z", 3));
        ASSERT_TRUE(reg.DeleteKey(kUser, "a\\b"));
        EXPECT_FALSE(reg.DeleteKey(kUser, "A\\B"));
        EXPECT_FALSE(reg.DeleteKey(kUser, ""));
    }
    const CRegistry reg(m_file);
    EXPECT_FALSE(reg.KeyExists(kUser, "A\\B"));
    EXPECT_FALSE(reg.KeyExists(kUser, "A\\B\\C"));
    EXPECT_EQ(reg.GetDword(kUser, "A\\D", "z"), 3u);
    EXPECT_EQ(reg.SubKeys(kUser, "A"), std::vector<std::string>{"D"});
}

TEST_F(Registry, DeleteValueRemovesOnlyThatValueForGood) {
    {
        CRegistry reg(m_file);
        ASSERT_TRUE(reg.SetDword(kUser, "K", "keep", 1));
        ASSERT_TRUE(reg.SetDword(kUser, "K", "drop", 2));
        ASSERT_TRUE(reg.DeleteValue(kUser, "K", "DROP"));
        EXPECT_FALSE(reg.DeleteValue(kUser, "K", "drop"));
        EXPECT_FALSE(reg.DeleteValue(kUser, "Missing", "keep"));
    }
    const CRegistry reg(m_file);
    EXPECT_EQ(reg.ValueNames(kUser, "K"), std::vector<std::string>{"keep"});
}

TEST_F(Registry, MalformedPathsAndNamesChangeNothing) {
    CRegistry reg(m_file);
    EXPECT_FALSE(reg.SetDword(kUser, "A\\\\B", "v", 1));
    EXPECT_FALSE(reg.SetDword(kUser, "\\A", "v", 1));
    EXPECT_FALSE(reg.SetDword(kUser, "A\\", "v", 1));
    EXPECT_FALSE(reg.SetDword(kUser, "A", "line\nbreak", 1));
    EXPECT_FALSE(reg.CreateKey(kUser, "tab\there"));
    EXPECT_FALSE(reg.SetString(kUser, "A", "big", std::string(CRegFile::kMaxStringBytes + 1, 'x')));
    EXPECT_TRUE(reg.SubKeys(kUser, "").empty());
    EXPECT_FALSE(fs::exists(m_file.parent_path()));
}

TEST_F(Registry, AMissingFileIsAnEmptyRegistry) {
    const CRegistry reg(m_file);
    EXPECT_EQ(reg.LoadError(), "");
    EXPECT_TRUE(reg.KeyExists(kUser, ""));
    EXPECT_TRUE(reg.SubKeys(kClasses, "").empty());
}

class RegistryCrash : public RegistryBase,
                      public testing::WithParamInterface<CRegistry::SaveStage> {};

TEST_P(RegistryCrash, LeavesThePreviousFileWhole) {
    CRegistry reg(m_file);
    ASSERT_TRUE(reg.SetDword(kUser, "K", "n", 1));
    const std::string before = ReadBytes(m_file);
    reg.SetSaveFaultHookForTesting([stage = GetParam()](CRegistry::SaveStage at) {
        return at == stage ? CRegistry::SaveFault::Crash : CRegistry::SaveFault::None;
    });
    EXPECT_FALSE(reg.SetString(kUser, "K", "s", std::string(4000, 'x')));

    EXPECT_EQ(ReadBytes(m_file), before);
    ASSERT_EQ(TempFiles().size(), 1u);
    EXPECT_GT(fs::file_size(TempFiles()[0]), 0u);
    const CRegistry restarted(m_file);
    EXPECT_EQ(restarted.LoadError(), "");
    EXPECT_EQ(restarted.GetDword(kUser, "K", "n"), 1u);
    EXPECT_EQ(restarted.GetString(kUser, "K", "s"), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Stages, RegistryCrash,
                         testing::Values(CRegistry::SaveStage::MidWrite,
                                         CRegistry::SaveStage::BeforeRename));

TEST_F(Registry, AFailedSaveKeepsTheChangeAndTheNextWriteSavesIt) {
    CRegistry reg(m_file);
    ASSERT_TRUE(reg.SetDword(kUser, "K", "a", 1));
    reg.SetSaveFaultHookForTesting(
        [](CRegistry::SaveStage) { return CRegistry::SaveFault::IoError; });
    testing::internal::CaptureStderr();
    EXPECT_FALSE(reg.SetDword(kUser, "K", "b", 2));
    EXPECT_FALSE(reg.SetDword(kUser, "K", "c", 3));
    EXPECT_EQ(Count(testing::internal::GetCapturedStderr(), "could not save"), 1u);
    EXPECT_NE(reg.LastWriteError(), "");
    EXPECT_EQ(reg.GetDword(kUser, "K", "b"), 2u);
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_EQ(CRegistry(m_file).GetDword(kUser, "K", "b"), std::nullopt);

    reg.SetSaveFaultHookForTesting(nullptr);
    ASSERT_TRUE(reg.SetDword(kUser, "K", "c", 3));
    EXPECT_EQ(reg.LastWriteError(), "");
    EXPECT_EQ(CRegistry(m_file).GetDword(kUser, "K", "b"), 2u);
}

TEST_F(Registry, AnUnwritableLocationIsReported) {
    WriteBytes(m_dir / "plainfile", "not a directory");
    CRegistry reg(m_dir / "plainfile" / "registry.reg");
    EXPECT_FALSE(reg.SetString(kUser, "K", "v", "x"));
    EXPECT_NE(reg.LastWriteError(), "");
    EXPECT_EQ(reg.GetString(kUser, "K", "v"), "x");
}

TEST_F(Registry, WritesThatWouldOutgrowTheFileAreRefusedAndUndone) {
    RegTree tree;
    CRegKey& bulk = tree.currentUser.EnsureChild("Bulk");
    const std::string big(CRegFile::kMaxStringBytes, 'x');
    bulk.SetValue("filler", std::string());
    size_t size = CRegFile::Serialise(tree).size();
    for (int i = 0; size + big.size() + 64 < CRegFile::kMaxFileBytes; ++i) {
        const std::string name = std::to_string(i);
        bulk.SetValue(name, big);
        size += name.size() + big.size() + sizeof "\"\"=\"\"\n" - 1;
    }
    ASSERT_EQ(CRegFile::Serialise(tree).size(), size);
    bulk.SetValue("filler", std::string(CRegFile::kMaxFileBytes - size - 100, 'f'));
    WriteBytes(m_file, CRegFile::Serialise(tree));

    CRegistry reg(m_file);
    ASSERT_EQ(reg.LoadError(), "");
    EXPECT_FALSE(reg.SetString(kUser, "New\\Key", "v", std::string(200, 'n')));
    EXPECT_FALSE(reg.SetString(kUser, "Bulk", "0", big + "more"));
    EXPECT_NE(reg.LastWriteError(), "");
    EXPECT_FALSE(reg.KeyExists(kUser, "New"));
    EXPECT_EQ(reg.GetString(kUser, "Bulk", "0"), big);
    ASSERT_TRUE(reg.DeleteValue(kUser, "Bulk", "filler"));
    EXPECT_EQ(CRegistry(m_file).GetString(kUser, "Bulk", "0"), big);
}

class RegistryDamage : public RegistryBase, public testing::WithParamInterface<std::string> {};

TEST_P(RegistryDamage, StartsEmptyReportsOnceAndKeepsTheDamagedBytes) {
    WriteBytes(m_file, GetParam());
    testing::internal::CaptureStderr();
    CRegistry reg(m_file);
    EXPECT_TRUE(reg.SubKeys(kUser, "").empty());
    EXPECT_TRUE(reg.SubKeys(kClasses, "").empty());
    EXPECT_NE(reg.LoadError().find(m_file.string()), std::string::npos);
    ASSERT_TRUE(reg.SetDword(kUser, "K", "a", 1));
    ASSERT_TRUE(reg.SetDword(kUser, "K", "b", 2));
    EXPECT_EQ(Count(testing::internal::GetCapturedStderr(), "is damaged"), 1u);

    EXPECT_EQ(ReadBytes(m_file.string() + ".damaged"), GetParam());
    const CRegistry reopened(m_file);
    EXPECT_EQ(reopened.LoadError(), "");
    EXPECT_EQ(reopened.GetDword(kUser, "K", "b"), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RegistryDamage,
    testing::Values("", "REGEDIT5\n", "REGEDIT4\n\"a\"=\"outside\"\n",
                    "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=\"bad \\q escape\"\n",
                    "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=hex(1):41,4",
                    "REGEDIT4\n[HKEY_CURRENT_USER\\K]\n\"a\"=dword:fffffffff\n",
                    "REGEDIT4\n[HKEY_USERS\\K]\n",
                    "\x7f"
                    "ELF\0\0\xff\n[\n"s));

TEST_F(Registry, AnOlderDamagedCopyIsNotOverwritten) {
    WriteBytes(m_file.string() + ".damaged", "first");
    WriteBytes(m_file, "second");
    testing::internal::CaptureStderr();
    CRegistry reg(m_file);
    ASSERT_TRUE(reg.CreateKey(kUser, "K"));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadBytes(m_file.string() + ".damaged"), "first");
    EXPECT_EQ(ReadBytes(m_file.string() + ".damaged.2"), "second");
}

TEST_F(Registry, DefaultPathFollowsXdgConfigHome) {
    struct EnvRestorer {
        std::optional<std::string> xdg, home;
        ~EnvRestorer() {
            xdg ? ::setenv("XDG_CONFIG_HOME", xdg->c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
            home ? ::setenv("HOME", home->c_str(), 1) : ::unsetenv("HOME");
        }
    };
    auto get = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const EnvRestorer restore{get("XDG_CONFIG_HOME"), get("HOME")};

    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "/elsewhere/config", 1);
    EXPECT_EQ(CRegistry::DefaultPath(), "/elsewhere/config/vestrial/registry.reg");
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(CRegistry::DefaultPath(), "/home/someone/.config/vestrial/registry.reg");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(CRegistry::DefaultPath(), "/home/someone/.config/vestrial/registry.reg");
    ::unsetenv("HOME");
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir) {
        EXPECT_EQ(CRegistry::DefaultPath(),
                  fs::path(entry->pw_dir) / ".config" / "vestrial" / "registry.reg");
    }
}

TEST_F(Registry, ConcurrentWritersAllLand) {
    constexpr int kThreads = 4;
    constexpr int kWrites = 20;
    CRegistry reg(m_file);
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string key = "Thread" + std::to_string(t);
            for (int i = 0; i < kWrites; ++i) {
                if (!reg.SetDword(kUser, key, "n" + std::to_string(i), uint32_t(i)) ||
                    reg.GetDword(kUser, key, "n" + std::to_string(i)) != uint32_t(i)) {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, 0);
    const CRegistry reopened(m_file);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(reopened.ValueNames(kUser, "Thread" + std::to_string(t)).size(), size_t(kWrites));
    }
}
