#include "readingpace.h"

#include "bookview.h"
#include "optionsstore.h"
#include "qtext.h"
#include "readingclock.h"
#include "readingstatistics.h"
#include "sessionfiles.h"
#include "statisticspanel.h"

#include "pages/pages.h"
#include "state/readerstate.h"

#include <QDate>
#include <QEvent>
#include <QWidget>

#include <cmath>

namespace tibbo::window {

ReadingPace::ReadingPace(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_options(parts.options),
      m_statistics(parts.statistics), m_statisticsPanel(parts.statisticsPanel), m_window(window)
{
    m_speed.seedCharsPerMinute = m_options.value(options::kSpeedSeed);
    m_speed.measuredCharacters = m_options.value(options::kSpeedCharacters);
    m_speed.measuredSeconds = m_options.value(options::kSpeedSeconds);
    connect(&parts.bookView, &BookView::spreadShown, this, &ReadingPace::onSpreadShown);
    m_window->installEventFilter(this);
}

std::optional<double> ReadingPace::charactersPerMinute() const
{
    return core::charactersPerMinute(m_speed);
}

QString ReadingPace::timeLeftLines(const std::vector<core::Chapter> &chapters) const
{
    // Before the whole of a book is read in, what is left of it is not known yet.
    if (m_state.loadingBusy)
        return QString();
    return qs(core::timeLeftLines(core::charactersLeft(m_state, chapters), charactersPerMinute()));
}

void ReadingPace::onSpreadShown()
{
    // Only the reader's own books on show count: not the manual, not a hidden window, not
    // lines cut from another text, not the spreads turned by reading aloud.
    if (m_state.bookPath.empty() || !m_state.lineEndsFitText() || !m_window->isVisible() ||
        m_window->isMinimized() || qs(m_state.bookPath) == SessionFiles::manualPath() ||
        (m_readingAloud && m_readingAloud())) {
        endSession(m_tracker.stop());
        return;
    }
    const core::CharacterRange shown = core::charactersOnShow(m_state);
    const auto outcome = m_tracker.show(
        {m_state.bookPath, m_state.textVersion, shown.from, shown.to}, ReadingClock::now());
    if (outcome.readCharacters > 0) {
        core::addReading(m_speed, outcome.readCharacters, outcome.readMilliseconds);
        m_speedChanged = true;
    }
    endSession(outcome.ended);
}

void ReadingPace::endSession(const std::optional<core::ReadingSession> &session)
{
    if (!session)
        return;
    m_statistics.record(*session);
    saveSpeed();
}

void ReadingPace::saveSpeed()
{
    if (!m_speedChanged)
        return;
    m_speedChanged = false;
    m_options.setValue(options::kSpeedSeed, static_cast<int>(m_speed.seedCharsPerMinute));
    m_options.setValue(options::kSpeedCharacters, static_cast<int>(m_speed.measuredCharacters));
    m_options.setValue(options::kSpeedSeconds, static_cast<int>(m_speed.measuredSeconds));
}

QString ReadingPace::takeSpeedTest(int64_t characters, double seconds)
{
    const QString comparison = qs(core::speedTestComparison(m_speed, characters, seconds));
    const int64_t before = m_speed.seedCharsPerMinute;
    core::seedSpeed(m_speed, characters, seconds);
    m_speedChanged = m_speedChanged || m_speed.seedCharsPerMinute != before;
    saveSpeed();
    return comparison;
}

void ReadingPace::stop()
{
    endSession(m_tracker.stop());
    saveSpeed();
}

namespace {

QString totalsCaption(const core::ReadingTotals &totals)
{
    QString caption = qs(core::readingTimeCaption(totals.milliseconds)) + QStringLiteral("　") +
                      qs(core::characterCountCaption(totals.characters));
    if (const auto speed = totals.charactersPerMinute(); speed && totals.milliseconds >= 60000)
        caption += QStringLiteral("　每分钟 %1 字").arg(std::llround(*speed));
    return caption;
}

} // namespace

QString ReadingPace::speedInWords() const
{
    const auto speed = charactersPerMinute();
    if (!speed)
        return QStringLiteral("还不知道: 多读几页,或者测一下读速");
    QString from;
    if (m_speed.seedCharsPerMinute <= 0 || m_speed.measuredSeconds >= core::kEnoughReadingSeconds)
        from = QStringLiteral("按读过的书页算");
    else if (m_speed.measuredSeconds <= 0)
        from = QStringLiteral("按测读速的结果算");
    else
        from = QStringLiteral("按测读速的结果和读过的书页算");
    return QStringLiteral("每分钟约 %1 字 (%2)").arg(std::llround(*speed)).arg(from);
}

void ReadingPace::showStatistics()
{
    emit menuCloseRequested();
    m_statisticsPanel.open();
    const qint64 now = ReadingClock::now();
    const SystemCalendar calendar;
    const int64_t today = calendar.dayOf(now);
    constexpr int kDays = 30;
    const int64_t firstDay = today - (kDays - 1);
    const int64_t since = calendar.startOf(std::min(firstDay, core::weekStart(today)));
    m_statistics.read(since, [this, now, firstDay](std::vector<core::ReadingSession> recent,
                                                   std::vector<core::BookTotals> books) {
        // What is being read now counts too.
        if (const auto &session = m_tracker.session()) {
            recent.push_back(*session);
            const core::BookTotals current{
                session->book, {session->end - session->start, session->characters}, session->end};
            books.push_back(current);
        }
        const SystemCalendar calendar;
        const core::ReadingDays days = core::summariseDays(recent, calendar, now, kDays);
        StatisticsPanel::Figures figures;
        figures.today = totalsCaption(days.today);
        figures.thisWeek = totalsCaption(days.thisWeek);
        figures.speed = speedInWords();
        for (const core::ReadingTotals &day : days.lastDays)
            figures.lastDays.push_back(static_cast<double>(day.milliseconds) / 60000.0);
        figures.firstDay = QDate(1970, 1, 1).addDays(firstDay);
        for (const core::BookTotals &book : core::mergeBooksByName(books)) {
            const auto speed = book.totals.charactersPerMinute();
            figures.books.push_back(
                {qs(book.book), qs(core::readingTimeCaption(book.totals.milliseconds)),
                 qs(core::characterCountCaption(book.totals.characters)),
                 speed ? QString::number(std::llround(*speed)) : QStringLiteral("—")});
        }
        if (m_statisticsPanel.isVisible())
            m_statisticsPanel.showFigures(figures);
    });
}

bool ReadingPace::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Hide:
            endSession(m_tracker.stop());
            break;
        case QEvent::Show:
        case QEvent::WindowStateChange:
            // Back on show: the spread on show is where reading starts again.
            onSpreadShown();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tibbo::window
