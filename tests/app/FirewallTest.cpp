// Wine's firewall objects accept every call but keep no list of authorised programs, so the
// list step runs against an in-memory collection here. The entry it adds is Wine's own object,
// which keeps only the program path of what it is given.
#include "app/Firewall.h"

#include <windows.h>
#include <netfw.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

template <typename Interface>
class FakeDispatch : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = this;
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // owned by the test
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

private:
    ULONG references_ = 1;
};

struct FakeApplication final : FakeDispatch<INetFwAuthorizedApplication> {
    std::wstring name, path;
    VARIANT_BOOL enabled = VARIANT_FALSE;

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override { *out = SysAllocString(name.c_str()); return S_OK; }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR in) override { name = in; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_ProcessImageFileName(BSTR* out) override {
        *out = SysAllocString(path.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ProcessImageFileName(BSTR in) override { path = in; return S_OK; }
    HRESULT STDMETHODCALLTYPE get_IpVersion(NET_FW_IP_VERSION*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IpVersion(NET_FW_IP_VERSION) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* out) override { *out = enabled; return S_OK; }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL in) override { enabled = in; return S_OK; }
};

struct FakeEnumerator final : IEnumVARIANT {
    virtual ~FakeEnumerator() = default;
    std::vector<std::unique_ptr<FakeApplication>>* items;
    size_t next = 0;
    ULONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = this; ++references; return S_OK; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        if (count != 1 || next >= items->size()) return S_FALSE;
        VariantInit(out);
        out->vt = VT_DISPATCH;
        out->pdispVal = (*items)[next++].get();
        out->pdispVal->AddRef();
        if (fetched) *fetched = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { next = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }
};

struct FakeApplications : FakeDispatch<INetFwAuthorizedApplications> {
    std::vector<std::unique_ptr<FakeApplication>> items;
    std::vector<std::wstring> removed;
    std::vector<std::unique_ptr<FakeApplication>> graveyard;  // removed entries may still be referenced

    FakeApplication& Insert(const std::wstring& name, const std::wstring& path, bool enabled) {
        items.push_back(std::make_unique<FakeApplication>());
        items.back()->name = name;
        items.back()->path = path;
        items.back()->enabled = enabled ? VARIANT_TRUE : VARIANT_FALSE;
        return *items.back();
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* out) override { *out = static_cast<LONG>(items.size()); return S_OK; }
    HRESULT STDMETHODCALLTYPE Add(INetFwAuthorizedApplication* application) override {
        BSTR name = nullptr, path = nullptr;
        VARIANT_BOOL enabled = VARIANT_FALSE;
        application->get_Name(&name);
        application->get_ProcessImageFileName(&path);
        application->get_Enabled(&enabled);
        Insert(name ? name : L"", path ? path : L"", enabled == VARIANT_TRUE);
        SysFreeString(name);
        SysFreeString(path);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR path) override {
        removed.push_back(path);
        for (auto it = items.begin(); it != items.end(); ++it) {
            if ((*it)->path == path) {
                graveyard.push_back(std::move(*it));
                items.erase(it);
                break;
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(BSTR path, INetFwAuthorizedApplication** out) override {
        for (auto& item : items) {
            if (item->path == path) { *out = item.get(); item->AddRef(); return S_OK; }
        }
        *out = nullptr;
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** out) override {
        auto* enumerator = new FakeEnumerator();
        enumerator->items = &items;
        *out = enumerator;
        return S_OK;
    }
};

class FirewallTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
    FakeApplications applications;
    const std::wstring self = L"C:\\Games\\Ludora\\Ludora.exe";
};

}  // namespace

TEST_F(FirewallTest, AStaleEntryOfTheSameNameIsReplaced) {
    applications.Insert(L"Other", L"C:\\Other.exe", true);
    applications.Insert(L"Ludora", L"C:\\Old\\Ludora.exe", true);
    AuthorizeInApplications(&applications, L"Ludora", self);
    EXPECT_EQ(applications.removed, std::vector<std::wstring>{L"C:\\Old\\Ludora.exe"});
    ASSERT_EQ(applications.items.size(), 2u);
    EXPECT_EQ(applications.items[0]->name, L"Other");
    EXPECT_EQ(applications.items[1]->path, self);
}

TEST_F(FirewallTest, ADisabledEntryForThisProgramIsEnabledInPlace) {
    FakeApplication& entry = applications.Insert(L"Ludora", self, false);
    AuthorizeInApplications(&applications, L"Ludora", self);
    EXPECT_EQ(entry.enabled, VARIANT_TRUE);
    EXPECT_EQ(applications.items.size(), 1u);
    EXPECT_TRUE(applications.removed.empty());
}

TEST_F(FirewallTest, TheWholeStepRunsWhereTheFirewallKeepsNoList) {
    CoInitialize(nullptr);
    AuthorizeInFirewall(L"Ludora", self);
    CoUninitialize();
}
