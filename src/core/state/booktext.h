#pragma once
// The book's text held once, in the narrowest form that keeps one element per
// character: 16-bit units while every character lies in the Basic Multilingual Plane
// (nearly every Chinese novel), 32-bit units from the first character beyond it. Every
// length and offset counts characters either way.

#include <cstdint>
#include <string>
#include <string_view>

namespace tibbo::core {

// The paragraph mark that closes every paragraph of the paragraph text.
inline constexpr char32_t kParagraphMark = U'^';

class BookText
{
  public:
    BookText() = default;
    BookText(std::u32string_view text) { append(text); }
    BookText(const char32_t *text) : BookText(std::u32string_view(text)) {}
    BookText(const std::u32string &text) : BookText(std::u32string_view(text)) {}

    size_t size() const { return m_wide ? m_wideText.size() : m_narrowText.size(); }
    bool empty() const { return size() == 0; }
    bool wide() const { return m_wide; }
    char32_t operator[](size_t i) const { return m_wide ? m_wideText[i] : m_narrowText[i]; }
    // Characters pos .. pos + count (cut at the end), as UTF-32.
    std::u32string substr(size_t pos, size_t count = std::u32string::npos) const;
    // Bytes the text holds written. A book read a piece at a time reserves room for the
    // most characters its file can hold; room never written takes no memory.
    size_t byteSize() const { return m_wide ? m_wideText.size() * 4 : m_narrowText.size() * 2; }

    void clear();
    void reserve(size_t characters);
    void push_back(char32_t c);
    void append(std::u32string_view text);

    // Calls f with a std::u16string_view or a std::u32string_view of the whole text, so
    // a scan runs over the units as they are stored.
    template <typename F> decltype(auto) visit(F &&f) const
    {
        return m_wide ? f(std::u32string_view(m_wideText)) : f(std::u16string_view(m_narrowText));
    }

    friend bool operator==(const BookText &a, const BookText &b);
    friend bool operator==(const BookText &a, std::u32string_view b);
    friend bool operator==(const BookText &a, const char32_t *b)
    {
        return a == std::u32string_view(b);
    }

  private:
    void widen();

    bool m_wide = false;
    std::u16string m_narrowText;
    std::u32string m_wideText;
};

} // namespace tibbo::core
