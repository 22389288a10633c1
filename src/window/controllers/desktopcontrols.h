#pragma once
// The window's keys and the conventions of a desktop program: the reading keys go to
// ReadingCommands unless a panel lies over the pages; the mouse wheel over the pages
// turns one spread a notch; F11 switches full screen; Esc closes what is open or else
// leaves full screen; a book file dropped on the window opens; the window title names
// the book. It watches the window's and the book view's events, so keys that no part
// took and drops anywhere on the window reach it.

#include <QObject>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QWidget;

namespace tibbo::window {

class BookView;
class PromptPanel;
class ReaderWindow;
class ReadingCommands;
class WindowChrome;

class DesktopControls : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        ReaderWindow &window;
        BookView &bookView;
        PromptPanel &prompt;
        QWidget &scrollPanel;
        WindowChrome &chrome;
        ReadingCommands &commands;
    };
    DesktopControls(Parts parts, QObject *parent);

    // "book name — TibboRead": the file name without its extension, then `details`
    // (each after " · "); "TibboRead" alone without a book.
    static QString windowTitle(const std::string &bookPath, const QStringList &details = {});

    // A panel over the pages besides the prompt (the chapter list, the search prompt):
    // while it is open neither a reading key nor the wheel turns the page, and Esc hides
    // it.
    void addPanel(QWidget *panel);
    // Esc: hides an open panel or prompt, else closes the menu (the loading panel and the
    // re-flow notice stay while their work runs), else leaves full screen. Scroll mode
    // stays as it is. False when there was nothing to do.
    bool escape();
    // Brings the window back from the tray or the task bar, in front (a second launch
    // handed its book over).
    void bringToFront();

  signals:
    void menuCloseRequested();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    bool filterWindowEvent(QEvent *event);
    // The prompt, scroll mode or an added panel is open over the pages.
    bool pagesCovered() const;
    void turnByWheel(int angleDelta);

    ReaderWindow &m_window;
    BookView &m_bookView;
    PromptPanel &m_prompt;
    QWidget &m_scrollPanel;
    WindowChrome &m_chrome;
    ReadingCommands &m_commands;
    std::vector<QWidget *> m_panels;
    // Wheel movement not yet a whole notch (120), from wheels and touch pads that
    // report in smaller steps.
    int m_wheelRemainder = 0;
};

} // namespace tibbo::window
