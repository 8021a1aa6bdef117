#include "app/reminder_task.h"

#include "base/handle.h"

#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <taskschd.h>
#include <wrl/client.h>

#ifndef __ILogonTrigger_INTERFACE_DEFINED__
#define __ILogonTrigger_INTERFACE_DEFINED__
// MinGW-w64's taskschd.h lacks the logon trigger: declared here as the Windows SDK has it.
MIDL_INTERFACE("72DADE38-FAE4-4b3e-BAF4-5D009AF02B1C")
ILogonTrigger : public ITrigger {
public:
    virtual HRESULT STDMETHODCALLTYPE get_Delay(BSTR* delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Delay(BSTR delay) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserId(BSTR* user) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserId(BSTR user) = 0;
};
__CRT_UUID_DECL(ILogonTrigger, 0x72dade38, 0xfae4, 0x4b3e, 0xba, 0xf4, 0x5d, 0x00, 0x9a, 0xf0, 0x2b, 0x1c)
#endif

using Microsoft::WRL::ComPtr;

namespace {

// A BSTR owned for one call.
class Bstr {
public:
    explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }
    BSTR* out() { SysFreeString(value_); value_ = nullptr; return &value_; }
    std::wstring text() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : std::wstring(); }

private:
    BSTR value_ = nullptr;
};

VARIANT empty_variant()
{
    VARIANT v;
    VariantInit(&v);
    return v;
}

struct Scheduler {
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> folder;  // the root folder, where per-user tasks of programs live
};

// The local Task Scheduler as the current user.
std::optional<Scheduler> connect_scheduler()
{
    Scheduler scheduler;
    if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scheduler.service))))
        return std::nullopt;
    const VARIANT none = empty_variant();
    if (FAILED(scheduler.service->Connect(none, none, none, none))) return std::nullopt;
    const Bstr path(L"\\");
    if (FAILED(scheduler.service->GetFolder(path.get(), &scheduler.folder)) || !scheduler.folder) return std::nullopt;
    return scheduler;
}

std::wstring quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

// The current user as "DOMAIN\user".
std::wstring current_user()
{
    wchar_t name[256]{};
    DWORD size = 256;
    if (!GetUserNameW(name, &size)) return {};
    wchar_t domain[256]{};
    DWORD domain_size = 256;
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD sid_size = static_cast<DWORD>(sid.size());
    SID_NAME_USE use{};
    if (LookupAccountNameW(nullptr, name, sid.data(), &sid_size, domain, &domain_size, &use) && domain[0] != L'\0')
        return std::wstring(domain) + L"\\" + name;
    return name;
}

// Whether a registered task already runs this program with our arguments.
bool task_is_current(ITaskFolder& folder, const std::wstring& task_name, const std::wstring& program_path)
{
    ComPtr<IRegisteredTask> task;
    const Bstr name(task_name.c_str());
    if (FAILED(folder.GetTask(name.get(), &task)) || !task) return false;
    ComPtr<ITaskDefinition> definition;
    if (FAILED(task->get_Definition(&definition)) || !definition) return false;
    ComPtr<IActionCollection> actions;
    LONG action_count = 0;
    if (FAILED(definition->get_Actions(&actions)) || FAILED(actions->get_Count(&action_count)) || action_count != 1)
        return false;
    ComPtr<IAction> action;
    ComPtr<IExecAction> exec;
    if (FAILED(actions->get_Item(1, &action)) || FAILED(action.As(&exec))) return false;
    Bstr path(nullptr);
    Bstr arguments(nullptr);
    if (FAILED(exec->get_Path(path.out())) || FAILED(exec->get_Arguments(arguments.out()))) return false;
    std::wstring stored = path.text();
    if (stored.size() >= 2 && stored.front() == L'"' && stored.back() == L'"') stored = stored.substr(1, stored.size() - 2);
    if (CompareStringOrdinal(stored.c_str(), -1, program_path.c_str(), -1, TRUE) != CSTR_EQUAL) return false;
    return arguments.text() == k_reminder_task_arguments;
}

