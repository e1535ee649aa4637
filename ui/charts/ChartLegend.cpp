#include "ui/charts/ChartLegend.h"

#include <QChart>
#include <QGridLayout>
#include <QLabel>
#include <QLegend>
#include <QPainter>
#include <QXYSeries>

using namespace Qt::StringLiterals;

namespace {
QPixmap Swatch(const QColor &colour, int size)
{
    QPixmap pixmap(size * 2, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(colour, 3));
    p.drawLine(1, size / 2, size * 2 - 2, size / 2);
    return pixmap;
}
} // namespace

TChartLegend::TChartLegend(QChart *chart, QWidget *parent)
    : QWidget(parent), m_chart(chart), m_layout(new QGridLayout(this))
{
    setObjectName(u"ChartLegend"_s);
    m_layout->setContentsMargins(8, 2, 8, 2);
    m_layout->setHorizontalSpacing(6);
    m_layout->setVerticalSpacing(2);
    m_layout->setColumnStretch(1, 1);
    chart->legend()->hide();
}

void TChartLegend::refresh()
{
    while (QLayoutItem *item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const int size = fontMetrics().height();
    int row = 0;
    for (QAbstractSeries *series : m_chart->series()) {
        if (series->name().isEmpty())
            continue;
        auto *xy = qobject_cast<QXYSeries *>(series);
        auto *swatch = new QLabel(this);
        swatch->setPixmap(Swatch(xy ? xy->pen().color() : palette().color(QPalette::Text), size));
        auto *text = new QLabel(series->name(), this);
        text->setObjectName(u"lblLegend%1"_s.arg(row));
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_layout->addWidget(swatch, row, 0, Qt::AlignTop);
        m_layout->addWidget(text, row, 1);
        ++row;
    }
    setVisible(row > 0);
}

QStringList TChartLegend::titles() const
{
    QStringList result;
    for (int row = 0; row < m_layout->rowCount(); ++row)
        if (QLayoutItem *item = m_layout->itemAtPosition(row, 1))
            if (auto *label = qobject_cast<QLabel *>(item->widget()))
                result << label->text();
    return result;
}
