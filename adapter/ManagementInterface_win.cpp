// WMI through its scripting objects, late-bound over COM: the locator
// "WbemScripting.SWbemLocator", ConnectServer(".", "root\cimv2"), ExecQuery for the IP-enabled
// Win32_NetworkAdapterConfiguration objects and their methods, all called through IDispatch.
#include <windows.h>
// COM and OLE Automation on top of the base API.
#include <objbase.h>
#include <oleauto.h>

#include <optional>
#include <utility>
#include <vector>

#include "adapter/ManagementInterface.h"
#include "common/WinText.h"

namespace {

// Owns one COM interface reference.
template <class T>
class Ref {
  public:
    Ref() = default;
    explicit Ref(T* p) : m_p(p) {}
    Ref(Ref&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    Ref& operator=(Ref&& o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() {
        if (m_p) m_p->Release();
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T** put() { return &m_p; }

  private:
    T* m_p = nullptr;
};

// A VARIANT cleared when it goes away.
struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    explicit Variant(const std::string& utf8) : Variant() {
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(wintext::WideFromUtf8(utf8).c_str());
    }
    static Variant Int(long value) {
        Variant r;
        r.v.vt = VT_I4;
        r.v.lVal = value;
        return r;
    }
    static Variant Null() {
        Variant r;
        r.v.vt = VT_NULL;
        return r;
    }
    // A script array (SAFEARRAY of VARIANT), the form a scripting client passes.
    static Variant Array(std::vector<Variant> items) {
        Variant r;
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
        if (!array) throw ManagementError("out of memory building an argument array");
        for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i)
            SafeArrayPutElement(array, &i, &items[static_cast<size_t>(i)].v);  // copies
        r.v.vt = VT_ARRAY | VT_VARIANT;
        r.v.parray = array;
        return r;
    }
    Variant(Variant&& o) noexcept : v(o.v) { o.v.vt = VT_EMPTY; }
    Variant& operator=(Variant&& o) noexcept {
        std::swap(v, o.v);
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v); }
};

[[noreturn]] void Fail(const std::string& what, HRESULT hr, EXCEPINFO* info = nullptr) {
    std::string message;
    if (info) {
        if (info->pfnDeferredFillIn) info->pfnDeferredFillIn(info);
        if (info->bstrDescription && *info->bstrDescription)
            message = wintext::Utf8FromWide(info->bstrDescription);
        const HRESULT inner = info->scode ? info->scode : static_cast<HRESULT>(info->wCode);
        if (message.empty() && inner) message = wintext::HResultMessage(inner);
        SysFreeString(info->bstrSource);
        SysFreeString(info->bstrDescription);
        SysFreeString(info->bstrHelpFile);
    }
    if (message.empty()) message = wintext::HResultMessage(hr);
    throw ManagementError(what + ": " + message);
}

// A property read as scripting clients make it (Wine's objects accept only this form).
constexpr WORD kPropertyGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// Calls a member by name; args in natural order. Throws ManagementError naming the member.
Variant Call(IDispatch* object, const wchar_t* name, WORD kind, std::vector<Variant> args = {}) {
    DISPID id = 0;
    auto* names = const_cast<LPOLESTR>(name);
    const std::string member = wintext::Utf8FromWide(name);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) Fail(member, hr);
    std::vector<VARIANT> reversed;  // IDispatch takes arguments last first
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->v);
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Variant result;
    EXCEPINFO info{};
    UINT badArg = 0;
    hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, &result.v, &info, &badArg);
    if (FAILED(hr)) Fail(member, hr, hr == DISP_E_EXCEPTION ? &info : nullptr);
    return result;
}

Ref<IDispatch> AsDispatch(Variant&& value, const char* what) {
    if (value.v.vt == VT_DISPATCH && value.v.pdispVal) {
        Ref<IDispatch> r(value.v.pdispVal);
        value.v.vt = VT_EMPTY;  // the reference moved into r
        return r;
    }
    throw ManagementError(std::string(what) + ": no object returned");
}

