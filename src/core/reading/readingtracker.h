#pragma once
// What the reader reads, told from the spreads they are shown: a spread counts as read
// when the reader turns on to the spread that follows it in order (its first character
// is the one after the last they were shown) soon enough (readingspeed.h). A run of such
// spreads, read one after the other, is a reading session. A jump, a turn back, a pause
// of more than five minutes, leafing through, another book, a re-flow or the reader
// leaving ends the session; the spread on show then is not counted.

#include <cstdint>
#include <optional>
#include <string>

namespace tibbo::core {

// One stretch of reading one book. Times are milliseconds since 1970-01-01 UTC.
struct ReadingSession
{
    std::string book;
    int64_t start = 0;
    int64_t end = 0;
    int64_t characters = 0;
};

// A spread on show: the book, the text it is cut from, and its characters [from, to).
struct ShownSpread
{
    std::string book;
    uint64_t textVersion = 0;
    int64_t from = 0;
    int64_t to = 0;
};

class ReadingTracker
{
  public:
    struct Outcome
    {
        // The spread before was read: its characters and the milliseconds it took.
        int64_t readCharacters = 0;
        int64_t readMilliseconds = 0;
        // The session this show ended.
        std::optional<ReadingSession> ended;
    };

    // A spread was put on show at `now`. The same spread shown again changes nothing.
    Outcome show(const ShownSpread &spread, int64_t now);
    // The reader left (the window hidden, another book on its way, the program ending):
    // the session ends and the spread on show is not counted. Nothing when none runs.
    std::optional<ReadingSession> stop();
    // The session running, if any.
    const std::optional<ReadingSession> &session() const { return m_session; }

  private:
    std::optional<ShownSpread> m_shown;
    int64_t m_shownAt = 0;
    std::optional<ReadingSession> m_session;
};

} // namespace tibbo::core
