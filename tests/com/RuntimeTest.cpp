#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

TEST(ComStrings, CountedStringsKeepTheirLengthAndEndInZero) {
    CBstr text = CBstr::Adopt(SysAllocStringLen("a\0b", 3));
    ASSERT_NE(text.Get(), nullptr);
    EXPECT_EQ(SysStringLen(text.Get()), 3u);
    EXPECT_EQ(text.Str(), std::string("a\0b", 3));
    EXPECT_EQ(text.Get()[3], '\0');
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    CBstr zeroed = CBstr::Adopt(SysAllocStringLen(nullptr, 4));
    EXPECT_EQ(std::string(zeroed.Get(), 4), std::string(4, '\0'));
    CBstr room = CBstr::Adopt(VstAllocStringCapacity(32));
    EXPECT_EQ(SysStringLen(room.Get()), 0u);
    EXPECT_EQ(std::memcmp(room.Get(), std::string(33, '\0').data(), 33), 0);
    SysFreeString(nullptr);
}

TEST(ComStrings, GuidTextRoundTrips) {
    const GUID guid = {
        0x0A1B2C3D, 0x4E5F, 0x0607, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0xF7}};
    char text[39];
    EXPECT_EQ(StringFromGUID2(guid, text, 38), 0) << "one byte short of the zero";
    ASSERT_EQ(StringFromGUID2(guid, text, 39), 39);
    EXPECT_STREQ(text, "{0A1B2C3D-4E5F-0607-8091-A2B3C4D5E6F7}");
    CLSID back{};
    ASSERT_EQ(CLSIDFromString("{0a1b2c3d-4e5f-0607-8091-a2b3c4d5e6f7}", &back), S_OK);
    EXPECT_TRUE(IsEqualGUID(back, guid));
}

TEST(ComStrings, MalformedGuidTextIsRefused) {
    for (const char* text : {
             "{0A1B2C3D-4E5F-0607-8091-A2B3C4D5E6F}",   // a digit short
             "{0A1B2C3D-4E5F-0607-8091-A2B3C4D5E6F70}", // a digit long
             "0A1B2C3D-4E5F-0607-8091-A2B3C4D5E6F7",    // no braces
             "{0A1B2C3D-4E5F-0607-8091-A2B3C4D5E6F7}x", // trailing text
             "{0A1B2C3D-4E5F-0607-80910A2B3C4D5E6F7}",  // a separator missing
             "{0A1B2C3G-4E5F-0607-8091-A2B3C4D5E6F7}",  // not hexadecimal
             "",
         }) {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromString(text, &clsid), E_INVALIDARG) << text;
    }
}

struct Conversion {
    CVariant source;
    VARTYPE type;
    HRESULT expected;
    std::string text = {}; // for VT_BSTR results
    int32_t number = 0;    // for numbers and booleans
};

TEST(ComVariants, ConversionsStopAtTheLimitsOfEachType) {
    const std::vector<Conversion> cases = {
        {CVariant::I4(32767), VT_I2, S_OK, "", 32767},
        {CVariant::I4(32768), VT_I2, DISP_E_OVERFLOW},
        {CVariant::I4(-32768), VT_I2, S_OK, "", -32768},
        {CVariant::I4(-32769), VT_I2, DISP_E_OVERFLOW},
        {CVariant::I4(255), VT_UI1, S_OK, "", 255},
        {CVariant::I4(256), VT_UI1, DISP_E_OVERFLOW},
        {CVariant::I4(-1), VT_UI1, DISP_E_OVERFLOW},
        {CVariant::String("2147483647"), VT_I4, S_OK, "", 2147483647},
        {CVariant::String("2147483648"), VT_I4, DISP_E_OVERFLOW},
        {CVariant::String("12x"), VT_I4, DISP_E_TYPEMISMATCH},
        {CVariant::String(""), VT_I4, DISP_E_TYPEMISMATCH},
        {CVariant::String("TRUE"), VT_BOOL, S_OK, "", VARIANT_TRUE},
        {CVariant::String("false"), VT_BOOL, S_OK, "", VARIANT_FALSE},
        {CVariant::String("0"), VT_BOOL, S_OK, "", VARIANT_FALSE},
        {CVariant::I2(2), VT_BOOL, S_OK, "", VARIANT_TRUE},
        {CVariant::Bool(true), VT_BSTR, S_OK, "True"},
        {CVariant::I4(-7), VT_BSTR, S_OK, "-7"},
        {CVariant::Dispatch(nullptr), VT_I4, DISP_E_TYPEMISMATCH},
        {CVariant(), VT_I4, S_OK, "", 0},
    };
    for (const Conversion& c : cases) {
        CVariant result;
        HRESULT hr = VariantChangeType(result.Get(), c.source.Get(), 0, c.type);
        EXPECT_EQ(hr, c.expected) << "from type " << c.source.Type() << " to " << c.type;
        if (FAILED(hr))
            continue;
        ASSERT_EQ(result.Type(), c.type);
        if (c.type == VT_BSTR)
            EXPECT_EQ(result.Text(), c.text);
        else if (c.type == VT_BOOL)
            EXPECT_EQ(result.Get()->boolVal, c.number);
        else if (c.type == VT_I2)
            EXPECT_EQ(result.Get()->iVal, c.number);
        else if (c.type == VT_UI1)
            EXPECT_EQ(result.Get()->bVal, c.number);
        else
            EXPECT_EQ(result.Get()->lVal, c.number);
    }
}

