// The control for the planted-DLL test: a program that binds crypt32.dll when it starts, as Vessop did
// before it delay-loaded its system DLLs. With a planted crypt32.dll beside it the plant must run.
#include <windows.h>
#include <wincrypt.h>

int main(void)
{
    return CertCloseStore(NULL, 0) ? 0 : 1;
}
