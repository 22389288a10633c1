#pragma once
// The search prompt: a box for the words to find, the next and previous buttons, and a
// note under them (wrapped at an end of the book, or nothing found). Enter finds the
// next, Shift+Enter the previous; Esc closes it. The box keeps the keyboard while the
// prompt is open.

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
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

  private:
    QLineEdit *m_box = nullptr;
    QLabel *m_note = nullptr;
};

} // namespace tibbo::window
