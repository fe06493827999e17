// The WMI connection and the two remote commands over it.
#include "actions/Wmi.h"

#include <utility>

namespace velmora {
namespace {

// Releases one WMI object when it goes, so every path releases what it obtained.
class WmiRef {
public:
    explicit WmiRef(WmiApi& api) : api_(api) {}
    ~WmiRef() {
        if (handle_ != kNoWmiObject)
            api_.Release(handle_);
    }
    WmiRef(const WmiRef&) = delete;
    WmiRef& operator=(const WmiRef&) = delete;
    WmiHandle& put() { return handle_; }
    WmiHandle get() const { return handle_; }

private:
    WmiApi& api_;
    WmiHandle handle_ = kNoWmiObject;
};

// COM for one operation on the calling thread: uninitialised only when initialised.
class WmiApartment {
public:
    explicit WmiApartment(WmiApi& api) : api_(api), result_(api.Initialize()) {}
    ~WmiApartment() {
        if (result_ >= 0)
            api_.Uninitialize();
    }
    WmiApartment(const WmiApartment&) = delete;
    WmiApartment& operator=(const WmiApartment&) = delete;
    HResult result() const { return result_; }

private:
    WmiApi& api_;
    HResult result_;
};

AuthIdentity IdentityFor(const std::u16string& user, const std::u16string& password) {
    AuthIdentity identity;
    if (!user.empty()) {
        identity.hasUser = true;
        identity.user = user;
        identity.password = password;
    }
    return identity;
}

// Steps 4 to 7 of the connection: security, locator, server, proxy.
HResult Connect(WmiApi& api, const std::u16string& computer, const std::u16string& user, const std::u16string& password,
                const AuthIdentity& identity, WmiRef& locator, WmiRef& services) {
    HResult hr = api.InitializeSecurity();
    if (hr < 0 && hr != kRpcTooLate)
        return hr;  // RPC_E_TOO_LATE: the process set its security already
    if ((hr = api.CreateLocator(locator.put())) < 0)
        return hr;
    const bool credentials = !user.empty();
    if ((hr = api.ConnectServer(locator.get(), WmiNamespace(computer), credentials ? &user : nullptr,
                                credentials ? &password : nullptr, services.put())) < 0)
        return hr;
    return api.SetProxyBlanket(services.get(), identity);
}

}  // namespace

std::u16string WmiNamespace(const std::u16string& computer) {
    return u"\\\\" + computer + u"\\root\\cimv2";
}

HResult WmiConnect(WmiApi& api, const std::u16string& computer, const std::u16string& user,
                   const std::u16string& password) {
    WmiApartment apartment(api);
    if (apartment.result() < 0)
        return apartment.result();
    const AuthIdentity identity = IdentityFor(user, password);
    WmiRef locator(api), services(api);
    const HResult hr = Connect(api, computer, user, password, identity, locator, services);
    return hr < 0 ? hr : kOk;
}

HResult WmiShutdown(WmiApi& api, const std::u16string& computer, const std::u16string& user,
                    const std::u16string& password, std::int32_t flags) {
    WmiApartment apartment(api);
    if (apartment.result() < 0)
        return apartment.result();
    const AuthIdentity identity = IdentityFor(user, password);
    WmiRef locator(api), services(api), classObject(api), definition(api), parameters(api), enumerator(api),
        instance(api);
    HResult hr = Connect(api, computer, user, password, identity, locator, services);
    if (hr < 0)
        return hr;
    if ((hr = api.GetObject(services.get(), u"Win32_OperatingSystem", classObject.put())) < 0 ||
        (hr = api.GetMethod(classObject.get(), u"Win32Shutdown", definition.put())) < 0 ||
        (hr = api.SpawnInstance(definition.get(), parameters.put())) < 0)
        return hr;
    api.PutInt32(parameters.get(), u"Flags", flags);
    if ((hr = api.PutInt32(parameters.get(), u"Reserved", flags)) < 0)
        return hr;
    if ((hr = api.CreateInstanceEnum(services.get(), u"Win32_OperatingSystem", kWbemReturnImmediatelyForwardOnly,
                                     enumerator.put())) < 0)
        return hr;
    api.SetProxyBlanket(enumerator.get(), identity);
    if ((hr = api.Next(enumerator.get(), instance.put())) < 0)
        return hr;
    std::u16string path;
    if (instance.get() != kNoWmiObject)
        api.GetString(instance.get(), u"__PATH", path);
    return api.ExecMethod(services.get(), path, u"Win32Shutdown", parameters.get(), nullptr);
}

HResult WmiCreateProcess(WmiApi& api, const std::u16string& computer, const std::u16string& user,
                         const std::u16string& password, const std::u16string& commandLine) {
    WmiApartment apartment(api);
    if (apartment.result() < 0)
        return apartment.result();
    const AuthIdentity identity = IdentityFor(user, password);
    WmiRef locator(api), services(api), classObject(api), definition(api), parameters(api), results(api);
    HResult hr = Connect(api, computer, user, password, identity, locator, services);
    if (hr < 0)
        return hr;
    if ((hr = api.GetObject(services.get(), u"Win32_Process", classObject.put())) < 0 ||
        (hr = api.GetMethod(classObject.get(), u"Create", definition.put())) < 0 ||
        (hr = api.SpawnInstance(definition.get(), parameters.put())) < 0 ||
        (hr = api.PutString(parameters.get(), u"CommandLine", commandLine)) < 0 ||
        (hr = api.ExecMethod(services.get(), u"Win32_Process", u"Create", parameters.get(), &results.put())) < 0)
        return hr;
    // A provider may answer success without out-parameters; there is no return value to read then.
    if (results.get() == kNoWmiObject)
        return kWbemNotFound;
    std::int32_t returnValue = 0;
    if ((hr = api.GetInt32(results.get(), u"ReturnValue", returnValue)) < 0)
        return hr;
    return returnValue;
}

}  // namespace velmora
