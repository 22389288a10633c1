#include "statisticspanel.h"

#include "statisticschart.h"
#include "widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tibbo::window {

namespace {

QLabel *navyLabel(const QString &text, QWidget *parent, bool bold = false)
{
    auto *label = new QLabel(text, parent);
    label->setStyleSheet(bold ? "color: #000080; font-weight: bold;" : "color: #000080;");
    return label;
}

} // namespace

StatisticsPanel::StatisticsPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statisticsPanel"));
    hide();
}

// Made when the panel first opens: its bold captions and the book table's header would
// otherwise open the bold face of the page font at start, for a panel many sessions never
// show (about 2.5 MiB of font pages and FreeType's tables).
void StatisticsPanel::makeContents()
{
    if (m_books)
        return;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 6, 10, 10);
    layout->setSpacing(4);

    auto *header = new QHBoxLayout;
    header->addWidget(navyLabel(QStringLiteral("阅读统计"), this, true));
    header->addStretch();
    auto *close = new PanelButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("statisticsClose"));
    close->setFixedSize(44, 20);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    header->addWidget(close);
    layout->addLayout(header);

    auto *figures = new QGridLayout;
    figures->setHorizontalSpacing(10);
    figures->setVerticalSpacing(2);
    m_today = navyLabel(QString(), this);
    m_today->setObjectName(QStringLiteral("statisticsToday"));
    m_thisWeek = navyLabel(QString(), this);
    m_thisWeek->setObjectName(QStringLiteral("statisticsThisWeek"));
    m_speed = navyLabel(QString(), this);
    m_speed->setObjectName(QStringLiteral("statisticsSpeed"));
    figures->addWidget(navyLabel(QStringLiteral("今天"), this, true), 0, 0);
    figures->addWidget(m_today, 0, 1);
    figures->addWidget(navyLabel(QStringLiteral("本周"), this, true), 1, 0);
    figures->addWidget(m_thisWeek, 1, 1);
    figures->addWidget(navyLabel(QStringLiteral("读速"), this, true), 2, 0);
    figures->addWidget(m_speed, 2, 1);
    figures->setColumnStretch(1, 1);
    layout->addLayout(figures);

    layout->addWidget(navyLabel(QStringLiteral("最近 30 天每天读书的时间"), this, true));
    m_chart = new StatisticsChart(this);
    layout->addWidget(m_chart, 2);

    layout->addWidget(navyLabel(QStringLiteral("每一本书"), this, true));
    m_books = new QTreeWidget(this);
    m_books->setObjectName(QStringLiteral("statisticsBooks"));
    m_books->setColumnCount(4);
    m_books->setHeaderLabels({QStringLiteral("书名"), QStringLiteral("时间"),
                              QStringLiteral("字数"), QStringLiteral("每分钟")});
    m_books->setRootIsDecorated(false);
    m_books->setUniformRowHeights(true);
    m_books->setSelectionMode(QAbstractItemView::NoSelection);
    m_books->setFocusPolicy(Qt::NoFocus);
    m_books->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_books->setTextElideMode(Qt::ElideRight);
    m_books->header()->setStretchLastSection(false);
    m_books->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column : {1, 2, 3})
        m_books->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    m_books->setStyleSheet("QTreeWidget { background: white; border: 1px solid #3050c0; }"
                           "QHeaderView::section { background: #e8ecff; color: #000080;"
                           " border: none; border-bottom: 1px solid #3050c0; padding: 1px 4px; }");
    layout->addWidget(m_books, 3);
}

void StatisticsPanel::open()
{
    makeContents();
    const QString reading = QStringLiteral("正在读取...");
    for (QLabel *label : {m_today, m_thisWeek, m_speed})
        label->setText(reading);
    m_chart->setDays({}, QDate::currentDate());
    m_books->clear();
    // As large as it reads well, as small as the window needs.
    if (const QWidget *window = parentWidget()) {
        resize(std::min(440, window->width() - 20), std::min(360, window->height() - 20));
        move((window->width() - width()) / 2, (window->height() - height()) / 2);
    }
    show();
    raise();
    setFocus();
}

void StatisticsPanel::showFigures(const Figures &figures)
{
    makeContents();
    m_today->setText(figures.today);
    m_thisWeek->setText(figures.thisWeek);
    m_speed->setText(figures.speed);
    m_chart->setDays(figures.lastDays, figures.firstDay);
    m_books->clear();
    for (const Figures::Book &book : figures.books) {
        auto *item =
            new QTreeWidgetItem(m_books, {book.name, book.time, book.characters, book.speed});
        item->setToolTip(0, book.name);
        for (int column : {1, 2, 3})
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (figures.books.empty())
        new QTreeWidgetItem(m_books, {QStringLiteral("还没有读书的记录")});
}

void StatisticsPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
