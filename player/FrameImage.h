// A decoded video frame as an RGB picture, converted on the CPU: the movie draws its video without
// OpenGL, and Qt's own conversion would make an OpenGL context for it. Any thread.
#pragma once

#include <QImage>
#include <QVideoFrame>

namespace tessaly {

// The frame's picture at the frame's own size; a null image for a frame that cannot be read or
// whose pixel format is none of the planar and semi-planar 4:2:0 ones or the packed RGB ones.
// A 4:2:0 frame is drawn into reuse when that has the frame's size and no other holder, so a
// video's pictures do not each take new memory.
QImage FrameImage(const QVideoFrame& frame, QImage reuse = {});

} // namespace tessaly
