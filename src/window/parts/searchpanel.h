#pragma once
// The search prompt: a box for the words to find, the next and previous buttons, the
// button of the list of every match, and a note under them (wrapped at an end of the book, or
// nothing found). The box keeps the keyboard while the prompt is open; its keys (Enter,
// Shift+Enter, F3, Esc) are the key table's.

#include <QWidget>

class QLabel;
class QLineEdit;

namespace tibbo::window {

class SearchPanel : public QWidget
{
    Q_OBJECT
  public:
    explicit SearchPanel(QWidget *parent);

    // Opens in the window's top right corner with the last words selected.
    void open();
    // Opens with `words` in the box in place of the last words.
    void openWith(const QString &words);
    QString needle() const;
    void setNote(const QString &note);
    // Moves the prompt where it does not cover `area` (a found line, in the window's
    // coordinates): the top right corner, else the bottom right, else the top left.
    void keepClearOf(const QRect &area);

  signals:
    void searchRequested(bool forward);
    void listRequested();
    // The prompt was closed (Esc, or hidden by the window).
    void closed();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    QLineEdit *m_box = nullptr;
    QLabel *m_note = nullptr;
};

} // namespace tibbo::window
