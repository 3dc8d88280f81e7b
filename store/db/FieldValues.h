// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/db/TableCursor.h"

#include <cstdint>
#include <optional>
#include <string>

// Values for TTableCursor::Query's parameters, and the numbers of the values it hands back,
// whichever way SQLite stored them.

inline TFieldValue Text(const std::string& text) {
    TFieldValue value;
    value.kind = TFieldValue::Text;
    value.s = text;
    return value;
}

inline TFieldValue Integer(int64_t number) {
    TFieldValue value;
    value.kind = TFieldValue::Integer;
    value.i = number;
    return value;
}

inline TFieldValue Real(double number) {
    TFieldValue value;
    value.kind = TFieldValue::Real;
    value.d = number;
    return value;
}

// NULL when there is no number.
inline TFieldValue Optional(const std::optional<int32_t>& number) {
    return number ? Integer(*number) : TFieldValue();
}

inline int64_t AsInteger(const TFieldValue& value) {
    return value.kind == TFieldValue::Real ? static_cast<int64_t>(value.d) : value.i;
}

inline double AsReal(const TFieldValue& value) {
    return value.kind == TFieldValue::Integer ? static_cast<double>(value.i) : value.d;
}

inline std::optional<int32_t> AsOptional(const TFieldValue& value) {
    if (value.kind == TFieldValue::Null)
        return std::nullopt;
    return static_cast<int32_t>(AsInteger(value));
}
