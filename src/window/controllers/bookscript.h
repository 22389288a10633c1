#pragma once
// The script the book is shown in (原文, 转简体, 转繁体 and their Taiwan and Hong Kong
// forms), chosen per book from the menu and kept in options.ini. It owns the display
// layer (core::DisplayText) that every part showing the book's text asks: the pages,
// scroll mode, the chapter list, the window title. What is stored stays the book's own
// text and offsets. When a book opened as written looks Traditional (read as Big5, or
// most characters change in the Simplified conversion) the mascot offers the
// conversion, once per book.

#include "script/displaytext.h"
#include "script/scriptmode.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace tibbo::core {
struct ReaderState;
class PhraseConverter;
} // namespace tibbo::core

namespace tibbo::window {

class OptionsStore;

class BookScript : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        core::ReaderState &state;
        OptionsStore &options;
    };
    BookScript(Parts parts, QWidget *window);
    ~BookScript() override;

    // The display layer of the book on show, in the book's own mode: a new text or a
    // new book is taken up when asked.
    const core::DisplayText &display();
    core::ScriptMode mode();
    // The converter of the mode on show; nothing for 原文.
    std::shared_ptr<const core::PhraseConverter> converter();
    // A heading or a caption taken from the book, in the script on show.
    QString shown(const std::u32string &text);

  public slots:
    // From the menu: shows the book in `mode` and keeps it for the book.
    void setMode(core::ScriptMode mode);
    // The book was read in this encoding ("Big5", ...).
    void onEncodingChanged(const QString &encodingName);
    // A book was opened by the reader: offer the conversion if it looks Traditional.
    void considerOffer();

  signals:
    // The text on show changed its script: the spread, the title and lists show it anew.
    void modeChanged();
    // Once per book: the book looks Traditional and is shown as written.
    void conversionOffered(core::ScriptMode suggested);

  private:
    void follow();

    core::ReaderState &m_state;
    OptionsStore &m_options;
    QWidget *m_window;
    core::DisplayText m_display;
    core::ScriptMode m_mode = core::ScriptMode::Original;
    std::shared_ptr<const core::PhraseConverter> m_converter;
    // The book and text the display layer was set up for.
    std::string m_bookPath;
    uint64_t m_textVersion = 0;
    bool m_following = false;
    bool m_readAsBig5 = false;
};

} // namespace tibbo::window
