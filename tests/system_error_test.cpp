#include "base/system_error.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

TEST(SystemErrorText, MessageTrimmedThenCode)
{
    for (const uint32_t code : {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION}) {
        const std::string text = system_error_text(code);
        const std::string suffix = " (os error " + std::to_string(code) + ")";
        ASSERT_GT(text.size(), suffix.size()) << text;
        EXPECT_TRUE(text.ends_with(suffix)) << text;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.front(), ' ');
        EXPECT_NE(text[text.size() - suffix.size() - 1], ' ') << text;  // the message's own line end is gone
    }
    EXPECT_EQ(system_error_text(0xDEADBEEF), "(os error 3735928559)");  // no message for it
}
