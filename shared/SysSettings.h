#pragma once
#include <tinyxml.h>

#include <mutex>
#include <string>

#include "shared/LogonTask.h"

// The seven settings, named like their "config.xml" attributes.
struct SettingValues {
    std::wstring AutoRun = L"1";
    std::wstring IsColse = L"0";
    std::wstring IsShow = L"1";
    std::wstring UpdateType = L"0";
    std::wstring NewsUrl;
    std::wstring AdTime;
    std::wstring NewsTime;
};

// The user's settings and the pop-ups' bookkeeping, kept in "config.xml" in the data folder.
// Shared by the window thread and the workers: one lock guards every read and save, and readers
// take a copy of the values. Each save reads the file again under the data files' lock and
// changes only its own values, so that the Ludora of another session keeps its changes.
class SysSettings {
public:
    SettingValues Snapshot() const;

    // Reads "<dataFolder>\config.xml", creating it with defaults when it is missing.
    void LoadSettings(const std::wstring& dataFolder);
    static void CreateDefaultSettingsFile(const std::wstring& path);

    void SaveGeneralSettings(const std::wstring& autoRun, const std::wstring& isColse,
                             const std::wstring& isShow, const std::wstring& updateType);
    void SaveNewsUrl(const std::wstring& value);
    void SaveAdTime(const std::wstring& value);
    void SaveNewsTime(const std::wstring& value);

    const std::wstring& FilePath() const { return path_; }

    // Start with Windows: the machine's Run value, which the installer's uninstaller and other
    // programs look for, and, where the platform has a task scheduler, a logon task of the current
    // user with the highest rights, since Windows does not start a program that asks for
    // elevation from the Run key. Where there is a task scheduler the task is the answer.
    static bool IsAutoRunRegistered(IScheduledTasks& tasks = SystemScheduledTasks());
    // Registers or unregisters both; the Run value is left as it was when the task cannot be
    // registered. Returns whether the program starts with Windows afterwards.
    static bool SetAutoRunRegistration(bool enable, IScheduledTasks& tasks = SystemScheduledTasks());
    static bool SetAutoRunRegistration(bool enable, const std::wstring& programPath,
                                       IScheduledTasks& tasks = SystemScheduledTasks());
    // The Run value's data for a program at `programPath`.
    static std::wstring AutoRunCommand(const std::wstring& programPath);
    // The current user's logon task.
    static std::wstring AutoRunTaskName();

private:
    struct Field {
        const char* name;
        std::wstring SettingValues::*member;
    };
    static const Field kFields[7];

    void ReadDocument();
    // Loads the file; false when it is there but cannot be read (held by another program, or too
    // big to be read at all).
    bool LoadDocument();
    TiXmlElement* SettingElement();
    void SaveFields(std::initializer_list<std::pair<std::wstring SettingValues::*, const std::wstring*>> values);

    mutable std::mutex lock_;
    SettingValues values_;
    TiXmlDocument document_;
    std::wstring path_;
    // The file could not be read at all: it may be intact, and is not written over with defaults.
    bool unreadable_ = false;
};
