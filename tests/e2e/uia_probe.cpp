// Test helper: what a screen reader finds in the running Vessop window, through UI Automation's own
// client functions in uiautomationcore.dll (declared here: MinGW-w64's headers lack them).
// Usage: uia_probe tree            every element, depth first, one per line:
//                                  DEPTH<TAB>CONTROL TYPE<TAB>NAME<TAB>LEFT,TOP,WIDTH,HEIGHT<TAB>FLAGS
//                                  (FLAGS: "focus" for the keyboard focus, "live" for live text)
//        uia_probe live            the window's live text elements only (its children marked "live"), as
//                                  lines of the same form: far fewer calls than the whole tree, so a
//                                  notice that lives 3 s is read in its time also on a busy machine
//        uia_probe invoke NAME     the Invoke pattern of the first element so named
// Exit status 2 when there is no "Vessop.Main" window, 3 when the element or its pattern is missing.

#include "base/text.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

extern "C" {
DECLARE_HANDLE(HUIANODE);
DECLARE_HANDLE(HUIAPATTERNOBJECT);
struct UiaCondition {
    int ConditionType;  // ConditionType_True = 0
};
struct UiaCacheRequest {
    UiaCondition* pViewCondition;
    int Scope;  // TreeScope_Element = 1
    PROPERTYID* pProperties;
    int cProperties;
    PATTERNID* pPatterns;
    int cPatterns;
    int automationElementMode;  // AutomationElementMode_Full = 1
};
HRESULT WINAPI UiaNodeFromHandle(HWND hwnd, HUIANODE* node);
HRESULT WINAPI UiaGetPropertyValue(HUIANODE node, PROPERTYID id, VARIANT* value);
HRESULT WINAPI UiaNavigate(HUIANODE node, NavigateDirection direction, UiaCondition* condition, UiaCacheRequest* request,
                           SAFEARRAY** data, BSTR* tree_structure);
HRESULT WINAPI UiaHUiaNodeFromVariant(VARIANT* value, HUIANODE* node);
HRESULT WINAPI UiaGetPatternProvider(HUIANODE node, PATTERNID pattern, HUIAPATTERNOBJECT* object);
BOOL WINAPI UiaPatternRelease(HUIAPATTERNOBJECT object);
HRESULT WINAPI InvokePattern_Invoke(HUIAPATTERNOBJECT object);
}

