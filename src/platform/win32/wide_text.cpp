#include "platform/win32/wide_text.h"

#include <climits>

std::optional<std::wstring> WideText(std::string_view text, UINT codePage, Conversion conversion) {
    if (text.empty()) {
        return std::wstring();
    }
    if (text.size() > INT_MAX) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return std::nullopt;
    }
    const DWORD flags =
        codePage == CP_UTF8 && conversion == Conversion::Strict ? MB_ERR_INVALID_CHARS : 0;
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (units <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, wide.data(), units);
    return wide;
}

std::string NarrowText(std::wstring_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX) {
        return std::string();
    }
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), length, narrow.data(), bytes, nullptr,
                        nullptr);
    return narrow;
}

std::wstring WindowText(std::string_view text) {
    return WideText(text, CP_UTF8, Conversion::Lenient).value_or(std::wstring());
}
