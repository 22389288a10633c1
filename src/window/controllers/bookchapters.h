#pragma once
// The book's chapters: found by the rules the reader chose for the book (the defaults
// until then), cut into parts where long chapters are to be, checked for gaps,
// duplicates, disorder and odd lengths; the chapter list with its problems marked, the
// moves to the previous and next chapter, the title of the chapter on show (the window
// title and the menu tooltip name it), all in the script the book is shown in. The
// chapter rules panel tries rules on a worker thread and shows what they find before
// they apply; a rule that runs too long or backtracks without end is refused there, and
// the reader reads on meanwhile. The headings are found again when the text changes.
// The list also says how long the rest of the chapter and the book take at the reader's
// speed.

#include "chapters/chapterrules.h"
#include "chapters/healthcheck.h"
#include "state/readerstate.h"
#include "text/headings.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace tibbo::window {

class BookScript;
class BookView;
class ChapterPanel;
class ChapterRulesPanel;
class OptionsStore;
class ReadingPace;

class BookChapters : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        ChapterPanel &chapterPanel;
        ChapterRulesPanel &rulesPanel;
        OptionsStore &options;
        BookScript &script;
        const ReadingPace &pace;
    };
    BookChapters(Parts parts, QWidget *window);
    ~BookChapters() override;

    // The headings of the text on show.
    const std::vector<core::Chapter> &list();

    // The title of the chapter the spread on show belongs to; empty before the first one.
    QString currentTitle();
    // The problems the health check found, and the chapter (index into the list shown)
    // each is found at.
    const std::vector<core::ChapterProblem> &problems();
    // Where the chapter holding character `offset` ends: the next heading's offset, or the
    // end of the text.
    int64_t chapterEndAfter(int64_t offset);

  public slots:
    void openList();
    void showNext();
    void showPrevious();
    void openRules();
    // A book was opened by the reader: the mascot names its first chapter problem, once.
    void considerTelling();
    // Shows the spread of chapter `index` of the list.
    void showChapter(int index);

  signals:
    void menuCloseRequested();
    // A chapter was shown: `from` (the first character of the spread before) is a place to
    // come back to.
    void jumped(qint64 from);
    // The chapters changed (new rules, or the reader's own rules done): titles anew.
    void chaptersChanged();
    // The mascot has something to say: `message`, and the chapter it is about.
    void problemToTell(const QString &message, int chapter);

  private:
    struct Found
    {
        // As the rules found them, and as the list shows them (long ones in parts).
        std::vector<core::Chapter> headings;
        std::vector<core::Chapter> shown;
        std::vector<core::ChapterProblem> problems; // chapters: indexes into `shown`
        std::vector<QString> messages;              // one a problem, as the reader is told
    };
    struct Run;

    void follow();
    void install(std::vector<core::Chapter> headings, bool split);
    void showSpreadAt(int64_t topLine);
    // The rules kept for the book on show; `ownPatterns` gets the reader's own as typed.
    core::ChapterRules storedRules(QStringList *ownPatterns) const;
    // Starts the rules on a worker thread; `done` runs on this thread with the outcome.
    void start(core::ChapterRules rules, std::function<void(const core::RuleOutcome &)> done);
    void onPreview();
    void onApply();
    // The rules of the panel compiled; nothing, with the reason shown, when one is wrong.
    std::optional<core::ChapterRules> panelRules();
    QString refusalOf(const core::RuleOutcome &outcome) const;

    core::ReaderState &m_state;
    BookView &m_bookView;
    ChapterPanel &m_chapterPanel;
    ChapterRulesPanel &m_rulesPanel;
    OptionsStore &m_options;
    BookScript &m_script;
    const ReadingPace &m_pace;
    QWidget *m_window;
    Found m_found;
    std::optional<uint64_t> m_chaptersVersion;
    std::string m_chaptersBook;
    std::unique_ptr<Run> m_run;
};

} // namespace tibbo::window
