#include "readerwindow.h"
#include "signalexit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TibboRead"));
    QApplication::setOrganizationName(QString());
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own texts (dialog buttons, edit menus) in Simplified Chinese like the rest.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    tibbo::window::ReaderWindow window;
    tibbo::window::SignalExit signalExit;
    QObject::connect(&signalExit, &tibbo::window::SignalExit::exitRequested, &window,
                     &tibbo::window::ReaderWindow::exitReader);
    window.show();
    const QStringList args = QApplication::arguments();
    window.start(args.size() > 1 ? args.at(1) : QString());
    return app.exec();
}
