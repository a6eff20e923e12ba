// The movie's picture: frames converted to RGB on the UI thread, drawn by one image node.
#include "player/VideoPicture.h"

#include "player/FrameImage.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <memory>
#include <utility>

namespace tessaly {
namespace {

// The image node with the texture it shows: the texture goes with the node, on the thread that
// renders.
class PictureNode : public QSGNode {
public:
    explicit PictureNode(QSGImageNode* image) : m_image(image) {
        m_image->setFlag(OwnedByParent);
        m_image->setFiltering(QSGTexture::Linear);
        appendChildNode(m_image);
    }
    QSGImageNode* image() const { return m_image; }
    void setTexture(QSGTexture* texture) {
        m_image->setTexture(texture);
        m_texture.reset(texture);
    }

private:
    QSGImageNode* m_image;
    std::unique_ptr<QSGTexture> m_texture;
};

} // namespace

VideoPicture::VideoPicture(QQuickItem* parent) : QQuickItem(parent) {
    setFlag(ItemHasContents);
    // The pipeline's thread leaves the frame here and the UI thread converts and draws it; frames
    // that come faster than the UI thread takes them replace each other.
    connect(&m_sink, &QVideoSink::videoFrameChanged, this, &VideoPicture::FrameArrived, Qt::DirectConnection);
}

void VideoPicture::FrameArrived(const QVideoFrame& frame) {
    QMutexLocker lock(&m_arrivedLock);
    m_arrived = frame;
    if (!m_takePosted) {
        m_takePosted = true;
        QMetaObject::invokeMethod(this, &VideoPicture::TakeFrame, Qt::QueuedConnection);
    }
}

void VideoPicture::TakeFrame() {
    QVideoFrame frame;
    {
        QMutexLocker lock(&m_arrivedLock);
        frame = std::exchange(m_arrived, QVideoFrame());
        m_takePosted = false;
    }
    if (!frame.isValid())
        return;
    m_picture = FrameImage(frame, std::move(m_picture));
    m_pictureDirty = true;
    update();
}

void VideoPicture::clear() {
    m_sink.setVideoFrame(QVideoFrame());
    {
        QMutexLocker lock(&m_arrivedLock);
        m_arrived = QVideoFrame();
    }
    m_picture = QImage();
    m_pictureDirty = true;
    update();
}

QRectF VideoPicture::pictureRect() const {
    if (m_picture.isNull())
        return {};
    const QSizeF fitted = QSizeF(m_picture.size()).scaled(size(), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

QSGNode* VideoPicture::updatePaintNode(QSGNode* node, UpdatePaintNodeData*) {
    if (m_picture.isNull() || window() == nullptr) {
        delete node;
        return nullptr;
    }
    auto* picture = static_cast<PictureNode*>(node);
    if (picture == nullptr) {
        picture = new PictureNode(window()->createImageNode());
        m_pictureDirty = true;
    }
    if (m_pictureDirty) {
        picture->setTexture(window()->createTextureFromImage(m_picture));
        m_pictureDirty = false;
    }
    picture->image()->setRect(pictureRect());
    return picture;
}

} // namespace tessaly
