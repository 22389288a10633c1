#include "bookfinder.h"

#include "bookview.h"
#include "chapterpanel.h"
#include "qtext.h"
#include "searchpanel.h"

#include "navigation/navigation.h"
#include "navigation/search.h"
#include "text/reflow.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace tibbo::window {

BookFinder::BookFinder(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView),
      m_chapterPanel(parts.chapterPanel), m_searchPanel(parts.searchPanel), m_window(window)
{
    const auto shortcut = [this, window](const QKeySequence &keys, auto slot) {
        auto *s = new QShortcut(keys, window);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::Key_T), &BookFinder::openChapterList);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Right), &BookFinder::nextChapter);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Left), &BookFinder::previousChapter);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), &BookFinder::openSearch);
    shortcut(QKeySequence(Qt::Key_F3), [this] { search(true); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { search(false); });
    connect(&m_chapterPanel, &ChapterPanel::chapterChosen, this, [this](int index) {
        const auto &all = chapters();
        if (index >= 0 && static_cast<size_t>(index) < all.size())
            showSpreadAt(core::spreadOfOffset(m_state, all[static_cast<size_t>(index)].offset));
        m_window->setFocus();
    });
    connect(&m_searchPanel, &SearchPanel::searchRequested, this, &BookFinder::search);
    // The found line's highlight belongs to the search: it goes with the prompt.
    connect(&m_searchPanel, &SearchPanel::closed, this,
            [this] { m_bookView.clearHighlight(std::exchange(m_hitLine, -1)); });
}

const std::vector<core::Chapter> &BookFinder::chapters()
{
    if (m_chaptersVersion != m_state.textVersion) {
        m_chapters = core::findChapters(m_state.paragraphText);
        m_chaptersVersion = m_state.textVersion;
    }
    return m_chapters;
}

int64_t BookFinder::firstCharacterOnShow() const
{
    const auto line =
        static_cast<size_t>(std::clamp<int64_t>(m_state.topLine - 1, 0, m_state.lineCount()));
    return m_state.lineEnds[line];
}

void BookFinder::showSpreadAt(int64_t topLine)
{
    m_state.topLine = topLine;
    m_bookView.showSpread(m_state);
    emit menuCloseRequested();
    emit spreadChanged();
}

QString BookFinder::currentChapterTitle()
{
    const auto &all = chapters();
    const int64_t index = core::currentChapter(m_state, all);
    return index < 0 ? QString() : qs(all[static_cast<size_t>(index)].title);
}

QString BookFinder::progressCaption() const
{
    return qs(core::progressCaption(core::progressPercent(m_state)));
}

void BookFinder::openChapterList()
{
    const auto &all = chapters();
    std::vector<ChapterPanel::Entry> entries;
    entries.reserve(all.size());
    const int64_t L = std::max<int64_t>(m_state.linesPerPage, 1);
    for (const core::Chapter &chapter : all) {
        const int64_t line = core::lineHolding(m_state.lineEnds, chapter.offset);
        entries.push_back({qs(chapter.title), (line - 1) / L + 1});
    }
    emit menuCloseRequested();
    m_chapterPanel.open(entries, static_cast<int>(core::currentChapter(m_state, all)));
}

void BookFinder::nextChapter()
{
    if (const auto top = core::nextChapterSpread(m_state, chapters()))
        showSpreadAt(*top);
}

void BookFinder::previousChapter()
{
    if (const auto top = core::previousChapterSpread(m_state, chapters()))
        showSpreadAt(*top);
}

void BookFinder::openSearch()
{
    emit menuCloseRequested();
    m_searchPanel.open();
}

void BookFinder::search(bool forward)
{
    const std::u32string needle = m_searchPanel.needle().toStdU32String();
    if (needle.empty()) {
        openSearch();
        return;
    }
    // From the last match while it is still on show, else from the spread on show.
    const int64_t shownFrom = firstCharacterOnShow();
    const int64_t shownTo = m_state.lineEnds[static_cast<size_t>(
        std::clamp<int64_t>(m_state.topLine - 1 + 2 * std::max<int64_t>(m_state.linesPerPage, 1), 0,
                            m_state.lineCount()))];
    const bool lastOnShow = m_lastHit && *m_lastHit >= shownFrom && *m_lastHit < shownTo;
    const int64_t from = lastOnShow ? (forward ? *m_lastHit + 1 : *m_lastHit) : shownFrom;
    const auto hit = core::findNextWrapping(m_state.paragraphText, needle, from, forward);
    if (!hit) {
        m_searchPanel.setNote(QStringLiteral("找不到“%1”").arg(m_searchPanel.needle()));
        return;
    }
    m_lastHit = hit->offset;
    m_searchPanel.setNote(!hit->wrapped ? QString()
                          : forward     ? QStringLiteral("已到书尾,从头开始找到的")
                                        : QStringLiteral("已到书头,从尾开始找到的"));
    m_state.topLine = core::spreadOfOffset(m_state, hit->offset);
    m_bookView.showSpread(m_state);
    // The line holding the match is highlighted as a chosen line would be, and the
    // prompt moves off it.
    const auto index =
        static_cast<int>(core::lineHolding(m_state.lineEnds, hit->offset) - m_state.topLine);
    m_bookView.highlightLine(index);
    m_hitLine = index;
    m_searchPanel.keepClearOf(m_bookView.lineGeometry(index));
    emit spreadChanged();
}

} // namespace tibbo::window
