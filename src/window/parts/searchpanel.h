#pragma once
// The search prompt: a box for the words to find, the next and previous buttons, and a
// note under them (wrapped at an end of the book, or nothing found). The box keeps the
// keyboard while the prompt is open; its keys (Enter, Shift+Enter, F3, Esc) are the key
// table's.

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
    QString needle() const;
    void setNote(const QString &note);

  signals:
    void searchRequested(bool forward);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QLineEdit *m_box = nullptr;
    QLabel *m_note = nullptr;
};

} // namespace tibbo::window
