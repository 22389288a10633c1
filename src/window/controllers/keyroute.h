#pragma once
// The one way keys take: every key press that reaches the window or one of the panels
// over the pages is looked up in the key table (keymap.h) for the place it was pressed
// in, and runs the command bound to it. A key pressed in a panel is looked up for that
// panel; one that reaches the window for the panel on top, or for the pages when no
// panel covers them. So no key acts behind a panel unless the table gives it that panel.
// Keys a panel's own box takes (typing, the cursor keys of a text box) never come here.

#include "keymap.h"

#include <QObject>

#include <functional>
#include <map>
#include <vector>

class QWidget;

namespace tibbo::window {

class KeyRoute : public QObject
{
    Q_OBJECT
  public:
    // Watches the keys that reach `window`.
    explicit KeyRoute(QWidget &window);

    // A panel over the pages: its keys are looked up in `scope` while it is open.
    void addPanel(QWidget *panel, keys::Scope scope);
    // While the pages are read aloud, keys on the pages are looked up in
    // keys::Scope::ReadingAloud before the pages' own rows.
    void setReadingAloud(bool on) { m_readingAloud = on; }
    // What the command runs.
    void bind(keys::Command command, std::function<void()> run);
    template <typename Receiver>
    void bind(keys::Command command, Receiver *to, void (Receiver::*slot)())
    {
        bind(command, [to, slot] { (to->*slot)(); });
    }

    // The open panel highest in the window, and its scope; nullptr and Pages when the pages
    // lie open.
    QWidget *panelOnTop() const;
    keys::Scope scopeOnTop() const;
    // The open panel highest in the window that Esc closes: any but scroll mode.
    QWidget *closablePanelOnTop() const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    struct Panel
    {
        QWidget *widget;
        keys::Scope scope;
    };
    // Open panels, lowest first.
    std::vector<Panel> openPanels() const;

    QWidget &m_window;
    std::vector<Panel> m_panels;
    std::map<keys::Command, std::function<void()>> m_commands;
    bool m_readingAloud = false;
};

} // namespace tibbo::window
