// The deletions of the uninstall steps: folders, the uninstall entry, the
// Run value and the shortcuts. None reports a failure: what cannot be
// deleted stays and the next step runs. Each refuses names and paths that
// would reach beyond what the installer made (traced, nothing deleted).
#pragma once

#include <string>

// Longest path DeleteFolder acts on, and longest path of anything inside it;
// a longer one is passed over, never cut.
constexpr size_t kLongestDeletePath = 255;

// Deletes the folder with everything in it that can be deleted; a path that
// names a file deletes that file. Links (reparse points: junctions, symbolic
// links) are never followed: a link found on the way, or given as the path,
// is removed itself and what it points at stays. Read-only files stay, and
// with them their folders. true when the path no longer exists afterwards.
bool DeleteFolder(const std::wstring& path);

// True when the path (with or without its trailing '\') is a link: a
// junction, a symbolic link or another reparse point.
bool IsLink(const std::wstring& path);

// Deletes the values DisplayName, UninstallString, DisplayIcon,
// DisplayVersion and Publisher of HKLM\<key>, then the key itself; a key
// that does not open is left alone.
void DeleteUninstallInfo(const std::wstring& key);

// Deletes the value name of HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run.
void DeleteRunValue(const std::wstring& name);

// Deletes <common programs>\[<upper>\]<folder>\<file>, then that folder when
// it is empty (the upper folder stays). folder and file (with its ".lnk")
// must be single names, upper empty or a single name.
void DeleteShortcut(const std::wstring& folder, const std::wstring& file, const std::wstring& upper);

// Deletes <desktop folder>\<file>; file (with its ".lnk") must be a single name.
void DeleteDesktopShortcut(const std::wstring& file);

// The current user's folder for the installation, "<APPDATA>\<name>\". The
// APPDATA variable is taken when it holds an absolute path of fewer than
// 256 characters, else the shell's folder; empty when neither is usable or
// name is not a usable folder name (IsUsableFolderName).
std::wstring UserFolderPath(const std::wstring& installFolderName);
