#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace byteloom {

// The path as the wide-character calls take it: whole (GetFullPathNameW, which knows drives,
// network shares and "..") and with the "\\?\" prefix, so that paths longer than MAX_PATH work.
inline std::wstring WidePath(const std::filesystem::path &path)
{
    std::wstring text = path.empty() ? std::wstring(L".") : path.wstring();
    if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\"))
        return text; // already as the system takes it
    const DWORD size = GetFullPathNameW(text.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return text;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(text.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return text;
    full.resize(length);
    if (full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 2 && full[1] == L':')
        return L"\\\\?\\" + full;
    return full;
}

} // namespace byteloom
