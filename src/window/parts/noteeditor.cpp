#include "noteeditor.h"

#include "widgets.h"

#include "reading/highlights.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <algorithm>

namespace tibbo::window {

namespace {

constexpr int kMargin = 10;
constexpr int kButtonHeight = 22;
constexpr int kWordsShown = 60;

} // namespace

NoteEditor::NoteEditor(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("noteEditor"));
    m_title = new CaptionLabel(QStringLiteral("笔记"), this);
    m_words = new QLabel(this);
    m_words->setObjectName(QStringLiteral("noteWords"));
    m_words->setWordWrap(true);
    m_words->setTextFormat(Qt::PlainText);
    m_words->setStyleSheet(QStringLiteral("color: #6b5a44;"));
    m_box = new QPlainTextEdit(this);
    m_box->setObjectName(QStringLiteral("noteBox"));
    m_box->setTabChangesFocus(true);
    m_box->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #fffdf6; border: 1px "
                                        "solid #8090c0; border-radius: 4px; }"));
    m_box->setPlaceholderText(QStringLiteral("写下你的笔记"));
    m_save = new PanelButton(QStringLiteral("保存"), this);
    m_save->setObjectName(QStringLiteral("noteSave"));
    m_cancel = new PanelButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("noteCancel"));
    for (QPushButton *button : {m_save, m_cancel})
        button->setFocusPolicy(Qt::NoFocus);
    connect(m_save, &QPushButton::clicked, this, [this] {
        const QString typed = note();
        hide();
        emit saved(typed);
    });
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void NoteEditor::open(const QString &words, const QString &note)
{
    QString shown = words.simplified();
    if (shown.size() > kWordsShown)
        shown = shown.left(kWordsShown) + QStringLiteral("……");
    m_words->setText(QStringLiteral("“%1”").arg(shown));
    m_box->setPlainText(note);
    m_box->moveCursor(QTextCursor::End);
    if (const QWidget *window = parentWidget()) {
        const int w = std::clamp(window->width() / 2, 260, std::max(260, window->width() - 20));
        const int h = std::clamp(window->height() / 2, 180, std::max(180, window->height() - 20));
        setGeometry((window->width() - w) / 2, (window->height() - h) / 2, w, h);
    }
    show();
    raise();
    m_box->setFocus();
}

QString NoteEditor::note() const
{
    // Kept within the longest note a file holds.
    return m_box->toPlainText().trimmed().left(static_cast<int>(core::kLongestNote));
}

void NoteEditor::resizeEvent(QResizeEvent *)
{
    const int W = width(), H = height();
    m_title->setGeometry(kMargin, 6, W - 2 * kMargin, 20);
    m_words->setGeometry(kMargin, 28, W - 2 * kMargin, 36);
    const int buttonsTop = H - kButtonHeight - 8;
    m_box->setGeometry(kMargin, 68, W - 2 * kMargin, buttonsTop - 74);
    int x = W - kMargin;
    for (QPushButton *button : {m_cancel, m_save}) {
        x -= 52;
        button->setGeometry(x, buttonsTop, 52, kButtonHeight);
        x -= 6;
    }
}

void NoteEditor::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
