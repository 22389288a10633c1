#pragma once
// Shared set-up of the window tests: an empty application folder, dialogs answered by
// the test, and helpers to make small books.

#include "dialogs.h"
#include "form1.h"

#include "text/codepage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace tibbo::window::test {

// Starts every test from an empty application folder.
inline void resetAppFolder()
{
    QCoreApplication::setApplicationName(QStringLiteral("TibboRead"));
    QDir(Form1::appFolder()).removeRecursively();
    QDir().mkpath(Form1::appFolder());
    Dialogs::setTestMode(true);
    Dialogs::takeMessages();
}

// Writes a book in GB18030 with CR LF line ends (the text is given in UTF-8 with LF).
inline QString writeBook(const QString &name, const QString &text)
{
    const QString dir = QDir::tempPath() + QStringLiteral("/tibbo-window-books");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name;
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

// A started window of a fixed size.
// Start-up places it at its default size, 794 x 488 pixels.
inline std::unique_ptr<Form1> startWindow(const QString &book = QString())
{
    auto form = std::make_unique<Form1>();
    form->show();
    form->Form_Load(book);
    if (QTest::qWaitForWindowExposed(form.get())) {
    }
    return form;
}

} // namespace tibbo::window::test
