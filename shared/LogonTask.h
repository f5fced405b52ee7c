#pragma once
#include <string>

// The tasks of the platform's task scheduler (root folder, by name) as start-with-Windows uses them.
// Tests put in one that fails.
class IScheduledTasks {
public:
    virtual ~IScheduledTasks() = default;
    // False where the platform has no task scheduler (before Windows Vista).
    virtual bool IsAvailable() = 0;
    // Creates or replaces the task `name` from its XML definition.
    virtual bool Register(const std::wstring& name, const std::wstring& xml) = 0;
    virtual bool Delete(const std::wstring& name) = 0;
    virtual bool Exists(const std::wstring& name) = 0;
};

// The system's task scheduler through its COM interface; each call joins COM for its duration.
IScheduledTasks& SystemScheduledTasks();

// A task that starts `program` with `arguments` when the user `userId` logs on, with the highest
// rights that user has.
std::wstring LogonTaskXml(const std::wstring& userId, const std::wstring& program, const std::wstring& arguments);

// The string form of the current user's security identifier ("S-1-5-21-..."); empty on failure.
std::wstring CurrentUserSid();
