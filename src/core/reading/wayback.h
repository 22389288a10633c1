#pragma once
// The way back, as in a browser: every jump (a chapter, a search hit, a page or share
// typed in, a bookmark, a highlight or note) first remembers where the reader was, back
// goes to the place before the last jump and forward again. A place is the character at
// the start of the spread then on show, so going back after a re-flow shows the spread
// that now holds that character: the same text. Page turns are not jumps. The places
// belong to one text; a new text (another book, the same book read again) forgets them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tibbo::core {

class WayBack
{
  public:
    // Places kept each way; the oldest go first.
    static constexpr size_t kMostPlaces = 100;

    // Before a jump from `here`. The forward places are forgotten, as a browser forgets
    // them when a new page is opened. A jump from the place just remembered (a second
    // search hit found from the first) adds nothing.
    void remember(int64_t here, uint64_t textVersion);
    // The place to go back to, with `here` kept to come forward to again; nothing when
    // there is none.
    std::optional<int64_t> back(int64_t here, uint64_t textVersion);
    std::optional<int64_t> forward(int64_t here, uint64_t textVersion);
    bool canGoBack(uint64_t textVersion) const;
    bool canGoForward(uint64_t textVersion) const;

  private:
    // Forgets every place when the text is another one.
    void keepTo(uint64_t textVersion);
    static std::optional<int64_t> step(std::vector<int64_t> &from, std::vector<int64_t> &to,
                                       int64_t here);

    uint64_t m_textVersion = 0;
    std::vector<int64_t> m_back;
    std::vector<int64_t> m_forward;
};

} // namespace tibbo::core
