#pragma once
// What Tibbo says by itself in the speech bubble: a few lines of news (a book that grew,
// the recap of a book read again after a while) and up to two things the reader can do
// about them, each a caption to click.

#include <QFont>
#include <QStringList>
#include <QWidget>

#include <vector>

class QLabel;

namespace tibbo::window {

class CaptionLabel;

class MascotMessage : public QWidget
{
    Q_OBJECT
  public:
    explicit MascotMessage(QWidget *parent);

    // Shows `text` (lines separated by "\n") with the captions of `actions` under it.
    void say(const QString &text, const QStringList &actions = {});
    QString text() const { return m_said; }
    // Whether `widget` is one of the action captions.
    bool isAction(const QObject *widget) const;

  signals:
    void actionChosen(int index);

  private:
    QLabel *m_text = nullptr;
    std::vector<CaptionLabel *> m_actions;
    QString m_said;
    // The type the text starts from; a long text is set smaller.
    QFont m_textFont;
};

} // namespace tibbo::window
