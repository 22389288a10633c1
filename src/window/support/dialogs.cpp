#include "dialogs.h"

#include <QCursor>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <map>
#include <vector>

namespace tibbo::window {

namespace {

struct TestHooks
{
    bool on = false;
    QStringList messages;
    QString nextOpenFile;
    QString nextSaveFile;
    QString lastSaveSuggestion;
    QString lastOpenFolder;
    QMenu *lastPopup = nullptr;
    std::vector<std::function<void()>> waiting;
    // The recorded messages not yet taken: id -> index in messages.
    std::map<int, qsizetype> open;
};

int g_lastMessageId = 0;
std::map<int, QPointer<QMessageBox>> g_openBoxes;

TestHooks &hooks()
{
    static TestHooks h;
    return h;
}

} // namespace

int Dialogs::message(QWidget *parent, const QString &text)
{
    return message(parent, text, {});
}

int Dialogs::message(QWidget *parent, const QString &text, std::function<void()> acknowledged)
{
    const int id = ++g_lastMessageId;
    if (hooks().on) {
        hooks().open[id] = hooks().messages.size();
        hooks().messages << text;
        if (acknowledged)
            hooks().waiting.push_back(std::move(acknowledged));
        return id;
    }
    // Window-modal but without a local event loop: the caller goes on at once, and a
    // close or a termination signal is handled by the main loop while the box is open.
    auto *box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("TibboRead"), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    if (acknowledged)
        QObject::connect(box, &QDialog::finished, box, [acknowledged] { acknowledged(); });
    QObject::connect(box, &QDialog::finished, box, [id] { g_openBoxes.erase(id); });
    g_openBoxes[id] = box;
    box->open();
    return id;
}

bool Dialogs::updateMessage(int id, const QString &text)
{
    if (hooks().on) {
        const auto found = hooks().open.find(id);
        if (found == hooks().open.end())
            return false;
        hooks().messages[found->second] = text;
        return true;
    }
    const auto found = g_openBoxes.find(id);
    if (found == g_openBoxes.end() || !found->second || !found->second->isVisible())
        return false;
    found->second->setText(text);
    return true;
}

QString Dialogs::openFile(QWidget *parent, const QString &title, const QString &filter,
                          const QString &folder)
{
    hooks().lastOpenFolder = folder;
    if (hooks().on)
        return std::exchange(hooks().nextOpenFile, QString());
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString Dialogs::saveFile(QWidget *parent, const QString &title, const QString &filter,
                          const QString &suggested)
{
    hooks().lastSaveSuggestion = suggested;
    if (testMode())
        return std::exchange(hooks().nextSaveFile, QString());
    return QFileDialog::getSaveFileName(parent, title, suggested, filter);
}

void Dialogs::setNextSaveFile(const QString &path)
{
    hooks().nextSaveFile = path;
}

QString Dialogs::lastSaveSuggestion()
{
    return hooks().lastSaveSuggestion;
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
    hooks().open.clear();
    return std::exchange(hooks().messages, QStringList());
}
void Dialogs::acknowledgeMessages()
{
    hooks().open.clear();
    for (const auto &acknowledged : std::exchange(hooks().waiting, {}))
        acknowledged();
}
void Dialogs::setNextOpenFile(const QString &path)
{
    hooks().nextOpenFile = path;
}
QString Dialogs::lastOpenFolder()
{
    return hooks().lastOpenFolder;
}
QMenu *Dialogs::lastPopup()
{
    return hooks().lastPopup;
}

} // namespace tibbo::window
