#pragma once
// The settings panel inside the menu panel. The preview is the editing copy of the page
// font: the font list, the size box and the style boxes change only the preview, and OK
// carries it and the spacing and margin boxes over to the page.

#include "settings/pagelayoutcheck.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

namespace tibbo::window {

class CaptionLabel;
class PanelButton;

class SettingsPanel : public QWidget
{
    Q_OBJECT
  public:
    explicit SettingsPanel(QWidget *parent);

    // Fills the font list (selecting the preview's family when it is installed), the
    // size box and the spacing and margin boxes. Once, at start-up.
    void fill(const core::PageSpacing &values);
    void open();

    QFont previewFont() const;
    void setPreviewFont(const QFont &font);
    void setSizeText(const QString &text);
    // The boxes as typed; setPageValues shows stored values in their plain form.
    core::PageSpacing pageValues() const;
    void setPageValues(const core::PageSpacing &values);
    // Fine typesetting (精排): punctuation kept off the line starts, headings on lines of
    // their own.
    bool fineTypesetting() const;
    void setFineTypesetting(bool on);
    // Shows the theme (0 day, 1 sepia, 2 night) and the encoding the book on show is read
    // in ("" found by itself, "GB18030", "Big5", "UTF-8", "UTF-16").
    void setTheme(int theme);
    void setEncoding(const QString &name);
    // The chapter and the share read shown beside the page numbers.
    bool placeCaptions() const;
    void setPlaceCaptions(bool on);
    // Shows paragraph trimming: 0 off, 1 on, 2 undecided, as settings.ini stores it.
    void setTrimValue(int value);

    // Asked on a press on the trimming box before it toggles; false refuses the change
    // (a book is still being read).
    std::function<bool()> trimChangeAllowed;

  signals:
    void accepted();
    void cancelled();
    // The reader switched the trimming box (it takes effect at once).
    void trimChanged(int value);
    // The reader chose a theme or an encoding; like their menus, they take effect at once.
    void themeChosen(int theme);
    void encodingChosen(const QString &name);
    // The reader asked for the choice of the dictionary site (查词…).
    void dictionarySiteRequested();

  protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void showFontName();
    int trimValue() const;

    CaptionLabel *m_fontCaption = nullptr;
    QListWidget *m_fontList = nullptr;
    QComboBox *m_sizeBox = nullptr;
    QComboBox *m_spacingBox = nullptr;
    QComboBox *m_themeBox = nullptr;
    QComboBox *m_encodingBox = nullptr;
    QComboBox *m_topBox = nullptr;
    QComboBox *m_bottomBox = nullptr;
    QComboBox *m_leftBox = nullptr;
    QComboBox *m_rightBox = nullptr;
    QLabel *m_preview = nullptr;
    QCheckBox *m_trimBox = nullptr;
    QCheckBox *m_underlineBox = nullptr;
    QCheckBox *m_boldBox = nullptr;
    QCheckBox *m_italicBox = nullptr;
    QCheckBox *m_fineBox = nullptr;
    QCheckBox *m_placeBox = nullptr;
    bool m_trimRefused = false;
};

} // namespace tibbo::window
