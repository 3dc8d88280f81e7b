// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TextSearch.h"

#include <locale>
#include <stdexcept>

namespace {

// The letter case tables of Unicode, from the C library's UTF-8 locale; ASCII alone where the
// system has none.
const std::ctype<wchar_t>& Letters() {
    static const std::locale locale = [] {
        try {
            return std::locale("C.UTF-8");
        } catch (const std::runtime_error&) {
            return std::locale::classic();
        }
    }();
    return std::use_facet<std::ctype<wchar_t>>(locale);
}

// The characters of the text in lower case; a byte that starts no character stands for
// itself.
std::wstring Lowered(const std::string& text) {
    std::wstring out;
    for (size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        size_t taken = 1;
        while (taken < length && at + taken < text.size() &&
               (static_cast<unsigned char>(text[at + taken]) & 0xC0) == 0x80)
            code = code << 6 | (static_cast<unsigned char>(text[at + taken++]) & 0x3Fu);
        if (taken != length) {
            code = lead;
            taken = 1;
        }
        out += Letters().tolower(static_cast<wchar_t>(code));
        at += taken;
    }
    return out;
}

} // namespace

bool HoldsIgnoringCase(const std::string& text, const std::string& what) {
    return Lowered(text).find(Lowered(what)) != std::wstring::npos;
}
