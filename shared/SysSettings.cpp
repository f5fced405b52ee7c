#include "shared/SysSettings.h"

#include <windows.h>
#include <shlwapi.h>

#include "shared/DataFolder.h"
#include "shared/ScopedHandle.h"
#include "shared/TextConvert.h"
#include "shared/XmlFile.h"

namespace {

const wchar_t kRunKey[] = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"Ludora";
// The start mode in which the program stays hidden in the tray.
const wchar_t kAutoRunArgument[] = L"AUTORUN";

std::wstring CurrentProgramPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

bool HasRunValue() {
    ScopedRegistryKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kRunKey, KEY_READ | KEY_WOW64_32KEY);
    // Asks for existence only, so that a long program path still counts as registered.
    return key && RegQueryValueExW(key.get(), kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void SetRunValue(bool enable, const std::wstring& programPath) {
    ScopedRegistryKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kRunKey, KEY_WRITE | KEY_WOW64_32KEY);
    if (!key) return;
    if (enable) {
        std::wstring data = SysSettings::AutoRunCommand(programPath);
        RegSetValueExW(key.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(key.get(), kRunValue);
    }
}

}  // namespace

const SysSettings::Field SysSettings::kFields[7] = {
    {"AutoRun", &SettingValues::AutoRun},       {"IsColse", &SettingValues::IsColse},
    {"IsShow", &SettingValues::IsShow},         {"UpdateType", &SettingValues::UpdateType},
    {"NewsUrl", &SettingValues::NewsUrl},       {"AdTime", &SettingValues::AdTime},
    {"NewsTime", &SettingValues::NewsTime},
};

SettingValues SysSettings::Snapshot() const {
    std::lock_guard<std::mutex> hold(lock_);
    return values_;
}

void SysSettings::LoadSettings(const std::wstring& dataFolder) {
    std::lock_guard<std::mutex> hold(lock_);
    EnsureDataFolders(dataFolder);
    path_ = dataFolder + L"\\config.xml";
    DataFilesLock files;
    if (!PathFileExistsW(path_.c_str())) CreateDefaultSettingsFile(path_);
    unreadable_ = !LoadDocument();
    ReadDocument();
}

bool SysSettings::LoadDocument() {
    if (LoadXmlDocument(document_, path_)) return true;
    // Unparsable, or not there at all: nothing in it to keep.
    std::string bytes;
    return ReadWholeFile(path_, bytes) || !PathFileExistsW(path_.c_str());
}

void SysSettings::ReadDocument() {
    TiXmlElement* setting = SettingElement();
    if (setting == nullptr) return;
    for (TiXmlAttribute* attribute = setting->FirstAttribute(); attribute; attribute = attribute->Next()) {
        for (const Field& field : kFields) {
            if (attribute->NameTStr() == field.name) values_.*field.member = Utf8ToWide(attribute->Value());
        }
    }
}

TiXmlElement* SysSettings::SettingElement() {
    TiXmlElement* root = document_.FirstChildElement();
    return root ? root->FirstChildElement() : nullptr;
}

void SysSettings::CreateDefaultSettingsFile(const std::wstring& path) {
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", "yes"));
    auto* root = new TiXmlElement("SysSet");
    document.LinkEndChild(root);
    auto* setting = new TiXmlElement("Setting");
    root->LinkEndChild(setting);
    // The Run value answers at once; asking the task scheduler would hold up the first start. The
    // settings window asks the scheduler itself.
    setting->SetAttribute("AutoRun", HasRunValue() ? "1" : "0");
    setting->SetAttribute("IsColse", "0");
    setting->SetAttribute("IsShow", "1");
    setting->SetAttribute("UpdateType", "1");
    setting->SetAttribute("NewsUrl", "");
    setting->SetAttribute("AdTime", "");
    setting->SetAttribute("NewsTime", "");
    SaveXmlDocument(document, path);
}

void SysSettings::SaveFields(
    std::initializer_list<std::pair<std::wstring SettingValues::*, const std::wstring*>> values) {
    std::lock_guard<std::mutex> hold(lock_);
    DataFilesLock files;
    // Another session may have saved since, or the file was held at start: what it holds now
    // comes first, then this change.
    unreadable_ = !LoadDocument();
    if (!unreadable_) ReadDocument();
    for (const auto& value : values) values_.*value.first = *value.second;
    // Still unreadable: the change holds for this session, and the file keeps what it has.
    if (unreadable_) return;

    TiXmlElement* setting = SettingElement();
    if (setting == nullptr) {
        // The file did not parse: start again from the whole structure with the values in force.
        document_.Clear();
        document_.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", "yes"));
        auto* root = new TiXmlElement("SysSet");
        document_.LinkEndChild(root);
        setting = new TiXmlElement("Setting");
        root->LinkEndChild(setting);
        for (const Field& field : kFields) setting->SetAttribute(field.name, WideToUtf8(values_.*field.member).c_str());
    }
    for (const auto& value : values) {
        for (const Field& field : kFields) {
            if (field.member == value.first) setting->SetAttribute(field.name, WideToUtf8(*value.second).c_str());
        }
    }
    SaveXmlDocument(document_, path_);
}

void SysSettings::SaveGeneralSettings(const std::wstring& autoRun, const std::wstring& isColse,
                                      const std::wstring& isShow, const std::wstring& updateType) {
    SaveFields({{&SettingValues::AutoRun, &autoRun},
                {&SettingValues::IsColse, &isColse},
                {&SettingValues::IsShow, &isShow},
                {&SettingValues::UpdateType, &updateType}});
}

void SysSettings::SaveNewsUrl(const std::wstring& value) { SaveFields({{&SettingValues::NewsUrl, &value}}); }
void SysSettings::SaveAdTime(const std::wstring& value) { SaveFields({{&SettingValues::AdTime, &value}}); }
void SysSettings::SaveNewsTime(const std::wstring& value) { SaveFields({{&SettingValues::NewsTime, &value}}); }

bool SysSettings::IsAutoRunRegistered(IScheduledTasks& tasks) {
    if (tasks.IsAvailable()) return tasks.Exists(AutoRunTaskName());
    return HasRunValue();
}

std::wstring SysSettings::AutoRunCommand(const std::wstring& programPath) {
    return L"\"" + programPath + L"\" " + kAutoRunArgument;
}

std::wstring SysSettings::AutoRunTaskName() { return std::wstring(kRunValue) + L" " + CurrentUserSid(); }

bool SysSettings::SetAutoRunRegistration(bool enable, IScheduledTasks& tasks) {
    return SetAutoRunRegistration(enable, CurrentProgramPath(), tasks);
}

bool SysSettings::SetAutoRunRegistration(bool enable, const std::wstring& programPath, IScheduledTasks& tasks) {
    if (tasks.IsAvailable()) {
        if (enable) {
            const std::wstring xml = LogonTaskXml(CurrentUserSid(), programPath, kAutoRunArgument);
            if (!tasks.Register(AutoRunTaskName(), xml)) return IsAutoRunRegistered(tasks);
        } else {
            tasks.Delete(AutoRunTaskName());
        }
    }
    SetRunValue(enable, programPath);
    return IsAutoRunRegistered(tasks);
}
