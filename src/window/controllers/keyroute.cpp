#include "keyroute.h"

#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

namespace tibbo::window {

KeyRoute::KeyRoute(QWidget &window) : QObject(&window), m_window(window)
{
    m_window.installEventFilter(this);
}

void KeyRoute::addPanel(QWidget *panel, keys::Scope scope)
{
    m_panels.push_back({panel, scope});
    // A key its box does not take (Enter, Esc, F3) goes on to the panel itself.
    panel->installEventFilter(this);
}

void KeyRoute::bind(keys::Command command, std::function<void()> run)
{
    m_commands[command] = std::move(run);
}

std::vector<KeyRoute::Panel> KeyRoute::openPanels() const
{
    // The panels are children of the window, and its children are in stacking order.
    std::vector<Panel> open;
    for (const QObject *child : m_window.children())
        for (const Panel &panel : m_panels)
            if (panel.widget == child && panel.widget->isVisible())
                open.push_back(panel);
    return open;
}

QWidget *KeyRoute::panelOnTop() const
{
    const auto open = openPanels();
    return open.empty() ? nullptr : open.back().widget;
}

keys::Scope KeyRoute::scopeOnTop() const
{
    const auto open = openPanels();
    return open.empty() ? keys::Scope::Pages : open.back().scope;
}

QWidget *KeyRoute::closablePanelOnTop() const
{
    const auto open = openPanels();
    const auto top = std::find_if(open.rbegin(), open.rend(), [](const Panel &panel) {
        return panel.scope != keys::Scope::ScrollMode;
    });
    return top != open.rend() ? top->widget : nullptr;
}

bool KeyRoute::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    keys::Scope scope = scopeOnTop();
    for (const Panel &panel : m_panels)
        if (watched == panel.widget)
            scope = panel.scope;
    const auto *key = static_cast<QKeyEvent *>(event);
    std::optional<keys::Command> command;
    if (scope == keys::Scope::Pages && m_readingAloud)
        command = keys::commandFor(key->keyCombination(), keys::Scope::ReadingAloud);
    if (!command)
        command = keys::commandFor(key->keyCombination(), scope);
    if (!command)
        return false;
    if (const auto run = m_commands.find(*command); run != m_commands.end() && run->second)
        run->second();
    return true;
}

} // namespace tibbo::window
