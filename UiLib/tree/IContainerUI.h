#pragma once
#include <memory>

namespace UiLib {

class CControlUI;

// The child list of a container. Adding hands the child over to the container; removing hands it
// back (null when it was not a child), and dropping what came back deletes it. A control removed
// while one of its own events runs goes to its host's AddDelayedCleanup instead.
class IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(std::unique_ptr<CControlUI> control) = 0;
    virtual bool AddAt(std::unique_ptr<CControlUI> control, int index) = 0;
    virtual std::unique_ptr<CControlUI> Remove(CControlUI* control) = 0;
    virtual std::unique_ptr<CControlUI> RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;

protected:
    ~IContainerUI() = default;
};

}  // namespace UiLib
