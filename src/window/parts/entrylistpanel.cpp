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

constexpr QSize kPanelSize(380, 420);

// A row: the title in small grey-blue letters over the text line, whose marked part is
// bold on a band (the row's own colour, or blue), and with a note line the note in dark
// grey under it. A row that cannot be chosen is all grey. Each line is cut with "…" at the
// right when it is too long.
class EntryRowDelegate : public QStyledItemDelegate
{
  public:
    EntryRowDelegate(EntryListPanel::Lines lines, QObject *parent)
        : QStyledItemDelegate(parent), m_lines(lines)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        const QFontMetrics metrics(option.font);
        const int count = m_lines == EntryListPanel::Lines::WithNote ? 3 : 2;
        return {option.rect.width(), count * metrics.height() + 2 * (count - 1) + 6};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        painter->save();
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, QColor(0xff, 0xe0, 0xe8));
        const bool enabled = option.state & QStyle::State_Enabled;
        const QColor textColour = enabled ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80);
        const QRect area = option.rect.adjusted(6, 3, -6, -3);
        const QFontMetrics metrics(option.font);
        const int lineHeight = metrics.height();

        // A font sized in pixels has no point size (-1): it is left as it is.
        QFont titleFont = option.font;
        if (titleFont.pointSizeF() > 0)
            titleFont.setPointSizeF(titleFont.pointSizeF() * 0.9);
        painter->setFont(titleFont);
        painter->setPen(enabled ? QColor(0x30, 0x50, 0x90) : textColour);
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
        const QVariant band = index.data(EntryListPanel::MarkColourRole);
        const QColor bandColour =
            band.canConvert<QColor>() ? band.value<QColor>() : QColor(60, 120, 240, 85);
        const int top = area.top() + lineHeight + 2;
        int x = area.left();
        for (int part = 0; part < 3 && x < area.right(); ++part) {
            const bool marked = part == 1;
            const QFontMetrics &partMetrics = marked ? markedMetrics : metrics;
            const int room = area.right() - x;
            const QString shown = partMetrics.elidedText(parts[part], Qt::ElideRight, room);
            const int width = partMetrics.horizontalAdvance(shown);
            const QRect box(x, top, width, lineHeight);
            if (marked && enabled)
                painter->fillRect(box, bandColour);
            painter->setFont(marked ? markedFont : option.font);
            painter->setPen(textColour);
            painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter, shown);
            x += width;
            if (shown != parts[part])
                break;
        }

        if (m_lines == EntryListPanel::Lines::WithNote) {
            const QString note = index.data(EntryListPanel::NoteRole).toString();
            painter->setFont(option.font);
            painter->setPen(enabled ? QColor(0x50, 0x50, 0x50) : textColour);
            painter->drawText(QRect(area.left(), top + lineHeight + 2, area.width(), lineHeight),
                              Qt::AlignLeft | Qt::AlignVCenter,
                              metrics.elidedText(note, Qt::ElideRight, area.width()));
        }
        painter->restore();
    }

  private:
    EntryListPanel::Lines m_lines;
};

} // namespace

EntryListPanel::EntryListPanel(const QString &name, Lines lines, QWidget *parent)
    : QWidget(parent), m_name(name), m_lines(lines)
{
    setObjectName(name + QStringLiteral("Panel"));
    resize(kPanelSize);
    hide();
}

QAbstractButton *EntryListPanel::addAction(const QString &caption, const QString &name,
                                           std::function<void()> chosen)
{
    auto *button = new PanelButton(caption, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, [chosen = std::move(chosen)] { chosen(); });
    m_actions.push_back(button);
    return button;
}

// The list is made when it is first opened: most readings never open it.
void EntryListPanel::build()
{
    m_caption = new QLabel(this);
    m_caption->setObjectName(m_name + QStringLiteral("Caption"));
    m_caption->setStyleSheet("color: #000080; font-weight: bold;");
    m_close = new PanelButton(QStringLiteral("关闭"), this);
    m_close->setObjectName(m_name + QStringLiteral("Close"));
    m_list = new QListView(this);
    m_list->setObjectName(m_name);
    // Every row is as high as the first: the view never asks 100,000 rows for their size.
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setItemDelegate(new EntryRowDelegate(m_lines, m_list));
    m_list->setStyleSheet("QListView { background: white; border: 1px solid #3050c0; }");
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    const auto choose = [this](const QModelIndex &index) {
        if (!(index.flags() & Qt::ItemIsEnabled))
            return;
        hide();
        emit rowChosen(index.row());
    };
    connect(m_list, &QListView::clicked, this, choose);
    connect(m_list, &QListView::activated, this, choose);
}

// The caption and 关闭 along the top, the list, and the buttons of the panel's user along
// the foot, from the right.
void EntryListPanel::layOut()
{
    const int W = width(), H = height();
    m_caption->setGeometry(12, 6, W - 80, 20);
    m_close->setGeometry(W - 54, 5, 44, 20);
    const int foot = m_actions.empty() ? 0 : 30;
    m_list->setGeometry(10, 30, W - 20, H - 40 - foot);
    int right = W - 10;
    for (auto it = m_actions.rbegin(); it != m_actions.rend(); ++it) {
        const int buttonWidth = std::max(60, (*it)->sizeHint().width() + 12);
        (*it)->setGeometry(right - buttonWidth, H - 32, buttonWidth, 22);
        right -= buttonWidth + 6;
    }
}

void EntryListPanel::open(const QString &caption, QAbstractItemModel *model, int current)
{
    if (!m_list)
        build();
    m_caption->setText(caption);
    if (m_list->model() != model)
        m_list->setModel(model);
    if (const QWidget *window = parentWidget()) {
        resize(std::min(kPanelSize.width(), window->width() - 20),
               std::min(kPanelSize.height(), window->height() - 20));
        move((window->width() - width()) / 2, std::max(0, (window->height() - height()) / 2));
    }
    layOut();
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
