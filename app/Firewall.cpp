#include "app/Firewall.h"

#include <windows.h>
#include <netfw.h>
#include <oleauto.h>

#include "shared/ComPtr.h"

namespace {

// The firewall's class and interface identifiers.
const CLSID kNetFwMgrClass = {0x304CE942, 0x6E39, 0x40D8, {0x94, 0x3A, 0xB9, 0x13, 0xC4, 0x0C, 0x9C, 0xD4}};
const IID kNetFwMgrInterface = {0xF7898AF5, 0xCAC4, 0x4632, {0xA2, 0xEC, 0xDA, 0x06, 0xE5, 0x11, 0x1A, 0xF2}};
const CLSID kAuthorizedApplicationClass = {0xEC9846B3, 0x2762, 0x4A6B, {0xA2, 0x14, 0x6A, 0xCB, 0x60, 0x34, 0x62, 0xD2}};
const IID kAuthorizedApplicationInterface = {0xB5E64FFA, 0xC2C5, 0x444E, {0xA3, 0x01, 0xFB, 0x5E, 0x00, 0x01, 0x80, 0x50}};

// The manager, policy and profile stay referenced for the life of the process.
INetFwProfile* CurrentFirewallProfile() {
    ComPtr<INetFwMgr> manager;
    if (FAILED(CoCreateInstance(kNetFwMgrClass, nullptr, CLSCTX_INPROC_SERVER, kNetFwMgrInterface,
                                reinterpret_cast<void**>(manager.Out()))) || !manager)
        return nullptr;
    ComPtr<INetFwPolicy> policy;
    if (FAILED(manager->get_LocalPolicy(policy.Out())) || !policy) return nullptr;
    ComPtr<INetFwProfile> profile;
    if (FAILED(policy->get_CurrentProfile(profile.Out())) || !profile) return nullptr;
    manager.Detach();
    policy.Detach();
    return profile.Detach();
}

void RemoveEntryNamed(INetFwAuthorizedApplications* applications, const std::wstring& name) {
    ComPtr<IUnknown> unknown;
    if (FAILED(applications->get__NewEnum(unknown.Out())) || !unknown) return;
    ComPtr<IEnumVARIANT> items;
    if (FAILED(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.Out()))) || !items) return;
    VARIANT item;
    VariantInit(&item);
    while (items->Next(1, &item, nullptr) == S_OK) {
        ComPtr<INetFwAuthorizedApplication> application;
        bool removed = false;
        if (item.vt == VT_DISPATCH && item.pdispVal &&
            SUCCEEDED(item.pdispVal->QueryInterface(kAuthorizedApplicationInterface,
                                                    reinterpret_cast<void**>(application.Out())))) {
            ScopedBstr entryName, entryPath;
            application->get_Name(entryName.Out());
            application->get_ProcessImageFileName(entryPath.Out());
            if (entryName.Text() == name) {
                applications->Remove(entryPath.Get());
                removed = true;
            }
        }
        VariantClear(&item);
        if (removed) break;
    }
}

void AddEntry(INetFwAuthorizedApplications* applications, const std::wstring& name, const std::wstring& imagePath) {
    ComPtr<INetFwAuthorizedApplication> application;
    if (FAILED(CoCreateInstance(kAuthorizedApplicationClass, nullptr, CLSCTX_INPROC_SERVER,
                                kAuthorizedApplicationInterface, reinterpret_cast<void**>(application.Out()))) ||
        !application)
        return;
    ScopedBstr nameText(name), pathText(imagePath);
    application->put_Name(nameText.Get());
    application->put_ProcessImageFileName(pathText.Get());
    application->put_Enabled(VARIANT_TRUE);
    applications->Add(application.Get());
}

}  // namespace

void AuthorizeInFirewall(const std::wstring& name, const std::wstring& imagePath) {
    INetFwProfile* profile = CurrentFirewallProfile();
    if (profile == nullptr) return;
    ComPtr<INetFwAuthorizedApplications> applications;
    if (FAILED(profile->get_AuthorizedApplications(applications.Out())) || !applications) return;
    AuthorizeInApplications(applications.Get(), name, imagePath);
}

void AuthorizeInApplications(INetFwAuthorizedApplications* applications, const std::wstring& name,
                             const std::wstring& imagePath) {
    ScopedBstr pathText(imagePath);
    ComPtr<INetFwAuthorizedApplication> existing;
    if (SUCCEEDED(applications->Item(pathText.Get(), existing.Out())) && existing) {
        VARIANT_BOOL enabled = VARIANT_FALSE;
        existing->get_Enabled(&enabled);
        if (enabled != VARIANT_TRUE) existing->put_Enabled(VARIANT_TRUE);
        return;
    }
    RemoveEntryNamed(applications, name);
    AddEntry(applications, name, imagePath);
}
