#pragma once
#include <functional>
#include <optional>
#include <string>

// The last good versions of a data file, kept beside it as "<file>.good-1" (the newest) to
// "<file>.good-3", so that a file cut by a power failure or a faulty disk can be taken back with
// at most its last change lost. Each copy is written whole beside its name and then moved into
// place, as the file itself is. Callers hold the data files' lock.
class GoodCopies {
public:
    static constexpr int kCount = 3;

    explicit GoodCopies(std::wstring path) : path_(std::move(path)) {}

    // "<file>.good-<age>", age 1 being the newest.
    static std::wstring CopyName(const std::wstring& path, int age);

    // After `bytes` were saved to the file: they become the newest copy and the oldest goes.
    bool Keep(const std::string& bytes) const;

    // The bytes of the newest copy that `readable` accepts; none when no copy is readable.
    std::optional<std::string> NewestReadable(const std::function<bool(const std::string&)>& readable) const;

private:
    std::wstring path_;
};
