#pragma once
// The bar chart of the statistics panel: the minutes read on each of the last days, the
// oldest at the left and today at the right, drawn in the colours of the bubble's panels.

#include <QDate>
#include <QWidget>

#include <vector>

namespace tibbo::window {

class StatisticsChart : public QWidget
{
    Q_OBJECT
  public:
    explicit StatisticsChart(QWidget *parent);

    // Minutes read a day, the first of them on `firstDay`.
    void setDays(std::vector<double> minutes, QDate firstDay);
    const std::vector<double> &days() const { return m_minutes; }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    std::vector<double> m_minutes;
    QDate m_firstDay;
};

} // namespace tibbo::window
