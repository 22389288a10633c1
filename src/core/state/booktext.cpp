#include "state/booktext.h"

#include <algorithm>

namespace tibbo::core {

namespace {

bool outsideBasicPlane(char32_t c)
{
    return c > 0xFFFF;
}

} // namespace

std::u32string BookText::substr(size_t pos, size_t count) const
{
    const size_t n = size();
    if (pos >= n)
        return {};
    const size_t end = count >= n - pos ? n : pos + count;
    if (m_wide)
        return std::u32string(m_wideText.view().substr(pos, end - pos));
    const auto units = m_narrowText.view().substr(pos, end - pos);
    return std::u32string(units.begin(), units.end());
}

void BookText::clear()
{
    m_wide = false;
    m_narrowText.clear();
    m_wideText.clear();
}

void BookText::reserve(size_t characters)
{
    if (m_wide)
        m_wideText.reserve(characters);
    else
        m_narrowText.reserve(characters);
}

void BookText::trimRoom()
{
    if (m_wide)
        m_wideText.trimRoom();
    else
        m_narrowText.trimRoom();
}

void BookText::widen()
{
    m_wideText.reserve(std::max(m_narrowText.capacity(), m_narrowText.size() + 1));
    const auto narrow = m_narrowText.view();
    std::copy(narrow.begin(), narrow.end(), m_wideText.extend(narrow.size()));
    m_narrowText.clear();
    m_wide = true;
}

void BookText::push_back(char32_t c)
{
    if (!m_wide && outsideBasicPlane(c))
        widen();
    if (m_wide)
        m_wideText.push_back(c);
    else
        m_narrowText.push_back(static_cast<char16_t>(c));
}

void BookText::append(std::u32string_view text)
{
    if (!m_wide && std::any_of(text.begin(), text.end(), outsideBasicPlane))
        widen();
    if (text.empty())
        return;
    if (m_wide) {
        std::copy(text.begin(), text.end(), m_wideText.extend(text.size()));
        return;
    }
    std::transform(text.begin(), text.end(), m_narrowText.extend(text.size()),
                   [](char32_t c) { return static_cast<char16_t>(c); });
}

bool operator==(const BookText &a, const BookText &b)
{
    return a.size() == b.size() && a.visit([&](auto x) {
        return b.visit([&](auto y) { return std::equal(x.begin(), x.end(), y.begin()); });
    });
}

bool operator==(const BookText &a, std::u32string_view b)
{
    return a.size() == b.size() &&
           a.visit([&](auto x) { return std::equal(x.begin(), x.end(), b.begin()); });
}

} // namespace tibbo::core
