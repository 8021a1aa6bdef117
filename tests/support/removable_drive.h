#pragma once

// A drive letter that reports DRIVE_REMOVABLE, mapped to an existing folder for the life of the
// object, so that USB-drive behaviour can be tested without a USB stick. It asks Wine's mount manager
// to define the drive (the request Wine's own tools use); on Windows, or when no letter is free,
// ok() is false and the test should skip.

#include <string>

class RemovableTestDrive {
public:
    explicit RemovableTestDrive(const std::wstring& folder);
    ~RemovableTestDrive();
    RemovableTestDrive(const RemovableTestDrive&) = delete;
    RemovableTestDrive& operator=(const RemovableTestDrive&) = delete;

    bool ok() const { return letter_ != 0; }
    // "R:\" (upper case); empty when !ok().
    std::wstring root() const;
    wchar_t letter() const { return letter_; }

private:
    wchar_t letter_ = 0;
};
