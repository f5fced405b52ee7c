#pragma once
#include <algorithm>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace UiLib {

// The framework's ordered array of pointers. `Ptr` is a plain pointer for lists that do not own
// their elements and std::unique_ptr for lists that do. Capacity starts at 11 slots and doubles.
template <typename Ptr>
class CPtrArray {
public:
    static constexpr size_t kInitialCapacity = 11;

    using Element = std::remove_reference_t<decltype(*std::declval<Ptr>())>;

    size_t Count() const { return items_.size(); }
    bool IsEmpty() const { return items_.empty(); }
    size_t Capacity() const { return items_.capacity(); }

    // Null for an index out of range.
    Element* GetAt(int index) const {
        if (index < 0 || static_cast<size_t>(index) >= items_.size()) return nullptr;
        return Raw(items_[index]);
    }
    Element* operator[](int index) const { return GetAt(index); }

    int IndexOf(const Element* item) const {
        for (size_t i = 0; i < items_.size(); ++i)
            if (Raw(items_[i]) == item) return static_cast<int>(i);
        return -1;
    }

    void Add(Ptr item) {
        Grow();
        items_.push_back(std::move(item));
    }

    // Inserts before `index`; an index past the end is refused.
    bool InsertAt(int index, Ptr item) {
        if (index < 0 || static_cast<size_t>(index) > items_.size()) return false;
        Grow();
        items_.insert(items_.begin() + index, std::move(item));
        return true;
    }

    // Takes the element out of the array and hands it to the caller.
    Ptr TakeAt(int index) {
        if (index < 0 || static_cast<size_t>(index) >= items_.size()) return Ptr{};
        Ptr item = std::move(items_[index]);
        items_.erase(items_.begin() + index);
        return item;
    }

    // Moves the element at `from` so that it ends up at `to`.
    bool Move(int from, int to) {
        int count = static_cast<int>(items_.size());
        if (from < 0 || from >= count || to < 0 || to >= count) return false;
        Ptr item = std::move(items_[from]);
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(item));
        return true;
    }

    void Clear() { items_.clear(); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    static Element* Raw(const Ptr& ptr) {
        if constexpr (std::is_pointer_v<Ptr>) return ptr;
        else return ptr.get();
    }

    void Grow() {
        if (items_.size() < items_.capacity()) return;
        items_.reserve(items_.capacity() == 0 ? kInitialCapacity : items_.capacity() * 2);
    }

    std::vector<Ptr> items_;
};

}  // namespace UiLib
