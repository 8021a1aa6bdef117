#pragma once

// The parts of UI Automation that the provider uses, as Windows defines them. MinGW-w64's
// <uiautomationcore.h> has the provider interfaces but neither IInvokeProvider nor the identifiers,
// and <uiautomation.h> / <uiautomationcoreapi.h> do not compile as C++ (a parameter named `new`), so
// the few declarations needed are made here. The numbers are Windows' own identifiers.

#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

#if defined(__MINGW32__)

enum StructureChangeType {
    StructureChangeType_ChildAdded = 0,
    StructureChangeType_ChildRemoved = 1,
    StructureChangeType_ChildrenInvalidated = 2,
    StructureChangeType_ChildrenBulkAdded = 3,
    StructureChangeType_ChildrenBulkRemoved = 4,
    StructureChangeType_ChildrenReordered = 5,
};

extern "C" {
LRESULT WINAPI UiaReturnRawElementProvider(HWND hwnd, WPARAM wparam, LPARAM lparam, IRawElementProviderSimple* provider);
HRESULT WINAPI UiaHostProviderFromHwnd(HWND hwnd, IRawElementProviderSimple** provider);
HRESULT WINAPI UiaRaiseAutomationEvent(IRawElementProviderSimple* provider, EVENTID id);
HRESULT WINAPI UiaRaiseStructureChangedEvent(IRawElementProviderSimple* provider, enum StructureChangeType type,
                                             int* runtime_id, int runtime_id_length);
BOOL WINAPI UiaClientsAreListening(void);
}

MIDL_INTERFACE("54fcb24b-e18e-47a2-b4d3-eccbe77599a2")
IInvokeProvider : public IUnknown
{
public:
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
__CRT_UUID_DECL(IInvokeProvider, 0x54fcb24b, 0xe18e, 0x47a2, 0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2)

#else
#include <uiautomation.h>
#endif

namespace uia {

inline constexpr LONG k_root_object_id = -25;  // UiaRootObjectId: WM_GETOBJECT asks for the provider
inline constexpr int k_append_runtime_id = 3;  // UiaAppendRuntimeId: the window's part comes first
inline constexpr HRESULT k_element_not_available = static_cast<HRESULT>(0x80040201);  // UIA_E_ELEMENTNOTAVAILABLE

inline constexpr PATTERNID k_invoke_pattern = 10000;

inline constexpr PROPERTYID k_runtime_id = 30000;
inline constexpr PROPERTYID k_bounding_rectangle = 30001;
inline constexpr PROPERTYID k_control_type = 30003;
inline constexpr PROPERTYID k_name = 30005;
inline constexpr PROPERTYID k_has_keyboard_focus = 30008;
inline constexpr PROPERTYID k_is_keyboard_focusable = 30009;
inline constexpr PROPERTYID k_is_enabled = 30010;
inline constexpr PROPERTYID k_automation_id = 30011;
inline constexpr PROPERTYID k_is_offscreen = 30022;
inline constexpr PROPERTYID k_framework_id = 30024;
inline constexpr PROPERTYID k_live_setting = 30135;
inline constexpr PROPERTYID k_position_in_set = 30152;
inline constexpr PROPERTYID k_size_of_set = 30153;

inline constexpr CONTROLTYPEID k_button = 50000;
inline constexpr CONTROLTYPEID k_list_item = 50007;
inline constexpr CONTROLTYPEID k_list = 50008;
inline constexpr CONTROLTYPEID k_text = 50020;
inline constexpr CONTROLTYPEID k_window = 50032;
inline constexpr CONTROLTYPEID k_pane = 50033;

inline constexpr EVENTID k_structure_changed_event = 20002;
inline constexpr EVENTID k_focus_changed_event = 20005;
inline constexpr EVENTID k_live_region_changed_event = 20024;

inline constexpr int k_live_polite = 1;                     // LiveSetting Polite
inline constexpr int k_notification_action_completed = 2;   // NotificationKind_ActionCompleted
inline constexpr int k_notification_most_recent = 1;        // NotificationProcessing_ImportantMostRecent

}  // namespace uia
