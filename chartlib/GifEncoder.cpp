#include "chartlib/GifEncoder.h"

#include <QHash>
#include <QImage>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace chartlib {

namespace {

void putWord(QByteArray &out, int v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

// Packs variable-width codes least significant bit first into 255-byte sub-blocks.
class BitWriter
{
public:
    explicit BitWriter(QByteArray &out)
        : m_out(out)
    {
    }
    void write(int code, int bits)
    {
        m_acc |= quint32(code) << m_nbits;
        m_nbits += bits;
        while (m_nbits >= 8) {
            pushByte(char(m_acc & 0xFF));
            m_acc >>= 8;
            m_nbits -= 8;
        }
    }
    void finish()
    {
        if (m_nbits > 0)
            pushByte(char(m_acc & 0xFF));
        m_acc = 0;
        m_nbits = 0;
        flushBlock();
        m_out.append(char(0)); // block terminator
    }

private:
    void pushByte(char b)
    {
        m_block.append(b);
        if (m_block.size() == 255)
            flushBlock();
    }
    void flushBlock()
    {
        if (m_block.isEmpty())
            return;
        m_out.append(char(m_block.size()));
        m_out.append(m_block);
        m_block.clear();
    }
    QByteArray &m_out;
    QByteArray m_block;
    quint32 m_acc = 0;
    int m_nbits = 0;
};

void lzwEncode(QByteArray &out, const std::vector<quint8> &pixels, int minCodeSize)
{
    out.append(char(minCodeSize));
    BitWriter bw(out);
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    int codeSize = minCodeSize + 1;
    int nextCode = endCode + 1;
    std::unordered_map<quint32, int> table;
    table.reserve(8192);

    bw.write(clearCode, codeSize);
    if (pixels.empty()) {
        bw.write(endCode, codeSize);
        bw.finish();
        return;
    }
    int prefix = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const quint8 k = pixels[i];
        const quint32 key = (quint32(prefix) << 8) | k;
        const auto it = table.find(key);
        if (it != table.end()) {
            prefix = it->second;
            continue;
        }
        bw.write(prefix, codeSize);
        if (nextCode < 4096) {
            table.emplace(key, nextCode);
            // The decoder widens one code later than the encoder adds the entry.
            if (nextCode == (1 << codeSize) && codeSize < 12)
                ++codeSize;
            ++nextCode;
        } else {
            bw.write(clearCode, codeSize);
            table.clear();
            codeSize = minCodeSize + 1;
            nextCode = endCode + 1;
        }
        prefix = k;
    }
    bw.write(prefix, codeSize);
    bw.write(endCode, codeSize);
    bw.finish();
}

int channel(QRgb c, int ch)
{
    return ch == 0 ? qRed(c) : ch == 1 ? qGreen(c) : qBlue(c);
}

// Splits the colours into at most `boxes` boxes, each split at the weighted
// median of its widest channel, and appends each box's weighted mean.
void medianCut(std::vector<std::pair<int, QRgb>> &colours, int boxes, std::vector<QRgb> &palette)
{
    struct Box
    {
        size_t begin, end;
        int widest, range;
    };
    auto measure = [&](size_t b, size_t e) {
        int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
        for (size_t i = b; i < e; ++i)
            for (int ch = 0; ch < 3; ++ch) {
                lo[ch] = std::min(lo[ch], channel(colours[i].second, ch));
                hi[ch] = std::max(hi[ch], channel(colours[i].second, ch));
            }
        Box box{b, e, 0, -1};
        for (int ch = 0; ch < 3; ++ch)
            if (hi[ch] - lo[ch] > box.range) {
                box.range = hi[ch] - lo[ch];
                box.widest = ch;
            }
        return box;
    };
    std::vector<Box> list{measure(0, colours.size())};
    while (int(list.size()) < boxes) {
        auto it = std::max_element(list.begin(), list.end(), [](const Box &a, const Box &b) {
            return (a.end - a.begin > 1 ? a.range : -1) < (b.end - b.begin > 1 ? b.range : -1);
        });
        if (it->end - it->begin < 2 || it->range <= 0)
            break;
        const Box box = *it;
        const int ch = box.widest;
        std::sort(colours.begin() + long(box.begin), colours.begin() + long(box.end),
                  [ch](const auto &a, const auto &b) { return channel(a.second, ch) < channel(b.second, ch); });
        long total = 0;
        for (size_t i = box.begin; i < box.end; ++i)
            total += colours[i].first;
        long acc = 0;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            acc += colours[i].first;
            split = i + 1;
            if (acc * 2 >= total)
                break;
        }
        *it = measure(box.begin, split);
        list.push_back(measure(split, box.end));
    }
    for (const Box &box : list) {
        double r = 0, g = 0, b = 0, w = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            const double n = colours[i].first;
            r += qRed(colours[i].second) * n;
            g += qGreen(colours[i].second) * n;
            b += qBlue(colours[i].second) * n;
            w += n;
        }
        if (w > 0)
            palette.push_back(qRgb(int(r / w + 0.5), int(g / w + 0.5), int(b / w + 0.5)));
    }
}

} // namespace