TEST(ComVariants, ConvertingInPlaceFreesTheOldString) {
    CVariant value = CVariant::String("41");
    ASSERT_EQ(VariantChangeType(value.Get(), value.Get(), 0, VT_I4), S_OK);
    EXPECT_EQ(value.Type(), VT_I4);
    EXPECT_EQ(value.Get()->lVal, 41);
}

// An object that counts its references, for the variant and the points.
class CCounted final : public IDispatch, public IPropertyNotifySink {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IPropertyNotifySink && answersNotify)
            *object = static_cast<IPropertyNotifySink*>(this);
        else if (riid == IID_IUnknown || riid == IID_IDispatch || riid == eventIid)
            *object = static_cast<IDispatch*>(this);
        else
            return *object = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        invoked.push_back(id);
        arguments = params ? params->cArgs : 0;
        if (onInvoke)
            onInvoke();
        return S_OK;
    }
    HRESULT OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT OnRequestEdit(DISPID) override { return refuseEdits ? S_FALSE : S_OK; }

    ULONG references = 1;
    IID eventIid = GUID_NULL;
    bool answersNotify = true;
    bool refuseEdits = false;
    std::vector<DISPID> invoked;
    std::vector<DISPID> changed;
    UINT arguments = 0;
    std::function<void()> onInvoke;
};

TEST(ComVariants, CopiesHoldTheirOwnReference) {
    CCounted object;
    {
        CVariant first = CVariant::Dispatch(&object);
        CVariant second = first;
        EXPECT_EQ(object.references, 3u);
    }
    EXPECT_EQ(object.references, 1u);
}

constexpr IID kEvents = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 6, 6, 7, 7}};

TEST(ComConnectionPoints, SinksAreCalledUntilTheyDisconnect) {
    CCounted first;
    CCounted second;
    first.eventIid = second.eventIid = kEvents;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(VstCreateConnectionPoint(nullptr, kEvents, point.Receive()), S_OK);
    DWORD firstCookie = 0;
    DWORD secondCookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(&first), &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(&second), &secondCookie), S_OK);
    EXPECT_NE(firstCookie, secondCookie);
    EXPECT_EQ(VstConnectionCount(point.Get()), 2u);

    // A sink that disconnects the other while being called: the other is
    // still called this time, and never again.
    first.onInvoke = [&] { (void)point->Unadvise(secondCookie); };
    CVariant argument = CVariant::I4(5);
    DISPPARAMS params{argument.Get(), nullptr, 1, 0};
    ASSERT_EQ(VstFireEvent(point.Get(), 7, &params), S_OK);
    ASSERT_EQ(VstFireEvent(point.Get(), 8, nullptr), S_OK);
    EXPECT_EQ(first.invoked, (std::vector<DISPID>{7, 8}));
    EXPECT_EQ(second.invoked, (std::vector<DISPID>{7}));
    EXPECT_EQ(first.arguments, 0u);

    EXPECT_EQ(point->Unadvise(secondCookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(firstCookie), S_OK);
    EXPECT_EQ(first.references, 1u);
    EXPECT_EQ(second.references, 1u);
}

