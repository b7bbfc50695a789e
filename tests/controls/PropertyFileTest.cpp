#include "controls/CObjectPropertyFile.h"
#include "controls/CPropertyFileReader.h"
#include "platform/com/ComStorage.h"
#include "support/TempDir.h"

#include "OpfWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kClassText = "{C43C3C6E-B18F-493A-9D35-0626E980DD69}";

std::vector<uint8_t> Bytes(const COpfContents& contents) {
    std::string error;
    auto bytes = WriteObjectPropertyFile(contents, error);
    EXPECT_TRUE(bytes) << error;
    return bytes.value_or(std::vector<uint8_t>{});
}

COpfContents FullFile() {
    COpfContents contents;
    contents.classId = kClassText;
    contents.browserVersion = "1.0";
    contents.companyName = "Vestrial";
    contents.fileDescription = "A clock";
    contents.legalCopyright = "(c) nobody";
    contents.legalTrademarks = "none";
    contents.productName = "Clock";
    contents.productVersion = "1.2.3";
    contents.filenameUrl = "clock.ocx";
    contents.licenseUrl = "license.html";
    contents.width = "200";
    contents.height = "40";
    contents.isCompressed = "TRUE";
    contents.properties = {{"Caption", "It is"}};
    return contents;
}

// The reader over bytes; false when it refuses them.
bool Read(const std::vector<uint8_t>& bytes, CPropertyFileContents& contents) {
    ComPtr<ILockBytes> lockBytes;
    EXPECT_EQ(CreateLockBytesOnMemory(bytes, lockBytes.Receive()), S_OK);
    return ReadObjectPropertyFile(lockBytes.Get(), contents);
}

TEST(PropertyFile, ReadsEveryDescriptionField) {
    CPropertyFileContents read;
    ASSERT_TRUE(Read(Bytes(FullFile()), read));
    const CControlDescription& d = read.description;
    EXPECT_EQ(d.browserVersion, "1.0");
    EXPECT_EQ(d.companyName, "Vestrial");
    EXPECT_EQ(d.fileDescription, "A clock");
    EXPECT_EQ(d.legalCopyright, "(c) nobody");
    EXPECT_EQ(d.legalTrademarks, "none");
    EXPECT_EQ(d.productName, "Clock");
    EXPECT_EQ(d.productVersion, "1.2.3");
    EXPECT_EQ(d.filenameUrl, "clock.ocx");
    EXPECT_EQ(d.licenseUrl, "license.html");
    EXPECT_EQ(d.classIdText, kClassText);
    EXPECT_EQ(d.classId.Data1, 0xC43C3C6Eu);
    EXPECT_TRUE(d.compressed);
    EXPECT_EQ(read.width, 200);
    EXPECT_EQ(read.height, 40);
}

TEST(PropertyFile, MissingStreamsGiveEmptyValues) {
    COpfContents contents;
    contents.classId = kClassText;
    CPropertyFileContents read;
    read.width = 5;
    ASSERT_TRUE(Read(Bytes(contents), read));
    const CControlDescription& d = read.description;
    for (const std::string* value :
         {&d.browserVersion, &d.companyName, &d.fileDescription, &d.legalCopyright,
          &d.legalTrademarks, &d.productName, &d.productVersion, &d.filenameUrl, &d.licenseUrl})
        EXPECT_EQ(*value, "");
    EXPECT_EQ(read.width, 0);
    EXPECT_EQ(read.height, 0);
    EXPECT_FALSE(d.compressed);
    EXPECT_EQ(d.classIdText, kClassText);
}

TEST(PropertyFile, CompressedOnlyForExactlyUpperCaseTrue) {
    for (auto [text, compressed] : std::vector<std::pair<std::string, bool>>{{"TRUE", true},
                                                                             {"true", false},
                                                                             {"True", false},
                                                                             {"TRUE ", false},
                                                                             {"TRU", false},
                                                                             {"", false}}) {
        COpfContents contents;
        contents.classId = kClassText;
        contents.isCompressed = text;
        CPropertyFileContents read;
        ASSERT_TRUE(Read(Bytes(contents), read));
        EXPECT_EQ(read.description.compressed, compressed) << "'" << text << "'";
    }
}

