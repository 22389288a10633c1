#pragma once
// The manual and the welcome of a first start. "看看说明书" saves the reader's session and
// opens the manual; "不想看了" brings the reader's own book back as settings.ini saved it.
// A reader with no book of their own yet gets the built-in help and the welcome panel.

#include "state/readerstate.h"

#include <QObject>
#include <QString>

namespace tibbo::window {

class MenuPanel;
class SessionFiles;
class WelcomePanel;

class ManualGuide : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        MenuPanel &menuPanel;
        WelcomePanel &welcomePanel;
        SessionFiles &session;
    };
    ManualGuide(Parts parts, QObject *parent);

  public slots:
    void onManualCommand();
    void onWelcomeStart();

    // Shows the help text that ships inside the program, from its first line.
    void showHelpText();

  signals:
    void openBookRequested(const QString &path);
    void reflowRequested();
    void menuRequested();
    void menuCloseRequested();
    void welcomeRequested();
    void recentChanged();

  private:
    void leaveManual();

    core::ReaderState &m_state;
    MenuPanel &m_menuPanel;
    WelcomePanel &m_welcomePanel;
    SessionFiles &m_session;
    // The manual is on show over the reader's own book, and the menu offers the way back.
    bool m_manualOnShow = false;
    QString m_helpText; // the built-in help of a first start, in paragraph-text form
};

} // namespace tibbo::window
