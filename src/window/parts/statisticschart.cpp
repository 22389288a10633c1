#include "statisticschart.h"

#include "widgets.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tibbo::window {

namespace {

const QColor kNavyText(0, 0, 128);
const QColor kBar(0x30, 0x50, 0xC0);
const QColor kToday(0xE0, 0x60, 0x80);

// The top of the scale: a round number of minutes at or above the most read in a day.
double scaleTop(double most)
{
    for (double step : {10.0, 30.0, 60.0, 120.0, 180.0, 240.0, 360.0, 480.0, 720.0, 1440.0})
        if (most <= step)
            return step;
    return std::ceil(most / 60) * 60;
}

QString minutesCaption(double minutes)
{
    return minutes >= 60 && std::fmod(minutes, 60) == 0 ? QStringLiteral("%1小时").arg(minutes / 60)
                                                        : QStringLiteral("%1分钟").arg(minutes);
}

} // namespace

StatisticsChart::StatisticsChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("statisticsChart"));
    setMinimumHeight(80);
}

void StatisticsChart::setDays(std::vector<double> minutes, QDate firstDay)
{
    m_minutes = std::move(minutes);
    m_firstDay = firstDay;
    update();
}

void StatisticsChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font());
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();
    const double most =
        m_minutes.empty() ? 0 : *std::max_element(m_minutes.begin(), m_minutes.end());
    const double top = scaleTop(most);
    const QString topCaption = minutesCaption(top);
    const int axisWidth = metrics.horizontalAdvance(topCaption) + 6;
    // The plot: the scale at the left, the dates under it.
    const QRectF plot(axisWidth, textHeight / 2.0, width() - axisWidth - 2,
                      height() - textHeight * 1.5 - 4);

    p.setPen(QPen(kNavyText, 1));
    p.drawText(QRectF(0, 0, axisWidth - 4, textHeight), Qt::AlignRight | Qt::AlignVCenter,
               topCaption);
    p.drawText(QRectF(0, plot.bottom() - textHeight / 2.0, axisWidth - 4, textHeight),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    // A light line at the top of the scale and the base line.
    p.setPen(QPen(QColor(0x30, 0x50, 0xC0, 60), 1, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), plot.top()), QPointF(plot.right(), plot.top()));
    p.setPen(QPen(kNavyText, 1));
    p.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.right(), plot.bottom()));

    const auto count = static_cast<int>(m_minutes.size());
    if (count == 0)
        return;
    const double pitch = plot.width() / count;
    const double barWidth = std::max(2.0, pitch * 0.7);
    for (int i = 0; i < count; ++i) {
        const double minutes = m_minutes[static_cast<size_t>(i)];
        if (minutes <= 0)
            continue;
        // A day with a little reading still shows a sliver.
        const double h = std::max(2.0, plot.height() * minutes / top);
        const QRectF bar(plot.left() + i * pitch + (pitch - barWidth) / 2, plot.bottom() - h,
                         barWidth, h);
        p.setPen(Qt::NoPen);
        p.setBrush(i == count - 1 ? kToday : kBar);
        p.drawRoundedRect(bar, 1.5, 1.5);
    }
    // The first day, every Monday after it as a small mark, and today.
    p.setPen(QPen(kNavyText, 1));
    const double labelTop = plot.bottom() + 2;
    for (int i = 0; i < count; ++i) {
        const QDate day = m_firstDay.addDays(i);
        if (i > 0 && i < count - 1 && day.dayOfWeek() == Qt::Monday)
            p.drawLine(QPointF(plot.left() + (i + 0.5) * pitch, plot.bottom()),
                       QPointF(plot.left() + (i + 0.5) * pitch, plot.bottom() + 3));
    }
    p.drawText(QRectF(plot.left(), labelTop, plot.width() / 2, textHeight),
               Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("%1月%2日").arg(m_firstDay.month()).arg(m_firstDay.day()));
    p.drawText(QRectF(plot.center().x(), labelTop, plot.width() / 2, textHeight),
               Qt::AlignRight | Qt::AlignTop, QStringLiteral("今天"));
}

} // namespace tibbo::window
