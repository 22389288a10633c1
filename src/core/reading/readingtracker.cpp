#include "reading/readingtracker.h"

#include "reading/readingspeed.h"

#include <utility>

namespace tibbo::core {

namespace {

bool sameSpread(const ShownSpread &a, const ShownSpread &b)
{
    return a.book == b.book && a.textVersion == b.textVersion && a.from == b.from && a.to == b.to;
}

// `next` is the spread after `shown` in reading order.
bool followsInOrder(const ShownSpread &shown, const ShownSpread &next)
{
    return next.book == shown.book && next.textVersion == shown.textVersion &&
           next.from == shown.to && next.to > next.from;
}

} // namespace

ReadingTracker::Outcome ReadingTracker::show(const ShownSpread &spread, int64_t now)
{
    Outcome outcome;
    if (m_shown && sameSpread(*m_shown, spread))
        return outcome;
    const int64_t characters = m_shown ? m_shown->to - m_shown->from : 0;
    const int64_t took = now - m_shownAt;
    if (m_shown && followsInOrder(*m_shown, spread) && countsAsReading(characters, took)) {
        outcome.readCharacters = characters;
        outcome.readMilliseconds = took;
        if (!m_session)
            m_session = ReadingSession{spread.book, m_shownAt, m_shownAt, 0};
        m_session->end = now;
        m_session->characters += characters;
    } else {
        outcome.ended = stop();
    }
    m_shown = spread;
    m_shownAt = now;
    return outcome;
}

std::optional<ReadingSession> ReadingTracker::stop()
{
    m_shown.reset();
    return std::exchange(m_session, std::nullopt);
}

} // namespace tibbo::core