std::string AsText(Variant&& value) {
    if (value.v.vt == VT_NULL || value.v.vt == VT_EMPTY) return {};
    if (FAILED(VariantChangeType(&value.v, &value.v, 0, VT_BSTR)) || !value.v.bstrVal) return {};
    return wintext::Utf8FromWide(std::wstring(value.v.bstrVal, SysStringLen(value.v.bstrVal)));
}

// The documented return codes of the Win32_NetworkAdapterConfiguration methods.
std::string CodeText(std::uint32_t code) {
    switch (code) {
        case 0:
            return {};
        case 1:
            return "Successful completion, reboot required";
        case 64:
            return "Method not supported on this platform";
        case 65:
            return "Unknown failure";
        case 66:
            return "Invalid subnet mask";
        case 67:
            return "An error occurred while processing an instance that was returned";
        case 68:
            return "Invalid input parameter";
        case 69:
            return "More than five gateways specified";
        case 70:
            return "Invalid IP address";
        case 71:
            return "Invalid gateway IP address";
        case 72:
            return "An error occurred while accessing the registry for the requested information";
        case 80:
            return "Unable to configure TCP/IP service";
        case 81:
            return "Unable to configure DHCP service";
        case 84:
            return "IP not enabled on adapter";
        case 90:
            return "Parameter out of bounds";
        case 91:
            return "Access denied";
        case 92:
            return "Out of memory";
        case 94:
            return "Path, file or object not found";
        case 97:
            return "Interface not configurable";
        case 100:
            return "DHCP not enabled on adapter";
        default:
            return "Return code " + std::to_string(code);
    }
}

// One IP-enabled Win32_NetworkAdapterConfiguration object.
class WmiConfiguration final {
  public:
    explicit WmiConfiguration(Ref<IDispatch> object) : m_object(std::move(object)) {}

    std::string Description() { return AsText(Call(m_object.get(), L"Description", kPropertyGet)); }
    StepResult EnableStatic(const std::string& address, const std::string& mask) {
        std::vector<Variant> args;
        args.push_back(Texts({address}));
        args.push_back(Texts({mask}));
        return Method(L"EnableStatic", std::move(args));
    }
    StepResult SetGateways(const std::string& gateway, long metric) {
        std::vector<Variant> metrics;
        metrics.push_back(Variant::Int(metric));
        std::vector<Variant> args;
        args.push_back(Texts({gateway}));
        args.push_back(Variant::Array(std::move(metrics)));
        return Method(L"SetGateways", std::move(args));
    }
    // No servers: the null value, which clears the list (back to what DHCP gives).
    StepResult SetDNSServerSearchOrder(const std::vector<std::string>& servers) {
        std::vector<Variant> args;
        args.push_back(servers.empty() ? Variant::Null() : Texts(servers));
        return Method(L"SetDNSServerSearchOrder", std::move(args));
    }
    StepResult EnableDHCP() { return Method(L"EnableDHCP", {}); }

  private:
    static Variant Texts(const std::vector<std::string>& texts) {
        std::vector<Variant> items;
        for (const auto& t : texts) items.emplace_back(t);
        return Variant::Array(std::move(items));
    }
    // The method's return value judged as documented: 0 made, 1 made with a restart needed,
    // anything else refused; the code itself is kept for the log.
    // A call that fails outright is the step's failure, so the steps before it stay reported.
    StepResult Method(const wchar_t* name, std::vector<Variant> args) {
        std::uint32_t code = 0;
        try {
            Variant result = Call(m_object.get(), name, DISPATCH_METHOD, std::move(args));
            if (FAILED(VariantChangeType(&result.v, &result.v, 0, VT_UI4)))
                throw ManagementError(wintext::Utf8FromWide(name) + ": no return code");
            code = result.v.ulVal;
        } catch (const ManagementError& e) {
            return StepResult::Fail(e.what());
        }
        if (code == 0) return StepResult::Made(code);
        if (code == 1) return {StepResult::Outcome::RestartNeeded, code, CodeText(code)};
        return StepResult::Refuse(CodeText(code), code);
    }

    Ref<IDispatch> m_object;
};

