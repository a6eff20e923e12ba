// The movie's picture: frames converted to RGB on the UI thread, drawn by one image node.
#include "player/VideoPicture.h"

#include "player/FrameImage.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <memory>

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
    // Queued: the pipeline's thread hands the frame over, the UI thread converts and draws it.
    connect(&m_sink, &QVideoSink::videoFrameChanged, this, &VideoPicture::TakeFrame, Qt::QueuedConnection);
}

void VideoPicture::TakeFrame(const QVideoFrame& frame) {
    // Frames queued behind a newer one are passed over: only the sink's latest is drawn.
    if (!frame.isValid() || frame != m_sink.videoFrame())
        return;
    m_picture = FrameImage(frame);
    m_pictureDirty = true;
    update();
}

void VideoPicture::clear() {
    m_sink.setVideoFrame(QVideoFrame());
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
