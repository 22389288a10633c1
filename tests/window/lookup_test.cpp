// Looking up a selected word through a fake sdcv on PATH: its JSON entries, nothing found
// with and without dictionaries, no answer in time, a crash, a word with shell characters,
// and no sdcv at all.

#include "windowfixture.h"

#include "dialogs.h"
#include "lookuppanel.h"
#include "optionsstore.h"
#include "sessionfiles.h"
#include "wordlookup.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace tibbo::window;
using namespace tibbo::window::test;

namespace {

// A fake sdcv: writes its arguments, one a line, to "args" beside it, then runs `body`.
void writeFakeSdcv(const QString &folder, const QString &body)
{
    const QString path = folder + QStringLiteral("/sdcv");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1/args'\n%2\n")
                .arg(folder, body)
                .toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

QStringList argumentsGiven(const QString &folder)
{
    return QString::fromUtf8(fileBytes(folder + QStringLiteral("/args")))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Stands in for the browser: keeps the addresses the reader would have opened.
class BrowserStandIn : public QObject
{
    Q_OBJECT
  public:
    QList<QByteArray> opened;
  public slots:
    void open(const QUrl &url) { opened << url.toEncoded(); }
};

} // namespace

class LookUpTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_bin;
    QByteArray m_path;

  private slots:
    void initTestCase()
    {
        QVERIFY(m_bin.isValid());
        m_path = qgetenv("PATH");
    }
    void init()
    {
        resetAppFolder();
        QFile::remove(m_bin.path() + QStringLiteral("/sdcv"));
        QFile::remove(m_bin.path() + QStringLiteral("/args"));
        // The fake first; the shell and sleep the fakes use from the system.
        qputenv("PATH", m_bin.path().toUtf8() + ':' + m_path);
    }
    void cleanup() { qputenv("PATH", m_path); }

    // What the panel says for each answer of sdcv.
    void answerOfSdcv_isShownInThePanel_data()
    {
        QTest::addColumn<QString>("fake");
        QTest::addColumn<QString>("shown");
        QTest::newRow("entries") << QStringLiteral(
                                        "echo "
                                        "'[{\"dict\":\"成语词典\",\"word\":\"画蛇添足\","
                                        "\"definition\":\"比喻做了多余的事。<b>x</b>\"}]'")
                                 << QStringLiteral("比喻做了多余的事。<b>x</b>");
        QTest::newRow("nothing found")
            << QStringLiteral("case \"$*\" in *-l*) echo "
                              "'[{\"name\":\"d\",\"wordcount\":\"1\"}]';; *) echo '[]';; esac")
            << QStringLiteral("没有查到");
        QTest::newRow("no dictionaries")
            << QStringLiteral("echo '[]'") << QStringLiteral("sdcv 还没有词典");
        // An sdcv without -j answers in plain text.
        QTest::newRow("not JSON") << QStringLiteral("echo 'Found 1 items'")
                                  << QStringLiteral("看不懂");
        QTest::newRow("a crash") << QStringLiteral("kill -SEGV $$") << QStringLiteral("出错");
        QTest::newRow("an error") << QStringLiteral("exit 3") << QStringLiteral("返回 3");
        QTest::newRow("no answer in time")
            << QStringLiteral("exec sleep 30") << QStringLiteral("还没有回答");
    }
    void answerOfSdcv_isShownInThePanel()
    {
        QFETCH(QString, fake);
        QFETCH(QString, shown);
        writeFakeSdcv(m_bin.path(), fake);
        auto w = startWindow(numberedBook(QStringLiteral("book.txt"), 30, 40));
        auto *lookUp = w->findChild<WordLookUp *>();
        lookUp->setTimeLimit(300);
        auto *panel = part<LookUpPanel>(w.get(), "lookUpPanel");
        lookUp->lookUp(QStringLiteral("　画蛇添足\n"));
        QVERIFY(panel->isVisible());
        QTRY_VERIFY2(panel->shownText().contains(shown), qPrintable(panel->shownText()));
        QCOMPARE(argumentsGiven(m_bin.path()).mid(0, 1), QStringList{QStringLiteral("-n")});
    }

    // The word reaches sdcv as one argument after "--", exactly as selected: nothing of it
    // is run by a shell, and a leading dash is no option.
    void wordWithShellCharacters_reachesSdcvAsOneArgument_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("command substitution") << QStringLiteral("$(touch ran)");
        QTest::newRow("back quotes and a semicolon") << QStringLiteral("`touch ran`;x");
        QTest::newRow("quotes") << QStringLiteral("\"'x'\"");
        QTest::newRow("a leading dash") << QStringLiteral("--help");
        QTest::newRow("a pipe and redirection") << QStringLiteral("a|touch ran>b");
    }
    void wordWithShellCharacters_reachesSdcvAsOneArgument()
    {
        QFETCH(QString, word);
        // A shell would have made "ran" in the working folder.
        QFile::remove(QStringLiteral("ran"));
        // Not JSON, so no second run replaces the arguments written.
        writeFakeSdcv(m_bin.path(), QStringLiteral("echo 'not json'"));
        auto w = startWindow(numberedBook(QStringLiteral("book.txt"), 30, 40));
        w->findChild<WordLookUp *>()->lookUp(word);
        QTRY_VERIFY(part<LookUpPanel>(w.get(), "lookUpPanel")
                        ->shownText()
                        .contains(QStringLiteral("看不懂")));
        const QStringList given = argumentsGiven(m_bin.path());
        QVERIFY(given.size() >= 2);
        QCOMPARE(given.last(), word);
        QCOMPARE(given.at(given.size() - 2), QStringLiteral("--"));
        QVERIFY(!QFile::exists(QStringLiteral("ran")));
    }

