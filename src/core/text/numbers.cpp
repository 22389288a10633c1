#include "text/numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tibbo::core {

std::string plainNumber(double value)
{
    if (value == 0)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string s(buf);
    // Drop the zero before a decimal point: ".5" and "-.5", as the stored files have them.
    if (s.rfind("0.", 0) == 0)
        s.erase(0, 1);
    else if (s.rfind("-0.", 0) == 0)
        s.erase(1, 1);
    // Exponents without the padding zero of printf ("1E+20", not "1E+020").
    const auto e = s.find('E');
    if (e != std::string::npos) {
        size_t digits = e + 2;
        while (digits + 1 < s.size() && s[digits] == '0')
            s.erase(digits, 1);
    }
    return s;
}

std::string str(double value)
{
    std::string s = plainNumber(value);
    return value < 0 ? s : " " + s;
}

namespace {

bool isSkipped(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the number at the start of text (0 when there is none); sign, digits,
// one decimal point, an optional exponent.
size_t numberLength(std::string_view t)
{
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    size_t mantissa = 0;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
        ++mantissa;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
            ++mantissa;
        }
    }
    if (mantissa == 0)
        return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-'))
            ++j;
        if (j < t.size() && isDigit(t[j])) {
            while (j < t.size() && isDigit(t[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

double parseNumber(std::string_view t)
{
    std::string s(t);
    for (char &c : s)
        if (c == 'd' || c == 'D')
            c = 'E';
    return std::strtod(s.c_str(), nullptr);
}

} // namespace

double val(std::string_view text)
{
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (!isSkipped(c))
            compact += c;
    const size_t n = numberLength(compact);
    if (n == 0)
        return 0;
    return parseNumber(std::string_view(compact).substr(0, n));
}

std::optional<int64_t> toInteger(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    const std::string_view core = text.substr(b, e - b);
    if (core.empty() || numberLength(core) != core.size())
        return std::nullopt;
    const double v = std::nearbyint(parseNumber(core));
    if (!std::isfinite(v) || std::fabs(v) > 9.0e18)
        return std::nullopt;
    return static_cast<int64_t>(v);
}

std::optional<bool> toBoolean(std::string_view text)
{
    std::string lower;
    for (char c : text)
        if (c != ' ' && c != '\t')
            lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "true")
        return true;
    if (lower == "false")
        return false;
    if (auto n = toInteger(text))
        return *n != 0;
    return std::nullopt;
}

int64_t intFloor(double value)
{
    if (std::isnan(value))
        return 0;
    const double f = std::floor(value);
    if (f >= 9.2e18)
        return std::numeric_limits<int64_t>::max();
    if (f <= -9.2e18)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(f);
}

} // namespace tibbo::core
