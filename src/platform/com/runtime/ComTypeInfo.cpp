#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"

#include <atomic>
#include <map>
#include <new>
#include <string>
#include <strings.h>
#include <utility>
#include <vector>

namespace {

// Type information made from tables: a dispatch interface's functions and
// variables, or a class's implemented interfaces. Nothing changes once it is
// made, so any thread may ask it.
class CTableTypeInfo final : public ITypeInfo {
public:
    CTableTypeInfo(const GUID& guid, TYPEKIND kind) {
        m_attr.guid = guid;
        m_attr.lcid = 0;
        m_attr.typekind = kind;
        m_attr.cFuncs = m_attr.cVars = m_attr.cImplTypes = m_attr.wTypeFlags = 0;
    }

    void AddMember(const VSTMEMBER& member) {
        std::vector<std::string> names{member.name};
        for (UINT i = 0; i < member.paramCount && member.paramNames; ++i)
            names.emplace_back(member.paramNames[i] ? member.paramNames[i] : "");
        m_names[member.dispid] = std::move(names);
        if (member.kind == VSTMEMBER_METHOD) {
            m_funcs.push_back({member.dispid, FUNC_DISPATCH, INVOKE_FUNC,
                               static_cast<SHORT>(member.paramCount), 0, member.type});
        } else {
            m_vars.push_back({member.dispid, VAR_DISPATCH, member.type, 0});
        }
        m_attr.cFuncs = static_cast<WORD>(m_funcs.size());
        m_attr.cVars = static_cast<WORD>(m_vars.size());
    }

    void AddImplemented(ITypeInfo* info, INT flags) {
        m_implemented.emplace_back(ComPtr<ITypeInfo>(info), flags);
        m_attr.cImplTypes = static_cast<WORD>(m_implemented.size());
    }

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_ITypeInfo) {
            *object = static_cast<ITypeInfo*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_references; }
    ULONG Release() override {
        ULONG left = --m_references;
        // The reference-counting core owns the object: it goes with its last
        // reference.
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT GetTypeAttr(TYPEATTR** attr) override {
        if (!attr)
            return E_POINTER;
        *attr = &m_attr;
        return S_OK;
    }
    HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) override {
        if (!desc)
            return E_POINTER;
        if (index >= m_funcs.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *desc = &m_funcs[index];
        return S_OK;
    }
    HRESULT GetVarDesc(UINT index, VARDESC** desc) override {
        if (!desc)
            return E_POINTER;
        if (index >= m_vars.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *desc = &m_vars[index];
        return S_OK;
    }
    HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) override {
        if (!names || !count)
            return E_POINTER;
        *count = 0;
        auto found = m_names.find(id);
        if (found == m_names.end())
            return TYPE_E_ELEMENTNOTFOUND;
        for (const std::string& name : found->second) {
            if (*count == maxNames)
                break;
            names[(*count)++] = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        }
        return S_OK;
    }
    HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) override {
        if (!ref)
            return E_POINTER;
        if (index >= m_implemented.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *ref = index;
        return S_OK;
    }
    HRESULT GetImplTypeFlags(UINT index, INT* flags) override {
        if (!flags)
            return E_POINTER;
        if (index >= m_implemented.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *flags = m_implemented[index].second;
        return S_OK;
    }
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override {
        if (!names || !ids)
            return E_POINTER;
        if (count == 0)
            return S_OK;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        for (const auto& [id, memberNames] : m_names) {
            // Names are compared as the dispatch interface compares them:
            // without regard to case.
            if (!names[0] || strcasecmp(memberNames[0].c_str(), names[0]) != 0)
                continue;
            ids[0] = id;
            bool all = true;
            for (UINT i = 1; i < count; ++i) {
                for (size_t p = 1; p < memberNames.size(); ++p)
                    if (names[i] && strcasecmp(memberNames[p].c_str(), names[i]) == 0)
                        ids[i] = static_cast<MEMBERID>(p - 1);
                all = all && ids[i] != DISPID_UNKNOWN;
            }
            return all ? S_OK : DISP_E_UNKNOWNNAME;
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) override {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (ref >= m_implemented.size())
            return TYPE_E_ELEMENTNOTFOUND;
        *info = m_implemented[ref].first.Get();
        (*info)->AddRef();
        return S_OK;
    }
    void ReleaseTypeAttr(TYPEATTR*) override {}
    void ReleaseFuncDesc(FUNCDESC*) override {}
    void ReleaseVarDesc(VARDESC*) override {}

private:
    ~CTableTypeInfo() = default;

    std::atomic<ULONG> m_references{1};
    TYPEATTR m_attr;
    std::vector<FUNCDESC> m_funcs;
    std::vector<VARDESC> m_vars;
    std::map<MEMBERID, std::vector<std::string>> m_names;
    std::vector<std::pair<ComPtr<ITypeInfo>, INT>> m_implemented;
};

// Counts in type attributes are 16 bits wide.
constexpr UINT kMaxEntries = 0xFFFF;

} // namespace

HRESULT VstCreateDispatchTypeInfo(const VSTINTERFACE* description, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (!description || (description->memberCount && !description->members) ||
        description->memberCount > kMaxEntries)
        return E_INVALIDARG;
    for (UINT i = 0; i < description->memberCount; ++i) {
        const VSTMEMBER& member = description->members[i];
        if (!member.name ||
            (member.kind != VSTMEMBER_METHOD && member.kind != VSTMEMBER_PROPERTY) ||
            member.paramCount > 0x7FFF)
            return E_INVALIDARG;
    }
    auto* made = new (std::nothrow) CTableTypeInfo(description->iid, TKIND_DISPATCH);
    if (!made)
        return E_OUTOFMEMORY;
    for (UINT i = 0; i < description->memberCount; ++i)
        made->AddMember(description->members[i]);
    *info = made;
    return S_OK;
}

HRESULT VstCreateClassTypeInfo(REFCLSID clsid, const VSTIMPLTYPE* implemented, UINT count,
                               ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if ((count && !implemented) || count > kMaxEntries)
        return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i)
        if (!implemented[i].info)
            return E_INVALIDARG;
    auto* made = new (std::nothrow) CTableTypeInfo(clsid, TKIND_COCLASS);
    if (!made)
        return E_OUTOFMEMORY;
    for (UINT i = 0; i < count; ++i)
        made->AddImplemented(implemented[i].info, implemented[i].flags);
    *info = made;
    return S_OK;
}
