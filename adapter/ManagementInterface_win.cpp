// WMI through its scripting objects, late-bound over COM: the locator
// "WbemScripting.SWbemLocator", ConnectServer(".", "root\cimv2"), ExecQuery for the IP-enabled
// Win32_NetworkAdapterConfiguration objects and their methods, all called through IDispatch.
#include <windows.h>
// COM and OLE Automation on top of the base API.
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "ManagementInterface.h"
#include "WinText.h"

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

class WmiConfiguration final : public AdapterConfiguration {
  public:
    explicit WmiConfiguration(Ref<IDispatch> object) : m_object(std::move(object)) {}

    std::string Description() override {
        return AsText(Call(m_object.get(), L"Description", kPropertyGet));
    }
    std::uint32_t EnableStatic(const std::vector<std::string>& addresses,
                               const std::vector<std::string>& masks) override {
        std::vector<Variant> args;
        args.push_back(Texts(addresses));
        args.push_back(Texts(masks));
        return Method(L"EnableStatic", std::move(args));
    }
    std::uint32_t SetGateways(const std::vector<std::string>& gateways,
                              const std::vector<std::uint16_t>& metrics) override {
        std::vector<Variant> numbers;
        for (auto m : metrics) numbers.push_back(Variant::Int(m));
        std::vector<Variant> args;
        args.push_back(Texts(gateways));
        args.push_back(Variant::Array(std::move(numbers)));
        return Method(L"SetGateways", std::move(args));
    }
    std::uint32_t SetDNSServerSearchOrder(
        const std::optional<std::vector<std::string>>& servers) override {
        std::vector<Variant> args;
        args.push_back(servers ? Texts(*servers) : Variant::Null());
        return Method(L"SetDNSServerSearchOrder", std::move(args));
    }
    std::uint32_t EnableDHCP() override { return Method(L"EnableDHCP", {}); }
    std::string LastError() override { return m_lastError; }

  private:
    static Variant Texts(const std::vector<std::string>& texts) {
        std::vector<Variant> items;
        for (const auto& t : texts) items.emplace_back(t);
        return Variant::Array(std::move(items));
    }
    std::uint32_t Method(const wchar_t* name, std::vector<Variant> args) {
        Variant result = Call(m_object.get(), name, DISPATCH_METHOD, std::move(args));
        if (FAILED(VariantChangeType(&result.v, &result.v, 0, VT_UI4)))
            throw ManagementError(wintext::Utf8FromWide(name) + ": no return code");
        const std::uint32_t code = result.v.ulVal;
        m_lastError = CodeText(code);
        return code;
    }

    Ref<IDispatch> m_object;
    std::string m_lastError;
};

class WmiEnumerator final : public ConfigurationEnumerator {
  public:
    explicit WmiEnumerator(Ref<IEnumVARIANT> e) : m_enum(std::move(e)) {}
    std::unique_ptr<AdapterConfiguration> Next() override {
        Variant item;
        ULONG fetched = 0;
        const HRESULT hr = m_enum->Next(1, &item.v, &fetched);
        if (FAILED(hr)) Fail("enumerating the adapter configurations", hr);
        if (hr == S_FALSE || fetched == 0) return nullptr;
        return std::make_unique<WmiConfiguration>(AsDispatch(std::move(item), "enumeration"));
    }

  private:
    Ref<IEnumVARIANT> m_enum;
};

class WmiConnection final : public ManagementConnection {
  public:
    explicit WmiConnection(Ref<IDispatch> services) : m_services(std::move(services)) {}
    std::unique_ptr<ConfigurationEnumerator> QueryIPEnabled() override {
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
        Ref<IEnumVARIANT> e;
        hr = unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(e.put()));
        if (FAILED(hr)) Fail("_NewEnum", hr);
        return std::make_unique<WmiEnumerator>(std::move(e));
    }

  private:
    Ref<IDispatch> m_services;
};

class WmiInterface final : public ManagementInterface {
  public:
    void Initialize() override { (void)CoInitialize(nullptr); }
    void Uninitialize() override { CoUninitialize(); }

    std::unique_ptr<ManagementConnection> Connect() override {
        CLSID clsid{};
        HRESULT hr = CLSIDFromProgID(L"WbemScripting.SWbemLocator", &clsid);
        if (FAILED(hr)) Fail("WbemScripting.SWbemLocator", hr);
        Ref<IDispatch> locator;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(locator.put()));
        if (FAILED(hr)) Fail("WbemScripting.SWbemLocator", hr);
        std::vector<Variant> args;
        args.emplace_back(std::string("."));
        args.emplace_back(std::string("root\\cimv2"));
        return std::make_unique<WmiConnection>(
            AsDispatch(Call(locator.get(), L"ConnectServer", DISPATCH_METHOD, std::move(args)),
                       "ConnectServer"));
    }
};

}  // namespace

std::unique_ptr<ManagementInterface> CreateManagementInterface() {
    return std::make_unique<WmiInterface>();
}
