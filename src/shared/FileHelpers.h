// Folder creation, file and folder-tree copies, embedded resources.
#pragma once

#include <windows.h>

#include <string>

// Creates every folder of the path up to its last '\' (a last component
// without '\' behind it is not created). Existing folders are left alone.
void CreateFolderPath(const std::wstring& path);

// CopyFileW with an existing target overwritten.
BOOL CopyFileOverwrite(const std::wstring& source, const std::wstring& target);

// Copies the source folder's tree. When the last names of the two paths
// differ (a trailing '\' counts as part of the name), the tree lands in
// target\<source's last name>. Files already in the target are overwritten;
// others stay. Copies get normal attributes. false when either path has no
// '\' before its last character, the source cannot be listed, a folder
// cannot be created or a file cannot be copied.
bool CopyFolderTree(const std::wstring& source, const std::wstring& target);

// Bytes of the running program's resource (id, type); null when it is
// missing or empty (size then unchanged). The bytes stay valid while the
// program runs.
const void* LoadResourceData(WORD id, const wchar_t* type, DWORD& size);

// Results of WriteBufferToFile.
enum WriteFileResult : int {
    kFileWritten = 0,
    kFileOpenFailed = 1,
    kFileShortWrite = 2,
};
// Creates or truncates the file and writes the bytes.
int WriteBufferToFile(const std::wstring& path, const void* bytes, size_t count);
