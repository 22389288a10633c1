// tibboread-windowbench BOOK: the window's figures for a large book, measured on an
// offscreen window in a fresh application folder. One "name: value unit" a line; the
// program never fails on timing.
#include "form1.h"
#include "settingspanel.h"

#include "navigation/navigation.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using tibbo::window::Form1;

namespace {

// Start-up until the first spread has been painted.
double startUp(std::unique_ptr<Form1> &form)
{
    QElapsedTimer t;
    t.start();
    form = std::make_unique<Form1>();
    form->show();
    form->Form_Load();
    form->repaint();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

double writeIni(Form1 &form)
{
    QElapsedTimer t;
    t.start();
    form.WriteINI();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tibboread-windowbench BOOK\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TibboRead"));
    const QString book = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();

    std::unique_ptr<Form1> form;
    const double firstStart = startUp(form); // no settings.ini: the manual
    form->Image15_Click();
    const double manualStart = startUp(form); // settings.ini with the manual
    const double manualWrite = writeIni(*form);
    std::printf("start-up with the manual: %.1f ms\n", manualStart);
    std::printf("WriteINI with the manual: %.1f ms\n", manualWrite);
    std::printf("first start (no settings.ini): %.1f ms\n", firstStart);

    QElapsedTimer open;
    open.start();
    form->OpenBook(book);
    std::printf("open book: %.1f ms\n", static_cast<double>(open.nsecsElapsed()) / 1e6);
    std::printf("WriteINI with the book (settings.ini and Slide.cache): %.1f ms\n",
                writeIni(*form));
    form->Image15_Click();
    std::printf("start-up with the book: %.1f ms\n", startUp(form));

    // A page turn with 50 lines a page: key press until the new spread is painted.
    form->resize(1200, 1090);
    QFont small = form->pageFont();
    small.setPointSizeF(8);
    form->Picture4->Label8->setFont(small);
    form->Setpage();
    form->Resizeline();
    double lookUpTotal = 0;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer t;
        t.start();
        form->Form_KeyDown(tibbo::core::kKeyPageDown);
        lookUpTotal += static_cast<double>(t.nsecsElapsed()) / 1e6;
    }
    std::printf("page turn without painting: %.2f ms mean\n", lookUpTotal / 50);
    std::vector<double> times;
    const int turns = 200;
    for (int i = 0; i < turns; ++i) {
        QElapsedTimer t;
        t.start();
        form->Form_KeyDown(tibbo::core::kKeyPageDown);
        form->repaint();
        times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::printf("lines per page: %lld\n", static_cast<long long>(form->state().linesPerPage));
    std::printf("first page turns: %.2f %.2f %.2f ms\n", times[0], times[1], times[2]);
    std::sort(times.begin(), times.end());
    std::printf("page turn: %.2f ms median, %.2f ms 95th percentile, %.2f ms worst\n",
                times[times.size() / 2], times[times.size() * 95 / 100], times.back());
    form->Image15_Click();
    return 0;
}
