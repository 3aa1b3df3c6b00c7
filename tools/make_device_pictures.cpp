// Draws the model pictures of the device selection dialog into
// _resources/devices/. Run from the repository root after building with:
//   g++ -std=c++17 -fPIC tools/make_device_pictures.cpp -o /tmp/make_device_pictures \
//       $(pkg-config --cflags --libs Qt5Gui)
//   QT_QPA_PLATFORM=offscreen /tmp/make_device_pictures
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

enum Shape { Meter, Analyser, Recorder, Transducer };

struct Picture
{
    const char *file;
    const char *label; // the models that show this picture

    Shape shape;
    QColor body;
};

const int side = 200;

void label(QPainter &p, const QString &text, const QColor &color)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    for (int size = 26; size > 12; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(text) <= side - 8)
            break;
    }
    p.setFont(font);
    p.setPen(color);
    p.drawText(QRect(0, 160, side, 36), Qt::AlignCenter, text);
}

QLinearGradient bodyGradient(const QRectF &r, const QColor &c)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(1, c.darker(130));
    return g;
}

// Panel meter: square front with a digital display and three keys.
void drawMeter(QPainter &p, const QColor &c)
{
    const QRectF body(30, 10, 140, 140);
    p.setPen(QPen(c.darker(170), 3));
    p.setBrush(bodyGradient(body, c));
    p.drawRoundedRect(body, 10, 10);
    const QRectF display(45, 28, 110, 60);
    p.setBrush(QColor(30, 45, 35));
    p.drawRoundedRect(display, 4, 4);
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(120, 255, 150));
    p.drawText(display.adjusted(0, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("230.4"));
    p.setPen(QPen(c.darker(170), 2));
    p.setBrush(QColor(235, 235, 235));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(65 + i * 35, 118), 10, 10);
}

// Analyser: wide front with a screen showing a sine wave and a key row.
void drawAnalyser(QPainter &p, const QColor &c)
{
    const QRectF body(12, 20, 176, 130);
    p.setPen(QPen(c.darker(170), 3));
    p.setBrush(bodyGradient(body, c));
    p.drawRoundedRect(body, 12, 12);
    const QRectF screen(26, 32, 148, 82);
    p.setBrush(QColor(20, 30, 60));
    p.drawRect(screen);
    p.setPen(QPen(QColor(80, 90, 130), 1));
    p.drawLine(QPointF(screen.left(), screen.center().y()), QPointF(screen.right(), screen.center().y()));
    QPainterPath wave;
    for (int x = 0; x <= int(screen.width()); ++x) {
        const QPointF pt(screen.left() + x, screen.center().y() - 28 * qSin(x / screen.width() * 4 * M_PI));
        if (x == 0)
            wave.moveTo(pt);
        else
            wave.lineTo(pt);
    }
    p.setPen(QPen(QColor(255, 220, 60), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    p.setPen(QPen(c.darker(170), 2));
    p.setBrush(QColor(235, 235, 235));
    for (int i = 0; i < 5; ++i)
        p.drawRoundedRect(QRectF(30 + i * 29, 124, 22, 14), 3, 3);
}

// Recorder: tall box with a paper chart and status lamps.
void drawRecorder(QPainter &p, const QColor &c)
{
    const QRectF body(35, 8, 130, 145);
    p.setPen(QPen(c.darker(170), 3));
    p.setBrush(bodyGradient(body, c));
    p.drawRoundedRect(body, 8, 8);
    const QRectF paper(50, 22, 100, 85);
    p.setBrush(QColor(250, 248, 235));
    p.drawRect(paper);
    p.setPen(QPen(QColor(200, 200, 190), 1));
    for (int i = 1; i < 5; ++i)
        p.drawLine(QPointF(paper.left(), paper.top() + i * 17), QPointF(paper.right(), paper.top() + i * 17));
    QPainterPath trace;
    const double ys[] = {70, 55, 62, 40, 48, 30, 52, 45, 60, 38, 42};
    for (int i = 0; i < 11; ++i) {
        const QPointF pt(paper.left() + i * 10, ys[i] + 10);
        if (i == 0)
            trace.moveTo(pt);
        else
            trace.lineTo(pt);
    }
    p.setPen(QPen(QColor(200, 30, 30), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);
    const QColor lamps[] = {QColor(60, 200, 60), QColor(250, 190, 30), QColor(220, 50, 50)};
    p.setPen(QPen(c.darker(170), 2));
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(70 + i * 30, 130), 8, 8);
    }
}

// Transducer: narrow rail module with terminal rows top and bottom.
void drawTransducer(QPainter &p, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 150, 155));
    p.drawRect(QRectF(10, 72, 180, 18)); // mounting rail
    const QRectF body(60, 8, 80, 146);
    p.setPen(QPen(c.darker(170), 3));
    p.setBrush(bodyGradient(body, c));
    p.drawRoundedRect(body, 6, 6);
    p.setBrush(QColor(70, 70, 75));
    for (int i = 0; i < 3; ++i) {
        p.drawRect(QRectF(68 + i * 23, 16, 18, 16));
        p.drawRect(QRectF(68 + i * 23, 130, 18, 16));
    }
    p.setBrush(QColor(235, 235, 235));
    for (int i = 0; i < 3; ++i) {
        p.drawEllipse(QPointF(77 + i * 23, 24), 4, 4);
        p.drawEllipse(QPointF(77 + i * 23, 138), 4, 4);
    }
    p.setBrush(QColor(60, 200, 60));
    p.drawEllipse(QPointF(100, 60), 6, 6);
    p.setBrush(QColor(245, 245, 240));
    p.drawRect(QRectF(72, 80, 56, 36));
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const Picture pictures[] = {
        {"ZelDX", "ZelDX", Analyser, QColor(40, 110, 170)},
        {"ZelC", "ZelC / ZelD", Analyser, QColor(60, 150, 110)},
        {"ZelB", "ZelB", Meter, QColor(70, 120, 190)},
        {"Vanta", "Vanta", Meter, QColor(150, 80, 160)},
        {"Ostra", "Ostra", Meter, QColor(200, 110, 40)},
        {"ZelA", "ZelA", Meter, QColor(90, 160, 190)},
        {"QuilA", "QuilA / B / C", Recorder, QColor(60, 130, 90)},
        {"Brena", "Brena", Recorder, QColor(170, 60, 60)},
        {"MoxA", "MoxA", Recorder, QColor(90, 90, 170)},
        {"MoxB", "MoxB", Recorder, QColor(40, 140, 160)},
        {"WexB", "WexB / WexD", Transducer, QColor(80, 130, 200)},
        {"WexA", "WexA", Transducer, QColor(200, 150, 40)},
        {"WexC", "WexC", Transducer, QColor(120, 170, 70)},
        {"Ravel", "Ravel", Transducer, QColor(180, 80, 120)},
    };
    for (const Picture &pic : pictures) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        switch (pic.shape) {
        case Meter: drawMeter(p, pic.body); break;
        case Analyser: drawAnalyser(p, pic.body); break;
        case Recorder: drawRecorder(p, pic.body); break;
        case Transducer: drawTransducer(p, pic.body); break;
        }
        label(p, QString::fromLatin1(pic.label), pic.body.darker(150));
        p.end();
        image.save(QStringLiteral("_resources/devices/%1.png").arg(QLatin1String(pic.file)));
    }
    return 0;
}
