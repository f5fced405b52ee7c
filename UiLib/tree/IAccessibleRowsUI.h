#pragma once
#include <string>

namespace UiLib {

class CControlUI;

// A list that builds controls only for the rows near its view (reached through the interface name
// "AccessibleRows"): screen readers still meet every row as an item of the list, item N of M, and
// a row away from the view is named, selected and acted on like the others.
class IAccessibleRowsUI {
public:
    virtual int AccessibleRowCount() const = 0;
    virtual std::wstring AccessibleRowName(int row) const = 0;
    virtual bool IsAccessibleRowSelected(int row) const = 0;
    // The control showing the row; null while it has none.
    virtual CControlUI* AccessibleRowControl(int row) const = 0;
    // The row a control shows; -1 for any other control.
    virtual int AccessibleRowOf(const CControlUI* control) const = 0;
    // Brings the row into view and gives its control, for a reader that acts on it.
    virtual CControlUI* ShowAccessibleRow(int row) = 0;

protected:
    ~IAccessibleRowsUI() = default;
};

}  // namespace UiLib
