#include "dialogs.h"

#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace tibbo::window {

namespace {

struct TestHooks
{
    bool on = false;
    QStringList messages;
    QString nextOpenFile;
    QMenu *lastPopup = nullptr;
    std::vector<std::function<void()>> waiting;
};

TestHooks &hooks()
{
    static TestHooks h;
    return h;
}

} // namespace

void Dialogs::message(QWidget *parent, const QString &text)
{
    message(parent, text, {});
}

void Dialogs::message(QWidget *parent, const QString &text, std::function<void()> acknowledged)
{
    if (hooks().on) {
        hooks().messages << text;
        if (acknowledged)
            hooks().waiting.push_back(std::move(acknowledged));
        return;
    }
    // Window-modal but without a local event loop: the caller goes on at once, and a
    // close or a termination signal is handled by the main loop while the box is open.
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("TibboRead"), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    if (acknowledged)
        QObject::connect(box, &QDialog::finished, box, [acknowledged] { acknowledged(); });
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
void Dialogs::acknowledgeMessages()
{
    for (const auto &acknowledged : std::exchange(hooks().waiting, {}))
        acknowledged();
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
