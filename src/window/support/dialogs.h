#pragma once
// Message boxes, the open dialog and pop-up menus go through here, so headless tests
// can answer them instead of blocking on a modal loop.

#include <QString>
#include <QStringList>

#include <functional>

class QMenu;
class QWidget;

namespace tibbo::window {

class Dialogs
{
  public:
    // A message box with one OK button and the title "TibboRead". It does not wait for
    // the OK: the caller's work goes on behind the box.
    // Returns an id for updateMessage.
    static int message(QWidget *parent, const QString &text);
    // The same; `acknowledged` runs once the box is closed, by OK or otherwise.
    static int message(QWidget *parent, const QString &text, std::function<void()> acknowledged);
    // Gives a message that is still open a new text; false when it was closed already.
    static bool updateMessage(int id, const QString &text);
    // The open dialog, starting in `folder`; an empty string when the user cancelled.
    static QString openFile(QWidget *parent, const QString &title, const QString &filter,
                            const QString &folder = QString());
    // The save dialog, suggesting `suggested` (a path); an empty string when the user
    // cancelled.
    static QString saveFile(QWidget *parent, const QString &title, const QString &filter,
                            const QString &suggested);
    // Pops the menu up at the pointer.
    static void popup(QMenu *menu);

    // Test mode: messages and pop-ups are recorded, the open dialog answers with the
    // text set beforehand (empty: cancelled).
    static void setTestMode(bool on);
    static bool testMode();
    // The recorded messages; taking them closes them, as reading and OK would.
    static QStringList takeMessages();
    // Closes the recorded messages that wait for their acknowledgment, as OK would.
    static void acknowledgeMessages();
    static void setNextOpenFile(const QString &path);
    // What the next save dialog answers in test mode (empty: cancelled), and what the last
    // one suggested.
    static void setNextSaveFile(const QString &path);
    static QString lastSaveSuggestion();
    // The folder the last open dialog started in.
    static QString lastOpenFolder();
    static QMenu *lastPopup();
};

} // namespace tibbo::window
