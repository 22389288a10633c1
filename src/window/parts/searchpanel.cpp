#include "searchpanel.h"

#include "widgets.h"

#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace tibbo::window {

SearchPanel::SearchPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("searchPanel"));
    setFixedSize(308, 62);
    auto *caption = new CaptionLabel(QStringLiteral("查找:"), this);
    caption->setGeometry(8, 8, 36, 18);
    m_box = new QLineEdit(this);
    m_box->setObjectName(QStringLiteral("searchBox"));
    m_box->setGeometry(44, 6, 118, 22);
    auto *previous = new PanelButton(QStringLiteral("上一个"), this);
    previous->setObjectName(QStringLiteral("searchPrevious"));
    previous->setGeometry(166, 6, 44, 22);
    auto *next = new PanelButton(QStringLiteral("下一个"), this);
    next->setObjectName(QStringLiteral("searchNext"));
    next->setGeometry(212, 6, 44, 22);
    auto *list = new PanelButton(QStringLiteral("列表"), this);
    list->setObjectName(QStringLiteral("searchList"));
    list->setGeometry(258, 6, 44, 22);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("searchNote"));
    m_note->setGeometry(10, 34, 290, 20);
    m_note->setStyleSheet("color: #000080;");
    for (QWidget *button : {static_cast<QWidget *>(previous), static_cast<QWidget *>(next),
                            static_cast<QWidget *>(list)})
        button->setFocusPolicy(Qt::NoFocus);
    connect(previous, &QPushButton::clicked, this, [this] { emit searchRequested(false); });
    connect(next, &QPushButton::clicked, this, [this] { emit searchRequested(true); });
    connect(list, &QPushButton::clicked, this, &SearchPanel::listRequested);
    hide();
}

void SearchPanel::open()
{
    if (const QWidget *window = parentWidget())
        move(std::max(0, window->width() - width() - 36), 8);
    m_note->clear();
    show();
    raise();
    m_box->setFocus();
    m_box->selectAll();
}

void SearchPanel::openWith(const QString &words)
{
    m_box->setText(words);
    open();
}

QString SearchPanel::needle() const
{
    return m_box->text();
}

void SearchPanel::setNote(const QString &note)
{
    m_note->setText(note);
}

void SearchPanel::keepClearOf(const QRect &area)
{
    const QWidget *window = parentWidget();
    if (!window)
        return;
    const int right = std::max(0, window->width() - width() - 36);
    // Above the page numbers at the foot of the pages.
    const int bottom = std::max(0, window->height() - height() - 40);
    for (const QPoint place : {QPoint(right, 8), QPoint(right, bottom), QPoint(36, 8)}) {
        if (!QRect(place, size()).intersects(area)) {
            move(place);
            return;
        }
    }
}

void SearchPanel::hideEvent(QHideEvent *event)
{
    // Not when the whole window goes to the tray: the prompt is still open then.
    if (!event->spontaneous())
        emit closed();
}

void SearchPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
