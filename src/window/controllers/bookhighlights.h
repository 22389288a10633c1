#pragma once
// The reader's highlights (划线) and notes (笔记) in the book on show: made, recoloured,
// noted and deleted from the selection menu, drawn on the spread (a tint a colour, a small
// mark at a note's end with the note on hover), and kept in the book's highlights file
// (core::loadHighlights) beside its mark file, written at every change.
//
// They are kept by character offset, so a re-flow, a font change or fine typesetting
// leave them exact. The file also keeps the identity of the text they belong to and the
// anchor of each; a book whose text changed (a longer download) has them found again by
// their text (core::findAnchors), and one that is not found is kept, marked as lost.

#include "state/readerstate.h"
#include "text/selectiontext.h"

#include "reading/highlightexport.h"
#include "reading/highlights.h"

#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAbstractButton;

namespace tibbo::window {

class BookChapters;
class BookLoader;
class BookView;
class EntryListPanel;
class HighlightRowsModel;
class NoteEditor;
class ReflowJob;

class BookHighlights : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        BookLoader &loader;
        ReflowJob &reflowJob;
        BookChapters &chapters;
        NoteEditor &editor;
        EntryListPanel &listPanel;
    };
    BookHighlights(Parts parts, QObject *parent);

    // The highlights of the book on show, in book order (those marked lost included).
    const std::vector<core::Highlight> &list() const { return m_file.highlights; }
    // The innermost highlight that holds all of `span`.
    std::optional<core::TextSpan> holding(core::TextSpan span) const;
    // Where the highlights file is written; empty: nowhere (the application folder cannot
    // be used).
    void setFolder(const QString &folder);

  public slots:
    // A book's text is in the state: opened (the loader says so itself) or restored from
    // settings.ini at start-up. Its highlights are read, and checked against the text
    // once its lines are cut.
    void takeBook();
    // Keeps `span` as a highlight in colour 0 .. 3; a highlight of exactly these
    // characters takes the colour instead.
    void highlight(tibbo::core::TextSpan span, int colour);
    // Opens the note editor for the highlight holding `span`, or for `span` made a
    // highlight (the first colour) when the note is saved.
    void editNote(tibbo::core::TextSpan span);
    // Deletes the highlight holding `span`, with its note.
    void remove(tibbo::core::TextSpan span);
    // Opens the list of the book's highlights and notes.
    void openList();
    // Writes the export in `format` to a file the reader chooses.
    void exportList(tibbo::core::ExportFormat format);

  signals:
    // The highlights file at `path` could not be written (`error`: the errno value).
    void saveFailed(const QString &path, int error);
    // The highlights of a changed book were looked for: how many were found, and how many
    // not (those are kept, marked lost).
    void reanchored(int found, int lost);
    void highlightsChanged();
    // The book's highlights file was damaged: what could be read is read. `keptAs` is the
    // copy of the file as it was; empty when no copy could be made (the file is then left
    // as it is, and not written while the book is open).
    void fileDamaged(const QString &path, const QString &keptAs);
    // A jump from the list: the spread on show began with character `from`.
    void jumped(qint64 from);
    // The export was written to `path`.
    void exported(const QString &path);
    void menuCloseRequested();

  private:
    void checkText();
    void jumpTo(int index);
    void onNoteSaved(const QString &note);
    core::Highlight made(core::TextSpan span, int colour);
    core::TextIdentity identityOfText();
    void changed();
    void draw();

    core::ReaderState &m_state;
    BookView &m_bookView;
    BookChapters &m_chapters;
    NoteEditor &m_editor;
    EntryListPanel &m_listPanel;
    HighlightRowsModel *m_rows;
    // The list's export buttons: of no use on an empty list.
    std::vector<QAbstractButton *> m_exportButtons;
    std::string m_folder;
    std::string m_bookPath;
    core::HighlightFile m_file;
    // The text on show has been checked against the file's identity (and the highlights
    // found again in it when it changed); before that nothing is drawn.
    bool m_checked = false;
    // A damaged file that could not be kept as ".bak": nothing is written over it.
    bool m_writable = true;
    // The note being edited: the characters of its highlight (which may not exist yet).
    std::optional<core::TextSpan> m_noteSpan;
    std::optional<std::pair<uint64_t, core::TextIdentity>> m_identity;
};

} // namespace tibbo::window
