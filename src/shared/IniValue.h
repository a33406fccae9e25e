// Single values of AudioConfig.cfg through the Windows profile functions, and
// the comma-list splitter shared by the setup programs.
#pragma once

#include <string>
#include <vector>

// 0 = a non-empty value was read into value; 1 = key missing or empty, or the
// file is missing (value unchanged). Values longer than 1023 characters are cut.
int ReadIniValue(const std::wstring& filePath, const std::wstring& section,
                 const std::wstring& key, std::wstring& value);

// 0 = written (file and section are created when missing); 1 = failed.
int WriteIniValue(const std::wstring& filePath, const std::wstring& section,
                  const std::wstring& key, const std::wstring& value);

// Appends the comma-separated fields of text to fields (empty fields kept, none
// trimmed) and returns the number of elements of fields after the call.
int SplitCommaFields(const std::wstring& text, std::vector<std::wstring>& fields);
