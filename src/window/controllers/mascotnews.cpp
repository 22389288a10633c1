#include "mascotnews.h"

#include "bookchapters.h"
#include "bookview.h"
#include "mascotspeech.h"
#include "qtext.h"
#include "readingclock.h"
#include "readingcommands.h"
#include "readingpace.h"

#include "pages/pages.h"
#include "reading/recap.h"
#include "state/readerstate.h"

#include <QWidget>

namespace tibbo::window {

MascotNews::MascotNews(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_speech(parts.speech), m_bookView(parts.bookView),
      m_chapters(parts.chapters), m_pace(parts.pace), m_commands(parts.commands), m_window(window)
{
}

void MascotNews::onPlaceRestored(qint64 leftAt)
{
    const qint64 away = ReadingClock::now() - leftAt;
    if (leftAt <= 0 || away < core::kRecapAfterMilliseconds || !m_state.lineEndsFitText())
        return;
    const auto &chapters = m_chapters.list();
    const QString recap =
        qs(core::recapText(m_state.paragraphText, chapters, core::charactersOnShow(m_state), away,
                           core::charactersLeft(m_state, chapters), m_pace.charactersPerMinute()));
    // Nothing to read into again at the first spread.
    const bool canGoBack = m_state.topLine > 1;
    std::vector<MascotSpeech::Answer> answers;
    if (canGoBack)
        answers.push_back({QStringLiteral("往回翻一页,接着读"), [this] {
                               m_commands.turnBack();
                               m_window->setFocus();
                           }});
    say(recap, std::move(answers));
}

void MascotNews::onBookChanged(const BookPlaces::ChangeReport &report, qint64 leftAt)
{
    Q_UNUSED(leftAt)
    QStringList lines;
    if (!report.growth.isEmpty())
        lines << QStringLiteral("这本书更新了: %1.").arg(report.growth);
    else
        lines << QStringLiteral("这本书的文字跟上次不一样了,我按原来的文字帮你找回了读到的地方.");
    if (report.placeLost)
        lines << QStringLiteral("上次读到的地方(%1)在新的书里找不到了,先翻到了它原来的位置.")
                     .arg(report.lostPlaceChapter.isEmpty()
                              ? QStringLiteral("书的开头")
                              : QStringLiteral("「%1」").arg(report.lostPlaceChapter));
    if (!report.lostBookmarkPages.empty()) {
        QStringList pages;
        for (int64_t page : report.lostBookmarkPages)
            pages << QStringLiteral("第 %1页").arg(page);
        lines << QStringLiteral("有 %1 个书签找不到原来的文字了,还按原来的页码留着: %2.")
                     .arg(report.lostBookmarkPages.size())
                     .arg(pages.join(QStringLiteral("、")));
    }
    std::vector<MascotSpeech::Answer> answers;
    if (report.firstNewChapter)
        answers.push_back({QStringLiteral("从新的「%1」接着读").arg(report.firstNewChapterTitle),
                           [this, chapter = *report.firstNewChapter] { goTo(chapter); }});
    say(lines.join(QLatin1Char('\n')), std::move(answers));
}

void MascotNews::say(const QString &text, std::vector<MascotSpeech::Answer> answers)
{
    // Told only while the same text is on show.
    const uint64_t version = m_state.textVersion;
    m_speech.say({text, std::move(answers), MascotSpeech::Goes::AtFirstTouch,
                  QStringLiteral("news"),
                  [this, version] { return m_state.textVersion == version; }});
}

void MascotNews::goTo(int64_t offset)
{
    const int64_t from = core::charactersOnShow(m_state).from;
    m_state.topLine = core::spreadOfOffset(m_state, offset);
    m_bookView.showSpread(m_state);
    emit jumped(from);
    m_window->setFocus();
}

} // namespace tibbo::window
