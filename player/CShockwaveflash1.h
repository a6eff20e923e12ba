// The player control: hosts the movie (a QML document) and carries the page's calls into it
// (CallFunction) and the movie's calls out (FlashCall). UI thread only.
#pragma once

#include "player/MovieInterface.h"

#include <QQuickWidget>
#include <QString>

namespace tessaly {

class CShockwaveflash1 : public QQuickWidget {
    Q_OBJECT
public:
    explicit CShockwaveflash1(QWidget* parent = nullptr);
    ~CShockwaveflash1() override;

    // The movie property: loads the movie from a local file. A missing or broken file leaves
    // the control empty; load errors are reported once, when loading.
    void put_Movie(const QString& path);
    QString get_Movie() const { return m_movie; }

    // Calls the movie function the request names with its string arguments and returns the
    // movie's answer as a value text ("<string>..</string>", "<number>..</number>", "<true/>",
    // "<null/>", "<undefined/>" ...). Returns an empty text, quietly, when the request cannot be
    // read, no movie is loaded or the movie has no such function.
    QString CallFunction(const QString& request);

protected:
    // A hidden movie lets its media pipeline go; the memory it held is given back soon after.
    void hideEvent(QHideEvent* event) override;

signals:
    // A call from the movie, as a request text; the receiver handles it before the movie goes on.
    void FlashCall(const QString& request);
    // 0 loading, 1 uninitialised (no movie or a broken one), 4 complete.
    void OnReadyStateChange(int newState);

private:
    MovieInterface m_interface;
    QString m_movie;
};

} // namespace tessaly
