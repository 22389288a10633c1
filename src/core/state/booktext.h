#pragma once
// The book's text held once, in the narrowest form that keeps one element per
// character: 16-bit units while every character lies in the Basic Multilingual Plane
// (nearly every Chinese novel), 32-bit units from the first character beyond it. Every
// length and offset counts characters either way.
//
// A large text lives in a mapped file when there is a text folder (textunits.h), and a
// pass over the whole book lets the pages behind it go (release): the reader then holds
// the pages it is reading rather than the whole book.

#include "state/textunits.h"

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
    // The text lives in a file of the text folder, and release lets its pages go.
    bool heldInFile() const { return m_wide ? m_wideText.inFile() : m_narrowText.inFile(); }
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
    // Gives back the room reserved beyond the text, once it is whole.
    void trimRoom();

    // A pass is done with characters from .. to: their pages may leave the reader's
    // memory, to be read back from the text's file when next used. Nothing changes for
    // a text held in memory.
    void release(size_t from, size_t to) const
    {
        m_wide ? m_wideText.release(from, to) : m_narrowText.release(from, to);
    }
    // Lets go of the pages of the whole text.
    void releaseAll() const { release(0, size()); }

    // Calls f with a std::u16string_view or a std::u32string_view of the whole text, so
    // a scan runs over the units as they are stored.
    template <typename F> decltype(auto) visit(F &&f) const
    {
        return m_wide ? f(m_wideText.view()) : f(m_narrowText.view());
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
    TextUnits<char16_t> m_narrowText;
    TextUnits<char32_t> m_wideText;
};

// A pass over a text that lets the pages behind it go a stretch at a time, so a pass over
// a whole book held in a file never holds the whole book. `passed` tells how far it got;
// what it passed last goes when it ends.
class PagesBehind
{
  public:
    explicit PagesBehind(const BookText &text, size_t from = 0)
        : m_text(text), m_from(from), m_at(from)
    {
    }
    PagesBehind(const PagesBehind &) = delete;
    PagesBehind &operator=(const PagesBehind &) = delete;
    ~PagesBehind() { m_text.release(m_from, m_at); }
    void passed(size_t at)
    {
        m_at = at;
        if (at >= m_from + kStretch) {
            m_text.release(m_from, at);
            m_from = at;
        }
    }

  private:
    static constexpr size_t kStretch = size_t{1} << 20;
    const BookText &m_text;
    size_t m_from;
    size_t m_at;
};

} // namespace tibbo::core
