// The reader's keys through the window: each acts where the key table says it applies and
// nowhere else, so no key reaches the pages behind a panel.
#include "windowfixture.h"

#include "keymap.h"
#include "scrolltext.h"

#include <QLineEdit>
#include <QMetaEnum>
#include <QRegularExpression>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace keys = tibbo::window::keys;

namespace {

// A book of 12 chapters, each a heading and 30 paragraphs of 60 characters, so the
// chapter keys and the search have somewhere to go.
QString chapterBook()
{
    QString text;
    for (int c = 1; c <= 12; ++c) {
        text += QStringLiteral("第%1章　标题%1\n").arg(c);
        for (int p = 0; p < 30; ++p)
            text +=
                QStringLiteral("　　") + QString(60, QChar(0x5B57 + (p % 20))) + QLatin1Char('\n');
    }
    return writeBook(QStringLiteral("keys.txt"), text);
}

const char *const kPanels[] = {"prompt", "searchPanel", "chapterPanel", "scrollPanel"};

void openPanel(ReaderWindow &w, const QString &panel)
{
    if (panel == QLatin1String("prompt"))
        QTest::keyClick(&w, Qt::Key_G);
    else if (panel == QLatin1String("searchPanel"))
        QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    else if (panel == QLatin1String("chapterPanel"))
        QTest::keyClick(&w, Qt::Key_T);
    else
        menuItem(&w, "autoTurnMenu", QStringLiteral("滚动翻页"))->trigger();
}

// Where a person's key lands: the widget with the keyboard, or the window.
QWidget *keyboardOf(ReaderWindow &w)
{
    QWidget *focus = QApplication::focusWidget();
    return focus && w.isAncestorOf(focus) ? focus : &w;
}

QString sourceText(const char *file)
{
    QFile f(QStringLiteral(TIBBO_SOURCE_DIR "/") + QLatin1String(file));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

template <typename Enum> QString nameOf(Enum value)
{
    return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(static_cast<int>(value)));
}

// A key as the manual names it: "Ctrl+左方向键", "PageDown", "回车", "T 键".
QString manualName(QKeyCombination keys)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("Left"), QStringLiteral("左方向键")},
        {QStringLiteral("Right"), QStringLiteral("右方向键")},
        {QStringLiteral("Up"), QStringLiteral("上方向键")},
        {QStringLiteral("Down"), QStringLiteral("下方向键")},
        {QStringLiteral("Space"), QStringLiteral("空格")},
        {QStringLiteral("Return"), QStringLiteral("回车")},
        {QStringLiteral("PgUp"), QStringLiteral("PageUp")},
        {QStringLiteral("PgDown"), QStringLiteral("PageDown")},
    };
    const QString portable = QKeySequence(keys).toString(QKeySequence::PortableText);
    const qsizetype plus = portable.lastIndexOf(QLatin1Char('+'));
    const QString modifiers = portable.left(plus + 1);
    const QString key = portable.mid(plus + 1);
    const QString name = names.value(key, key);
    // A letter or a function key alone is "X 键" in the manual's lists.
    const bool alone = modifiers.isEmpty() && !names.contains(key);
    return modifiers + name + (alone ? QStringLiteral(" 键") : QString());
}

} // namespace

class KeysTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    // The keys of the pages used to act behind scroll mode and the prompts: T, Ctrl+F,
    // F3 and the chapter keys had a way of their own that never asked what was open.
    void pageKeys_doNothingBehindAPanel_data()
    {
        QTest::addColumn<QString>("panel");
        for (const char *panel : kPanels)
            QTest::newRow(panel) << QString::fromLatin1(panel);
    }

    void pageKeys_doNothingBehindAPanel()
    {
        QFETCH(QString, panel);
        auto w = startWindow(chapterBook());
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t topLine = w->state().topLine;
        const std::string book = w->state().bookPath;
        openPanel(*w, panel);
        QTRY_VERIFY(part(w.get(), qPrintable(panel))->isVisible());
        Dialogs::takeMessages();
        const QList<QKeyCombination> pageKeys = {
            Qt::Key_PageDown,
            Qt::Key_PageUp,
            Qt::Key_End,
            Qt::Key_Home,
            Qt::Key_Space,
            Qt::CTRL | Qt::Key_Right,
            Qt::CTRL | Qt::Key_Left,
            Qt::Key_T,
            Qt::CTRL | Qt::Key_F,
            Qt::Key_F3,
            Qt::SHIFT | Qt::Key_F3,
            Qt::Key_O,
            Qt::CTRL | Qt::Key_O,
            Qt::Key_A,
            Qt::Key_G,
        };
        for (const QKeyCombination keys : pageKeys) {
            // A book the open dialog would give, were it asked.
            Dialogs::setNextOpenFile(numberedBook(QStringLiteral("keys-other.txt"), 10, 10));
            for (QWidget *target : {keyboardOf(*w), static_cast<QWidget *>(w.get())}) {
                QTest::keyClick(target, keys.key(), keys.keyboardModifiers());
                const QString where =
                    QStringLiteral("%1 in %2 to %3")
                        .arg(QKeySequence(keys).toString(), panel, target->objectName());
                QVERIFY2(w->state().topLine == topLine, qPrintable(where));
                QVERIFY2(w->state().bookPath == book, qPrintable(where));
                QVERIFY2(Dialogs::takeMessages().isEmpty(), qPrintable(where));
                for (const char *other : kPanels)
                    QVERIFY2(part(w.get(), other)->isVisible() == (panel == QLatin1String(other)),
                             qPrintable(where + QStringLiteral(": ") + QLatin1String(other)));
            }
        }
    }

    // Written against the core's old key numbers: the command keys name their command and
    // leave the page; keys of no command do nothing.
    void commandKeys_runTheirCommandAndLeaveThePage()
    {
        auto w = startWindow(chapterBook());
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t topLine = w->state().topLine;
        Dialogs::takeMessages();

        // O asks for a book; this one cannot be read, and the reader says so.
        Dialogs::setNextOpenFile(QStringLiteral("/nowhere/书.txt"));
        QTest::keyClick(w.get(), Qt::Key_O);
        QCOMPARE(Dialogs::takeMessages().size(), 1);
        QCOMPARE(w->state().topLine, topLine);
        // A with no line chosen.
        QTest::keyClick(w.get(), Qt::Key_A);
        QCOMPARE(Dialogs::takeMessages(),
                 QStringList{QStringLiteral("请点击你要加书签的那一行先")});
        QCOMPARE(w->state().topLine, topLine);
        QTest::keyClick(w.get(), Qt::Key_G);
        QVERIFY(part(w.get(), "prompt")->isVisible());
        QCOMPARE(w->state().topLine, topLine);
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!part(w.get(), "prompt")->isVisible());

        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Up, Qt::Key_X}) {
            QTest::keyClick(w.get(), key);
            QCOMPARE(w->state().topLine, topLine);
            for (const char *panel : kPanels)
                QVERIFY(!part(w.get(), panel)->isVisible());
        }
        QVERIFY(Dialogs::takeMessages().isEmpty());
    }

    // Scroll mode's keys move the text in view, never the caret or the page.
    void scrollModeKeys_moveTheViewOnly()
    {
        auto w = startWindow(numberedBook(QStringLiteral("keys-scroll.txt"), 400, 80));
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t topLine = w->state().topLine;
        openPanel(*w, QStringLiteral("scrollPanel"));
        auto *text = part<ScrollText>(w.get(), "scrollText");
        QTRY_COMPARE(QApplication::focusWidget(), text);
        const int64_t caret = text->selectionStart();
        const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::keyClick(keyboardOf(*w), key, modifiers);
            return text->topPosition();
        };
        const int64_t start = text->topPosition();
        const int64_t pageDown = press(Qt::Key_PageDown);
        QVERIFY(pageDown > start);
        QCOMPARE(press(Qt::Key_PageUp), start);
        QVERIFY(press(Qt::Key_Down) > start);
        QCOMPARE(press(Qt::Key_Up), start);
        QVERIFY(press(Qt::Key_End, Qt::ControlModifier) > pageDown);
        QCOMPARE(press(Qt::Key_Home, Qt::ControlModifier), 0);
        QCOMPARE(text->selectionStart(), caret);
        QCOMPARE(w->state().topLine, topLine);
        QVERIFY(part(w.get(), "scrollPanel")->isVisible());
    }

    // The architecture page lists the key table row for row; a key added or changed in the
    // table and not there (or there and gone from the table) fails here.
    void architecturePage_listsTheKeyTableRowForRow()
    {
        QStringList table;
        for (const keys::Binding &row : keys::table())
            table << QStringLiteral("%1 %2 %3")
                         .arg(QKeySequence(row.keys).toString(QKeySequence::PortableText),
                              nameOf(row.command), nameOf(row.scope));
        QStringList page;
        static const QRegularExpression rowOfPage(
            QStringLiteral("^\\| `([^`]+)` \\| `(\\w+)` \\| (\\w+) \\|$"),
            QRegularExpression::MultilineOption);
        for (const auto &m : rowOfPage.globalMatch(sourceText("docs/architecture.md")))
            page << QStringLiteral("%1 %2 %3").arg(m.captured(1), m.captured(2), m.captured(3));
        QCOMPARE(page, table);
    }

    // Every key of the table is in the manual under the name the manual gives it.
    void manual_namesEveryKeyOfTheTable()
    {
        const QString manual = sourceText("resources/manual/readme.txt");
        QVERIFY(!manual.isEmpty());
        for (const keys::Binding &row : keys::table())
            QVERIFY2(manual.contains(manualName(row.keys)), qPrintable(manualName(row.keys)));
    }
};

QTEST_MAIN(KeysTest)
#include "keys_test.moc"
