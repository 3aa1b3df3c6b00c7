#include "chartlib/XYChart.h"

#include "chartlib/GifEncoder.h"
#include "chartlib/RenderBuffers.h"
#include "chartlib/ValueFormat.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <cstring>

namespace chartlib {

BaseChart::BaseChart(int width, int height, Color bgColor, Color edgeColor, int raisedEffect)
    : m_width(std::max(1, width))
    , m_height(std::max(1, height))
    , m_bgColor(bgColor)
    , m_edgeColor(edgeColor)
    , m_drawArea(m_width, m_height)
{
    Q_UNUSED(raisedEffect)
}

BaseChart::~BaseChart() = default;

void BaseChart::setBackground(Color bgColor, Color edgeColor, int raisedEffect)
{
    Q_UNUSED(raisedEffect) // flat charts only
    m_bgColor = bgColor;
    m_edgeColor = edgeColor;
    m_cacheValid = false;
}

void BaseChart::invalidate()
{
    m_laidOut = false;
    m_cacheValid = false;
}

void BaseChart::layout()
{
    invalidate();
    doLayout();
    m_laidOut = true;
}

DrawArea *BaseChart::initDynamicLayer()
{
    if (!m_dynamic)
        m_dynamic = std::make_unique<DrawArea>(m_width, m_height);
    else
        m_dynamic->clear();
    return m_dynamic.get();
}

void BaseChart::removeDynamicLayer()
{
    m_dynamic.reset();
}

QString BaseChart::getChartMetrics()
{
    if (!m_laidOut)
        layout();
    QString s = QStringLiteral("chart=%1,%2").arg(m_width).arg(m_height);
    const QString plot = plotMetrics();
    if (!plot.isEmpty())
        s += QLatin1Char(';') + plot;
    return s;
}

QString BaseChart::formatValue(double value, const QString &format) const
{
    if (format.contains(QLatin1Char('{')))
        return expandTemplate(format, value);
    return formatValueWith(value, format);
}

void BaseChart::paintAll(QPainter &p, const ColorPalette &pal, bool withDynamic)
{
    if (!m_laidOut)
        layout();
    const QColor bg = pal.resolve(m_bgColor);
    if (bg.alpha() > 0)
        p.fillRect(QRect(0, 0, m_width, m_height), bg);
    const QColor edge = pal.resolve(m_edgeColor);
    if (edge.alpha() > 0) {
        p.setPen(QPen(edge, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 0.5, m_width - 1, m_height - 1));
    }
    paintContent(p, pal);
    m_drawArea.paint(p, pal);
    if (withDynamic && m_dynamic)
        m_dynamic->paint(p, pal);
}

const QImage &BaseChart::staticImage(const ColorPalette &pal)
{
    if (!m_laidOut)
        layout();
    if (m_cacheValid && m_cacheBg == pal.background && m_cacheText == pal.text && m_cacheLine == pal.line)
        return m_cache;
    // Pixels drawn over whole (the background below covers them or they are
    // cleared), so a kept buffer serves.
    m_cache = detail::pooledImage(m_width, m_height, QImage::Format_ARGB32_Premultiplied);
    m_cache.setDotsPerMeterX(3780);
    m_cache.setDotsPerMeterY(3780);
    // An opaque background covers every pixel anyway.
    if (pal.resolve(m_bgColor).alpha() != 255)
        m_cache.fill(Qt::transparent);
    {
        QPainter p(&m_cache);
        paintAll(p, pal, false);
    }
    m_cacheValid = true;
    m_cacheBg = pal.background;
    m_cacheText = pal.text;
    m_cacheLine = pal.line;
    return m_cache;
}

QImage BaseChart::makeImage()
{
    const ColorPalette pal = ColorPalette::current();
    const QImage &cached = staticImage(pal);
    if (!m_dynamic || m_dynamic->isEmpty())
        return cached;
    // The cached picture stays as it is; the track line goes on a copy.
    QImage img = detail::pooledImage(cached.width(), cached.height(), cached.format());
    std::memcpy(img.bits(), cached.constBits(), size_t(cached.sizeInBytes()));
    img.setDotsPerMeterX(cached.dotsPerMeterX());
    img.setDotsPerMeterY(cached.dotsPerMeterY());
    QPainter p(&img);
    m_dynamic->paint(p, pal);
    p.end();
    return img;
}

void BaseChart::paint(QPainter &painter)
{
    paintAll(painter, ColorPalette::current(), true);
}

namespace {
QImage flattened(const QImage &img, const QColor &under)
{
    QImage out(img.size(), QImage::Format_RGB32);
    out.fill(under);
    QPainter p(&out);
    p.drawImage(0, 0, img);
    return out;
}
} // namespace

QByteArray BaseChart::makeChart(int format)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    const ColorPalette pal = ColorPalette::current();
    switch (format) {
    case Chart::PNG:
        if (!makeImage().save(&buf, "PNG"))
            return QByteArray();
        break;
    case Chart::JPG:
        // No transparency in JPG: what shows behind the chart on screen fills it.
        if (!flattened(makeImage(), pal.background).save(&buf, "JPG", 90))
            return QByteArray();
        break;
    case Chart::BMP:
    case Chart::DisplayImage:
        if (!flattened(makeImage(), pal.background).save(&buf, "BMP"))
            return QByteArray();
        break;
    case Chart::GIF:
        bytes = encodeGif(makeImage());
        break;
    case Chart::SVG: {
        QSvgGenerator gen;
        gen.setOutputDevice(&buf);
        gen.setSize(QSize(m_width, m_height));
        gen.setViewBox(QRect(0, 0, m_width, m_height));
        gen.setResolution(96);
        QPainter p;
        if (!p.begin(&gen))
            return QByteArray();
        paintAll(p, pal, true);
        p.end();
        break;
    }
    case Chart::PDF: {
        QPdfWriter pdf(&buf);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(m_width * 72.0 / 96.0, m_height * 72.0 / 96.0), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter p;
        if (!p.begin(&pdf))
            return QByteArray();
        paintAll(p, pal, true);
        p.end();
        break;
    }
    default:
        return QByteArray();
    }
    return bytes;
}

bool BaseChart::makeChart(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    int format = -1;
    if (ext == QLatin1String("png"))
        format = Chart::PNG;
    else if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        format = Chart::JPG;
    else if (ext == QLatin1String("gif"))
        format = Chart::GIF;
    else if (ext == QLatin1String("bmp"))
        format = Chart::BMP;
    else if (ext == QLatin1String("svg"))
        format = Chart::SVG;
    else if (ext == QLatin1String("pdf"))
        format = Chart::PDF;
    if (format < 0)
        return false;
    const QByteArray bytes = makeChart(format);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace chartlib
