#pragma once
#include "shared/LogonTask.h"

// A task scheduler that keeps no task: present but refusing every one (a user without the right to
// register it), or absent altogether (Windows before Vista).
class TasklessScheduler final : public IScheduledTasks {
public:
    explicit TasklessScheduler(bool available) : available_(available) {}
    bool IsAvailable() override { return available_; }
    bool Register(const std::wstring&, const std::wstring&) override { return false; }
    bool Delete(const std::wstring&) override { return false; }
    bool Exists(const std::wstring&) override { return false; }

private:
    bool available_;
};
