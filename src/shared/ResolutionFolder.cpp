#include "shared/ResolutionFolder.h"

#include <windows.h>

namespace resolution {
namespace {

struct ResolutionClass {
    long long bound;  // the area above which (or from which) the class starts
    const wchar_t* folder;
};
const ResolutionClass kClasses[] = {
    {1920LL * 1080, L"1920x1080\\"},
    {1366LL * 768, L"1366x768\\"},
    {960LL * 540, L"960x540\\"},
};

}  // namespace

const wchar_t* FolderFor(int width, int height, Compare compare) {
    const long long area = static_cast<long long>(width) * height;
    for (const ResolutionClass& c : kClasses) {
        if (compare == Compare::Greater ? area > c.bound : area >= c.bound) return c.folder;
    }
    return L"";
}

const wchar_t* FolderForScreen(Compare compare) {
    return FolderFor(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), compare);
}

}  // namespace resolution