QByteArray encodeGif(const QImage &image)
{
    if (image.isNull() || image.width() > 65535 || image.height() > 65535)
        return QByteArray();
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width();
    const int h = img.height();

    // Colour census; mostly transparent pixels share one index.
    QHash<QRgb, int> counts;
    bool hasTransparent = false;
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) < 128)
                hasTransparent = true;
            else
                ++counts[line[x] | 0xFF000000u];
        }
    }
    const int maxColours = hasTransparent ? 255 : 256;
    std::vector<std::pair<int, QRgb>> byCount;
    byCount.reserve(size_t(counts.size()));
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        byCount.emplace_back(it.value(), it.key());
    std::sort(byCount.begin(), byCount.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });

    std::vector<QRgb> palette;
    if (int(byCount.size()) <= maxColours) {
        for (const auto &e : byCount)
            palette.push_back(e.second);
    } else {
        // Charts are mostly a few flat colours: keep the most frequent exactly,
        // and cover the rest (anti-aliased edges, gradients) by median cut.
        const int exact = maxColours / 2;
        for (int i = 0; i < exact; ++i)
            palette.push_back(byCount[size_t(i)].second);
        std::vector<std::pair<int, QRgb>> rest(byCount.begin() + exact, byCount.end());
        medianCut(rest, maxColours - exact, palette);
    }
    const int paletteColours = int(palette.size());
    const int transparentIndex = hasTransparent ? paletteColours : -1;
    if (hasTransparent)
        palette.push_back(0xFFFFFFFFu);
    if (palette.empty())
        palette.push_back(0xFF000000u);
    int bits = 1;
    while ((1 << bits) < int(palette.size()))
        ++bits;
    const int tableSize = 1 << bits;

    QHash<QRgb, int> indexOf;
    for (int i = 0; i < paletteColours; ++i)
        indexOf.insert(palette[size_t(i)], i);
    auto nearest = [&](QRgb c) {
        const auto found = indexOf.constFind(c);
        if (found != indexOf.constEnd())
            return found.value();
        int best = 0;
        long bestD = -1;
        for (int i = 0; i < paletteColours; ++i) {
            const QRgb p = palette[size_t(i)];
            const long dr = qRed(p) - qRed(c), dg = qGreen(p) - qGreen(c), db = qBlue(p) - qBlue(c);
            const long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
            if (bestD < 0 || d < bestD) {
                bestD = d;
                best = i;
            }
        }
        indexOf.insert(c, best);
        return best;
    };

    std::vector<quint8> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x];
            pixels[size_t(y) * size_t(w) + size_t(x)] =
                quint8(qAlpha(c) < 128 ? transparentIndex : nearest(c | 0xFF000000u));
        }
    }

    QByteArray out("GIF89a");
    putWord(out, w);
    putWord(out, h);
    out.append(char(0x80 | 0x70 | (bits - 1))); // global table, 8-bit source colours
    out.append(char(0));                         // background index
    out.append(char(0));                         // pixel aspect
    for (int i = 0; i < tableSize; ++i) {
        const QRgb c = i < int(palette.size()) ? palette[size_t(i)] : 0u;
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    if (transparentIndex >= 0) {
        out.append(char(0x21));
        out.append(char(0xF9));
        out.append(char(4));
        out.append(char(0x01));
        putWord(out, 0);
        out.append(char(transparentIndex));
        out.append(char(0));
    }
    out.append(char(0x2C));
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, w);
    putWord(out, h);
    out.append(char(0));
    lzwEncode(out, pixels, std::max(2, bits));
    out.append(char(0x3B));
    return out;
}

} // namespace chartlib
