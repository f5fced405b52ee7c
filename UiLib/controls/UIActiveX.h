#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "UiLib/tree/UIControl.h"
#include "UiLib/tree/UIMessageFilter.h"

namespace UiLib {

class CActiveXCtrl;

// Hosts a COM control inside the windowless control tree: creates it by class id, acts as its
// container through a site object and keeps it in place, sized and visible with this control.
class CActiveXUI : public CControlUI, public IMessageFilterUI {
public:
    CActiveXUI();
    ~CActiveXUI() override;

    const wchar_t* GetClass() const override;
    void* GetInterface(const std::wstring& name) override;

    void SetPos(RECT rect) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void DoPaint(HDC dc, const RECT& paint) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // Releases the control and its site.
    virtual void DeactivateControl();
    // Creates the control of the current class id and activates it in place; false on any failure.
    virtual bool ActivateControl();

    // A class id text: "{...}" is a CLSID, anything else a ProgID. A zero or unknown id is refused.
    bool CreateControl(const std::wstring& classId);
    bool CreateControl(const CLSID& classId);
    const CLSID& GetClsid() const { return clsid_; }
    const std::wstring& GetModuleName() const { return moduleName_; }
    void SetModuleName(const std::wstring& name) { moduleName_ = name; }
    bool IsDelayCreate() const { return delayCreate_; }
    void SetDelayCreate(bool delay);
    bool IsCreated() const { return created_; }

    // QueryInterface on the created control: E_PENDING before there is one.
    HRESULT QueryControl(REFIID iid, void** object);
    IOleObject* GetControl() const { return control_.Get(); }
    // The window the control lives in: the paint manager's window for a windowless control, the
    // host child window for a windowed one; null before in-place activation.
    HWND GetHostWindow() const { return hostWindow_; }
    // A host child window would hide whatever the tree paints over the control: the visible
    // controls after it in its parent are cut out of the host window where they overlap it (as
    // rectangles), so that the paint manager's window shows them and takes their mouse input.
    // Runs by itself after each layout pass of a windowed control.
    void ClipHostWindow();

    // What a control type asks its container beyond the site's own interfaces: services (the
    // site's IServiceProvider) and ambient properties (the site's IDispatch). The site answers
    // those interfaces only when OffersHostServices; the defaults offer nothing.
    virtual bool OffersHostServices() const { return false; }
    virtual HRESULT QueryHostService(REFGUID service, REFIID iid, void** object);
    virtual bool GetAmbientProperty(DISPID id, VARIANT* value);

protected:
    // The release steps: the site is cleared from the control, the control closed and released,
    // the site detached.
    void ReleaseControl();

private:
    friend class CActiveXCtrl;

    bool InstantiateControl(Microsoft::WRL::ComPtr<IUnknown>& object) const;
    bool CreateFromModule(Microsoft::WRL::ComPtr<IUnknown>& object) const;
    void ResizeControl();

    CLSID clsid_{};
    std::wstring moduleName_;
    bool created_ = false;
    bool delayCreate_ = true;
    Microsoft::WRL::ComPtr<IOleObject> control_;
    CActiveXCtrl* site_ = nullptr;
    HWND hostWindow_ = nullptr;
    // The rectangles cut out of the host window, in its own coordinates, for the size it had.
    std::vector<RECT> hostCuts_;
    SIZE hostCutSize_{};
};

}  // namespace UiLib