TEST(PropertyFile, DecimalsStopAtTheFirstNonDigit) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"120abc", 120},
        {"  \t-42", -42},
        {"+7", 7},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999999999999", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-2147483649", -2147483647 - 1},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseDecimal(text), value) << "'" << text << "'";
    COpfContents contents;
    contents.classId = kClassText;
    contents.width = "120abc";
    CPropertyFileContents read;
    ASSERT_TRUE(Read(Bytes(contents), read));
    EXPECT_EQ(read.width, 120);
}

TEST(PropertyFile, StreamsGiveAtMostTheirFirst256Bytes) {
    std::string exactly(kPropertyStreamLimit - 1, 'x'); // the writer adds the zero byte
    std::string longer(kPropertyStreamLimit, 'y');      // its zero byte is the 257th
    std::string muchLonger(kPropertyStreamLimit * 4, 'z');
    COpfContents contents;
    contents.classId = kClassText;
    contents.companyName = exactly;
    contents.productName = longer;
    contents.fileDescription = muchLonger;
    contents.licenseUrl = std::string("short\0hidden", 12);
    CPropertyFileContents read;
    ASSERT_TRUE(Read(Bytes(contents), read));
    EXPECT_EQ(read.description.companyName, exactly);
    EXPECT_EQ(read.description.productName, longer);
    EXPECT_EQ(read.description.fileDescription, std::string(kPropertyStreamLimit, 'z'));
    EXPECT_EQ(read.description.licenseUrl, "short");
}

TEST(PropertyFile, AFileWithoutItsSectionsFails) {
    CPropertyFileContents read;
    COpfContents noHeader = FullFile();
    noHeader.headerSection = false;
    EXPECT_FALSE(Read(Bytes(noHeader), read));
    COpfContents noProperties = FullFile();
    noProperties.propertySection = false;
    EXPECT_FALSE(Read(Bytes(noProperties), read));
    EXPECT_FALSE(Read(std::vector<uint8_t>(600, 'x'), read));
    EXPECT_FALSE(Read({}, read));
}

// The content object, fed as a worker feeds it.
Status Feed(CObjectPropertyFile& object, const std::vector<uint8_t>& bytes, size_t piece) {
    for (size_t at = 0; at < bytes.size(); at += piece) {
        size_t count = std::min(piece, bytes.size() - at);
        Status status = object.Write(reinterpret_cast<const char*>(bytes.data()) + at, count);
        if (status != Status::Continue)
            return status;
    }
    return object.EndOfData();
}

TEST(PropertyFileObject, IsAnImageOfTheFilesSizeOnceRead) {
    CObjectPropertyFile object("http://host/clock.opf", CObjectPropertyFile::ContentType);
    EXPECT_EQ(object.GetCaps(), 0xBu);
    EXPECT_FALSE(object.HasImage());
    EXPECT_FALSE(object.GetLockBytes());
    ASSERT_EQ(Feed(object, Bytes(FullFile()), 100), Status::Complete);
    EXPECT_TRUE(object.HasImage());
    int32_t width = 0;
    int32_t height = 0;
    object.GetImageSize(width, height);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 40);
    EXPECT_FALSE(object.NeedsBackground());
    EXPECT_EQ(object.GetDescription().productName, "Clock");
    EXPECT_TRUE(object.GetLockBytes());
    EXPECT_EQ(CObjectPropertyFile::GetTypeDisplayName(), "OLE Control");
}

