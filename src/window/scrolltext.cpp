#include "scrolltext.h"

#include "text/codepage.h"

#include <QTextBlock>

namespace tibbo::window {

ScrollText::ScrollText(QWidget *parent) : QPlainTextEdit(parent) { setReadOnly(true); }

void ScrollText::setBookText(const std::u32string &text)
{
    setPlainText(QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())));
}

int64_t ScrollText::textLength() const { return document()->characterCount() - 1; }

void ScrollText::setSelection(int64_t start, int64_t length)
{
    QTextCursor c = textCursor();
    c.setPosition(static_cast<int>(std::min<int64_t>(start, textLength())));
    c.setPosition(static_cast<int>(std::min<int64_t>(start + length, textLength())), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

int64_t ScrollText::selectionStart() const { return textCursor().selectionStart(); }

void ScrollText::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    emit clicked();
}

} // namespace tibbo::window
