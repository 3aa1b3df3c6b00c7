#include "chartlib/RenderBuffers.h"

#include <QMutex>

#include <deque>
#include <memory>

namespace chartlib {
namespace detail {

namespace {

struct Buffer
{
    explicit Buffer(size_t n)
        : bytes(new uchar[n])
        , size(n)
    {
    }
    std::unique_ptr<uchar[]> bytes;
    size_t size;
};

// A few idle buffers: a chart's picture, its navigator's, and the pictures
// with a track line that the viewer still shows while the next is drawn.
constexpr size_t MaxIdle = 6;

struct Pool
{
    QMutex mutex;
    std::deque<Buffer *> idle; // the most recently returned last
};

Pool &pool()
{
    // Never destroyed: an image may outlive static destruction.
    static Pool *p = new Pool;
    return *p;
}

void giveBack(void *info)
{
    auto *buffer = static_cast<Buffer *>(info);
    Pool &p = pool();
    Buffer *dropped = nullptr;
    {
        QMutexLocker lock(&p.mutex);
        p.idle.push_back(buffer);
        if (p.idle.size() > MaxIdle) {
            dropped = p.idle.front();
            p.idle.pop_front();
        }
    }
    delete dropped;
}

Buffer *take(size_t size)
{
    Pool &p = pool();
    {
        QMutexLocker lock(&p.mutex);
        for (auto it = p.idle.rbegin(); it != p.idle.rend(); ++it)
            if ((*it)->size == size) {
                Buffer *b = *it;
                p.idle.erase(std::next(it).base());
                return b;
            }
    }
    return new Buffer(size);
}

} // namespace

QImage pooledImage(int width, int height, QImage::Format format)
{
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = ((qsizetype(width) * depth + 31) / 32) * 4;
    Buffer *buffer = take(size_t(bytesPerLine) * size_t(height));
    QImage image(buffer->bytes.get(), width, height, bytesPerLine, format, giveBack, buffer);
    if (image.isNull())
        giveBack(buffer);
    return image;
}

LineScratch &lineScratch()
{
    thread_local LineScratch scratch;
    return scratch;
}

} // namespace detail
} // namespace chartlib
