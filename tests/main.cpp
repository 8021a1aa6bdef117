// Test entry: MinGW's GoogleTest does not catch SEH, and under Wine an access violation can end the
// process with status 0. The filter names the running test and ends the process with status 1;
// CTest also fails any test whose output holds "Unhandled exception".

#include <gtest/gtest.h>

#include <cstdio>

#include <windows.h>

namespace {

LONG WINAPI on_unhandled_exception(EXCEPTION_POINTERS* info)
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "Unhandled exception 0x%08lX in %s.%s\n",
                 info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0ul,
                 test ? test->test_suite_name() : "?", test ? test->name() : "?");
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

// GoogleTest sets SEM_FAILCRITICALERRORS when it starts running tests. The programs must set it
// themselves, and a child started from a test would inherit it and hide one that forgot to: it is taken
// out again before the first test.
class NoInheritedCriticalErrorMode : public testing::Environment {
public:
    void SetUp() override { SetErrorMode(GetErrorMode() & ~UINT{SEM_FAILCRITICALERRORS}); }
};

}  // namespace

int main(int argc, char** argv)
{
    SetUnhandledExceptionFilter(on_unhandled_exception);
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new NoInheritedCriticalErrorMode);  // GoogleTest owns and deletes it
    return RUN_ALL_TESTS();
}