// COM for the calling thread, for the lifetime of one action; every object of the action is
// released before it ends.
class ComScope {
  public:
    ComScope() { (void)CoInitialize(nullptr); }  // S_FALSE and a mode change alike need the pair
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

// The services object of root\cimv2 on the local machine.
Ref<IDispatch> ConnectServices() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"WbemScripting.SWbemLocator", &clsid);
    if (FAILED(hr)) Fail("WbemScripting.SWbemLocator", hr);
    Ref<IDispatch> locator;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(locator.put()));
    if (FAILED(hr)) Fail("WbemScripting.SWbemLocator", hr);
    std::vector<Variant> args;
    args.emplace_back(std::string("."));
    args.emplace_back(std::string("root\\cimv2"));
    return AsDispatch(Call(locator.get(), L"ConnectServer", DISPATCH_METHOD, std::move(args)),
                      "ConnectServer");
}

// The IP-enabled configurations, one at a time through the collection's standard enumerator.
class IPEnabledQuery {
  public:
    IPEnabledQuery() : m_services(ConnectServices()) {
        std::vector<Variant> args;
        args.emplace_back(
            std::string("SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True"));
        Ref<IDispatch> collection = AsDispatch(
            Call(m_services.get(), L"ExecQuery", DISPATCH_METHOD, std::move(args)), "ExecQuery");
        // The standard enumerator: member DISPID_NEWENUM, an IEnumVARIANT.
        Variant result;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        HRESULT hr = collection->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT,
                                        DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &result.v,
                                        nullptr, nullptr);
        if (FAILED(hr)) Fail("_NewEnum", hr);
        IUnknown* unknown =
            result.v.vt == VT_UNKNOWN || result.v.vt == VT_DISPATCH ? result.v.punkVal : nullptr;
        if (!unknown) throw ManagementError("_NewEnum: no enumerator returned");
        hr = unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(m_enum.put()));
        if (FAILED(hr)) Fail("_NewEnum", hr);
    }

    // The next configuration; false when there is none.
    bool Next(std::optional<WmiConfiguration>& config) {
        Variant item;
        ULONG fetched = 0;
        const HRESULT hr = m_enum->Next(1, &item.v, &fetched);
        if (FAILED(hr)) Fail("enumerating the adapter configurations", hr);
        if (hr == S_FALSE || fetched == 0) return false;
        config.emplace(AsDispatch(std::move(item), "enumeration"));
        return true;
    }

    // The first configuration whose description the name matches; later ones are not read.
    std::optional<WmiConfiguration> Find(const std::string& name, std::string& description) {
        std::optional<WmiConfiguration> config;
        while (Next(config)) {
            description = config->Description();
            if (DescriptionMatches(description, name)) return config;
        }
        description.clear();
        return std::nullopt;
    }

  private:
    Ref<IDispatch> m_services;
    Ref<IEnumVARIANT> m_enum;
};

class WmiInterface final : public ManagementInterface {
  public:
    std::vector<std::string> IPEnabledDescriptions() override {
        ComScope com;
        std::vector<std::string> result;
        IPEnabledQuery query;
        std::optional<WmiConfiguration> config;
        while (query.Next(config)) result.push_back(config->Description());
        return result;
    }

    StaticResult ApplyStatic(const std::string& name, const StaticAddressing& v) override {
        ComScope com;
        StaticResult r;
        IPEnabledQuery query;
        std::optional<WmiConfiguration> config = query.Find(name, r.matched);
        if (!config) return r;
        r.address = config->EnableStatic(v.address, v.mask);
        if (!r.address.done()) return r;
        r.gateway = config->SetGateways(v.gateway, 1);
        if (!r.gateway.done()) return r;
        r.dns = config->SetDNSServerSearchOrder({v.dns1, v.dns2});
        return r;
    }

    DhcpResult SwitchToDhcp(const std::string& name) override {
        ComScope com;
        DhcpResult r;
        IPEnabledQuery query;
        std::optional<WmiConfiguration> config = query.Find(name, r.matched);
        if (!config) return r;
        r.dhcp = config->EnableDHCP();
        r.dns = config->SetDNSServerSearchOrder({});
        return r;
    }
};

}  // namespace

std::unique_ptr<ManagementInterface> CreateManagementInterface() {
    return std::make_unique<WmiInterface>();
}
