#include "UiLib/menu/MenuWnd.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/menu/MenuElementUI.h"
#include "UiLib/menu/MenuUI.h"

namespace UiLib {
namespace {

constexpr UiColor kSubMenuBackground = 0xFFFFFFFF;
constexpr UiColor kSubMenuBorder = 0xFF85E4FF;

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

SIZE SizeOf(const RECT& rect) { return SIZE{rect.right - rect.left, rect.bottom - rect.top}; }

}  // namespace

CMenuWnd::CMenuWnd(HWND parent)
    : CSkinnedWindow(MenuOptions(*this)),
      parent_(parent),
      chain_(std::make_shared<CMenuChain>()),
      builderCallback_(chain_) {}

CMenuWnd::CMenuWnd(std::shared_ptr<CMenuChain> chain)
    : CSkinnedWindow(MenuOptions(*this)), chain_(std::move(chain)), builderCallback_(chain_) {}

// A menu keeps the system's frame handling; one whose layout cannot be built closes at once.
SkinnedWindowOptions CMenuWnd::MenuOptions(CMenuWnd& menu) {
    SkinnedWindowOptions options;
    options.classStyle = CS_DBLCLKS;
    options.frame = FrameKind::Native;
    options.builderCallback = &menu.builderCallback_;
    options.missingLayout = MissingLayout::CloseWindow;
    options.notifier = &menu;
    return options;
}

CMenuWnd::~CMenuWnd() { chain_->Leave(this); }

const wchar_t* CMenuWnd::GetWindowClassName() const { return L"MenuWnd"; }
void CMenuWnd::OnItemClick(const std::wstring&) {}
void CMenuWnd::OnMenuInit() {}

HWND CMenuWnd::Init(CMenuElementUI* owner, const std::wstring& source, const wchar_t* type, DWORD alignment,
                    POINT point) {
    base_ = point;
    owner_ = owner;
    alignment_ = alignment;
    layout_ = nullptr;
    if (type) type_ = type;
    source_ = source;
    chain_->Join(this);
    if (owner) {
        // A sub-menu is built from its owner's entries, without the native caption.
        Options().removedStyle = WS_CAPTION;
        Options().refresh = FrameRefresh::FitToClient;
    } else {
        Options().layout = CDialogBuilder::Layout(source_);
        Options().resourceType = type_.empty() ? nullptr : type_.c_str();
    }

    HWND parent = owner && owner->GetManager() ? owner->GetManager()->GetPaintWindow() : parent_;
    // A window that failed after WM_NCCREATE has deleted this menu already.
    if (!Create(parent, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, RECT{})) return nullptr;
    if (!HasLayout()) return window_;
    HWND topLevel = window_;
    while (HWND up = ::GetParent(topLevel)) topLevel = up;
    ::ShowWindow(window_, SW_SHOW);
    // The window the menu belongs to keeps its caption drawn as active.
    ::SendMessageW(topLevel, WM_NCACTIVATE, TRUE, 0);
    return window_;
}

std::unique_ptr<CControlUI> CMenuWnd::BuildLayout() {
    return owner_ ? BuildSubMenuLayout() : CSkinnedWindow::BuildLayout();
}

void CMenuWnd::InitWindow() {
    // As the system's menus do, so that the window keeps its tooltips away while the menu is open.
    openedFrom_ = ::GetWindow(window_, GW_OWNER);
    if (openedFrom_) ::SendMessageW(openedFrom_, WM_ENTERMENULOOP, FALSE, 0);
    if (owner_) PlaceSubMenu();
    else PlaceRootMenu();
}

void CMenuWnd::PlaceRootMenu() {
    const SIZE work = SizeOf(WorkAreaOf(window_));
    const SIZE size = paintManager_.GetRoot()->EstimateSize(work);

    RECT rect{base_.x, base_.y, base_.x + size.cx, base_.y + size.cy};
    if (alignment_ & kAlignRight) {
        rect.right = base_.x;
        rect.left = base_.x - size.cx;
    }
    if (alignment_ & kAlignBottom) {
        rect.bottom = base_.y;
        rect.top = base_.y - size.cy;
    }
    RECT desktop{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    const int margin = paintManager_.GetDpiScale().Scale(4);
    if (rect.right > desktop.right) ::OffsetRect(&rect, -(rect.right - desktop.right + margin), 0);
    if (rect.bottom > desktop.bottom) ::OffsetRect(&rect, 0, -(rect.bottom - desktop.bottom + margin));
    if (rect.left < desktop.left) ::OffsetRect(&rect, desktop.left - rect.left, 0);
    if (rect.top < desktop.top) ::OffsetRect(&rect, 0, desktop.top - rect.top);

    ::SetForegroundWindow(window_);
    ::MoveWindow(window_, rect.left, rect.top, size.cx, size.cy, FALSE);
    ::SetWindowPos(window_, HWND_TOPMOST, rect.left, rect.top, size.cx, size.cy, SWP_SHOWWINDOW);
}

std::unique_ptr<CControlUI> CMenuWnd::BuildSubMenuLayout() {
    // A sub-menu draws with the fonts and default lists of the menu it opens from.
    CControlHost* ownerManager = owner_->GetManager();
    paintManager_.ShareResources(ownerManager->GetResources().shared_from_this());
    auto layout = std::make_unique<CMenuUI>();
    layout_ = layout.get();
    layout->SetManager(&paintManager_, nullptr, false);
    layout->SetChain(chain_);
    std::wstring defaults = paintManager_.GetDefaultAttributeList(L"Menu");
    if (!defaults.empty()) layout->ApplyAttributeList(defaults);
    layout->SetBkColor(kSubMenuBackground);
    layout->SetBorderColor(kSubMenuBorder);
    layout->SetBorderSize(0);
    layout->EnableScrollBar(true, false);
    for (auto& item : owner_->TakeSubItems()) layout->Add(std::move(item));
    return layout;
}

void CMenuWnd::PlaceSubMenu() {
    const RECT work = WorkAreaOf(window_);
    SIZE size{0, 0};
    for (int i = 0; i < layout_->GetCount(); ++i) {
        SIZE itemSize = layout_->GetItemAt(i)->EstimateSize(SizeOf(work));
        size.cy += itemSize.cy;
        size.cx = std::max(size.cx, itemSize.cx);
    }
    const int frame = paintManager_.GetDpiScale().Scale(4);
    size.cx += frame;
    size.cy += frame;
    RECT rect = SubMenuRect(size, work);
    ::MoveWindow(window_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
}

RECT CMenuWnd::SubMenuRect(SIZE size, const RECT& work) const {
    HWND ownerWindow = owner_->GetManager()->GetPaintWindow();
    RECT item = owner_->GetPos();
    RECT parent{};
    ::GetWindowRect(ownerWindow, &parent);
    POINT top{item.left, item.top};
    ::ClientToScreen(ownerWindow, &top);
    RECT rect{parent.right, top.y, parent.right + size.cx + paintManager_.GetDpiScale().Scale(2), top.y + size.cy};

    // A sub-menu that an earlier one had to place to the left or above leads the way.
    bool rightTaken = false;
    bool belowTaken = false;
    for (const CWindowWnd* menu : chain_->Menus()) {
        RECT other{};
        ::GetWindowRect(menu->GetHWND(), &other);
        rightTaken = other.left >= parent.right;
        belowTaken = other.top >= parent.bottom;
        if (menu->GetHWND() == ownerWindow || belowTaken || rightTaken) break;
    }
    if (belowTaken) {
        rect.bottom = parent.top;
        rect.top = rect.bottom - size.cy;
    }
    if (rightTaken) {
        rect.right = parent.left;
        rect.left = rect.right - size.cx;
    }

    if (rect.bottom > work.bottom) {
        rect.bottom = rect.top;
        rect.top = rect.bottom - size.cy;
    }
    if (rect.right > work.right) {
        rect.right = parent.left;
        rect.left = rect.right - size.cx;
        rect.top = parent.bottom;
        rect.bottom = rect.top + size.cy;
    }
    if (rect.left < work.left) {
        rect.left = parent.right;
        rect.right = rect.left + size.cx;
    }
    if (rect.top < work.top) {
        rect.top = work.top;
        rect.bottom = rect.top + size.cy;
    }
    return rect;
}

void CMenuWnd::Notify(UiNotify& msg) {
    // Enter on an entry activates it as a click does.
    if (msg.sType == L"itemclick" || msg.sType == L"itemactivate") {
        PostItemClick(msg.pSender ? msg.pSender->GetName() : std::wstring());
    } else if (msg.sType == L"windowinit") {
        OnMenuInit();
    }
}

void CMenuWnd::PostItemClick(const std::wstring& name) {
    auto* root = dynamic_cast<CMenuWnd*>(chain_->Root());
    // The click is taken once this menu's own message is done; a root that is gone by then
    // takes nothing, and one that a subscriber ends (the main window quitting) takes no more.
    if (!root) return;
    root->Tasks()->Post([root, name] { root->itemClicked_.Emit(name); });
    root->Tasks()->Post([root, name] { root->OnItemClick(name); });
}

LRESULT CMenuWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    switch (message) {
    case WM_KILLFOCUS:
        if (!chain_->Contains(reinterpret_cast<HWND>(wParam))) {
            chain_->CloseAll();
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) Close(1);
        break;
    case WM_CONTEXTMENU:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return 0;
    case WM_CLOSE:
        if (owner_) {
            owner_->SetPos(owner_->GetPos());
            owner_->SetFocus();
        }
        break;
    default:
        break;
    }
    handled = false;
    return 0;
}

void CMenuWnd::OnFinalMessage(HWND window) {
    if (owner_) {
        std::vector<std::unique_ptr<CControlUI>> items;
        if (layout_)
            while (std::unique_ptr<CControlUI> item = layout_->RemoveAt(0)) items.push_back(std::move(item));
        owner_->ReturnSubItems(std::move(items));
        owner_->SetSubMenuWindow(nullptr);
        owner_->ClearHot();
        owner_->Invalidate();
    }
    if (openedFrom_) ::SendMessageW(openedFrom_, WM_EXITMENULOOP, FALSE, 0);
    CSkinnedWindow::OnFinalMessage(window);
}

}  // namespace UiLib
