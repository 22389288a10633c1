#include "dialogs.h"
#include "readerwindow.h"
#include "sessionfiles.h"
#include "signalexit.h"
#include "singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <optional>

namespace {

using tibbo::window::Dialogs;
using tibbo::window::ReaderWindow;
using tibbo::window::SessionFiles;
using tibbo::window::SignalExit;
using tibbo::window::SingleInstance;

// Exit status of a command line that cannot be followed.
constexpr int kUsageError = 2;

void nameProgram()
{
    QCoreApplication::setApplicationName(QStringLiteral("TibboRead"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TIBBO_VERSION));
    QCoreApplication::setOrganizationName(QString());
}

// Qt's own texts (the lines of --help that Qt writes, dialog buttons, edit menus) in
// Simplified Chinese like the rest.
void installQtChinese(QTranslator &qtTexts)
{
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
}

void printTo(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// --help and --version answer without a display, before the window's application is made.
bool asksForInformation(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char *option : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
            if (qstrcmp(argv[i], option) == 0)
                return true;
    return false;
}

struct CommandLine
{
    // The book to open, absolute; empty for none.
    QString book;
    // Set when the program ends here with this status.
    std::optional<int> exitStatus;
};

CommandLine readCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("TibboRead: 像翻书一样阅读中文小说 (GBK/GB18030, UTF-8, UTF-16 或 Big5 "
                       "的文本, 或者 HTML)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("book"),
                                 QStringLiteral("要打开的小说文件 (.txt, .htm, .html)."),
                                 QStringLiteral("[book]"));
    if (!parser.parse(arguments)) {
        printTo(stderr, QStringLiteral("tibboread: %1\n用 tibboread --help 看看用法.\n")
                            .arg(parser.errorText()));
        return {QString(), kUsageError};
    }
    if (parser.isSet(help)) {
        printTo(stdout, parser.helpText());
        return {QString(), 0};
    }
    if (parser.isSet(version)) {
        printTo(stdout,
                QStringLiteral("TibboRead %1\n").arg(QCoreApplication::applicationVersion()));
        return {QString(), 0};
    }
    const QStringList books = parser.positionalArguments();
    if (books.size() > 1) {
        printTo(stderr, QStringLiteral("tibboread: 一次只能打开一本书, 多出来的参数: %1\n"
                                       "用 tibboread --help 看看用法.\n")
                            .arg(books.mid(1).join(QLatin1Char(' '))));
        return {QString(), kUsageError};
    }
    if (books.isEmpty())
        return {};
    // The running reader may have another working folder: it is handed the full path.
    const QFileInfo book(books.first());
    if (!book.isFile() || !book.isReadable())
        printTo(stderr,
                QStringLiteral("tibboread: 读不了这个文件: %1\n").arg(book.absoluteFilePath()));
    return {book.absoluteFilePath(), std::nullopt};
}

} // namespace

int main(int argc, char **argv)
{
    nameProgram();
    QTranslator qtTexts;
    if (asksForInformation(argc, argv)) {
        QCoreApplication app(argc, argv);
        installQtChinese(qtTexts);
        return readCommandLine(QCoreApplication::arguments()).exitStatus.value_or(0);
    }
    // A shutdown that comes while Qt starts up waits for the window and saves the place.
    SignalExit::catchSignals();
    QApplication app(argc, argv);
    installQtChinese(qtTexts);
    QApplication::setQuitOnLastWindowClosed(false);
    // After the application has taken its own options (-platform, -style ...).
    const CommandLine commandLine = readCommandLine(QApplication::arguments());
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;

    // A reader already running on this folder opens the book and comes to the front;
    // this process ends without reading or writing settings.ini.
    SingleInstance instance(SingleInstance::serverNameFor(SessionFiles::folder()));
    if (instance.handOver(commandLine.book))
        return 0;
    switch (instance.listen()) {
    case SingleInstance::Listen::Listening:
        break;
    case SingleInstance::Listen::AnotherAnswers:
        if (instance.handOver(commandLine.book))
            return 0;
        printTo(stderr, QStringLiteral("tibboread: 已经有一个 TibboRead 在运行, 但它没有回应.\n"));
        return 1;
    case SingleInstance::Listen::FolderRefused:
        printTo(stderr, QStringLiteral("tibboread: 本地连接的文件夹 %1 不是只属于你的, 没有用它.\n")
                            .arg(instance.folder()));
        break;
    case SingleInstance::Listen::Failed:
        // Without a socket the reader still works; it just cannot tell a second launch.
        printTo(stderr,
                QStringLiteral("tibboread: 无法建立本地连接 %1\n").arg(instance.serverName()));
        break;
    }

    SessionFiles::keepTextsInCacheFolder();
    ReaderWindow window;
    SignalExit signalExit;
    QObject::connect(&signalExit, &SignalExit::exitRequested, &window, &ReaderWindow::exitBySignal);
    QObject::connect(&instance, &SingleInstance::bookHandedOver, &window,
                     [&window](const QString &book) {
                         window.bringToFront();
                         if (!book.isEmpty())
                             window.openBook(book);
                     });
    // A hand-over during start-up waits for it, so the restored book does not replace it.
    QObject::connect(&window, &ReaderWindow::startedUp, &instance, &SingleInstance::startReceiving);
    window.show();
    window.start(commandLine.book);
    if (instance.folderRefused())
        Dialogs::message(&window, instance.refusedFolderMessage());
    return app.exec();
}
