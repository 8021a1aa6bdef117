#include "fileops/dialogs.h"

#include "base/handle.h"
#include "base/text.h"

#include <objbase.h>
#include <shobjidl.h>
#include <wrl/client.h>

namespace {

constexpr wchar_t k_caption[] = L"Vessop";

// A string the shell allocated with CoTaskMemAlloc.
using UniqueCoTaskString = UniqueHandle<NullHandleTraits<PWSTR, &::CoTaskMemFree>>;

}  // namespace

bool confirm_box(HWND owner, std::string_view text)
{
    return MessageBoxW(owner, utf16_from_utf8(text).c_str(), k_caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
           IDYES;
}

void info_box(HWND owner, std::string_view text)
{
    MessageBoxW(owner, utf16_from_utf8(text).c_str(), k_caption, MB_ICONINFORMATION);
}

std::optional<Path> pick_folder(HWND owner, std::string_view title)
{
    Microsoft::WRL::ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return std::nullopt;
    // Options and title are niceties: a dialog that refuses them still picks a folder.
    FILEOPENDIALOGOPTIONS options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options))) dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    dialog->SetTitle(utf16_from_utf8(title).c_str());
    if (FAILED(dialog->Show(owner))) return std::nullopt;  // cancelled, or it could not be shown
    Microsoft::WRL::ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(&item)) || !item) return std::nullopt;
    UniqueCoTaskString path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put())) || !path) return std::nullopt;
    return Path(path.get());
}
