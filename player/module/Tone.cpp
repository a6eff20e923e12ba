// Plays a tone through Qt Multimedia: the samples are made once per call and played from a buffer
// that the sink owns, so nothing outlives the tone.
#include "player/module/Tone.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QtMath>

namespace tessaly {

void PlayTone(int hz, int ms) {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QAudioFormat format;
    format.setSampleRate(8000);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isNull() || !device.isFormatSupported(format)) {
        QApplication::beep();
        return;
    }
    const int samples = format.sampleRate() * ms / 1000;
    QByteArray pcm(samples * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<qint16*>(pcm.data());
    for (int i = 0; i < samples; ++i)
        out[i] = static_cast<qint16>(12000 * qSin(2 * M_PI * hz * i / format.sampleRate()));

    auto* sink = new QAudioSink(device, format, qApp);
    auto* buffer = new QBuffer(sink);
    buffer->setData(pcm);
    buffer->open(QIODevice::ReadOnly);
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [sink](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState)
            sink->deleteLater();
    });
    sink->start(buffer);
}

} // namespace tessaly
