#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "UiLib/core/IDialogBuilderCallback.h"
#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/core/UINotifyPump.h"
#include "UiLib/tree/UIMessageFilter.h"
#include "UiLib/tree/UINotify.h"

namespace UiLib {

// Where a window finds its skin.
enum UILIB_RESOURCETYPE {
    UILIB_FILE = 1,         // files under the resource path
    UILIB_ZIP = 2,          // a zip file under the resource path
    UILIB_RESOURCE = 3,     // the layout is a module resource of type "xml"
    UILIB_ZIPRESOURCE = 4,  // a zip archive held as a module resource of type "ZIPRES"
};

// A skinned window for small tools and tests that name their skin through virtual functions and
// route notifications through a notify map: it has no native frame, fills the work area when
// maximised, drags by the caption band but for buttons, options and texts, closes on Escape,
// handles the standard title buttons, and ends the process when its layout cannot be built.
class WindowImplBase : public CSkinnedWindow,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
    // The close codes of Escape and of the "closebtn" button.
    static constexpr UINT kEscapeCloseCode = 1;
    static constexpr UINT kCloseButtonCode = 8;

    WindowImplBase();

    void Notify(UiNotify& msg) override;
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    std::unique_ptr<CControlUI> CreateControlForTag(const wchar_t* tag) override;

protected:
    const NotifyMap* GetNotifyMap() const override;
    std::unique_ptr<CControlUI> BuildLayout() override;

    virtual void OnClick(UiNotify& msg);
    virtual std::wstring GetSkinFolder() = 0;
    virtual std::wstring GetSkinFile() = 0;
    virtual UILIB_RESOURCETYPE GetResourceType() const;
    virtual std::wstring GetZIPFileName() const;
    // The "ZIPRES" resource of the archive (a name, or a number made with MAKEINTRESOURCEW).
    virtual LPCWSTR GetResourceID() const;

private:
    // Points the resource configuration at this window's skin; false when its archive resource
    // is missing or empty.
    bool SelectSkinSource();
};

}  // namespace UiLib