bool add_triggers(ITaskDefinition& definition)
{
    ComPtr<ITriggerCollection> triggers;
    if (FAILED(definition.get_Triggers(&triggers))) return false;

    ComPtr<ITrigger> daily_trigger;
    ComPtr<IDailyTrigger> daily;
    if (FAILED(triggers->Create(TASK_TRIGGER_DAILY, &daily_trigger)) || FAILED(daily_trigger.As(&daily)))
        return false;
    // No time zone in the boundary: 10:00 in whatever zone the PC is in on the day.
    const Bstr start(L"2026-01-01T10:00:00");
    if (FAILED(daily->put_StartBoundary(start.get())) || FAILED(daily->put_DaysInterval(1))) return false;

    // A scheduler that cannot make logon triggers (E_NOTIMPL) still gets the daily one: a reminder a
    // day late is better than none. One it does make must be right.
    ComPtr<ITrigger> logon_trigger;
    if (FAILED(triggers->Create(TASK_TRIGGER_LOGON, &logon_trigger))) return true;
    ComPtr<ILogonTrigger> logon;
    if (FAILED(logon_trigger.As(&logon))) return false;
    // The SID rather than "DOMAIN\user": a Microsoft or Entra ID account's name may not resolve the
    // same way at logon.
    const Bstr delay(L"PT5M");
    std::wstring user = current_user_sid();
    if (user.empty()) user = current_user();
    const Bstr user_id(user.c_str());
    if (FAILED(logon->put_Delay(delay.get()))) return false;
    return user.empty() || SUCCEEDED(logon->put_UserId(user_id.get()));
}

bool describe(ITaskDefinition& definition, const std::wstring& program_path)
{
    ComPtr<IRegistrationInfo> info;
    const Bstr author(L"Vessop");
    const Bstr description(L"Tells you before a joint certificate (NPKI) on this PC ends.");
    if (SUCCEEDED(definition.get_RegistrationInfo(&info))) {
        info->put_Author(author.get());
        info->put_Description(description.get());
    }

    // Said again by the registration below (an interactive token: only while the user is logged on)
    // and the schema's default (least privilege), so a principal that cannot take them is no failure.
    // The principal names the user, so that the task says whose it is.
    ComPtr<IPrincipal> principal;
    if (SUCCEEDED(definition.get_Principal(&principal))) {
        principal->put_LogonType(TASK_LOGON_INTERACTIVE_TOKEN);
        principal->put_RunLevel(TASK_RUNLEVEL_LUA);
        const std::wstring sid = current_user_sid();
        const Bstr user_id(sid.c_str());
        if (!sid.empty()) principal->put_UserId(user_id.get());
    }

    ComPtr<ITaskSettings> settings;
    const Bstr limit(L"PT5M");
    if (FAILED(definition.get_Settings(&settings)) || FAILED(settings->put_StartWhenAvailable(VARIANT_TRUE)) ||
        FAILED(settings->put_ExecutionTimeLimit(limit.get())))
        return false;
    // A laptop on battery is reminded too.
    settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
    settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);

    if (!add_triggers(definition)) return false;

    ComPtr<IActionCollection> actions;
    ComPtr<IAction> action;
    ComPtr<IExecAction> exec;
    if (FAILED(definition.get_Actions(&actions)) || FAILED(actions->Create(TASK_ACTION_EXEC, &action)) ||
        FAILED(action.As(&exec)))
        return false;
    const std::wstring path = quoted(program_path);
    const Bstr path_text(path.c_str());
    const Bstr arguments(k_reminder_task_arguments);
    return SUCCEEDED(exec->put_Path(path_text.get())) && SUCCEEDED(exec->put_Arguments(arguments.get()));
}

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b)
{
    return !a.empty() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                              TRUE) == CSTR_EQUAL;
}

// Removes the shared-name task of earlier versions when its principal is this user.
void remove_own_shared_task(ITaskFolder& folder)
{
    const std::wstring shared(k_reminder_task_prefix);
    const Bstr name(shared.c_str());
    ComPtr<IRegisteredTask> task;
    if (FAILED(folder.GetTask(name.get(), &task)) || !task) return;
    Bstr xml(nullptr);
    if (FAILED(task->get_Xml(xml.out()))) return;
    if (is_own_principal(principal_user_of_task_xml(xml.text()), current_user_sid(), current_user()))
        folder.DeleteTask(name.get(), 0);
}

std::wstring_view trimmed(std::wstring_view text)
{
    constexpr std::wstring_view k_space = L" \t\r\n";
    const size_t first = text.find_first_not_of(k_space);
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(k_space) - first + 1);
}

}  // namespace

