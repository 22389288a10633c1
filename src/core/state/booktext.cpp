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
    if (m_wide) {
        m_wideText.append(text.data(), text.size());
        return;
    }
    // Narrowed a run at a time, each run added at once.
    constexpr size_t kRun = size_t{1} << 14;
    char16_t run[kRun];
    for (size_t at = 0; at < text.size(); at += kRun) {
        const auto part = text.substr(at, kRun);
        std::transform(part.begin(), part.end(), run,
                       [](char32_t c) { return static_cast<char16_t>(c); });
        m_narrowText.append(run, part.size());
    }
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
