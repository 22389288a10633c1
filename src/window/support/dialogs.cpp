#include "dialogs.h"

#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace tibbo::window {

namespace {

struct TestHooks
{
    bool on = false;
    QStringList messages;
    QString nextOpenFile;
    QMenu *lastPopup = nullptr;
};

TestHooks &hooks()
{
    static TestHooks h;
    return h;
}

} // namespace

void Dialogs::message(QWidget *parent, const QString &text)
{
    if (hooks().on) {
        hooks().messages << text;
        return;
    }
    // Window-modal but without a local event loop: the caller goes on at once, and a
    // close or a termination signal is handled by the main loop while the box is open.
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("TibboRead"), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box->open();
}

QString Dialogs::openFile(QWidget *parent, const QString &title, const QString &filter)
{
    if (hooks().on)
        return std::exchange(hooks().nextOpenFile, QString());
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

void Dialogs::popup(QMenu *menu)
{
    if (hooks().on) {
        hooks().lastPopup = menu;
        return;
    }
    menu->exec(QCursor::pos());
}

void Dialogs::setTestMode(bool on)
{
    hooks().on = on;
}
bool Dialogs::testMode()
{
    return hooks().on;
}
QStringList Dialogs::takeMessages()
{
    return std::exchange(hooks().messages, QStringList());
}
void Dialogs::setNextOpenFile(const QString &path)
{
    hooks().nextOpenFile = path;
}
QMenu *Dialogs::lastPopup()
{
    return hooks().lastPopup;
}

} // namespace tibbo::window
