// Draws the preview's scaling: load time against bookmark count, the program beside the
// floor, on logarithmic axes with a line of slope one (linear growth) for reference.
//
//   vbench-plot INPUT.csv OUTPUT.png
//
// INPUT has a header line, then "entries,vantrelle_ms,floor_ms" per size.

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct Point {
    double entries;
    double program;
    double floor;
};

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: vbench-plot INPUT.csv OUTPUT.png\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return 1;
    QTextStream text(&in);
    text.readLine();
    QList<Point> points;
    while (!text.atEnd()) {
        const QStringList f = text.readLine().split(u',');
        if (f.size() >= 3)
            points.append({f[0].toDouble(), f[1].toDouble(), f[2].toDouble()});
    }
    if (points.isEmpty())
        return 1;

    const int w = 720;
    const int h = 480;
    const QRectF area(80, 40, w - 110, h - 110);
    double lo = 1e300;
    double hi = 0;
    for (const Point &p : points) {
        lo = std::min({lo, p.program, p.floor});
        hi = std::max({hi, p.program, p.floor});
    }
    const double yMin = std::pow(10, std::floor(std::log10(lo)));
    const double yMax = std::pow(10, std::ceil(std::log10(hi)));
    const double xMin = std::pow(10, std::floor(std::log10(points.first().entries)));
    const double xMax = std::pow(10, std::ceil(std::log10(points.last().entries)));
    const auto x = [&](double v) {
        return area.left() + area.width() * std::log10(v / xMin) / std::log10(xMax / xMin);
    };
    const auto y = [&](double v) {
        return area.bottom() - area.height() * std::log10(v / yMin) / std::log10(yMax / yMin);
    };

    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);

    p.setPen(QColor(225, 225, 225));
    for (double v = xMin; v <= xMax * 1.001; v *= 10)
        p.drawLine(QPointF(x(v), area.top()), QPointF(x(v), area.bottom()));
    for (double v = yMin; v <= yMax * 1.001; v *= 10)
        p.drawLine(QPointF(area.left(), y(v)), QPointF(area.right(), y(v)));
    p.setPen(Qt::black);
    p.drawRect(area);
    for (double v = xMin; v <= xMax * 1.001; v *= 10)
        p.drawText(QRectF(x(v) - 50, area.bottom() + 4, 100, 18), Qt::AlignHCenter,
            QString::number(v, 'f', 0));
    for (double v = yMin; v <= yMax * 1.001; v *= 10)
        p.drawText(QRectF(0, y(v) - 9, area.left() - 6, 18), Qt::AlignRight | Qt::AlignVCenter,
            QString::number(v, 'g', 6));
    p.drawText(QRectF(area.left(), h - 40, area.width(), 18), Qt::AlignHCenter,
        QStringLiteral("bookmarks in the file"));
    p.save();
    p.translate(16, area.center().y());
    p.rotate(-90);
    p.drawText(
        QRectF(-120, -9, 240, 18), Qt::AlignHCenter, QStringLiteral("load time, ms (median)"));
    p.restore();
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(0, 10, w, 20), Qt::AlignHCenter,
        QStringLiteral("Preview load time: LoadBookmark to load finished"));
    font.setBold(false);
    p.setFont(font);

    // Linear growth through the floor's first point.
    const Point &first = points.first();
    QPen dashed(QColor(150, 150, 150), 1, Qt::DashLine);
    p.setPen(dashed);
    const double k = first.floor / first.entries;
    p.drawLine(QPointF(x(first.entries), y(first.floor)),
        QPointF(x(points.last().entries), y(k * points.last().entries)));

    const auto series = [&](auto value, const QColor &colour) {
        QPainterPath path;
        for (qsizetype i = 0; i < points.size(); ++i) {
            const QPointF at(x(points[i].entries), y(value(points[i])));
            if (i == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
        }
        p.setPen(QPen(colour, 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        p.setBrush(colour);
        for (const Point &pt : points)
            p.drawEllipse(QPointF(x(pt.entries), y(value(pt))), 4, 4);
    };
    const QColor programColour(200, 60, 40);
    const QColor floorColour(40, 90, 200);
    series([](const Point &pt) { return pt.floor; }, floorColour);
    series([](const Point &pt) { return pt.program; }, programColour);

    const QPointF legend(area.left() + 14, area.top() + 14);
    const auto entry = [&](int row, const QPen &pen, const QString &label) {
        const double ly = legend.y() + row * 20;
        p.setPen(pen);
        p.drawLine(QPointF(legend.x(), ly), QPointF(legend.x() + 26, ly));
        p.setPen(Qt::black);
        p.drawText(QPointF(legend.x() + 34, ly + 5), label);
    };
    entry(0, QPen(programColour, 2), QStringLiteral("Vantrelle preview (TPreviewForm)"));
    entry(1, QPen(floorColour, 2), QStringLiteral("floor: bare QWebEngineView"));
    entry(2, dashed, QStringLiteral("linear growth"));
    p.end();
    return image.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
