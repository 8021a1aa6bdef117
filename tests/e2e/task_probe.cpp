// Test helper: reads the reminder task back through the Task Scheduler's COM interfaces, as Windows'
// own tools would: this user's "Vessop reminder <SID>", or with "shared" the one name earlier versions
// gave every user. Prints the task's XML, then, where the scheduler gives the definition, key=value
// lines: path, arguments, one "trigger=" line per trigger (daily START INTERVAL, or the type number),
// time_limit and start_when_available. Exit status 2 when there is no such task, 1 when the scheduler
// cannot be read.
//   task_probe plant-shared USER   registers the shared-name task as an earlier version left it, its
//                                  principal USER ("me" for the current user's SID)

#include "app/reminder_task.h"
#include "base/text.h"

#include <cstdio>
#include <string>

#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

std::string text(BSTR value)
{
    std::string out = value ? utf8_from_utf16(std::wstring(value, SysStringLen(value))) : std::string();
    SysFreeString(value);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    ComPtr<ITaskService> service;
    VARIANT none;
    VariantInit(&none);
    ComPtr<ITaskFolder> folder;
    BSTR root = SysAllocString(L"\\");
    const bool connected =
        SUCCEEDED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&service))) &&
        SUCCEEDED(service->Connect(none, none, none, none)) && SUCCEEDED(service->GetFolder(root, &folder));
    SysFreeString(root);
    if (!connected) return 1;
    if (command == "plant-shared" && argc > 2) {
        const std::wstring user = std::string(argv[2]) == "me" ? current_user_sid() : utf16_from_utf8(argv[2]);
        const std::wstring xml =
            L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Task version=\"1.2\" "
            L"xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Principals><Principal id=\"Author\">"
            L"<UserId>" + user + L"</UserId><LogonType>InteractiveToken</LogonType></Principal></Principals>"
            L"<Actions Context=\"Author\"><Exec><Command>C:\\old\\Vessop.exe</Command><Arguments>--remind</Arguments>"
            L"</Exec></Actions></Task>";
        BSTR shared = SysAllocString(std::wstring(k_reminder_task_prefix).c_str());
        BSTR text = SysAllocString(xml.c_str());
        ComPtr<IRegisteredTask> registered;
        const HRESULT made = folder->RegisterTask(shared, text, TASK_CREATE_OR_UPDATE, none, none,
                                                  TASK_LOGON_INTERACTIVE_TOKEN, none, &registered);
        SysFreeString(text);
        SysFreeString(shared);
        return SUCCEEDED(made) ? 0 : 1;
    }
    ComPtr<IRegisteredTask> task;
    const std::wstring wanted =
        command == "shared" ? std::wstring(k_reminder_task_prefix) : reminder_task_name(current_user_sid());
    BSTR name = SysAllocString(wanted.c_str());
    const HRESULT found = folder->GetTask(name, &task);
    SysFreeString(name);
    if (FAILED(found) || !task) {
        std::printf("no task\n");
        return 2;
    }
    // The task as the scheduler stores it, one XML line after the other.
    BSTR xml = nullptr;
    if (SUCCEEDED(task->get_Xml(&xml))) std::printf("%s\n", text(xml).c_str());
    ComPtr<ITaskDefinition> definition;
    ComPtr<IActionCollection> actions;
    ComPtr<IAction> action;
    ComPtr<IExecAction> exec;
    // Wine 8 answers E_NOTIMPL here: then the XML above is all there is.
    if (FAILED(task->get_Definition(&definition)) || FAILED(definition->get_Actions(&actions)) ||
        FAILED(actions->get_Item(1, &action)) || FAILED(action.As(&exec)))
        return 0;
    BSTR value = nullptr;
    exec->get_Path(&value);
    std::printf("path=%s\n", text(value).c_str());
    value = nullptr;
    exec->get_Arguments(&value);
    std::printf("arguments=%s\n", text(value).c_str());

    ComPtr<ITriggerCollection> triggers;
    LONG count = 0;
    if (SUCCEEDED(definition->get_Triggers(&triggers)) && SUCCEEDED(triggers->get_Count(&count))) {
        for (LONG i = 1; i <= count; ++i) {
            ComPtr<ITrigger> trigger;
            if (FAILED(triggers->get_Item(i, &trigger))) continue;
            TASK_TRIGGER_TYPE2 type{};
            trigger->get_Type(&type);
            ComPtr<IDailyTrigger> daily;
            if (type == TASK_TRIGGER_DAILY && SUCCEEDED(trigger.As(&daily))) {
                short interval = 0;
                daily->get_DaysInterval(&interval);
                value = nullptr;
                daily->get_StartBoundary(&value);
                std::printf("trigger=daily %s %d\n", text(value).c_str(), interval);
            } else {
                std::printf("trigger=%d\n", static_cast<int>(type));
            }
        }
    }
    ComPtr<ITaskSettings> settings;
    if (SUCCEEDED(definition->get_Settings(&settings))) {
        value = nullptr;
        settings->get_ExecutionTimeLimit(&value);
        std::printf("time_limit=%s\n", text(value).c_str());
        VARIANT_BOOL when_available = VARIANT_FALSE;
        settings->get_StartWhenAvailable(&when_available);
        std::printf("start_when_available=%d\n", when_available ? 1 : 0);
    }
    return 0;
}
