#pragma once
// Shared set-up of the window tests: an empty application folder, dialogs answered by
// the test, helpers to make small books, and the window's parts found by their names.

#include "dialogs.h"
#include "linelabel.h"
#include "readerwindow.h"
#include "scrolltext.h"
#include "sessionfiles.h"
#include "widgets.h"

#include "text/codepage.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace tibbo::window::test {

// Starts every test from an empty application folder.
inline void resetAppFolder()
{
    QCoreApplication::setApplicationName(QStringLiteral("TibboRead"));
    QDir(SessionFiles::folder()).removeRecursively();
    QDir().mkpath(SessionFiles::folder());
    Dialogs::setTestMode(true);
    Dialogs::takeMessages();
}

inline QString settingsPath()
{
    return SessionFiles::folder() + QStringLiteral("/settings.ini");
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Writes a book in GB18030 with CR LF line ends (the text is given in UTF-8 with LF).
inline QString writeBook(const QString &name, const QString &text)
{
    // A folder of this test program's own, removed when it ends: the window tests run
    // side by side (and other checkouts' tests on the same machine too), and books of
    // the same name written by two of them at once were read half-written.
    static const QTemporaryDir books(QDir::tempPath() +
                                     QStringLiteral("/tibbo-window-books-XXXXXX"));
    const QString path = books.path() + QLatin1Char('/') + name;
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    const std::string bytes = core::encodeGb18030(crlf.toStdU32String());
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

// A book of `paragraphs` indented paragraphs of `length` characters each.
inline QString numberedBook(const QString &name, int paragraphs, int length)
{
    QString text;
    for (int i = 0; i < paragraphs; ++i)
        text +=
            QStringLiteral("　　") + QString(length, QChar(0x5B57 + (i % 50))) + QLatin1Char('\n');
    return writeBook(name, text);
}

// Shows a window, starts it on `book` and waits until start-up, the load and the
// re-flow are over. Start-up places it at its default size, 794 x 488 pixels.
inline std::unique_ptr<ReaderWindow> startWindow(const QString &book = QString())
{
    auto window = std::make_unique<ReaderWindow>();
    window->show();
    window->start(book);
    [&window] { QTRY_VERIFY(window->isIdle()); }();
    if (QTest::qWaitForWindowExposed(window.get())) {
    }
    return window;
}

// A part of the window by its object name.
template <typename T = QWidget> T *part(const QObject *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qWarning("no part named %s", name);
    return found;
}

// Display line `index` of the spread on show (left page first).
inline LineLabel *line(const QObject *window, int index)
{
    return window->findChild<LineLabel *>(QStringLiteral("line%1").arg(index));
}

// The item of a pop-up menu with this caption.
inline QAction *menuItem(const QObject *window, const char *menu, const QString &caption)
{
    if (const QMenu *m = part<QMenu>(window, menu))
        for (QAction *item : m->actions())
            if (item->text() == caption)
                return item;
    qWarning("no item %s in %s", qPrintable(caption), menu);
    return nullptr;
}

// Opens the menu panel as the reader does, by a right click on the right page.
inline void openMenu(const QObject *window)
{
    QTest::mouseClick(part(window, "rightPage"), Qt::RightButton, {}, QPoint(50, 50));
}

// Lets a timer of the window fire `ticks` times at once, then gives it back its
// interval and its running state: the test steps the clock instead of waiting for it.
inline void stepTimer(QTimer *timer, int ticks = 1)
{
    const int interval = timer->interval();
    const bool wasActive = timer->isActive();
    int fired = 0;
    // Connected after the part's own handler, so the tick is handled before the stop.
    const auto connection = QObject::connect(timer, &QTimer::timeout, timer, [&] {
        if (++fired >= ticks)
            timer->stop();
    });
    timer->start(1);
    [&] { QTRY_COMPARE(fired, ticks); }();
    QObject::disconnect(connection);
    timer->stop();
    timer->setInterval(interval);
    if (wasActive)
        timer->start();
}

// The caption of the full-screen command in the menu panel.
inline QString fullScreenCaption(const ReaderWindow &w)
{
    return part<CaptionLabel>(&w, "fullScreenCaption")->caption();
}

// Sends one mouse event to a picture; pos is in the picture's pixels.
inline void sendMouse(QWidget *target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// A left-button drag on a picture by `by` pixels of screen movement, in steps, with each
// step's position taken relative to where the picture is by then.
inline void drag(QWidget *picture, QPoint pressAt, QPoint by, int steps = 4)
{
    const QPoint pressGlobal = picture->mapToGlobal(pressAt);
    sendMouse(picture, QEvent::MouseButtonPress, pressAt, Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= steps; ++i) {
        const QPoint global = pressGlobal + by * i / steps;
        sendMouse(picture, QEvent::MouseMove, picture->mapFromGlobal(global), Qt::NoButton,
                  Qt::LeftButton);
    }
    sendMouse(picture, QEvent::MouseButtonRelease, picture->mapFromGlobal(pressGlobal + by),
              Qt::LeftButton, Qt::NoButton);
}

// A point inside the left half of the character at position of a scroll-mode text: a
// click there puts the caret before it.
inline QPoint leftHalfOf(const ScrollText &text, int64_t position)
{
    const QRect r = text.characterRect(position);
    return QPoint(r.left() + std::max(0, r.width() / 4), r.center().y());
}

// Forty indented paragraphs of 40 characters (more than a spread), no character used
// twice: a character seen on a line says where in the book it is.
inline QString distinctText()
{
    QString text;
    for (int p = 0; p < 40; ++p) {
        text += QStringLiteral("　　");
        for (int k = 0; k < 40; ++k)
            text += QChar(0x4E00 + 64 * p + k);
        text += QLatin1Char('\n');
    }
    return text;
}

// Where character `column` of line `index` is drawn, in the line's coordinates.
inline QPoint pointOf(const QObject *window, int index, int column)
{
    const LineLabel *label = line(window, index);
    return QPoint(static_cast<int>(label->xOfColumn(column)) + 2, label->height() / 2);
}

// Ctrl + drag from one character to another, as a reader selects.
inline void ctrlDrag(const QObject *window, int fromLine, int fromColumn, int toLine, int toColumn)
{
    LineLabel *from = line(window, fromLine);
    LineLabel *to = line(window, toLine);
    QTest::mousePress(from, Qt::LeftButton, Qt::ControlModifier,
                      pointOf(window, fromLine, fromColumn));
    QTest::mouseMove(to, pointOf(window, toLine, toColumn));
    QTest::mouseRelease(to, Qt::LeftButton, Qt::ControlModifier, pointOf(window, toLine, toColumn));
}

} // namespace tibbo::window::test
