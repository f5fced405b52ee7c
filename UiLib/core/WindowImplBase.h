#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "UiLib/core/CaptionHitTest.h"
#include "UiLib/core/IDialogBuilderCallback.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/core/UIMessageFilter.h"
#include "UiLib/core/UINotifyPump.h"
#include "UiLib/core/UIWindowWnd.h"

namespace UiLib {

// Where a window finds its skin.
enum UILIB_RESOURCETYPE {
    UILIB_FILE = 1,         // files under the resource path
    UILIB_ZIP = 2,          // a zip file under the resource path
    UILIB_RESOURCE = 3,     // the layout is a module resource of type "xml"
    UILIB_ZIPRESOURCE = 4,  // a zip archive held as a module resource of type "ZIPRES"
};

// The base of every skinned window: it owns the paint manager, builds the layout when the window
// is created, has no native frame (the skin draws it all), drags by the caption band, rounds
// its corners, closes on Escape and handles the standard title buttons.
class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    // Shown when a window's layout cannot be built; the process then ends with exit code 1.
    static constexpr const wchar_t* kLoadFailedText = L"加载资源文件失败";
    static constexpr const wchar_t* kLoadFailedCaption = L"UiLib";
    // The close codes of Escape and of the "closebtn" button.
    static constexpr UINT kEscapeCloseCode = 1;
    static constexpr UINT kCloseButtonCode = 8;

    WindowImplBase() = default;
    // A window still open when its object goes is destroyed with it.
    ~WindowImplBase() override;

    CPaintManagerUI& GetPaintManager() { return paintManager_; }

    void Notify(UiNotify& msg) override;
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    std::unique_ptr<CControlUI> CreateControlForTag(const wchar_t* tag) override;

protected:
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;
    const NotifyMap* GetNotifyMap() const override;

    // Called once the layout is attached to the paint manager.
    virtual void InitWindow();
    virtual void OnClick(UiNotify& msg);
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    virtual UILIB_RESOURCETYPE GetResourceType() const;
    virtual std::wstring GetZIPFileName() const;
    // The "ZIPRES" resource of the archive (a name, or a number made with MAKEINTRESOURCEW).
    virtual LPCWSTR GetResourceID() const;

    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // Messages of the derived window; nothing is handled here.
    virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The window style once the native frame is gone.
    virtual LONG GetStyle();
    // The controls of the caption band that take clicks instead of dragging the window.
    virtual CaptionClicks GetCaptionClicks() const;

    // Builds the layout into the paint manager; null when the skin has no usable layout.
    std::unique_ptr<CControlUI> BuildLayout();
    // Points the resource configuration at this window's skin; false when its archive resource
    // is missing or empty.
    bool SelectSkinSource();

    CPaintManagerUI paintManager_;

private:
    LRESULT DispatchToHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
};

}  // namespace UiLib
