#include "platform/com/ComFont.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComStorage.h"

#include "OpfWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kClassText = "{BA276F7D-C61B-4F72-873A-E3FA6891A173}";

ComPtr<IStorage> OpenBytes(std::vector<uint8_t> bytes, HRESULT* result = nullptr) {
    ComPtr<ILockBytes> lockBytes;
    EXPECT_EQ(CreateLockBytesOnMemory(std::move(bytes), lockBytes.Receive()), S_OK);
    ComPtr<IStorage> root;
    HRESULT hr = StgOpenStorageOnILockBytes(lockBytes.Get(), STGM_READ, root.Receive());
    if (result)
        *result = hr;
    return root;
}

ComPtr<IStorage> OpenFile(const COpfContents& contents) {
    std::string error;
    auto bytes = WriteObjectPropertyFile(contents, error);
    EXPECT_TRUE(bytes) << error;
    return bytes ? OpenBytes(*bytes) : nullptr;
}

std::string ReadAll(IStream* stream) {
    std::string text;
    char buffer[7]; // small, so that reads take several calls
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0)
        text.append(buffer, read);
    return text;
}

TEST(ComStorage, LockBytesReadUpToTheirEnd) {
    ComPtr<ILockBytes> lockBytes;
    ASSERT_EQ(CreateLockBytesOnMemory({1, 2, 3, 4}, lockBytes.Receive()), S_OK);
    uint8_t buffer[8] = {};
    ULONG read = 0;
    ASSERT_EQ(lockBytes->ReadAt(2, buffer, 8, &read), S_OK);
    EXPECT_EQ(read, 2u);
    EXPECT_EQ(buffer[0], 3);
    ASSERT_EQ(lockBytes->ReadAt(4, buffer, 8, &read), S_OK);
    EXPECT_EQ(read, 0u);
    STATSTG stat{};
    ASSERT_EQ(lockBytes->Stat(&stat), S_OK);
    EXPECT_EQ(stat.cbSize, 4u);
}

TEST(ComStorage, StreamsAndStoragesAreFoundWithoutRegardToCase) {
    COpfContents contents;
    contents.classId = kClassText;
    contents.companyName = "Vestrial";
    contents.properties = {{"Caption", "Hello, page"}};
    ComPtr<IStorage> root = OpenFile(contents);
    ASSERT_TRUE(root);
    ComPtr<IStorage> header;
    ASSERT_EQ(root->OpenStorage("HEADER SECTION", STGM_READ, header.Receive()), S_OK);
    ComPtr<IStream> company;
    ASSERT_EQ(header->OpenStream("company name", STGM_READ, company.Receive()), S_OK);
    EXPECT_EQ(ReadAll(company.Get()), std::string("Vestrial\0", 9));

    ComPtr<IStorage> properties;
    ASSERT_EQ(root->OpenStorage("Object Property Section", STGM_READ, properties.Receive()), S_OK);
    CLSID clsid{};
    ASSERT_EQ(ReadClassStg(properties.Get(), &clsid), S_OK);
    char text[39];
    StringFromGUID2(clsid, text, sizeof text);
    EXPECT_STREQ(text, kClassText);

    // A storage is not a stream, nor a stream a storage.
    ComPtr<IStream> notStream;
    EXPECT_EQ(root->OpenStream("Header Section", STGM_READ, notStream.Receive()),
              STG_E_FILENOTFOUND);
    ComPtr<IStorage> notStorage;
    EXPECT_EQ(header->OpenStorage("Company Name", STGM_READ, notStorage.Receive()),
              STG_E_FILENOTFOUND);
    EXPECT_EQ(header->OpenStream("Company Nam", STGM_READ, notStream.Receive()),
              STG_E_FILENOTFOUND);
}

