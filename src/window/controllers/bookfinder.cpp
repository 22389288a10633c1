#include "bookfinder.h"

#include "bookview.h"
#include "chapterpanel.h"
#include "qtext.h"
#include "searchpanel.h"

#include "navigation/bookinfo.h"
#include "navigation/chaptermoves.h"
#include "navigation/search.h"
#include "pages/pages.h"

#include <QWidget>

namespace tibbo::window {

BookFinder::BookFinder(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView),
      m_chapterPanel(parts.chapterPanel), m_searchPanel(parts.searchPanel), m_window(window)
{
    connect(&m_chapterPanel, &ChapterPanel::chapterChosen, this, [this](int index) {
        const auto &all = chapters();
        if (index >= 0 && static_cast<size_t>(index) < all.size())
            showSpreadAt(core::spreadOfOffset(m_state, all[static_cast<size_t>(index)].offset));
        m_window->setFocus();
    });
    connect(&m_searchPanel, &SearchPanel::searchRequested, this, &BookFinder::search);
}

const std::vector<core::Chapter> &BookFinder::chapters()
{
    if (m_chaptersVersion != m_state.textVersion) {
        m_chapters = core::findChapters(m_state.paragraphText);
        m_chaptersVersion = m_state.textVersion;
    }
    return m_chapters;
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
    for (const core::Chapter &chapter : all)
        entries.push_back({qs(chapter.title), core::pageOfOffset(m_state.lineEnds, chapter.offset,
                                                                 m_state.linesPerPage)});
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
    const core::CharacterRange shown = core::charactersOnShow(m_state);
    const bool lastOnShow = m_lastHit && *m_lastHit >= shown.from && *m_lastHit < shown.to;
    const int64_t from = lastOnShow ? (forward ? *m_lastHit + 1 : *m_lastHit) : shown.from;
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
    // The line holding the match is highlighted as a chosen line would be.
    const int64_t index = core::lineHolding(m_state.lineEnds, hit->offset) - m_state.topLine;
    m_bookView.highlightLine(static_cast<int>(index));
    emit spreadChanged();
}

} // namespace tibbo::window
