// The movie's picture of the video (VideoPicture in the Tessaly.Movie module): a Qt Quick item
// that a media player draws into through the item's video sink, shown fitted into the item with its
// aspect kept. It draws on Qt Quick's software renderer, so a movie on screen needs no OpenGL. UI
// thread; the sink may be handed frames on the media pipeline's threads.
#pragma once

#include <QImage>
#include <QMutex>
#include <QQuickItem>
#include <QVideoFrame>
#include <QVideoSink>
#include <QtQml/qqmlregistration.h>

namespace tessaly {

class VideoPicture : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT
public:
    explicit VideoPicture(QQuickItem* parent = nullptr);

    // A media player's video output finds the sink by this name.
    Q_INVOKABLE QVideoSink* videoSink() { return &m_sink; }
    // Lets go of the last frame and the picture made from it: a hidden movie holds no video.
    Q_INVOKABLE void clear();

    // Where the picture lies in the item, fitted with its aspect kept; empty without a picture.
    QRectF pictureRect() const;

protected:
    QSGNode* updatePaintNode(QSGNode* node, UpdatePaintNodeData*) override;

private:
    // On whichever thread the sink is handed a frame.
    void FrameArrived(const QVideoFrame& frame);
    // On the UI thread.
    void TakeFrame();

    QVideoSink m_sink;
    // The newest frame not yet taken, and whether the UI thread has been asked to take it.
    QMutex m_arrivedLock;
    QVideoFrame m_arrived;
    bool m_takePosted = false;
    QImage m_picture;
    bool m_pictureDirty = false;
};

} // namespace tessaly