TEST(PropertyFileObject, FailsForBadBytesAndForAFailedTransfer) {
    CObjectPropertyFile bad("http://host/a.opf", CObjectPropertyFile::ContentType);
    EXPECT_EQ(Feed(bad, std::vector<uint8_t>(1000, 'a'), 64), Status::Failed);
    EXPECT_FALSE(bad.HasImage());

    CObjectPropertyFile cut("http://host/b.opf", CObjectPropertyFile::ContentType);
    std::vector<uint8_t> bytes = Bytes(FullFile());
    ASSERT_EQ(cut.Write(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
              Status::Continue);
    cut.SetStatus(Status::Failed);
    EXPECT_EQ(cut.EndOfData(), Status::Failed);
    EXPECT_FALSE(cut.HasImage());
}

TEST(PropertyFileObject, HoldsAtMostItsSizeLimit) {
    CObjectPropertyFile object("http://host/big.opf", CObjectPropertyFile::ContentType);
    std::vector<char> block(CObjectPropertyFile::MaxFileSize - 1, 0);
    EXPECT_EQ(object.Write(block.data(), block.size()), Status::Continue);
    EXPECT_EQ(object.Write("a", 1), Status::Continue) << "exactly the limit";
    EXPECT_EQ(object.Write("b", 1), Status::Failed) << "one over";
}

TEST(PropertyFileObject, TheTypeRowAcceptsParametersAndAnyCase) {
    ContentTypeRegistration row = RegisterObjectPropertyFileType();
    for (auto [type, found] : std::vector<std::pair<std::string, bool>>{
             {"application/x-object-property-file", true},
             {"Application/X-Object-Property-File; charset=x", true},
             {"application/x-object-property-filex", true},
             {"application/x-object-property-fil", false},
             {"text/html", false}}) {
        const ContentTypeEntry* entry = FindContentType(type, Caps::InlineImage | Caps::Embeddable);
        EXPECT_EQ(entry != nullptr, found) << type;
        if (entry) {
            EXPECT_EQ(entry->caps, 0xBu);
        }
    }
}

// Debian's python3-olefile, an independent reader, sees what the writer
// wrote.
TEST(PropertyFileWriter, OutputReadsBackWithOlefile) {
    if (std::system("/usr/bin/python3 -c 'import olefile' 2>/dev/null") != 0)
        GTEST_SKIP() << "Debian's python3-olefile is not installed";
    TempDir dir;
    std::string path = (dir.Path() / "full.opf").string();
    std::vector<uint8_t> bytes = Bytes(FullFile());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::string script = "import olefile, sys\n"
                         "o = olefile.OleFileIO(sys.argv[1])\n"
                         "for entry in sorted(o.listdir(streams=True, storages=True)):\n"
                         "    name = '/'.join(entry)\n"
                         "    if o.get_type(entry) == olefile.STGTY_STREAM:\n"
                         "        print(name, repr(o.openstream(entry).read()))\n"
                         "    else:\n"
                         "        print(name, o.getclsid(entry))\n";
    std::string scriptPath = (dir.Path() / "read.py").string();
    std::ofstream(scriptPath) << script;
    std::string command = "/usr/bin/python3 " + scriptPath + " " + path;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    ASSERT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output, "Browser Version b'1.0\\x00'\n"
                      "Header Section \n"
                      "Header Section/Company Name b'Vestrial\\x00'\n"
                      "Header Section/File Description b'A clock\\x00'\n"
                      "Header Section/Filename Url b'clock.ocx\\x00'\n"
                      "Header Section/Height b'40\\x00'\n"
                      "Header Section/IsCompressed b'TRUE\\x00'\n"
                      "Header Section/Legal Copyright b'(c) nobody\\x00'\n"
                      "Header Section/Legal Trademarks b'none\\x00'\n"
                      "Header Section/License Url b'license.html\\x00'\n"
                      "Header Section/Product Name b'Clock\\x00'\n"
                      "Header Section/Product Version b'1.2.3\\x00'\n"
                      "Header Section/Width b'200\\x00'\n"
                      "Object Property Section C43C3C6E-B18F-493A-9D35-0626E980DD69\n"
                      "Object Property Section/Caption b'It is'\n");
}

} // namespace
