// options.ini through its one store: what a missing, hand-edited or damaged file reads
// as, and the values kept per book under paths of every shape.
#include "optionsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace tibbo::window;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class OptionsStoreTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QFile::remove(path()); }

    // A file edited by hand: values beyond a range read as its nearest end, values that are
    // no number or no boolean as the default.
    void handEditedValues_readInRangeOrAsTheDefault_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("theme");
        QTest::addColumn<bool>("fine");
        QTest::newRow("no file") << QByteArray() << 0 << false;
        QTest::newRow("as written")
            << QByteArray("[General]\ntheme=1\nfineTypesetting=true\n") << 1 << true;
        QTest::newRow("theme past the last") << QByteArray("[General]\ntheme=7\n") << 2 << false;
        QTest::newRow("theme below the first") << QByteArray("[General]\ntheme=-3\n") << 0 << false;
        QTest::newRow("no number")
            << QByteArray("[General]\ntheme=night\nfineTypesetting=maybe\n") << 0 << false;
        QTest::newRow("not ini at all") << QByteArray("\x01\x02\xff garbage") << 0 << false;
    }

    void handEditedValues_readInRangeOrAsTheDefault()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, theme);
        QFETCH(bool, fine);
        if (!file.isEmpty())
            writeFile(path(), file);
        const OptionsStore store(path());
        QCOMPARE(store.value(options::kTheme), theme);
        QCOMPARE(store.value(options::kFineTypesetting), fine);
    }

    void setValues_readBackInAnotherStore()
    {
        OptionsStore store(path());
        QVERIFY(store.setValue(options::kTheme, 9));
        QVERIFY(store.setValue(options::kFineTypesetting, true));
        const OptionsStore again(path());
        QCOMPARE(again.value(options::kTheme), 2);
        QVERIFY(again.value(options::kFineTypesetting));
    }

    // An options.ini that is a FIFO blocked start-up for good (QSettings opens it without
    // O_NONBLOCK): what is not a regular file is never opened; values read as defaults and
    // nothing is written over it.
    void notARegularFile_isNeitherReadNorWritten()
    {
        QVERIFY(::mkfifo(QFile::encodeName(path()).constData(), 0600) == 0);
        OptionsStore store(path());
        QCOMPARE(store.value(options::kTheme), options::kTheme.defaultValue);
        QCOMPARE(store.value(options::kEncoding, QStringLiteral("/b.txt")), QString());
        QCOMPARE(store.value(options::kReadAloudVoice), QString());
        QVERIFY(store.bookPlaces(200).empty());
        QVERIFY(!store.setValue(options::kTheme, 2));
        QVERIFY(!store.setValue(options::kReadAloudVoice, QStringLiteral("Chinese (Mandarin)")));
        QVERIFY(!store.setBookPlaces({{QStringLiteral("/b.txt"), 5}}));
        struct stat status
        {
        };
        QVERIFY(::lstat(QFile::encodeName(path()).constData(), &status) == 0);
        QVERIFY(S_ISFIFO(status.st_mode));
    }

    // Book paths hold the characters QSettings reads as group separators and comments;
    // kept under their own keys they never meet another book's value.
    void bookValues_keepEveryPathApart()
    {
        const QStringList paths = {
            QStringLiteral("/books/红楼梦.txt"),    QStringLiteral("/books/a/b.txt"),
            QStringLiteral("/books/a%2Fb.txt"),     QStringLiteral("/books/x=y;z#w [1].txt"),
            QStringLiteral("C:\\novels\\book.txt"), QStringLiteral("/books/General"),
        };
        OptionsStore store(path());
        for (int i = 0; i < paths.size(); ++i)
            QVERIFY(store.setValue(options::kEncoding, paths[i], QStringLiteral("E%1").arg(i)));
        const OptionsStore again(path());
        for (int i = 0; i < paths.size(); ++i)
            QCOMPARE(again.value(options::kEncoding, paths[i]), QStringLiteral("E%1").arg(i));
        QVERIFY(store.setValue(options::kEncoding, paths[1], QString()));
        QCOMPARE(OptionsStore(path()).value(options::kEncoding, paths[1]), QString());
        QCOMPARE(OptionsStore(path()).value(options::kEncoding, paths[2]), QStringLiteral("E2"));
        QCOMPARE(OptionsStore(path()).value(options::kTheme), 0);
    }

    // Entries a person left without a path or with no offset are skipped, not read as 0;
    // a claimed size far beyond the entries costs no more than the list holds.
    void bookPlaces_skipBrokenEntriesAndStopAtMost()
    {
        writeFile(path(), "[places]\n"
                          "1\\path=/b/1.txt\n1\\offset=10\n"
                          "2\\path=\n2\\offset=20\n"
                          "3\\path=/b/3.txt\n3\\offset=-5\n"
                          "4\\path=/b/4.txt\n4\\offset=lots\n"
                          "5\\path=/b/5.txt\n5\\offset=50\n"
                          "6\\path=/b/6.txt\n6\\offset=60\n"
                          "size=2147483647\n");
        OptionsStore store(path());
        const auto places = store.bookPlaces(5);
        QCOMPARE(places.size(), size_t{2});
        QCOMPARE(places[0].path, QStringLiteral("/b/1.txt"));
        QCOMPARE(places[0].offset, 10);
        QCOMPARE(places[1].path, QStringLiteral("/b/5.txt"));
        QCOMPARE(store.bookPlaces(200).size(), size_t{3});
        QVERIFY(store.setBookPlaces({{QStringLiteral("/b/new.txt"), 7}}));
        const auto rewritten = OptionsStore(path()).bookPlaces(200);
        QCOMPARE(rewritten.size(), size_t{1});
        QCOMPARE(rewritten[0].offset, 7);
    }

  private:
    QString path() const { return m_dir.filePath(QStringLiteral("options.ini")); }

    QTemporaryDir m_dir;
};

QTEST_MAIN(OptionsStoreTest)
#include "optionsstore_test.moc"
