#pragma once
// Text2: the scroll-mode text area. Read-only; it shows a copy of the book text and a
// one-character selection that scroll mode moves through it.

#include <QPlainTextEdit>

#include <cstdint>
#include <string>

namespace tibbo::window {

class ScrollText : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ScrollText(QWidget *parent = nullptr);

    void setBookText(const std::u32string &text);
    int64_t textLength() const;
    // Caret (characters before it) and selection length; the area scrolls to show it.
    void setSelection(int64_t start, int64_t length);
    int64_t selectionStart() const;

signals:
    // The user clicked into the text (the caret moved there).
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace tibbo::window
