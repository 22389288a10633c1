#pragma once
// Scroll mode: the whole book as running text, over everything else of the window, with
// a bar under it holding the start box, the speed slider and the way back to the pages.
// While scrolling, a step timer moves a one-character selection through the text.

#include "script/phraseconverter.h"
#include "theme.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QScrollBar;

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

class ScrollText;

class ScrollPanel : public QWidget
{
    Q_OBJECT
  public:
    ScrollPanel(core::ReaderState &state, QWidget *parent);

    // Opens stopped, in the page font, with the caret near the spread on show. With a
    // converter the text is converted on a worker thread and shown converted once it is
    // (the book's own text meanwhile), the caret kept on its character.
    void open(const QFont &pageFont,
              std::shared_ptr<const core::PhraseConverter> converter = nullptr);
    // Milliseconds per step, 1 .. 300; the slider and the state follow.
    void setSpeed(int milliseconds);
    bool scrolling() const;
    void setScrolling(bool on);
    void setTextFont(const QFont &font);
    // The view of the text moves; the caret and the scroll position stay.
    void scrollRows(int rows);
    void scrollPages(int pages);
    void scrollToStart();
    void scrollToEnd();
    // Selects characters [from, to) of the paragraph text (the sentence read aloud) and
    // keeps them in view; the scroll position moves there.
    void showParagraphRange(int64_t from, int64_t to);
    // The page colours of the theme: the paper behind the text, the text, and the moving
    // character drawn the other way round so it shows on every paper.
    void setColours(const ThemeColours &colours);

  signals:
    // The reader went back to the pages; a running scroll keeps running behind them.
    void closed();
    // The reader started the text moving by itself.
    void scrollingStarted();

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    void step();
    void onSpeedChanged();

    core::ReaderState &m_state;
    ScrollText *m_text = nullptr;
    QWidget *m_bar = nullptr;
    QCheckBox *m_scrollBox = nullptr;
    QScrollBar *m_speedSlider = nullptr;
    QLabel *m_speedCaption = nullptr;
    QWidget *m_backButton = nullptr;
    QTimer m_stepTimer;
    // The conversion of the text on show, while it runs.
    std::unique_ptr<QFutureWatcher<core::ConvertedRun>> m_conversion;
};

} // namespace tibbo::window