    // Without sdcv (nor GoldenDict) the panel says what to install.
    void noSdcv_saysWhatToInstall()
    {
        qputenv("PATH", m_bin.path().toUtf8());
        auto w = startWindow(numberedBook(QStringLiteral("book.txt"), 30, 40));
        w->findChild<WordLookUp *>()->lookUp(QStringLiteral("成语"));
        const QString shown = part<LookUpPanel>(w.get(), "lookUpPanel")->shownText();
        QVERIFY2(shown.contains(QStringLiteral("sudo apt install sdcv")), qPrintable(shown));
    }

    // 查词 in the selection menu looks the selected word up; Esc closes the panel and the
    // keys of the pages do not act behind it.
    void lookUpInTheMenu_opensThePanel_escClosesIt()
    {
        writeFakeSdcv(m_bin.path(), QStringLiteral("echo "
                                                   "\"[{\\\"dict\\\":\\\"d\\\",\\\"word\\\":"
                                                   "\\\"w\\\",\\\"definition\\\":\\\"$6\\\"}]\""));
        auto w = startWindow(
            writeBook(QStringLiteral("latin.txt"), QStringLiteral("alpha beta gamma delta\n")));
        LineLabel *first = line(w.get(), 0);
        const int column = static_cast<int>(first->text().indexOf(QStringLiteral("beta")));
        QTest::mouseDClick(
            first, Qt::LeftButton, Qt::ControlModifier,
            QPoint(static_cast<int>(first->xOfColumn(column + 1)) + 2, first->height() / 2));
        QTest::mouseClick(part<QPushButton>(w.get(), "selectionLookUp"), Qt::LeftButton);
        auto *panel = part<LookUpPanel>(w.get(), "lookUpPanel");
        QTRY_VERIFY(panel->shownText().contains(QStringLiteral("beta")));
        const int64_t topLine = w->state().topLine;
        QTest::keyClick(w.get(), Qt::Key_End);
        QCOMPARE(w->state().topLine, topLine);
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
    }

