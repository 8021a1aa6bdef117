#pragma once

// UI Automation for the main window: a server-side provider per element of gfx/ui_tree.h, the window
// being the fragment root. Each provider holds only the window and a reference to its element; every
// call takes the window's state as a message handler does, on the window thread (a call that arrives
// on another thread is sent there), and finds its element again, so a provider never sees a half-done
// change and answers "not available" once its element has gone.
//
// Invoke does not run the command inside the call: it posts WM_APP_INVOKE, and the command then runs
// from the message loop exactly as a click's does (menus and message boxes must not open inside a
// cross-process call).

#include "app/window_state.h"
#include "gfx/ui_tree.h"

#include <string>

#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>
#include <wrl/client.h>

// The provider for one element of the window (the window itself for ElementKind::Window).
Microsoft::WRL::ComPtr<IRawElementProviderSimple> make_element_provider(HWND hwnd, const ElementRef& element);

// WM_GETOBJECT: the root provider for UiaRootObjectId; any other object id goes to DefWindowProcW.
LRESULT on_get_object(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
// WM_DESTROY: UI Automation lets go of the window's providers.
void release_uia_providers(HWND hwnd);

// WM_APP_UIA_CALL: a provider's call sent over from another thread.
void run_sent_uia_call(LPARAM call);
// WM_APP_INVOKE: the command of an element a screen reader invoked.
void on_invoke_message(HWND hwnd, WPARAM wparam, LPARAM lparam);

// After every message: raises the events queued in the state (focus moved, list replaced, notice
// shown), with the state released. Nothing is raised while no client listens.
void raise_pending_uia_events(HWND hwnd);
