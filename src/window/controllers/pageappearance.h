#pragma once
// The page's appearance: the page font, the line spacing and the margins, paragraph
// trimming, fine typesetting, the place captions in the footer and the theme. The settings panel
// edits a preview and carries it over to the page on OK, after checking that the values leave room
// for text; the size menu changes the page's font size at once. What it sets is the state's (the
// book view and the settings panel show it), and what options.ini keeps is written there.

#include "settings/settingsfile.h"
#include "state/readerstate.h"

#include <QFont>
#include <QObject>

class QWidget;

namespace tibbo::window {

class BookView;
class Mascot;
class MascotSpeech;
class OptionsStore;
class ReaderMenus;
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
        MascotSpeech &speech;
        ReaderMenus &menus;
        OptionsStore &options;
    };
    PageAppearance(Parts parts, QWidget *window);

    void openSettingsPanel();
    QFont pageFont() const;

  public slots:
    // The settings panel's font, spacing and margins become the page's; values that leave
    // no room on this window and font fall back to the defaults.
    void takePanelValues();
    // What settings.ini brought back of the page: the font, trimming and the spacing go to
    // the settings panel, and to the page when the file held all of "[Page]".
    void restorePageSettings(const core::SettingsRead &read);
    // The quick road: the page's size changes at once; the preview and settings.ini stay.
    void setFontSize(double points);
    // The quick size menu, with the page's size checked.
    void popUpSizeMenu();
    // The page's size one quick size larger or smaller (Ctrl+= / Ctrl+-), as the size
    // menu would set it.
    void stepFontSize(bool larger);
    // Day, sepia or night (0, 1, 2), kept in options.ini for the next start.
    void setTheme(int theme);
    // Day, sepia, night, then day again.
    void nextTheme();
    // The theme, the typesetting and the place captions options.ini keeps (day, plain and
    // shown when it has none).
    void restoreOptions();
    // A book is on show, cut into lines: when fine typesetting is off and lines near the
    // place begin with punctuation, the mascot offers it, for a book the reader opened
    // (not the manual), until the reader has answered once.
    void offerFineTypesetting();

  signals:
    void reflowRequested();
    void saveRequested();
    void menuCloseRequested();

  private:
    void onPanelAccepted();
    void applyTheme(int theme);
    // The font the page is drawn in, kept in the state as settings.ini stores it.
    void setPageFont(const QFont &font);

    core::ReaderState &m_state;
    BookView &m_bookView;
    SettingsPanel &m_settingsPanel;
    ScrollPanel &m_scrollPanel;
    Mascot &m_mascot;
    MascotSpeech &m_speech;
    ReaderMenus &m_menus;
    OptionsStore &m_options;
    QWidget *m_window;
    // Paragraph trimming when the settings panel was opened: its cancel puts it back.
    int m_trimWhenOpened = 0;
    int m_theme = 0;
    // The book the offer was made for this run: one offer a book, not one a re-flow.
    std::string m_offeredFor;
};

} // namespace tibbo::window