std::wstring current_user_sid()
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const UniqueKernelHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
    const UniqueLocalMem owner(text);
    return text;
}

std::wstring reminder_task_name(std::wstring_view user_sid)
{
    std::wstring name(k_reminder_task_prefix);
    if (!user_sid.empty()) name.append(L" ").append(user_sid);
    return name;
}

std::wstring principal_user_of_task_xml(std::wstring_view xml)
{
    // "<Principal id=…>" or "<Principal>"; "<Principals>" is the list around it.
    size_t principal = xml.find(L"<Principal ");
    if (principal == std::wstring_view::npos) principal = xml.find(L"<Principal>");
    if (principal == std::wstring_view::npos) return {};
    const size_t end = xml.find(L"</Principal>", principal);
    const std::wstring_view section = xml.substr(principal, end == std::wstring_view::npos ? xml.npos : end - principal);
    constexpr std::wstring_view k_open = L"<UserId>";
    const size_t open = section.find(k_open);
    if (open == std::wstring_view::npos) return {};
    const size_t close = section.find(L"</UserId>", open);
    if (close == std::wstring_view::npos) return {};
    return std::wstring(trimmed(section.substr(open + k_open.size(), close - open - k_open.size())));
}

bool is_own_principal(std::wstring_view principal, std::wstring_view sid, std::wstring_view domain_user)
{
    if (principal.empty()) return false;
    if (equal_ignoring_case(principal, sid) || equal_ignoring_case(principal, domain_user)) return true;
    // "user" alone: the part of "DOMAIN\user" after the backslash.
    const size_t slash = domain_user.rfind(L'\\');
    return slash != std::wstring_view::npos && equal_ignoring_case(principal, domain_user.substr(slash + 1));
}

std::wstring this_program_path()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);  // cut short: try a larger buffer
    }
}

bool may_register_reminder_task(const std::wstring& program_path)
{
    if (program_path.empty()) return false;
    wchar_t volume[MAX_PATH + 1]{};
    if (!GetVolumePathNameW(program_path.c_str(), volume, MAX_PATH)) return false;
    const UINT type = GetDriveTypeW(volume);
    return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

void keep_reminder_task(const std::wstring& program_path)
{
    if (!may_register_reminder_task(program_path)) return;
    const std::optional<Scheduler> scheduler = connect_scheduler();
    if (!scheduler) return;
    const std::wstring sid = current_user_sid();
    if (!sid.empty()) remove_own_shared_task(*scheduler->folder.Get());
    const std::wstring task_name = reminder_task_name(sid);
    if (task_is_current(*scheduler->folder.Get(), task_name, program_path)) return;
    ComPtr<ITaskDefinition> definition;
    if (FAILED(scheduler->service->NewTask(0, &definition)) || !describe(*definition.Get(), program_path)) return;
    // Replaces a task of the same name that runs another program (a moved or reinstalled copy).
    ComPtr<IRegisteredTask> registered;
    const Bstr name(task_name.c_str());
    const VARIANT none = empty_variant();
    scheduler->folder->RegisterTaskDefinition(name.get(), definition.Get(), TASK_CREATE_OR_UPDATE, none, none,
                                              TASK_LOGON_INTERACTIVE_TOKEN, none, &registered);
}

void remove_reminder_task()
{
    const std::optional<Scheduler> scheduler = connect_scheduler();
    if (!scheduler) return;
    const std::wstring sid = current_user_sid();
    if (!sid.empty()) remove_own_shared_task(*scheduler->folder.Get());
    const std::wstring task_name = reminder_task_name(sid);
    const Bstr name(task_name.c_str());
    scheduler->folder->DeleteTask(name.get(), 0);
}

namespace {

void settle_reminder_task(bool (*wanted)())
{
    static std::mutex one_at_a_time;
    const std::lock_guard lock(one_at_a_time);
    if (wanted()) {
        keep_reminder_task(this_program_path());
    } else {
        remove_reminder_task();
    }
}

}  // namespace

void settle_reminder_task_in_background(bool (*wanted)())
{
    try {
        std::thread([wanted] {
            const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            settle_reminder_task(wanted);
            if (SUCCEEDED(com)) CoUninitialize();
        }).detach();
    } catch (const std::system_error&) {
        settle_reminder_task(wanted);  // no thread to be had: on this one, as before
    }
}
