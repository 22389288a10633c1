#pragma once
// The page's appearance: the page font, the line spacing and the margins. The settings
// panel edits a preview and carries it over to the page on OK, after checking that the
// values leave room for text; the size menu changes the page's font size at once.

#include "state/readerstate.h"

#include <QObject>

class QWidget;

namespace tibbo::window {

class BookView;
class Mascot;
class ReaderMenus;
class ReflowJob;
class ScrollPanel;
class SettingsPanel;

class PageAppearance : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        BookView &bookView;
        SettingsPanel &settingsPanel;
        ScrollPanel &scrollPanel;
        Mascot &mascot;
        ReaderMenus &menus;
        ReflowJob &reflowJob;
    };
    PageAppearance(Parts parts, QWidget *window);

    void openSettingsPanel();

  public slots:
    // The settings panel's font, spacing and margins become the page's (also after
    // settings.ini brought them back); stored values that leave no room on this window
    // and font fall back to the defaults.
    void takePanelValues();
    // The quick road: the page's size changes at once; the preview and settings.ini stay.
    void setFontSize(double points);
    // Day, sepia or night (0, 1, 2), kept in options.ini for the next start.
    void setTheme(int theme);
    // The theme and the typesetting options.ini keeps (day, plain when it has none).
    void restoreOptions();

  signals:
    void reflowRequested();
    void saveRequested();
    void menuCloseRequested();

  private:
    void onPanelAccepted();
    void applyTheme(int theme);

    core::ReaderState &m_state;
    BookView &m_bookView;
    SettingsPanel &m_settingsPanel;
    ScrollPanel &m_scrollPanel;
    Mascot &m_mascot;
    ReaderMenus &m_menus;
    ReflowJob &m_reflowJob;
    QWidget *m_window;
};

} // namespace tibbo::window
