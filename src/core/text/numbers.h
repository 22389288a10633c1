#pragma once
// The number rules shared by the stored files, the captions and the typed answers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

// A number as captions and settings.ini write it: up to 15 significant digits, no
// leading zero before the decimal point ("0.5" is ".5"), exponent as "1E+20".
std::string plainNumber(double value);

// Str: plainNumber with one leading blank when the value is not negative
// (" 12", "-3", " 10.5").
std::string str(double value);

// Numeric value of a text: blanks, tabs and line feeds anywhere are skipped, then the
// leading decimal number (sign, digits, one decimal point, exponent) is taken; 0 when
// the text does not start with a number.
double val(std::string_view text);

// Whole-line integer conversion: blanks around the number are allowed, anything else
// that is not part of the number makes it fail. A fraction rounds to the nearest
// integer, halves to even.
std::optional<int64_t> toInteger(std::string_view text);

// "True" / "False" (any letter case) or a number (0 is false, any other true).
std::optional<bool> toBoolean(std::string_view text);

// Int: rounds down (towards minus infinity), saturating at the int64 range.
int64_t intFloor(double value);

} // namespace tibbo::core
