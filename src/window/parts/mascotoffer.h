#pragma once
// What Tibbo has to say about the book, in the speech bubble over the menu: an offer
// ("这本书好像是繁体字的，要转成简体吗？") or a finding ("第312章好像缺了"), with a button that
// takes it up and one that lets it go. It covers the whole menu; either button closes it.

#include <QWidget>

#include <functional>

class QLabel;

namespace tibbo::window {

class PanelButton;

class MascotOffer : public QWidget
{
    Q_OBJECT
  public:
    explicit MascotOffer(QWidget *parent);

    // Shows `text`; `answer` runs `onAnswer` (the second button only closes the note).
    void say(const QString &text, const QString &answer, std::function<void()> onAnswer);

  signals:
    // The note is done with (answered or let go): the bubble may close.
    void finished();

  private:
    QLabel *m_text = nullptr;
    PanelButton *m_answer = nullptr;
    PanelButton *m_dismiss = nullptr;
    std::function<void()> m_onAnswer;
};

} // namespace tibbo::window