namespace {

constexpr PROPERTYID k_bounding_rectangle = 30001;
constexpr PROPERTYID k_control_type = 30003;
constexpr PROPERTYID k_name = 30005;
constexpr PROPERTYID k_has_keyboard_focus = 30008;
constexpr PROPERTYID k_live_setting = 30135;
constexpr PATTERNID k_invoke = 10000;
constexpr int k_node_limit = 5000;

std::string name_of(HUIANODE node)
{
    VARIANT v;
    VariantInit(&v);
    std::string name;
    if (SUCCEEDED(UiaGetPropertyValue(node, k_name, &v)) && v.vt == VT_BSTR && v.bstrVal)
        name = utf8_from_utf16(std::wstring_view(v.bstrVal, SysStringLen(v.bstrVal)));
    VariantClear(&v);
    return name;
}

long long_of(HUIANODE node, PROPERTYID id)
{
    VARIANT v;
    VariantInit(&v);
    long value = -1;
    if (SUCCEEDED(UiaGetPropertyValue(node, id, &v))) {
        if (v.vt == VT_I4) value = v.lVal;
        if (v.vt == VT_BOOL) value = v.boolVal ? 1 : 0;
    }
    VariantClear(&v);
    return value;
}

std::string rect_of(HUIANODE node)
{
    VARIANT v;
    VariantInit(&v);
    std::string text = "-";
    if (SUCCEEDED(UiaGetPropertyValue(node, k_bounding_rectangle, &v)) && v.vt == (VT_R8 | VT_ARRAY) && v.parray) {
        double r[4]{};
        for (LONG i = 0; i < 4; ++i) SafeArrayGetElement(v.parray, &i, &r[i]);
        char buffer[128];
        std::snprintf(buffer, sizeof(buffer), "%g,%g,%g,%g", r[0], r[1], r[2], r[3]);
        text = buffer;
    }
    VariantClear(&v);
    return text;
}

// The node in that direction, or null.
HUIANODE go(HUIANODE node, NavigateDirection direction)
{
    UiaCondition condition{0};
    UiaCacheRequest request{&condition, 1, nullptr, 0, nullptr, 0, 1};
    SAFEARRAY* data = nullptr;
    BSTR tree = nullptr;
    HUIANODE next = nullptr;
    if (SUCCEEDED(UiaNavigate(node, direction, &condition, &request, &data, &tree)) && data) {
        LONG at[2] = {0, 0};
        VARIANT v;
        VariantInit(&v);
        if (SUCCEEDED(SafeArrayGetElement(data, at, &v))) UiaHUiaNodeFromVariant(&v, &next);
        // The node keeps its own reference: the variant's is dropped with the array.
        VariantClear(&v);
    }
    if (data) SafeArrayDestroy(data);
    SysFreeString(tree);
    return next;
}

int g_nodes = 0;

// Nodes are never released, and the process ends without CoUninitialize. Under Wine 8 the release of
// the last proxy of a provider interface makes the program's COM unregister that interface from
// within the RemRelease call (RpcServerUnregisterIf, waiting for calls to complete), which never
// returns: the program's RPC thread and this probe hang. A process that simply ends releases nothing.
void keep(HUIANODE) {}

void print_node(HUIANODE node, int depth)
{
    std::string flags;
    if (long_of(node, k_has_keyboard_focus) == 1) flags += "focus ";
    if (long_of(node, k_live_setting) > 0) flags += "live ";
    std::printf("%d\t%ld\t%s\t%s\t%s\n", depth, long_of(node, k_control_type), name_of(node).c_str(), rect_of(node).c_str(),
                flags.c_str());
}

void print_live_children(HUIANODE root)
{
    for (HUIANODE child = go(root, NavigateDirection_FirstChild); child && ++g_nodes < k_node_limit;) {
        if (long_of(child, k_live_setting) > 0) print_node(child, 1);
        HUIANODE next = go(child, NavigateDirection_NextSibling);
        keep(child);
        child = next;
    }
}

void print_tree(HUIANODE node, int depth)
{
    print_node(node, depth);
    for (HUIANODE child = go(node, NavigateDirection_FirstChild); child && ++g_nodes < k_node_limit;) {
        print_tree(child, depth + 1);
        HUIANODE next = go(child, NavigateDirection_NextSibling);
        keep(child);
        child = next;
    }
}

// Depth first.
HUIANODE find(HUIANODE node, const std::string& name)
{
    for (HUIANODE child = go(node, NavigateDirection_FirstChild); child && ++g_nodes < k_node_limit;) {
        if (name_of(child) == name) return child;
        if (HUIANODE inner = find(child, name)) {
            keep(child);
            return inner;
        }
        HUIANODE next = go(child, NavigateDirection_NextSibling);
        keep(child);
        child = next;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const HWND window = FindWindowW(L"Vessop.Main", nullptr);
    if (!window) return 2;
    HUIANODE root = nullptr;
    if (FAILED(UiaNodeFromHandle(window, &root)) || !root) return 2;
    int status = 0;
    const char* command = argc > 1 ? argv[1] : "tree";
    if (std::strcmp(command, "tree") == 0) {
        print_tree(root, 0);
    } else if (std::strcmp(command, "live") == 0) {
        print_live_children(root);
    } else if (std::strcmp(command, "invoke") == 0 && argc > 2) {
        status = 3;
        if (HUIANODE node = find(root, argv[2])) {
            HUIAPATTERNOBJECT pattern = nullptr;
            if (SUCCEEDED(UiaGetPatternProvider(node, k_invoke, &pattern)) && pattern) {
                status = SUCCEEDED(InvokePattern_Invoke(pattern)) ? 0 : 1;
                UiaPatternRelease(pattern);
            }
            keep(node);
        }
    } else {
        status = 64;
    }
    keep(root);
    std::fflush(stdout);
    return status;
}
