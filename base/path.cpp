#include "base/path.h"

Path join_path(std::wstring_view base, std::wstring_view name)
{
    Path joined(base);
    if (!joined.empty() && joined.back() != L'\\') joined += L'\\';
    joined += name;
    return joined;
}
