#include "bookhighlights.h"

#include "bookchapters.h"
#include "bookloader.h"
#include "bookview.h"
#include "dialogs.h"
#include "entrylistpanel.h"
#include "highlightrowsmodel.h"
#include "noteeditor.h"
#include "qtext.h"
#include "reflowjob.h"
#include "theme.h"

#include "pages/pages.h"
#include "text/fileio.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace tibbo::window {

BookHighlights::BookHighlights(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_bookView(parts.bookView), m_chapters(parts.chapters),
      m_editor(parts.editor), m_listPanel(parts.listPanel), m_rows(new HighlightRowsModel(this))
{
    connect(&m_listPanel, &EntryListPanel::rowChosen, this, &BookHighlights::jumpTo);
    m_exportButtons = {
        m_listPanel.addAction(QStringLiteral("导出 Markdown…"),
                              QStringLiteral("highlightExportMarkdown"),
                              [this] { exportList(core::ExportFormat::Markdown); }),
        m_listPanel.addAction(QStringLiteral("导出文本…"), QStringLiteral("highlightExportText"),
                              [this] { exportList(core::ExportFormat::PlainText); })};
    connect(&parts.loader, &BookLoader::textReplaced, this, &BookHighlights::takeBook);
    connect(&parts.reflowJob, &ReflowJob::finished, this, &BookHighlights::checkText);
    connect(&m_editor, &NoteEditor::saved, this, &BookHighlights::onNoteSaved);
}

void BookHighlights::setFolder(const QString &folder)
{
    m_folder = folder.toStdString();
}

std::optional<core::TextSpan> BookHighlights::holding(core::TextSpan span) const
{
    if (!m_checked)
        return std::nullopt;
    for (const size_t i : core::highlightsAt(m_file.highlights, span.from)) {
        const core::Highlight &h = m_file.highlights[i];
        if (h.end() >= span.to)
            return core::TextSpan{h.start, h.end()};
    }
    return std::nullopt;
}

// A book's text came in (a new book, the first part of one, its text read again in another
// encoding, or the book of the last session): its highlights are read from their file.
void BookHighlights::takeBook()
{
    m_checked = false;
    m_noteSpan.reset();
    m_editor.hide();
    m_bookPath = m_state.bookPath;
    m_file = {};
    m_writable = true;
    if (!m_folder.empty() && !m_bookPath.empty()) {
        core::LoadedHighlights loaded = core::loadHighlights(m_folder, m_bookPath);
        m_file = std::move(loaded.file);
        m_writable = !loaded.backupFailed;
        if (loaded.damaged) {
            const QString path = qs(core::highlightFilePath(m_folder, m_bookPath));
            emit fileDamaged(path, loaded.backupFailed ? QString() : path + QStringLiteral(".bak"));
        }
    }
    checkText();
}

void BookHighlights::checkText()
{
    // The whole text is needed to tell whether it changed, and to look in it.
    if (m_checked || m_state.loadingBusy || !m_state.lineEndsFitText() ||
        m_bookPath != m_state.bookPath) {
        draw();
        return;
    }
    m_checked = true;
    if (m_file.highlights.empty()) {
        draw();
        return;
    }
    const core::TextIdentity identity = identityOfText();
    if (!m_file.identity) {
        // A file of a first start knows no text: it is taken as this one's.
        m_file.identity = identity;
    } else if (*m_file.identity != identity) {
        const auto &chapters = m_chapters.list();
        std::vector<core::TextAnchor> anchors;
        anchors.reserve(m_file.highlights.size());
        for (const core::Highlight &h : m_file.highlights)
            anchors.push_back(h.anchor);
        const auto found = core::findAnchors(m_state.paragraphText, chapters, anchors);
        const auto size = static_cast<int64_t>(m_state.paragraphText.size());
        int foundCount = 0;
        int lostCount = 0;
        std::vector<core::Highlight> moved;
        moved.reserve(m_file.highlights.size());
        for (size_t i = 0; i < found.size(); ++i) {
            core::Highlight h = m_file.highlights[i];
            if (found[i] && *found[i] < size) {
                h.start = *found[i];
                h.length = std::min(h.length, size - h.start);
                h.anchor = core::anchorAt(m_state.paragraphText, chapters, h.start);
                h.lost = false;
                ++foundCount;
            } else {
                // Kept with its text and note, and listed as not found; never dropped.
                h.lost = true;
                ++lostCount;
            }
            core::insertHighlight(moved, std::move(h));
        }
        m_file.highlights = std::move(moved);
        m_file.identity = identity;
        emit reanchored(foundCount, lostCount);
    } else {
        draw();
        return;
    }
    changed();
}

core::TextIdentity BookHighlights::identityOfText()
{
    if (!m_identity || m_identity->first != m_state.textVersion)
        m_identity = std::pair(m_state.textVersion, core::identityOf(m_state.paragraphText));
    return m_identity->second;
}

core::Highlight BookHighlights::made(core::TextSpan span, int colour)
{
    core::Highlight h;
    h.start = span.from;
    h.length = span.to - span.from;
    h.colour = std::clamp(colour, 0, core::kHighlightColours - 1);
    h.created = QDateTime::currentSecsSinceEpoch();
    h.anchor = core::anchorAt(m_state.paragraphText, m_chapters.list(), span.from);
    return h;
}

void BookHighlights::highlight(core::TextSpan span, int colour)
{
    const auto size = static_cast<int64_t>(m_state.paragraphText.size());
    span.from = std::clamp<int64_t>(span.from, 0, size);
    span.to = std::clamp<int64_t>(span.to, span.from, size);
    if (span.empty() || !m_checked)
        return;
    if (const auto same = core::highlightOf(m_file.highlights, span.from, span.to))
        m_file.highlights[*same].colour = std::clamp(colour, 0, core::kHighlightColours - 1);
    else
        core::insertHighlight(m_file.highlights, made(span, colour));
    if (!m_file.identity)
        m_file.identity = identityOfText();
    changed();
}

void BookHighlights::editNote(core::TextSpan span)
{
    if (span.empty() || !m_checked)
        return;
    const auto held = holding(span);
    m_noteSpan = held ? *held : span;
    QString note;
    if (held)
        if (const auto i = core::highlightOf(m_file.highlights, held->from, held->to))
            note = qs(m_file.highlights[*i].note);
    const auto size = static_cast<int64_t>(m_state.paragraphText.size());
    const int64_t to = std::min(m_noteSpan->to, size);
    const int64_t from = std::min(m_noteSpan->from, to);
    const QString words =
        qs(core::copiedText(m_state.paragraphText, from, std::min(to, from + 200)));
    m_editor.open(words, note);
}

void BookHighlights::onNoteSaved(const QString &note)
{
    const auto span = std::exchange(m_noteSpan, std::nullopt);
    if (!span || !m_checked)
        return;
    auto at = core::highlightOf(m_file.highlights, span->from, span->to);
    if (!at) {
        if (note.isEmpty())
            return;
        at = core::insertHighlight(m_file.highlights, made(*span, 0));
        if (!m_file.identity)
            m_file.identity = identityOfText();
    }
    m_file.highlights[*at].note = note.toStdU32String();
    changed();
}

void BookHighlights::remove(core::TextSpan span)
{
    const auto held = holding(span);
    if (!held)
        return;
    if (const auto i = core::highlightOf(m_file.highlights, held->from, held->to)) {
        m_file.highlights.erase(m_file.highlights.begin() + static_cast<std::ptrdiff_t>(*i));
        changed();
    }
}

void BookHighlights::changed()
{
    draw();
    emit highlightsChanged();
    if (m_folder.empty() || m_bookPath.empty() || !m_writable)
        return;
    if (!core::saveHighlights(m_folder, m_bookPath, m_file))
        emit saveFailed(qs(core::highlightFilePath(m_folder, m_bookPath)), errno);
}

void BookHighlights::draw()
{
    std::vector<BookView::Range> ranges[core::kHighlightColours];
    std::vector<BookView::NoteMark> notes;
    if (m_checked && m_bookPath == m_state.bookPath)
        for (const core::Highlight &h : m_file.highlights) {
            if (h.lost)
                continue;
            ranges[h.colour].push_back({h.start, h.end()});
            if (!h.note.empty())
                notes.push_back({h.end() - 1, qs(h.note)});
        }
    for (int colour = 0; colour < core::kHighlightColours; ++colour)
        m_bookView.setMarks(highlightMark(colour), std::move(ranges[colour]));
    m_bookView.setNoteMarks(std::move(notes));
}

} // namespace tibbo::window

