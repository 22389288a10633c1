#include "bookchapters.h"

#include "bookview.h"
#include "chapterpanel.h"
#include "qtext.h"

#include "navigation/chaptermoves.h"
#include "navigation/readaloud.h"
#include "pages/pages.h"

#include <QWidget>

namespace tibbo::window {

BookChapters::BookChapters(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView),
      m_chapterPanel(parts.chapterPanel), m_window(window)
{
    connect(&m_chapterPanel, &ChapterPanel::chapterChosen, this, [this](int index) {
        const auto &all = chapters();
        if (index >= 0 && static_cast<size_t>(index) < all.size())
            showSpreadAt(core::spreadOfOffset(m_state, all[static_cast<size_t>(index)].offset));
        m_window->setFocus();
    });
}

const std::vector<core::Chapter> &BookChapters::chapters()
{
    if (m_chaptersVersion != m_state.textVersion) {
        m_chapters = core::findChapters(m_state.paragraphText);
        m_chaptersVersion = m_state.textVersion;
    }
    return m_chapters;
}

void BookChapters::showSpreadAt(int64_t topLine)
{
    m_state.topLine = topLine;
    m_bookView.showSpread(m_state);
    emit menuCloseRequested();
}

int64_t BookChapters::chapterEndAfter(int64_t offset)
{
    return core::chapterEndAfter(chapters(), offset,
                                 static_cast<int64_t>(m_state.paragraphText.size()));
}

QString BookChapters::currentTitle()
{
    const auto &all = chapters();
    const int64_t index = core::currentChapter(m_state, all);
    return index < 0 ? QString() : qs(all[static_cast<size_t>(index)].title);
}

void BookChapters::openList()
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

void BookChapters::showNext()
{
    if (const auto top = core::nextChapterSpread(m_state, chapters()))
        showSpreadAt(*top);
}

void BookChapters::showPrevious()
{
    if (const auto top = core::previousChapterSpread(m_state, chapters()))
        showSpreadAt(*top);
}

} // namespace tibbo::window
