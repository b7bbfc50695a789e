#include "document/CAmbientProperties.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Expected {
    DISPID id;
    const char* name;
    VARTYPE type;
    int32_t number; // booleans as VARIANT_TRUE/FALSE
    const char* typeName;
};

TEST(AmbientProperties, TheTablesHoldTheStandardValues) {
    CAmbientProperties ambients("/tmp/user/");
    const Expected expected[] = {
        {-709, "UserMode", VT_BOOL, VARIANT_TRUE, "Boolean (T/F)"},
        {-710, "UIDead", VT_BOOL, VARIANT_FALSE, "Boolean (T/F)"},
        {-712, "DisplayHatching", VT_BOOL, VARIANT_FALSE, "Boolean (T/F)"},
        {-711, "DisplayGrabHandles", VT_BOOL, VARIANT_FALSE, "Boolean (T/F)"},
        {-708, "TextAlign", VT_I2, 0, "2-Byte Integer"},
        {-701, "BackColor", VT_I4, 0xFFFFFF, "Color"},
        {-703, "Font", VT_DISPATCH, 0, "Font"},
        {-704, "ForeColor", VT_I4, 0, "Color"},
        {-707, "ScaleUnits", VT_BSTR, 0, "String"},
        {-702, "DisplayName", VT_BSTR, 0, "String"},
        {-705, "LocaleID", VT_I4, 0x0409, "4-Byte Integer"},
        {-706, "MessageReflect", VT_BOOL, VARIANT_FALSE, "Boolean (T/F)"},
        {-720, "UserDirectory", VT_BSTR, 0, "String"},
    };
    ASSERT_EQ(ambients.Standard().size() + ambients.Extended().size(), std::size(expected));
    for (const Expected& e : expected) {
        const CAmbientEntry* entry = ambients.Find(e.id);
        ASSERT_NE(entry, nullptr) << e.name;
        EXPECT_EQ(entry->name, e.name);
        EXPECT_STREQ(AmbientTypeName(entry->type), e.typeName) << e.name;
        EXPECT_EQ(ambients.IdOf(e.name), e.id);
        CVariant value;
        ASSERT_EQ(ambients.GetValue(e.id, value.Get()), S_OK) << e.name;
        ASSERT_EQ(value.Type(), e.type) << e.name;
        int32_t number = e.type == VT_BOOL ? value.Get()->boolVal
                         : e.type == VT_I2 ? value.Get()->iVal
                         : e.type == VT_I4 ? value.Get()->lVal
                                           : 0;
        EXPECT_EQ(number, e.number) << e.name;
    }
    EXPECT_EQ(ambients.Extended().size(), 1u) << "UserDirectory sits in the second table";
}

TEST(AmbientProperties, UserDirectoryAndFontAnswerTheirValues) {
    CAmbientProperties ambients("/tmp/user/");
    CVariant directory;
    ASSERT_EQ(ambients.GetValue(DISPID_AMBIENT_USERDIRECTORY, directory.Get()), S_OK);
    EXPECT_EQ(directory.Text(), "/tmp/user/");

    CVariant font;
    ASSERT_EQ(ambients.GetValue(DISPID_AMBIENT_FONT, font.Get()), S_OK);
    ASSERT_EQ(font.Type(), VT_DISPATCH);
    ComPtr<IFont> asFont = ComPtr<IDispatch>(font.Get()->pdispVal).As<IFont>(IID_IFont);
    ASSERT_TRUE(asFont);
    CBstr name;
    ASSERT_EQ(asFont->get_Name(name.Receive()), S_OK);
    EXPECT_EQ(name.Str(), "MS Sans Serif");
    CY size{};
    ASSERT_EQ(asFont->get_Size(&size), S_OK);
    EXPECT_EQ(size.int64, 80000) << "8 points";
    SHORT weight = 0;
    SHORT charset = -1;
    BOOL italic = 1;
    ASSERT_EQ(asFont->get_Weight(&weight), S_OK);
    ASSERT_EQ(asFont->get_Charset(&charset), S_OK);
    ASSERT_EQ(asFont->get_Italic(&italic), S_OK);
    EXPECT_EQ(weight, 700);
    EXPECT_EQ(charset, 0);
    EXPECT_EQ(italic, 0);
}

TEST(AmbientProperties, AnEmptyStringIsAFreshStringWithRoomFor32) {
    CAmbientProperties ambients("");
    for (DISPID id : {DISPID_AMBIENT_DISPLAYNAME, DISPID_AMBIENT_USERDIRECTORY}) {
        CVariant first;
        CVariant second;
        ASSERT_EQ(ambients.GetValue(id, first.Get()), S_OK);
        ASSERT_EQ(ambients.GetValue(id, second.Get()), S_OK);
        ASSERT_EQ(first.Type(), VT_BSTR);
        EXPECT_EQ(SysStringLen(first.Get()->bstrVal), 0u);
        EXPECT_NE(first.Get()->bstrVal, second.Get()->bstrVal) << "each answer its own";
        EXPECT_EQ(std::memcmp(first.Get()->bstrVal, std::string(33, '\0').data(), 33), 0);
    }
}

TEST(AmbientProperties, UnknownIdsAndNamesAreAbsent) {
    CAmbientProperties ambients("/x/");
    CVariant value;
    for (DISPID id : {-700, -713, -719, -721, 0, 1})
        EXPECT_EQ(ambients.GetValue(id, value.Get()), DISP_E_MEMBERNOTFOUND) << id;
    EXPECT_EQ(value.Type(), VT_EMPTY);
    EXPECT_EQ(ambients.IdOf("usermode"), -709) << "names match without regard to case";
    EXPECT_EQ(ambients.IdOf("UserMod"), DISPID_UNKNOWN);
    EXPECT_EQ(ambients.IdOf("UserModes"), DISPID_UNKNOWN);
    EXPECT_EQ(ambients.IdOf(""), DISPID_UNKNOWN);
}

} // namespace
