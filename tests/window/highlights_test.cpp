// Highlights and notes on the pages: made from the selection menu, drawn as tints, kept in
// the book's highlights file across a re-flow and a restart, noted, and deleted.

#include "windowfixture.h"

#include "bookview.h"
#include "entrylistpanel.h"
#include "pageappearance.h"
#include "readerwindow.h"

#include "reading/highlights.h"

#include <QCheckBox>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

// The characters of line `index` under bands of this colour.
QString tinted(const QObject *window, int index, TextMark kind)
{
    const LineLabel *label = line(window, index);
    QString under;
    for (const LineLabel::Band &band : label->bands())
        if (band.colour == markColour(Theme::Day, kind))
            under += label->text().mid(band.firstColumn, band.columns);
    return under;
}

QString tintedOnSpread(const ReaderWindow &window, TextMark kind)
{
    QString under;
    for (int k = 0; k < 2 * static_cast<int>(window.state().linesPerPage); ++k)
        under += tinted(&window, k, kind);
    return under;
}

std::string highlightFile(const QString &book)
{
    return tibbo::core::highlightFilePath(SessionFiles::folder().toStdString(), book.toStdString());
}

} // namespace

class HighlightsTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    // 划线 keeps the selection in its colour; a bigger font and a restart keep it on the
    // same characters; 删除 takes it away, from the pages and the file.
    void highlight_keptAcrossFontChangeAndRestart_thenDeleted()
    {
        const QString text = distinctText();
        const QString book = writeBook(QStringLiteral("distinct.txt"), text);
        QString words;
        {
            auto w = startWindow(book);
            words = line(w.get(), 1)->text().mid(3, 6);
            ctrlDrag(w.get(), 1, 3, 1, 8);
            QTest::mouseClick(part<QPushButton>(w.get(), "selectionHighlightGreen"),
                              Qt::LeftButton);
            QVERIFY(!part(w.get(), "selectionMenu")->isVisible());
            // The selection is gone; the green tint stays on the characters.
            QCOMPARE(tinted(w.get(), 1, TextMark::HighlightGreen), words);
            QCOMPARE(tinted(w.get(), 1, TextMark::Selection), QString());
            const auto saved = tibbo::core::loadHighlights(SessionFiles::folder().toStdString(),
                                                           book.toStdString());
            QVERIFY(!saved.damaged);
            QCOMPARE(saved.file.highlights.size(), size_t(1));
            QCOMPARE(saved.file.highlights[0].colour, 1);

            // A bigger font cuts the lines anew: the tint is on the same characters.
            auto *appearance = w->findChild<PageAppearance *>();
            const QString before = line(w.get(), 1)->text();
            appearance->setFontSize(w->state().pageFont.size + 6);
            QTRY_VERIFY(w->isIdle() && line(w.get(), 1)->text() != before);
            QCOMPARE(tintedOnSpread(*w, TextMark::HighlightGreen), words);
            // Fine typesetting on, then off again: cut by other rules, the same characters.
            for (const bool fine : {true, false}) {
                appearance->openSettingsPanel();
                part<QCheckBox>(w.get(), "fineBox")->setChecked(fine);
                QTest::mouseClick(part<QPushButton>(w.get(), "settingsOk"), Qt::LeftButton);
                QTRY_VERIFY(w->isIdle() && w->state().fineTypesetting == fine);
                QCOMPARE(tintedOnSpread(*w, TextMark::HighlightGreen), words);
            }
            w->exitReader();
        }
        auto w = startWindow();
        QCOMPARE(tintedOnSpread(*w, TextMark::HighlightGreen), words);
        int at = 0;
        while (tinted(w.get(), at, TextMark::HighlightGreen).isEmpty())
            ++at;

        // A Ctrl click inside it takes the whole highlight, and its menu deletes it.
        const int column = static_cast<int>(line(w.get(), at)->text().indexOf(words.at(2)));
        QTest::mouseClick(line(w.get(), at), Qt::LeftButton, Qt::ControlModifier,
                          pointOf(w.get(), at, column));
        QTRY_VERIFY(part(w.get(), "selectionMenu")->isVisible());
        QCOMPARE(tintedOnSpread(*w, TextMark::Selection), words);
        auto *remove = part<QPushButton>(w.get(), "selectionDelete");
        QVERIFY(remove->isVisible());
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(tintedOnSpread(*w, TextMark::HighlightGreen), QString());
        QVERIFY(!QFile::exists(QString::fromStdString(highlightFile(book))));
    }

    // 笔记 on a selection makes it a highlight with a note; its mark shows the note on
    // hover, and editing it again starts from the note kept.
    void note_makesAHighlightWithAMarkAndIsEditedAgain()
    {
        const QString book = writeBook(QStringLiteral("distinct.txt"), distinctText());
        auto w = startWindow(book);
        auto *view = w->findChild<BookView *>();
        QVERIFY(view->noteMarksOnShow().empty());
        ctrlDrag(w.get(), 2, 4, 2, 7);
        QTest::mouseClick(part<QPushButton>(w.get(), "selectionNote"), Qt::LeftButton);
        QTRY_VERIFY(part(w.get(), "noteEditor")->isVisible());
        auto *box = part<QPlainTextEdit>(w.get(), "noteBox");
        QVERIFY(box->toPlainText().isEmpty());
        // Keys typed go to the box, not to the pages (N would change the theme).
        QTest::keyClicks(box, QStringLiteral("Note <b>1</b>"));
        QCOMPARE(box->toPlainText(), QStringLiteral("Note <b>1</b>"));
        QTest::mouseClick(part<QPushButton>(w.get(), "noteSave"), Qt::LeftButton);
        QVERIFY(!part(w.get(), "noteEditor")->isVisible());
        QCOMPARE(tinted(w.get(), 2, TextMark::HighlightYellow), line(w.get(), 2)->text().mid(4, 4));
        QCOMPARE(view->noteMarksOnShow().size(), size_t(1));
        // The note is shown as text, its markup escaped.
        QVERIFY(view->noteMarksOnShow()[0]->toolTip().contains(
            QStringLiteral("Note &lt;b&gt;1&lt;/b&gt;")));

        // 取消 keeps the note as it was; Esc closes the editor the same way.
        ctrlDrag(w.get(), 2, 5, 2, 6);
        QTest::mouseClick(part<QPushButton>(w.get(), "selectionNote"), Qt::LeftButton);
        QTRY_VERIFY(part(w.get(), "noteEditor")->isVisible());
        QCOMPARE(box->toPlainText(), QStringLiteral("Note <b>1</b>"));
        QTest::keyClicks(box, QStringLiteral(" more"));
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!part(w.get(), "noteEditor")->isVisible());
        const auto saved =
            tibbo::core::loadHighlights(SessionFiles::folder().toStdString(), book.toStdString());
        QCOMPARE(saved.file.highlights.size(), size_t(1));
        QCOMPARE(QString::fromStdU32String(saved.file.highlights[0].note),
                 QStringLiteral("Note <b>1</b>"));
    }

    // Another colour on the very characters of a highlight recolours it, not a second one.
    void sameCharactersAgain_recolourTheHighlight()
    {
        const QString book = writeBook(QStringLiteral("distinct.txt"), distinctText());
        auto w = startWindow(book);
        const QString words = line(w.get(), 0)->text().mid(2, 3);
        ctrlDrag(w.get(), 0, 2, 0, 4);
        QTest::mouseClick(part<QPushButton>(w.get(), "selectionHighlightYellow"), Qt::LeftButton);
        QTest::mouseClick(line(w.get(), 0), Qt::LeftButton, Qt::ControlModifier,
                          pointOf(w.get(), 0, 3));
        QTRY_VERIFY(part(w.get(), "selectionMenu")->isVisible());
        QTest::mouseClick(part<QPushButton>(w.get(), "selectionHighlightViolet"), Qt::LeftButton);
        QCOMPARE(tinted(w.get(), 0, TextMark::HighlightViolet), words);
        QCOMPARE(tinted(w.get(), 0, TextMark::HighlightYellow), QString());
        const auto saved =
            tibbo::core::loadHighlights(SessionFiles::folder().toStdString(), book.toStdString());
        QCOMPARE(saved.file.highlights.size(), size_t(1));
        QCOMPARE(saved.file.highlights[0].colour, 3);
    }

    // H opens the list in book order; a click on a row jumps to its spread and Alt+Left
    // comes back; the export writes the highlights under the book's title.
    void list_jumpsThroughTheWayBackAndExports()
    {
        const QString book = writeBook(QStringLiteral("distinct.txt"), distinctText());
        auto w = startWindow(book);
        const int L = static_cast<int>(w->state().linesPerPage);
        const QString first = line(w.get(), 0)->text().mid(2, 3);
        ctrlDrag(w.get(), 0, 2, 0, 4);
        QTest::mouseClick(part<QPushButton>(w.get(), "selectionHighlightPink"), Qt::LeftButton);
        // A second highlight two spreads on, made there.
        QTest::keyClick(w.get(), Qt::Key_Right);
        QTest::keyClick(w.get(), Qt::Key_Right);
        QTRY_COMPARE(w->state().topLine, int64_t(4 * L + 1));
        const QString second = line(w.get(), 1)->text().mid(5, 2);
        ctrlDrag(w.get(), 1, 5, 1, 6);
        QTest::mouseClick(part<QPushButton>(w.get(), "selectionNote"), Qt::LeftButton);
        QTest::keyClicks(part<QPlainTextEdit>(w.get(), "noteBox"), QStringLiteral("note two"));
        QTest::mouseClick(part<QPushButton>(w.get(), "noteSave"), Qt::LeftButton);
        QTest::keyClick(w.get(), Qt::Key_Home);
        QTRY_COMPARE(w->state().topLine, int64_t(1));

        QTest::keyClick(w.get(), Qt::Key_H);
        QTRY_VERIFY(part(w.get(), "highlightListPanel")->isVisible());
        auto *list = part<QListView>(w.get(), "highlightList");
        const QAbstractItemModel *rows = list->model();
        QCOMPARE(rows->rowCount(), 2);
        QCOMPARE(rows->index(0, 0).data(EntryListPanel::MarkedTextRole).toString(), first);
        QCOMPARE(rows->index(1, 0).data(EntryListPanel::MarkedTextRole).toString(), second);
        QCOMPARE(rows->index(1, 0).data(EntryListPanel::NoteRole).toString(),
                 QStringLiteral("note two"));
        // Keys in the list do not act on the pages behind it.
        QTest::keyClick(list, Qt::Key_Right);
        QCOMPARE(w->state().topLine, int64_t(1));

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(rows->index(1, 0)).center());
        QTRY_COMPARE(w->state().topLine, int64_t(4 * L + 1));
        QVERIFY(!part(w.get(), "highlightListPanel")->isVisible());
        QTest::keyClick(w.get(), Qt::Key_Left, Qt::AltModifier);
        QTRY_COMPARE(w->state().topLine, int64_t(1));

        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("notes.md"));
        QTest::keyClick(w.get(), Qt::Key_H);
        Dialogs::setNextSaveFile(path);
        QTest::mouseClick(part<QPushButton>(w.get(), "highlightExportMarkdown"), Qt::LeftButton);
        QVERIFY(Dialogs::lastSaveSuggestion().endsWith(QStringLiteral("distinct-划线和笔记.md")));
        const QString exported = QString::fromUtf8(fileBytes(path));
        QVERIFY(exported.startsWith(QStringLiteral("# distinct\n")));
        QVERIFY(exported.contains(QStringLiteral("> ") + first + QLatin1Char('\n')));
        QVERIFY(
            exported.contains(QStringLiteral("> ") + second + QStringLiteral("\n\nnote two\n")));
        QVERIFY(exported.indexOf(first) < exported.indexOf(second));
        QCOMPARE(Dialogs::takeMessages().size(), 1);
    }

    // The book's file is replaced by a changed download: a paragraph added before the
    // highlights, and the paragraph of one of them removed. The first is found again on
    // its words; the other is kept in the file and listed as not found, never dropped.
    void changedBook_findsHighlightsAgainAndKeepsTheLost()
    {
        const QString text = distinctText();
        const QString book = writeBook(QStringLiteral("serial.txt"), text);
        QString kept, gone;
        {
            auto w = startWindow(book);
            kept = line(w.get(), 2)->text().mid(4, 5);
            ctrlDrag(w.get(), 2, 4, 2, 8);
            QTest::mouseClick(part<QPushButton>(w.get(), "selectionHighlightGreen"),
                              Qt::LeftButton);
            gone = line(w.get(), 4)->text().mid(6, 3);
            ctrlDrag(w.get(), 4, 6, 4, 8);
            QTest::mouseClick(part<QPushButton>(w.get(), "selectionNote"), Qt::LeftButton);
            QTest::keyClicks(part<QPlainTextEdit>(w.get(), "noteBox"), QStringLiteral("keep me"));
            QTest::mouseClick(part<QPushButton>(w.get(), "noteSave"), Qt::LeftButton);
            w->exitReader();
        }
        QStringList paragraphs = text.split(QLatin1Char('\n'));
        const qsizetype goneParagraph =
            std::find_if(paragraphs.begin(), paragraphs.end(),
                         [&gone](const QString &p) { return p.contains(gone); }) -
            paragraphs.begin();
        QVERIFY(goneParagraph < paragraphs.size());
        paragraphs.removeAt(goneParagraph);
        paragraphs.prepend(QStringLiteral("　　新增的一段序言，放在最前面。"));
        writeBook(QStringLiteral("serial.txt"), paragraphs.join(QLatin1Char('\n')));

        auto w = startWindow(book);
        QTRY_COMPARE(tintedOnSpread(*w, TextMark::HighlightGreen), kept);
        const auto saved =
            tibbo::core::loadHighlights(SessionFiles::folder().toStdString(), book.toStdString());
        QCOMPARE(saved.file.highlights.size(), size_t(2));
        const auto lost = std::find_if(saved.file.highlights.begin(), saved.file.highlights.end(),
                                       [](const tibbo::core::Highlight &h) { return h.lost; });
        QVERIFY(lost != saved.file.highlights.end());
        QCOMPARE(QString::fromStdU32String(lost->note), QStringLiteral("keep me"));
        const QStringList messages = Dialogs::takeMessages();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(QStringLiteral("有 1 条划线或笔记没有找到")));

        QTest::keyClick(w.get(), Qt::Key_H);
        auto *list = part<QListView>(w.get(), "highlightList");
        const QAbstractItemModel *rows = list->model();
        QCOMPARE(rows->rowCount(), 2);
        int notFound = -1;
        for (int row = 0; row < 2; ++row)
            if (rows->index(row, 0)
                    .data(EntryListPanel::TitleRole)
                    .toString()
                    .startsWith(QStringLiteral("未找到")))
                notFound = row;
        QVERIFY(notFound >= 0);
        QCOMPARE(rows->index(notFound, 0).data(EntryListPanel::NoteRole).toString(),
                 QStringLiteral("keep me"));
        // A click on the row not found does not close the list nor turn the page.
        const int64_t topLine = w->state().topLine;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(rows->index(notFound, 0)).center());
        QVERIFY(part(w.get(), "highlightListPanel")->isVisible());
        QCOMPARE(w->state().topLine, topLine);
    }

    // A damaged highlights file: the sound entry is drawn, the reader is told, and the
    // file as it was is kept as .bak.
    void damagedFile_drawsWhatIsSoundAndTellsTheReader()
    {
        const QString book = writeBook(QStringLiteral("damaged.txt"), distinctText());
        const QString path = QString::fromStdString(highlightFile(book));
        const QByteArray damaged =
            R"({"format":"tibboread-highlights","version":1,"highlights":[)"
            R"({"start":3,"length":2,"colour":2,"created":1},{"start":-4,"length":2}]})";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(damaged);
        f.close();
        auto w = startWindow(book);
        QCOMPARE(tintedOnSpread(*w, TextMark::HighlightPink), line(w.get(), 0)->text().mid(3, 2));
        const QStringList messages = Dialogs::takeMessages();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(path + QStringLiteral(".bak")));
        QCOMPARE(fileBytes(path + QStringLiteral(".bak")), damaged);
    }
};

QTEST_MAIN(HighlightsTest)
#include "highlights_test.moc"
