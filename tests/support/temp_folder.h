#pragma once

#include <string>
#include <string_view>

// A fresh, uniquely named folder under the system temporary folder, removed with everything in it
// when the object goes away.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    // path() joined with a relative path ("a\\b").
    std::wstring operator/(std::wstring_view relative) const;

private:
    std::wstring path_;
};

// Writes bytes to a file, creating missing parent folders. Returns false on failure.
bool write_file(const std::wstring& path, std::string_view bytes);
// Creates a folder and its missing parents.
bool make_folders(const std::wstring& path);
// Removes a file or a folder tree; links are removed, never followed.
void remove_tree(const std::wstring& path);
