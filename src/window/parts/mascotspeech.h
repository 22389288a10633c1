#pragma once
// Everything Tibbo says by itself in the speech bubble: a few lines (reading aloud
// stopped, an offer about the book, a finding in its chapters, the news of a book that
// grew, the recap) with up to two answers, each a button that runs what it stands for.
//
// One word at a time shares the bubble with the menu. The menu the reader opens takes the
// bubble: the word on show steps aside and, unless it was news the reader's touch put
// away, is said again when the menu closes. A word that comes while the menu or another
// word holds the bubble waits and is said after, in the order the words came. A question
// stays until one of its answers is chosen; an answer runs its callback once.

#include <QFont>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class QLabel;

namespace tibbo::window {

// What the offers and findings about the book on show are about: opening a book takes
// those of the one before back.
inline constexpr char kAboutTheBook[] = "theBook";

class Mascot;
class PanelButton;

class MascotSpeech : public QWidget
{
    Q_OBJECT
  public:
    // How a word goes when no answer is chosen.
    enum class Goes {
        WhenAnswered, // a question: it stays until an answer is chosen
        ByItself,     // a note: after a while, or at a click on it
        AtFirstTouch, // news: the first key, click or turn of the wheel anywhere
    };
    struct Answer
    {
        QString caption;
        // Runs once when the answer is chosen; empty: the answer only lets the word go.
        std::function<void()> chosen;
    };
    struct Word
    {
        QString text;                // lines separated by "\n"
        std::vector<Answer> answers; // at most two
        Goes goes = Goes::WhenAnswered;
        // What the word is about, for takeBack() and holds().
        QString about;
        // Asked when the word's turn comes: a word no longer true is not said.
        std::function<bool()> stillTrue;
    };

    // `menu` is the menu panel that shares the bubble.
    MascotSpeech(Mascot &mascot, QWidget &menu, QWidget *window);

    // Says `word` now, or once the menu and the words before it are done.
    void say(Word word);
    // The words about `about`, on show or waiting, go unsaid and unanswered.
    void takeBack(const QString &about);
    // Whether a word about `about` is on show or waiting.
    bool holds(const QString &about) const;
    // The text on show (empty when nothing is said).
    QString text() const;

  signals:
    // A word opened the bubble: the window stacks its parts again.
    void layoutNeeded();

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void sayNext();
    void show(Word word);
    void fitText(int height);
    void layAnswers(const std::vector<Answer> &answers);
    // The word on show goes; the bubble closes unless the menu holds it.
    void putAway();
    void choose(size_t index);

    Mascot &m_mascot;
    QWidget &m_menu;
    QLabel *m_text = nullptr;
    std::vector<PanelButton *> m_answerButtons;
    // The type the text starts from; a long text is set smaller.
    QFont m_textFont;
    std::optional<Word> m_onShow;
    std::deque<Word> m_waiting;
    QTimer m_goTimer;
    // The next word is said once the event that freed the bubble is done with.
    QTimer m_nextTimer;
};

} // namespace tibbo::window
