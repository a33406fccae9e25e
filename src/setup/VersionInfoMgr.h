// The installer's view of the Windows version: the shared query with the
// versions it found written to the debugger output.
#pragma once

namespace VERSIONINFO_MGR {

class CVersionInfoMgr {
public:
    // GetWindowsVersion of the shared library (0 done; 1 RtlGetVersion is
    // missing; 2 it failed; absent outputs are skipped), tracing the major and
    // minor version it read.
    int GetWindowsVersion(int* osClass, int* versionCode, int* servicePack) const;
    // Traces the name of the version code (or, without one, of the OS class)
    // and the service pack; absent values are not traced.
    void PrintWindowsVersion(const int* osClass, const int* versionCode, const int* servicePack) const;
};

}  // namespace VERSIONINFO_MGR
