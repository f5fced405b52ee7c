#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace UiLib {

// The framework's string-keyed map: a chained hash table whose hash runs over the key from the
// last character to the first (h = h * 33 + c). A successful lookup moves the entry to the front
// of its bucket, so the names a window asks for most are found first.
template <typename Value>
class CStringMap {
public:
    static constexpr size_t kDefaultBuckets = 83;

    explicit CStringMap(size_t buckets = kDefaultBuckets) : buckets_(buckets == 0 ? 1 : buckets) {}

    CStringMap(const CStringMap&) = delete;
    CStringMap& operator=(const CStringMap&) = delete;
    CStringMap(CStringMap&&) noexcept = default;
    CStringMap& operator=(CStringMap&&) noexcept = default;

    static size_t Hash(const std::wstring& key, size_t buckets) {
        size_t h = 0;
        for (auto it = key.rbegin(); it != key.rend(); ++it) h = h * 33 + static_cast<size_t>(*it);
        return h % buckets;
    }

    size_t BucketCount() const { return buckets_.size(); }
    size_t Count() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }

    // The value stored under `key`, or null. The entry becomes the first of its bucket.
    Value* Find(const std::wstring& key) {
        std::unique_ptr<Node>& head = buckets_[Hash(key, buckets_.size())];
        for (std::unique_ptr<Node>* link = &head; *link; link = &(*link)->next) {
            if ((*link)->key != key) continue;
            if (link != &head) {
                std::unique_ptr<Node> found = std::move(*link);
                *link = std::move(found->next);
                found->next = std::move(head);
                head = std::move(found);
            }
            return &head->value;
        }
        return nullptr;
    }

    // Adds a new entry; an existing key keeps its value and the call reports false.
    bool Insert(const std::wstring& key, Value value) {
        if (Find(key)) return false;
        PushFront(key, std::move(value));
        return true;
    }

    // Adds the entry or replaces the value of an existing one.
    void Set(const std::wstring& key, Value value) {
        if (Value* existing = Find(key)) {
            *existing = std::move(value);
            return;
        }
        PushFront(key, std::move(value));
    }

    bool Remove(const std::wstring& key) {
        std::unique_ptr<Node>* link = &buckets_[Hash(key, buckets_.size())];
        for (; *link; link = &(*link)->next) {
            if ((*link)->key != key) continue;
            *link = std::move((*link)->next);
            --count_;
            return true;
        }
        return false;
    }

    void RemoveAll() {
        for (auto& bucket : buckets_) ClearChain(bucket);
        count_ = 0;
    }

    // Rehashes every entry into `buckets` chains.
    void Resize(size_t buckets) {
        std::vector<std::unique_ptr<Node>> old = std::move(buckets_);
        buckets_ = std::vector<std::unique_ptr<Node>>(buckets == 0 ? 1 : buckets);
        for (auto& chain : old) {
            while (chain) {
                std::unique_ptr<Node> node = std::move(chain);
                chain = std::move(node->next);
                std::unique_ptr<Node>& head = buckets_[Hash(node->key, buckets_.size())];
                node->next = std::move(head);
                head = std::move(node);
            }
        }
    }

    // Calls visit(key, value) for every entry, bucket by bucket.
    template <typename Visitor>
    void ForEach(Visitor&& visit) {
        for (auto& bucket : buckets_)
            for (Node* node = bucket.get(); node; node = node->next.get()) visit(node->key, node->value);
    }
    template <typename Visitor>
    void ForEach(Visitor&& visit) const {
        for (const auto& bucket : buckets_)
            for (const Node* node = bucket.get(); node; node = node->next.get()) visit(node->key, node->value);
    }

    // Keys in bucket order, front first; lets callers see the move-to-front order.
    std::vector<std::wstring> BucketKeys(size_t bucket) const {
        std::vector<std::wstring> keys;
        for (const Node* node = buckets_.at(bucket).get(); node; node = node->next.get()) keys.push_back(node->key);
        return keys;
    }

    ~CStringMap() { RemoveAll(); }

private:
    struct Node {
        std::wstring key;
        Value value;
        std::unique_ptr<Node> next;
    };

    void PushFront(const std::wstring& key, Value value) {
        std::unique_ptr<Node>& head = buckets_[Hash(key, buckets_.size())];
        auto node = std::make_unique<Node>(Node{key, std::move(value), nullptr});
        node->next = std::move(head);
        head = std::move(node);
        ++count_;
    }

    // Unlinks iteratively so that a long chain cannot exhaust the stack.
    static void ClearChain(std::unique_ptr<Node>& chain) {
        while (chain) chain = std::move(chain->next);
    }

    std::vector<std::unique_ptr<Node>> buckets_;
    size_t count_ = 0;
};

}  // namespace UiLib
