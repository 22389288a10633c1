// Start-up runs from inside the event loop, so a close request can arrive before it: the
// settings file a previous run left must survive that, and a close after start-up
// writes the book on show.
#include "windowfixture.h"

#include "settings/settingsfile.h"
#include "text/fileio.h"

#include <QSignalSpy>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

void requestClose(ReaderWindow &w, bool byCloseEvent)
{
    if (byCloseEvent)
        w.close();
    else
        w.exitReader();
}

// The two ways a close request arrives: the window's close event and the exit command.
void closeRequestRows()
{
    QTest::addColumn<bool>("byCloseEvent");
    QTest::newRow("close event") << true;
    QTest::newRow("exit command") << false;
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void closeBeforeStartUpRan_leavesSettingsFileAsItWas_data() { closeRequestRows(); }

    void closeBeforeStartUpRan_leavesSettingsFileAsItWas()
    {
        QFETCH(bool, byCloseEvent);
        const QString book = numberedBook(QStringLiteral("kept.txt"), 200, 60);
        {
            auto w = startWindow(book);
            QTest::keyClick(w.get(), Qt::Key_PageDown);
            w->exitReader();
        }
        const QString cachePath = SessionFiles::folder() + QStringLiteral("/Slide.cache");
        const QByteArray settings = fileBytes(settingsPath());
        const QByteArray cache = fileBytes(cachePath);
        QVERIFY(!settings.isEmpty());

        auto w = std::make_unique<ReaderWindow>();
        QSignalSpy startedUp(w.get(), &ReaderWindow::startedUp);
        w->show();
        w->start();
        requestClose(*w, byCloseEvent);
        // Give the scheduled start-up its turn of the event loop.
        QTest::qWait(100);
        QCOMPARE(startedUp.count(), 0);
        QVERIFY(!w->isVisible());
        QCOMPARE(fileBytes(settingsPath()), settings);
        QCOMPARE(fileBytes(cachePath), cache);
        w.reset();
        QCOMPARE(fileBytes(settingsPath()), settings);
    }

    void closeAfterStartUp_writesSettingsWithTheBook_data() { closeRequestRows(); }

    void closeAfterStartUp_writesSettingsWithTheBook()
    {
        QFETCH(bool, byCloseEvent);
        const QString book = numberedBook(QStringLiteral("closed.txt"), 200, 60);
        auto w = startWindow(book);
        QTest::keyClick(w.get(), Qt::Key_PageDown);
        const int64_t topLine = w->state().topLine;
        requestClose(*w, byCloseEvent);
        QVERIFY(!w->isVisible());
        const auto bytes = core::readFile(settingsPath().toStdString());
        QVERIFY(bytes);
        const core::SettingsRead read = core::readSettingsFile(*bytes);
        QVERIFY(read.complete);
        QCOMPARE(QString::fromStdString(read.bookPath.value_or(std::string())), book);
        QCOMPARE(read.topLine.value_or(0), topLine);
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
