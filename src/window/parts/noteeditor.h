#pragma once
// The small editor of a note (笔记) on a highlight, inside the window over the pages: the
// highlighted words it belongs to, a box for the note, 保存 and 取消. It is a panel like
// the others: it opens, and it reports what the reader chose; nothing waits for it. Esc
// closes it as 取消 does.

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tibbo::window {

class CaptionLabel;

class NoteEditor : public QWidget
{
    Q_OBJECT
  public:
    explicit NoteEditor(QWidget *parent);

    // Opens in the middle of the window for the highlight of `words`, the box holding
    // `note`, and takes the keyboard focus.
    void open(const QString &words, const QString &note);
    QString note() const;

  signals:
    // 保存: the note as typed (empty: the highlight keeps no note).
    void saved(const QString &note);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    CaptionLabel *m_title = nullptr;
    QLabel *m_words = nullptr;
    QPlainTextEdit *m_box = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace tibbo::window
