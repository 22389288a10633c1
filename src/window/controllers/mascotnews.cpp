#include "mascotnews.h"

#include "bookchapters.h"
#include "bookview.h"
#include "mascot.h"
#include "mascotmessage.h"
#include "qtext.h"
#include "readingclock.h"
#include "readingcommands.h"
#include "readingpace.h"

#include "pages/pages.h"
#include "reading/recap.h"
#include "state/readerstate.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tibbo::window {

namespace {

// How often news that waits for the bubble looks again.
constexpr int kWaitForBubbleMilliseconds = 500;

} // namespace

MascotNews::MascotNews(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_mascot(parts.mascot), m_message(parts.message),
      m_bookView(parts.bookView), m_chapters(parts.chapters), m_pace(parts.pace),
      m_commands(parts.commands), m_window(window)
{
    connect(&m_message, &MascotMessage::actionChosen, this, &MascotNews::onActionChosen);
}

bool MascotNews::showing() const
{
    return m_message.isVisible();
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
    say(recap, canGoBack ? QStringLiteral("往回翻一页,接着读") : QString(), Offer::SpreadBack);
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
    QString offer;
    if (report.firstNewChapter) {
        m_firstNewChapter = *report.firstNewChapter;
        offer = QStringLiteral("从新的「%1」接着读").arg(report.firstNewChapterTitle);
    }
    say(lines.join(QLatin1Char('\n')), offer, Offer::FirstNewChapter);
}

void MascotNews::say(const QString &text, const QString &offerCaption, Offer offer)
{
    // The news comes once the window has done what the re-flow that showed the place asks
    // of it (it closes the bubble), and only while the same text is on show.
    m_newsVersion = m_state.textVersion;
    QTimer::singleShot(0, this,
                       [this, text, offerCaption, offer] { sayNow(text, offerCaption, offer); });
}

void MascotNews::sayNow(const QString &text, const QString &offerCaption, Offer offer)
{
    if (m_state.textVersion != m_newsVersion)
        return;
    // The menu the reader opened, or another word of Tibbo's (an offer waiting for an answer,
    // a note), stays as it is: the news waits until the bubble is free, while the same text
    // is on show.
    if (m_state.menuShown || (m_mascot.bubbleOpen() && !m_message.isVisible())) {
        QTimer::singleShot(kWaitForBubbleMilliseconds, this, [this, text, offerCaption, offer] {
            sayNow(text, offerCaption, offer);
        });
        return;
    }
    m_offer = offerCaption.isEmpty() ? Offer::None : offer;
    m_message.say(text, offerCaption.isEmpty() ? QStringList() : QStringList{offerCaption});
    m_mascot.setBubbleOpen(true);
    m_message.show();
    m_message.raise();
    emit layoutNeeded();
    qApp->installEventFilter(this);
}

void MascotNews::dismiss()
{
    qApp->removeEventFilter(this);
    if (!m_message.isVisible())
        return;
    m_message.hide();
    if (!m_state.menuShown)
        m_mascot.setBubbleOpen(false);
}

void MascotNews::onActionChosen(int index)
{
    if (index != 0)
        return;
    const Offer offer = std::exchange(m_offer, Offer::None);
    dismiss();
    if (offer == Offer::SpreadBack) {
        m_commands.turnBack();
    } else if (offer == Offer::FirstNewChapter) {
        const int64_t from = core::charactersOnShow(m_state).from;
        m_state.topLine = core::spreadOfOffset(m_state, m_firstNewChapter);
        m_bookView.showSpread(m_state);
        emit jumped(from);
    }
    m_window->setFocus();
}

// The first key, click or turn of the wheel anywhere takes the news away and goes on to do
// what it does; a click on the offer is the offer.
bool MascotNews::eventFilter(QObject *watched, QEvent *event)
{
    // A press reaches the window's QWindow before the widget under the mouse: only the
    // widget tells whether it was the offer.
    if (!watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::Wheel ||
        ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
         !m_message.isAction(watched)))
        dismiss();
    return QObject::eventFilter(watched, event);
}

} // namespace tibbo::window