TEST(ComStorage, StreamsSeekAndTellTheirSize) {
    COpfContents contents;
    contents.classId = kClassText;
    contents.properties = {{"Data", "0123456789"}};
    ComPtr<IStorage> root = OpenFile(contents);
    ASSERT_TRUE(root);
    ComPtr<IStorage> section;
    ASSERT_EQ(root->OpenStorage("Object Property Section", STGM_READ, section.Receive()), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(section->OpenStream("Data", STGM_READ, stream.Receive()), S_OK);
    STATSTG stat{};
    ASSERT_EQ(stream->Stat(&stat), S_OK);
    EXPECT_EQ(stat.cbSize, 10u);
    uint64_t position = 0;
    ASSERT_EQ(stream->Seek(-3, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 7u);
    EXPECT_EQ(ReadAll(stream.Get()), "789");
    EXPECT_EQ(stream->Seek(11, STREAM_SEEK_SET, &position), STG_E_INVALIDFUNCTION);
    ASSERT_EQ(stream->Seek(10, STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(ReadAll(stream.Get()), "");
}

TEST(ComStorage, BytesThatAreNoCompoundFileAreRefused) {
    HRESULT hr = S_OK;
    EXPECT_FALSE(OpenBytes(std::vector<uint8_t>(511, 0), &hr));
    EXPECT_EQ(hr, STG_E_INVALIDHEADER);
    EXPECT_FALSE(OpenBytes(std::vector<uint8_t>(512, 0), &hr));
    EXPECT_EQ(hr, STG_E_INVALIDHEADER);
    std::vector<uint8_t> html(4096, ' ');
    std::string page = "<html><body>not a compound file</body></html>";
    std::copy(page.begin(), page.end(), html.begin());
    EXPECT_FALSE(OpenBytes(html, &hr));
    EXPECT_EQ(hr, STG_E_INVALIDHEADER);
}

TEST(ComStorage, AStorageOutlivesItsRootAndTheLockBytes) {
    COpfContents contents;
    contents.classId = kClassText;
    contents.properties = {{"Caption", "still here"}};
    ComPtr<IStream> stream;
    {
        ComPtr<IStorage> root = OpenFile(contents);
        ASSERT_TRUE(root);
        ComPtr<IStorage> section;
        ASSERT_EQ(root->OpenStorage("Object Property Section", STGM_READ, section.Receive()), S_OK);
        ASSERT_EQ(section->OpenStream("Caption", STGM_READ, stream.Receive()), S_OK);
    }
    EXPECT_EQ(ReadAll(stream.Get()), "still here");
}

TEST(ComFont, AnswersItsPropertiesThroughDispatch) {
    CFontDescription description{.name = "MS Sans Serif", .size = {80000}, .weight = 700};
    ComPtr<IDispatch> font;
    ASSERT_EQ(OleCreateFontIndirect(description, IID_IFontDisp, font.ReceiveVoid()), S_OK);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    CVariant name;
    ASSERT_EQ(font->Invoke(DISPID_FONT_NAME, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, name.Get(),
                           nullptr, nullptr),
              S_OK);
    EXPECT_EQ(name.Text(), "MS Sans Serif");
    CVariant size;
    ASSERT_EQ(font->Invoke(DISPID_FONT_SIZE, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, size.Get(),
                           nullptr, nullptr),
              S_OK);
    EXPECT_EQ(size.Type(), VT_CY);
    EXPECT_EQ(size.Get()->cyVal.int64, 80000);
    CVariant bold;
    ASSERT_EQ(font->Invoke(DISPID_FONT_BOLD, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, bold.Get(),
                           nullptr, nullptr),
              S_OK);
    EXPECT_EQ(bold.Get()->boolVal, VARIANT_TRUE);
    EXPECT_EQ(font->Invoke(DISPID_FONT_NAME, GUID_NULL, 0, DISPATCH_PROPERTYPUT, &none, nullptr,
                           nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    auto asFont = font.As<IFont>(IID_IFont);
    ASSERT_TRUE(asFont);
    SHORT weight = 0;
    ASSERT_EQ(asFont->get_Weight(&weight), S_OK);
    EXPECT_EQ(weight, 700);
    LPOLESTR names[] = {const_cast<LPOLESTR>("name")};
    DISPID id = 99;
    ASSERT_EQ(font->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, DISPID_FONT_NAME);
}

TEST(ComFont, BoldFromWeightSixHundred) {
    for (auto [weight, bold] : {std::pair{599, false}, std::pair{600, true}}) {
        ComPtr<IFont> font;
        CFontDescription description{.name = "x", .weight = static_cast<SHORT>(weight)};
        ASSERT_EQ(OleCreateFontIndirect(description, IID_IFont, font.ReceiveVoid()), S_OK);
        BOOL answer = -1;
        ASSERT_EQ(font->get_Bold(&answer), S_OK);
        EXPECT_EQ(answer != 0, bold) << weight;
    }
}

} // namespace