    // 网上查 opens the site chosen in the settings, 汉典 until then; the reader's own
    // address is checked before it is kept, and the word is always percent-encoded.
    void dictionarySite_chosenInTheSettings_opensTheWordThere()
    {
        qputenv("PATH", m_bin.path().toUtf8());
        BrowserStandIn browser;
        for (const char *scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &browser, "open");
        auto w = startWindow(numberedBook(QStringLiteral("book.txt"), 30, 40));
        auto *lookUp = w->findChild<WordLookUp *>();
        // A word that would cut a query short, start a fragment or an escape if pasted in.
        const QString word = QStringLiteral("C# & 100%");
        const auto webAddressOf = [&] {
            lookUp->lookUp(word);
            QTest::mouseClick(part<QPushButton>(w.get(), "lookUpWeb"), Qt::LeftButton);
            return browser.opened.isEmpty() ? QByteArray() : browser.opened.takeLast();
        };
        QCOMPARE(webAddressOf(), QByteArray("https://www.zdic.net/hans/C%23%20%26%20100%25"));

        part<QPushButton>(w.get(), "dictionarySiteButton")->click();
        QWidget *panel = part(w.get(), "dictionarySitePanel");
        QVERIFY(panel->isVisible());
        auto *site = part<QComboBox>(w.get(), "dictionarySiteBox");
        auto *address = part<QLineEdit>(w.get(), "dictionarySiteTemplate");
        QCOMPARE(site->currentText(), QStringLiteral("汉典"));
        QVERIFY(address->isReadOnly());
        // 自定义, the last choice, takes the reader's own address.
        QTest::keyClick(site, Qt::Key_End);
        QCOMPARE(site->currentText(), QStringLiteral("自定义"));
        QVERIFY(!address->isReadOnly());
        Dialogs::takeMessages();
        for (const auto &[bad, said] :
             {std::pair{"ftp://dict.example.org/{word}", "http://"},
              std::pair{"https://dict.example.org/", "%s 或 {word}"},
              std::pair{"https://dict.example.org/%s/{word}", "只能有一处"},
              std::pair{"https://dict.example.org/a b/%s", "不能有空格"}}) {
            address->setText(QLatin1String(bad));
            QTest::mouseClick(part<QPushButton>(w.get(), "dictionarySiteOk"), Qt::LeftButton);
            const QStringList messages = Dialogs::takeMessages();
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages.front().contains(QString::fromUtf8(said)),
                     qPrintable(messages.front()));
            QVERIFY(panel->isVisible());
        }
        QCOMPARE(webAddressOf(), QByteArray("https://www.zdic.net/hans/C%23%20%26%20100%25"));

        address->setText(QStringLiteral("https://dict.example.org/?q=%s&from=tibbo"));
        QTest::keyClick(address, Qt::Key_Return);
        QVERIFY(!panel->isVisible());
        QVERIFY(Dialogs::takeMessages().isEmpty());
        QCOMPARE(webAddressOf(),
                 QByteArray("https://dict.example.org/?q=C%23%20%26%20100%25&from=tibbo"));
        // It is kept: the panel opens with it, and so does the next start.
        part<QPushButton>(w.get(), "dictionarySiteButton")->click();
        QCOMPARE(site->currentText(), QStringLiteral("自定义"));
        QCOMPARE(address->text(), QStringLiteral("https://dict.example.org/?q=%s&from=tibbo"));
        // A site offered: 萌典, the second.
        QTest::keyClick(site, Qt::Key_Home);
        QTest::keyClick(site, Qt::Key_Down);
        QCOMPARE(site->currentText(), QStringLiteral("萌典"));
        QTest::mouseClick(part<QPushButton>(w.get(), "dictionarySiteOk"), Qt::LeftButton);
        w.reset();
        w = startWindow(numberedBook(QStringLiteral("book.txt"), 30, 40));
        lookUp = w->findChild<WordLookUp *>();
        QCOMPARE(webAddressOf(), QByteArray("https://www.moedict.tw/C%23%20%26%20100%25"));
        // An address edited by hand into options.ini that fails the check is not opened.
        w.reset();
        OptionsStore(SessionFiles::optionsPath())
            .setValue(options::kDictionarySite, QStringLiteral("file:///etc/%s"));
        w = startWindow(numberedBook(QStringLiteral("book.txt"), 30, 40));
        lookUp = w->findChild<WordLookUp *>();
        QCOMPARE(webAddressOf(), QByteArray("https://www.zdic.net/hans/C%23%20%26%20100%25"));
        for (const char *scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
};

QTEST_MAIN(LookUpTest)
#include "lookup_test.moc"
