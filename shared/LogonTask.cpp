#include "shared/LogonTask.h"

#include <windows.h>
#include <sddl.h>
#include <taskschd.h>

#include <memory>
#include <vector>

#include "shared/ComPtr.h"
#include "shared/ScopedHandle.h"

namespace {

std::wstring EscapeXml(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) {
        switch (c) {
            case L'&': escaped += L"&amp;"; break;
            case L'<': escaped += L"&lt;"; break;
            case L'>': escaped += L"&gt;"; break;
            case L'"': escaped += L"&quot;"; break;
            case L'\'': escaped += L"&apos;"; break;
            default: escaped += c; break;
        }
    }
    return escaped;
}

class ComScheduledTasks final : public IScheduledTasks {
public:
    bool IsAvailable() override {
        ScopedComApartment com;
        return static_cast<bool>(RootFolder());
    }

    bool Register(const std::wstring& name, const std::wstring& xml) override {
        ScopedComApartment com;
        ComPtr<ITaskFolder> folder = RootFolder();
        if (!folder) return false;
        ScopedBstr path(name), definition(xml);
        VARIANT none;
        VariantInit(&none);
        ComPtr<IRegisteredTask> task;
        return SUCCEEDED(folder->RegisterTask(path.Get(), definition.Get(), TASK_CREATE_OR_UPDATE, none, none,
                                              TASK_LOGON_INTERACTIVE_TOKEN, none, task.Out()));
    }

    bool Delete(const std::wstring& name) override {
        ScopedComApartment com;
        ComPtr<ITaskFolder> folder = RootFolder();
        ScopedBstr path(name);
        return folder && SUCCEEDED(folder->DeleteTask(path.Get(), 0));
    }

    bool Exists(const std::wstring& name) override {
        ScopedComApartment com;
        ComPtr<ITaskFolder> folder = RootFolder();
        ScopedBstr path(name);
        ComPtr<IRegisteredTask> task;
        return folder && SUCCEEDED(folder->GetTask(path.Get(), task.Out())) && task;
    }

private:
    // The root folder of the local task scheduler; empty where there is none.
    static ComPtr<ITaskFolder> RootFolder() {
        ComPtr<ITaskService> service;
        ComPtr<ITaskFolder> folder;
        if (FAILED(CoCreateInstance(__uuidof(TaskScheduler), nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskService),
                                    service.OutVoid())))
            return folder;
        VARIANT local;
        VariantInit(&local);
        if (FAILED(service->Connect(local, local, local, local))) return folder;
        ScopedBstr root(L"\\");
        if (FAILED(service->GetFolder(root.Get(), folder.Out()))) folder.Reset();
        return folder;
    }
};

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

}  // namespace

IScheduledTasks& SystemScheduledTasks() {
    static ComScheduledTasks tasks;
    return tasks;
}

std::wstring LogonTaskXml(const std::wstring& userId, const std::wstring& program, const std::wstring& arguments) {
    const std::wstring user = EscapeXml(userId);
    // Version 1.2 is the schema of Windows 7. The defaults would stop the program after three days,
    // keep it from starting on battery and run it below normal priority.
    return L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
           L"<Triggers><LogonTrigger><Enabled>true</Enabled><UserId>" + user + L"</UserId></LogonTrigger></Triggers>"
           L"<Principals><Principal id=\"Author\"><UserId>" + user + L"</UserId>"
           L"<LogonType>InteractiveToken</LogonType><RunLevel>HighestAvailable</RunLevel></Principal></Principals>"
           L"<Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
           L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
           L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
           L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>5</Priority></Settings>"
           L"<Actions Context=\"Author\"><Exec><Command>" + EscapeXml(program) + L"</Command>"
           L"<Arguments>" + EscapeXml(arguments) + L"</Arguments></Exec></Actions>"
           L"</Task>";
}

std::wstring CurrentUserSid() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return {};
    ScopedHandle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    wchar_t* rawText = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &rawText)) return {};
    std::unique_ptr<wchar_t, LocalFreer> text(rawText);
    return text.get();
}
