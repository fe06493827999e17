// Remote commands through WMI over DCOM: log off, restart or power off a computer, or start a
// command line on it. Every COM step goes through a seam, so the sequence can be tested.
#pragma once

#include <cstdint>
#include <string>

#include "model/ResultCodes.h"

namespace velmora {

using WmiHandle = std::uintptr_t;
constexpr WmiHandle kNoWmiObject = 0;
constexpr std::int32_t kWbemReturnImmediatelyForwardOnly = 0x30;
constexpr std::uint32_t kIdentityUnicode = 2;  // SEC_WINNT_AUTH_IDENTITY_UNICODE

constexpr std::int32_t kWmiLogOff = 0;
constexpr std::int32_t kWmiReboot = 2;
constexpr std::int32_t kWmiForced = 4;
constexpr std::int32_t kWmiPowerOff = 8;

// The credentials handed to the proxies; absent fields have length 0.
struct AuthIdentity {
    bool hasUser = false;
    std::u16string user;
    std::u16string domain;
    std::u16string password;
    std::uint32_t flags = kIdentityUnicode;
};

class WmiApi {
public:
    virtual ~WmiApi() = default;
    virtual HResult Initialize() = 0;  // CoInitialize for the calling thread
    virtual void Uninitialize() = 0;
    // CoInitializeSecurity: default services, packet privacy, impersonation, no capabilities.
    virtual HResult InitializeSecurity() = 0;
    virtual HResult CreateLocator(WmiHandle& locator) = 0;
    virtual HResult ConnectServer(WmiHandle locator, const std::u16string& path, const std::u16string* user,
                                  const std::u16string* password, WmiHandle& services) = 0;
    // CoSetProxyBlanket: Negotiate, no authorisation, packet privacy, impersonation, the identity, no
    // capabilities.
    virtual HResult SetProxyBlanket(WmiHandle proxy, const AuthIdentity& identity) = 0;
    virtual HResult GetObject(WmiHandle services, const std::u16string& path, WmiHandle& object) = 0;
    virtual HResult GetMethod(WmiHandle classObject, const std::u16string& method, WmiHandle& inDefinition) = 0;
    virtual HResult SpawnInstance(WmiHandle definition, WmiHandle& instance) = 0;
    virtual HResult PutInt32(WmiHandle object, const std::u16string& name, std::int32_t value) = 0;
    virtual HResult PutString(WmiHandle object, const std::u16string& name, const std::u16string& value) = 0;
    virtual HResult CreateInstanceEnum(WmiHandle services, const std::u16string& className, std::int32_t flags,
                                       WmiHandle& enumerator) = 0;
    // The next object, waiting without limit; `object` stays empty when there is none.
    virtual HResult Next(WmiHandle enumerator, WmiHandle& object) = 0;
    virtual HResult GetString(WmiHandle object, const std::u16string& name, std::u16string& value) = 0;
    virtual HResult GetInt32(WmiHandle object, const std::u16string& name, std::int32_t& value) = 0;
    virtual HResult ExecMethod(WmiHandle services, const std::u16string& objectPath, const std::u16string& method,
                               WmiHandle inParameters, WmiHandle* outParameters) = 0;
    virtual void Release(WmiHandle object) = 0;
};

// "\\computer\root\cimv2".
std::u16string WmiNamespace(const std::u16string& computer);
// The connection alone, as both commands make it, with every object released again: 0 when the
// namespace took the account, else the failing result.
HResult WmiConnect(WmiApi& api, const std::u16string& computer, const std::u16string& user,
                   const std::u16string& password);
// Win32_OperatingSystem.Win32Shutdown with the flags; the last COM result, 0 on success.
HResult WmiShutdown(WmiApi& api, const std::u16string& computer, const std::u16string& user,
                    const std::u16string& password, std::int32_t flags);
// Win32_Process.Create with the command line; its ReturnValue when every COM step succeeded, else
// the failing result (kWbemNotFound when the method gave no out-parameters).
HResult WmiCreateProcess(WmiApi& api, const std::u16string& computer, const std::u16string& user,
                         const std::u16string& password, const std::u16string& commandLine);

}  // namespace velmora
