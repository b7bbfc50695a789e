#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"

#include <atomic>
#include <new>
#include <vector>

namespace {

// Answered only by the points made here, so that the firing functions can
// tell them from anybody else's.
VST_DEFINE_GUID(IID_VstConnectionPoint, 0xE4B34070, 0x1095, 0x4396, 0xBB, 0xCB, 0x19, 0x5D, 0x7A,
                0x4B, 0x28, 0x6E);

// A connection point of one interface. Sinks are called on the thread that
// fires; a control fires on the UI thread, as it is called there.
class CConnectionPoint final : public IConnectionPoint {
public:
    CConnectionPoint(IConnectionPointContainer* container, const IID& iid)
        : m_container(container), m_iid(iid) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IConnectionPoint ||
            riid == IID_VstConnectionPoint) {
            *object = static_cast<IConnectionPoint*>(this);
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

    HRESULT GetConnectionInterface(IID* iid) override {
        if (!iid)
            return E_POINTER;
        *iid = m_iid;
        return S_OK;
    }
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (!container)
            return E_POINTER;
        *container = m_container;
        if (m_container)
            m_container->AddRef();
        return m_container ? S_OK : E_FAIL;
    }
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie)
            return E_POINTER;
        *cookie = 0;
        ComPtr<IUnknown> wanted;
        if (FAILED(sink->QueryInterface(m_iid, wanted.ReceiveVoid())) || !wanted)
            return CONNECT_E_CANNOTCONNECT;
        *cookie = ++m_lastCookie;
        m_sinks.push_back({*cookie, std::move(wanted)});
        return S_OK;
    }
    HRESULT Unadvise(DWORD cookie) override {
        for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
            if (it->cookie == cookie) {
                m_sinks.erase(it);
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }

    // A copy: a sink may connect or disconnect while it is being called.
    std::vector<ComPtr<IUnknown>> Sinks() const {
        std::vector<ComPtr<IUnknown>> sinks;
        for (const Connection& connection : m_sinks)
            sinks.push_back(connection.sink);
        return sinks;
    }
    const IID& Iid() const { return m_iid; }
    UINT Count() const { return static_cast<UINT>(m_sinks.size()); }

private:
    ~CConnectionPoint() = default;

    struct Connection {
        DWORD cookie;
        ComPtr<IUnknown> sink; // holds the interface m_iid, stored as IUnknown
    };

    std::atomic<ULONG> m_references{1};
    IConnectionPointContainer* m_container; // not owned: it owns this point
    IID m_iid;
    DWORD m_lastCookie = 0;
    std::vector<Connection> m_sinks;
};

CConnectionPoint* OurPoint(IConnectionPoint* point) {
    if (!point)
        return nullptr;
    void* ours = nullptr;
    if (FAILED(point->QueryInterface(IID_VstConnectionPoint, &ours)) || !ours)
        return nullptr;
    auto* found = static_cast<CConnectionPoint*>(static_cast<IConnectionPoint*>(ours));
    found->Release(); // the caller holds a reference to the point already
    return found;
}

} // namespace

HRESULT VstCreateConnectionPoint(IConnectionPointContainer* container, REFIID iid,
                                 IConnectionPoint** point) {
    if (!point)
        return E_POINTER;
    *point = new (std::nothrow) CConnectionPoint(container, iid);
    return *point ? S_OK : E_OUTOFMEMORY;
}

HRESULT VstFireEvent(IConnectionPoint* point, DISPID id, DISPPARAMS* params) {
    CConnectionPoint* ours = OurPoint(point);
    if (!ours)
        return E_INVALIDARG;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (const ComPtr<IUnknown>& sink : ours->Sinks()) {
        // A sink of a dispatch interface answers its interface id with an
        // IDispatch.
        auto* dispatch = reinterpret_cast<IDispatch*>(sink.Get());
        (void)dispatch->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, params ? params : &none, nullptr,
                               nullptr, nullptr);
    }
    return S_OK;
}

HRESULT VstFireOnChanged(IConnectionPoint* point, DISPID id) {
    CConnectionPoint* ours = OurPoint(point);
    if (!ours || ours->Iid() != IID_IPropertyNotifySink)
        return E_INVALIDARG;
    for (const ComPtr<IUnknown>& sink : ours->Sinks())
        (void)reinterpret_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
    return S_OK;
}

HRESULT VstFireOnRequestEdit(IConnectionPoint* point, DISPID id) {
    CConnectionPoint* ours = OurPoint(point);
    if (!ours || ours->Iid() != IID_IPropertyNotifySink)
        return E_INVALIDARG;
    for (const ComPtr<IUnknown>& sink : ours->Sinks())
        if (reinterpret_cast<IPropertyNotifySink*>(sink.Get())->OnRequestEdit(id) != S_OK)
            return S_FALSE;
    return S_OK;
}

UINT VstConnectionCount(IConnectionPoint* point) {
    CConnectionPoint* ours = OurPoint(point);
    return ours ? ours->Count() : 0;
}
