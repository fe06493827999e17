// WMI over DCOM: the real steps behind the remote commands. Handles are the interface pointers.
#include <windows.h>
#include <wbemidl.h>

#include "actions/win/SystemApis.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

template <class T>
T* As(WmiHandle handle) {
    return reinterpret_cast<T*>(handle);
}

template <class T>
WmiHandle Handle(T* object) {
    return reinterpret_cast<WmiHandle>(object);
}

// A BSTR for the length of one call.
class Bstr {
public:
    explicit Bstr(const std::u16string& text)
        : text_(::SysAllocString(reinterpret_cast<const OLECHAR*>(text.c_str()))) {}
    ~Bstr() { ::SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return text_; }

private:
    BSTR text_;
};

class SystemWmi final : public WmiApi {
public:
    HResult Initialize() override { return ::CoInitialize(nullptr); }
    void Uninitialize() override { ::CoUninitialize(); }
    HResult InitializeSecurity() override {
        // Packet privacy: the account's password and the call's data are encrypted on the wire.
        return ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    }
    HResult CreateLocator(WmiHandle& locator) override {
        IWbemLocator* object = nullptr;
        const HRESULT hr = ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                              reinterpret_cast<void**>(&object));
        locator = Handle(object);
        return hr;
    }
    HResult ConnectServer(WmiHandle locator, const std::u16string& path, const std::u16string* user,
                          const std::u16string* password, WmiHandle& services) override {
        const Bstr ns(path);
        const Bstr userText(user ? *user : u"");
        const Bstr passwordText(password ? *password : u"");
        IWbemServices* object = nullptr;
        const HRESULT hr = As<IWbemLocator>(locator)->ConnectServer(ns.get(), user ? userText.get() : nullptr,
                                                                    password ? passwordText.get() : nullptr, nullptr, 0,
                                                                    nullptr, nullptr, &object);
        services = Handle(object);
        return hr;
    }
    HResult SetProxyBlanket(WmiHandle proxy, const AuthIdentity& identity) override {
        // The proxy may keep a pointer to the identity: it stays valid for the thread's current
        // operation, whose proxies are all released before the operation returns.
        thread_local SEC_WINNT_AUTH_IDENTITY_W native{};
        native = SEC_WINNT_AUTH_IDENTITY_W{};
        if (identity.hasUser) {
            native.User = reinterpret_cast<USHORT*>(const_cast<char16_t*>(identity.user.c_str()));
            native.UserLength = static_cast<ULONG>(identity.user.size());
            native.Domain = reinterpret_cast<USHORT*>(const_cast<char16_t*>(identity.domain.c_str()));
            native.DomainLength = static_cast<ULONG>(identity.domain.size());
            native.Password = reinterpret_cast<USHORT*>(const_cast<char16_t*>(identity.password.c_str()));
            native.PasswordLength = static_cast<ULONG>(identity.password.size());
        }
        native.Flags = identity.flags;
        // Negotiate takes Kerberos where the domain offers it and NTLM otherwise; packet privacy
        // keeps the call from being read or changed on the way.
        return ::CoSetProxyBlanket(As<IUnknown>(proxy), RPC_C_AUTHN_GSS_NEGOTIATE, RPC_C_AUTHZ_NONE, nullptr,
                                   RPC_C_AUTHN_LEVEL_PKT_PRIVACY, RPC_C_IMP_LEVEL_IMPERSONATE, &native, EOAC_NONE);
    }
    HResult GetObject(WmiHandle services, const std::u16string& path, WmiHandle& object) override {
        const Bstr name(path);
        IWbemClassObject* result = nullptr;
        const HRESULT hr = As<IWbemServices>(services)->GetObject(name.get(), 0, nullptr, &result, nullptr);
        object = Handle(result);
        return hr;
    }
    HResult GetMethod(WmiHandle classObject, const std::u16string& method, WmiHandle& definition) override {
        IWbemClassObject* in = nullptr;
        const HRESULT hr =
            As<IWbemClassObject>(classObject)->GetMethod(reinterpret_cast<LPCWSTR>(method.c_str()), 0, &in, nullptr);
        definition = Handle(in);
        return hr;
    }
    HResult SpawnInstance(WmiHandle definition, WmiHandle& instance) override {
        IWbemClassObject* result = nullptr;
        const HRESULT hr = As<IWbemClassObject>(definition)->SpawnInstance(0, &result);
        instance = Handle(result);
        return hr;
    }
    HResult PutInt32(WmiHandle object, const std::u16string& name, std::int32_t value) override {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = value;
        const HRESULT hr = As<IWbemClassObject>(object)->Put(W(name), 0, &v, CIM_SINT32);
        ::VariantClear(&v);
        return hr;
    }
    HResult PutString(WmiHandle object, const std::u16string& name, const std::u16string& value) override {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = ::SysAllocString(reinterpret_cast<const OLECHAR*>(value.c_str()));
        const HRESULT hr = As<IWbemClassObject>(object)->Put(W(name), 0, &v, 0);
        ::VariantClear(&v);
        return hr;
    }
    HResult CreateInstanceEnum(WmiHandle services, const std::u16string& className, std::int32_t flags,
                               WmiHandle& enumerator) override {
        const Bstr name(className);
        IEnumWbemClassObject* result = nullptr;
        const HRESULT hr = As<IWbemServices>(services)->CreateInstanceEnum(name.get(), flags, nullptr, &result);
        enumerator = Handle(result);
        return hr;
    }
    HResult Next(WmiHandle enumerator, WmiHandle& object) override {
        IWbemClassObject* result = nullptr;
        ULONG returned = 0;
        const HRESULT hr = As<IEnumWbemClassObject>(enumerator)->Next(-1 /* WBEM_INFINITE */, 1, &result, &returned);
        object = returned == 1 ? Handle(result) : kNoWmiObject;
        return hr;
    }
    HResult GetString(WmiHandle object, const std::u16string& name, std::u16string& value) override {
        VARIANT v;
        ::VariantInit(&v);
        const HRESULT hr = As<IWbemClassObject>(object)->Get(W(name), 0, &v, nullptr, nullptr);
        if (SUCCEEDED(hr) && v.vt == VT_BSTR && v.bstrVal)
            value = FromWide(v.bstrVal);
        ::VariantClear(&v);
        return hr;
    }
    HResult GetInt32(WmiHandle object, const std::u16string& name, std::int32_t& value) override {
        if (object == kNoWmiObject)
            return E_POINTER;
        VARIANT v;
        ::VariantInit(&v);
        HRESULT hr = As<IWbemClassObject>(object)->Get(W(name), 0, &v, nullptr, nullptr);
        if (SUCCEEDED(hr) && SUCCEEDED(hr = ::VariantChangeType(&v, &v, 0, VT_I4)))
            value = v.lVal;
        ::VariantClear(&v);
        return hr;
    }
    HResult ExecMethod(WmiHandle services, const std::u16string& objectPath, const std::u16string& method,
                       WmiHandle inParameters, WmiHandle* outParameters) override {
        const Bstr path(objectPath);
        const Bstr name(method);
        IWbemClassObject* out = nullptr;
        const HRESULT hr = As<IWbemServices>(services)->ExecMethod(path.get(), name.get(), 0, nullptr,
                                                                   As<IWbemClassObject>(inParameters),
                                                                   outParameters ? &out : nullptr, nullptr);
        if (outParameters)
            *outParameters = Handle(out);
        return hr;
    }
    void Release(WmiHandle object) override { As<IUnknown>(object)->Release(); }
};

}  // namespace

WmiApi& SystemWmiApi() {
    static SystemWmi api;
    return api;
}

}  // namespace velmora