TEST(ComConnectionPoints, ASinkWithoutTheInterfaceCannotConnect) {
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(VstCreateConnectionPoint(nullptr, IID_IPropertyNotifySink, point.Receive()), S_OK);
    CCounted sink;
    sink.answersNotify = false;
    DWORD cookie = 99;
    EXPECT_EQ(point->Advise(static_cast<IDispatch*>(&sink), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(VstConnectionCount(point.Get()), 0u);
}

TEST(ComConnectionPoints, PropertyNotificationsReachEverySink) {
    // The sinks outlive the point, which holds references to them.
    CCounted allows;
    CCounted refuses;
    refuses.refuseEdits = true;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(VstCreateConnectionPoint(nullptr, IID_IPropertyNotifySink, point.Receive()), S_OK);
    DWORD cookie;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(&allows), &cookie), S_OK);
    EXPECT_EQ(VstFireOnRequestEdit(point.Get(), 3), S_OK);
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(&refuses), &cookie), S_OK);
    EXPECT_EQ(VstFireOnRequestEdit(point.Get(), 3), S_FALSE);
    ASSERT_EQ(VstFireOnChanged(point.Get(), 4), S_OK);
    EXPECT_EQ(allows.changed, (std::vector<DISPID>{4}));
    EXPECT_EQ(refuses.changed, (std::vector<DISPID>{4}));
    // Events go only through event points, notifications only through these.
    EXPECT_EQ(VstFireOnChanged(nullptr, 4), E_INVALIDARG);
}

TEST(ComTypeInfo, DescribesMembersAndTheirNames) {
    const LPCOLESTR params[] = {"FileName", "Address"};
    const VSTMEMBER members[] = {
        {"Caption", 1, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
        {"ReadFile", 2, VSTMEMBER_METHOD, VT_EMPTY, 2, params},
        {"Start", 3, VSTMEMBER_METHOD, VT_EMPTY, 0, nullptr},
    };
    VSTINTERFACE description{kEvents, members, 3};
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(VstCreateDispatchTypeInfo(&description, info.Receive()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attr->cFuncs, 2);
    EXPECT_EQ(attr->cVars, 1);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kEvents));
    info->ReleaseTypeAttr(attr);

    FUNCDESC* func = nullptr;
    ASSERT_EQ(info->GetFuncDesc(0, &func), S_OK);
    EXPECT_EQ(func->memid, 2);
    EXPECT_EQ(func->cParams, 2);
    EXPECT_EQ(func->funckind, FUNC_DISPATCH);
    EXPECT_EQ(info->GetFuncDesc(2, &func), TYPE_E_ELEMENTNOTFOUND);
    VARDESC* var = nullptr;
    ASSERT_EQ(info->GetVarDesc(0, &var), S_OK);
    EXPECT_EQ(var->varkind, VAR_DISPATCH);
    EXPECT_EQ(info->GetVarDesc(1, &var), TYPE_E_ELEMENTNOTFOUND);

    BSTR names[3] = {};
    UINT count = 0;
    ASSERT_EQ(info->GetNames(2, names, 2, &count), S_OK);
    ASSERT_EQ(count, 2u) << "no more than asked for";
    EXPECT_STREQ(names[0], "ReadFile");
    EXPECT_STREQ(names[1], "FileName");
    for (UINT i = 0; i < count; ++i)
        SysFreeString(names[i]);

    LPOLESTR wanted[] = {const_cast<LPOLESTR>("readfile"), const_cast<LPOLESTR>("ADDRESS")};
    MEMBERID ids[2];
    ASSERT_EQ(info->GetIDsOfNames(wanted, 2, ids), S_OK);
    EXPECT_EQ(ids[0], 2);
    EXPECT_EQ(ids[1], 1);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>("Stop")};
    EXPECT_EQ(info->GetIDsOfNames(unknown, 1, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
}

TEST(ComTypeInfo, AClassNamesItsInterfacesAndTheirFlags) {
    VSTINTERFACE events{kEvents, nullptr, 0};
    ComPtr<ITypeInfo> eventInfo;
    ASSERT_EQ(VstCreateDispatchTypeInfo(&events, eventInfo.Receive()), S_OK);
    const VSTIMPLTYPE implemented[] = {
        {eventInfo.Get(), IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
    ComPtr<ITypeInfo> classInfo;
    ASSERT_EQ(VstCreateClassTypeInfo(GUID_NULL, implemented, 1, classInfo.Receive()), S_OK);
    INT flags = 0;
    ASSERT_EQ(classInfo->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
    EXPECT_EQ(classInfo->GetImplTypeFlags(1, &flags), TYPE_E_ELEMENTNOTFOUND);
    HREFTYPE ref = 0;
    ASSERT_EQ(classInfo->GetRefTypeOfImplType(0, &ref), S_OK);
    ComPtr<ITypeInfo> back;
    ASSERT_EQ(classInfo->GetRefTypeInfo(ref, back.Receive()), S_OK);
    EXPECT_EQ(back.Get(), eventInfo.Get());
    const VSTIMPLTYPE missing[] = {{nullptr, 0}};
    EXPECT_EQ(VstCreateClassTypeInfo(GUID_NULL, missing, 1, classInfo.Receive()), E_INVALIDARG);
}

} // namespace