namespace tibbo::window {

void BookHighlights::openList()
{
    emit menuCloseRequested();
    std::vector<HighlightRowsModel::Row> entries;
    entries.reserve(m_file.highlights.size());
    const auto &chapters = m_chapters.list();
    const auto size = static_cast<int64_t>(m_state.paragraphText.size());
    const bool placed = m_checked && m_state.lineEndsFitText();
    for (const core::Highlight &h : m_file.highlights) {
        HighlightRowsModel::Row entry;
        entry.note = qs(h.note);
        entry.colour = h.colour;
        if (h.lost || h.start >= size || !placed) {
            entry.chapter = qs(h.anchor.chapterTitle);
            entry.words = qs(h.anchor.before + U"…" + h.anchor.after);
        } else {
            entry.page = core::pageOfOffset(m_state.lineEnds, h.start, m_state.linesPerPage);
            const int64_t chapter = core::chapterHolding(chapters, h.start);
            if (chapter >= 0)
                entry.chapter = qs(chapters[static_cast<size_t>(chapter)].title);
            entry.words = qs(core::copiedText(m_state.paragraphText, h.start,
                                              std::min({h.end(), size, h.start + 200})));
        }
        entries.push_back(std::move(entry));
    }
    const auto lost =
        std::count_if(entries.begin(), entries.end(),
                      [](const HighlightRowsModel::Row &row) { return row.page <= 0; });
    QString caption;
    if (entries.empty())
        caption = QStringLiteral("划线和笔记 (这本书里还没有。按住 Ctrl 选中文字，点「划线」)");
    else if (lost == 0)
        caption = QStringLiteral("划线和笔记 (共%1条)").arg(entries.size());
    else
        caption = QStringLiteral("划线和笔记 (共%1条，%2条未找到)").arg(entries.size()).arg(lost);
    for (QAbstractButton *button : m_exportButtons)
        button->setEnabled(!entries.empty());
    const bool any = !entries.empty();
    m_rows->setRows(std::move(entries));
    m_listPanel.open(caption, m_rows, any ? 0 : -1);
}

void BookHighlights::jumpTo(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_file.highlights.size() ||
        !m_state.lineEndsFitText())
        return;
    const core::Highlight &h = m_file.highlights[static_cast<size_t>(index)];
    if (h.lost || h.start >= static_cast<int64_t>(m_state.paragraphText.size()))
        return;
    const int64_t from = core::charactersOnShow(m_state).from;
    const int64_t topLine = core::spreadOfOffset(m_state, h.start);
    const int64_t before = std::exchange(m_state.topLine, topLine);
    m_bookView.showSpread(m_state);
    if (topLine != before)
        emit jumped(from);
}

void BookHighlights::exportList(core::ExportFormat format)
{
    const bool markdown = format == core::ExportFormat::Markdown;
    const QString title = QFileInfo(qs(m_bookPath)).completeBaseName();
    const QString suggested =
        QDir::home().filePath(title + QStringLiteral("-划线和笔记") +
                              (markdown ? QStringLiteral(".md") : QStringLiteral(".txt")));
    const QString path = Dialogs::saveFile(m_listPanel.window(), QStringLiteral("导出划线和笔记"),
                                           markdown ? QStringLiteral("Markdown (*.md)")
                                                    : QStringLiteral("文本文件 (*.txt)"),
                                           suggested);
    if (path.isEmpty())
        return;
    const std::string bytes = core::exportHighlights(title.toStdU32String(), m_state.paragraphText,
                                                     m_chapters.list(), m_file.highlights, format);
    if (core::writeFileAtomically(path.toStdString(), bytes))
        emit exported(path);
    else
        emit saveFailed(path, errno);
}

} // namespace tibbo::window
