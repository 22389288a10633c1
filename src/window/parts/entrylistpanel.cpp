#include "entrylistpanel.h"

#include "widgets.h"

#include <QAbstractItemModel>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tibbo::window {

namespace {

// A row: the title in small grey-blue letters over the text line, whose marked part is
// bold on a blue band. Each line is cut with "…" at the right when it is too long.
class EntryRowDelegate : public QStyledItemDelegate
{
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        const QFontMetrics metrics(option.font);
        return {option.rect.width(), 2 * metrics.height() + 8};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        painter->save();
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, QColor(0xff, 0xe0, 0xe8));
        const QRect area = option.rect.adjusted(6, 3, -6, -3);
        const QFontMetrics metrics(option.font);
        const int lineHeight = metrics.height();

        QFont titleFont = option.font;
        titleFont.setPointSizeF(titleFont.pointSizeF() > 0 ? titleFont.pointSizeF() * 0.9
                                                           : titleFont.pointSizeF());
        painter->setFont(titleFont);
        painter->setPen(QColor(0x30, 0x50, 0x90));
        const QString title = index.data(EntryListPanel::TitleRole).toString();
        painter->drawText(QRect(area.left(), area.top(), area.width(), lineHeight),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(titleFont).elidedText(title, Qt::ElideRight, area.width()));

        // The text line: before, marked, after, each as far as the row has room.
        QFont markedFont = option.font;
        markedFont.setBold(true);
        const QFontMetrics markedMetrics(markedFont);
        const QString parts[] = {index.data(EntryListPanel::TextBeforeRole).toString(),
                                 index.data(EntryListPanel::MarkedTextRole).toString(),
                                 index.data(EntryListPanel::TextAfterRole).toString()};
        const int top = area.top() + lineHeight + 2;
        int x = area.left();
        for (int part = 0; part < 3 && x < area.right(); ++part) {
            const bool marked = part == 1;
            const QFontMetrics &partMetrics = marked ? markedMetrics : metrics;
            const int room = area.right() - x;
            const QString shown = partMetrics.elidedText(parts[part], Qt::ElideRight, room);
            const int width = partMetrics.horizontalAdvance(shown);
            const QRect box(x, top, width, lineHeight);
            if (marked)
                painter->fillRect(box, QColor(60, 120, 240, 85));
            painter->setFont(marked ? markedFont : option.font);
            painter->setPen(Qt::black);
            painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, shown);
            x += width;
            if (shown != parts[part])
                break;
        }
        painter->restore();
    }
};

} // namespace

EntryListPanel::EntryListPanel(const QString &name, QWidget *parent) : QWidget(parent), m_name(name)
{
    setObjectName(name + QStringLiteral("Panel"));
    resize(380, 420);
    hide();
}

// The list is made when it is first opened: most readings never open it.
void EntryListPanel::build()
{
    m_caption = new QLabel(this);
    m_caption->setObjectName(m_name + QStringLiteral("Caption"));
    m_caption->setGeometry(12, 6, width() - 80, 20);
    m_caption->setStyleSheet("color: #000080; font-weight: bold;");
    auto *close = new PanelButton(QStringLiteral("关闭"), this);
    close->setObjectName(m_name + QStringLiteral("Close"));
    close->setGeometry(width() - 54, 5, 44, 20);
    m_list = new QListView(this);
    m_list->setObjectName(m_name);
    m_list->setGeometry(10, 30, width() - 20, height() - 40);
    // Every row is as high as the first: the view never asks 100,000 rows for their size.
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setItemDelegate(new EntryRowDelegate(m_list));
    m_list->setStyleSheet("QListView { background: white; border: 1px solid #3050c0; }");
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    const auto choose = [this](const QModelIndex &index) {
        hide();
        emit rowChosen(index.row());
    };
    connect(m_list, &QListView::clicked, this, choose);
    connect(m_list, &QListView::activated, this, choose);
}

void EntryListPanel::open(const QString &caption, QAbstractItemModel *model, int current)
{
    if (!m_list)
        build();
    m_caption->setText(caption);
    if (m_list->model() != model)
        m_list->setModel(model);
    if (const QWidget *window = parentWidget()) {
        resize(std::min(380, window->width() - 20), std::min(420, window->height() - 20));
        m_caption->setGeometry(12, 6, width() - 80, 20);
        findChild<PanelButton *>(m_name + QStringLiteral("Close"))
            ->setGeometry(width() - 54, 5, 44, 20);
        m_list->setGeometry(10, 30, width() - 20, height() - 40);
        move((window->width() - width()) / 2, std::max(0, (window->height() - height()) / 2));
    }
    show();
    raise();
    if (current >= 0 && current < model->rowCount()) {
        const QModelIndex index = model->index(current, 0);
        m_list->setCurrentIndex(index);
        m_list->scrollTo(index, QAbstractItemView::PositionAtCenter);
    } else {
        m_list->scrollToTop();
    }
    m_list->setFocus();
}

int EntryListPanel::selectedRow() const
{
    return m_list && m_list->currentIndex().isValid() ? m_list->currentIndex().row() : -1;
}

void EntryListPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
