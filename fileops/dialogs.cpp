#include "fileops/dialogs.h"

#include "base/handle.h"
#include "base/text.h"

#include <iterator>
#include <string>

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

std::optional<Path> pick_csv_save_path(HWND owner, std::wstring_view file_name)
{
    Microsoft::WRL::ComPtr<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return std::nullopt;
    const COMDLG_FILTERSPEC types[] = {{L"CSV (*.csv)", L"*.csv"}};
    // As for the folder picker, a dialog that refuses a nicety still saves.
    dialog->SetFileTypes(static_cast<UINT>(std::size(types)), types);
    dialog->SetDefaultExtension(L"csv");
    const std::wstring name(file_name);
    dialog->SetFileName(name.c_str());
    FILEOPENDIALOGOPTIONS options = 0;
    if (SUCCEEDED(dialog->GetOptions(&options)))
        dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    if (FAILED(dialog->Show(owner))) return std::nullopt;
    Microsoft::WRL::ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(&item)) || !item) return std::nullopt;
    UniqueCoTaskString path;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, path.put())) || !path) return std::nullopt;
    return Path(path.get());
}
