// The player control: hosts the movie (a QML document) and carries the page's calls into it
// (CallFunction) and the movie's calls out (FlashCall). UI thread only.
#pragma once

#include <QQuickView>
#include <QString>
#include <QWidget>

class QQuickItem;

namespace tessaly {

class MovieInterface;

class CShockwaveflash1 : public QWidget {
    Q_OBJECT
public:
    explicit CShockwaveflash1(QWidget* parent = nullptr);
    ~CShockwaveflash1() override;

    // The movie property: the movie is read from the local file soon after, without the caller
    // waiting; a control on screen is drawn first. A missing or broken file leaves the control
    // empty; load errors are reported once, when loading.
    void put_Movie(const QString& path);
    QString get_Movie() const { return m_movie; }

    // Loading from put_Movie until the movie has been read; then Ready or Error.
    QQuickView::Status status() const;
    // The ready state of a movie read whole, its functions in place.
    static constexpr int kReadyStateComplete = 4;
    // The movie's root item, or null while there is none.
    QQuickItem* rootObject() const;
    // The window the movie draws in, or null before the first movie is read.
    QQuickView* movieWindow() const { return m_view; }

    // Calls the movie function the request names with its string arguments and returns the
    // movie's answer as a value text ("<string>..</string>", "<number>..</number>", "<true/>",
    // "<null/>", "<undefined/>" ...). A movie not yet read is read first. Returns an empty text,
    // quietly, when the request cannot be read, no movie is loaded or the movie has no such function.
    QString CallFunction(const QString& request);

signals:
    // A call from the movie, as a request text; the receiver handles it before the movie goes on.
    void FlashCall(const QString& request);
    // 0 loading, 1 uninitialised (no movie or a broken one), 4 complete.
    void OnReadyStateChange(int newState);

protected:
    // Reads the movie on its posted load request, once a control on screen has been drawn.
    bool event(QEvent* event) override;
    // A hidden control's movie lets its media pipeline go, and the memory it held is given back
    // soon after; shown again, the movie takes its film back. A minimised window is no hiding.
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Paints black under the movie; the first painting asks again for a load that waited for it.
    void paintEvent(QPaintEvent* event) override;
    // The keyboard goes into the movie: Tab and Backtab into the control reach the movie's first
    // and last control, and past them leave the movie for the widgets around it.
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AskToLoad();
    void LoadMovie();
    // Calls one of the movie's own functions that takes no argument, if a movie is there.
    void CallMovieFunction(const char* name);
    // Gives the keyboard to the widget before (forward false) or after the control.
    void LeaveMovie(bool forward);

    QString m_movie;
    // The movie draws in a window of its own inside the control, so the main window keeps its
    // native window and its plain drawing. Made with the first movie; owned by m_container.
    QQuickView* m_view = nullptr;
    QWidget* m_container = nullptr;
    // The movie engine's ExternalInterface, owned by the engine; null before the first movie.
    MovieInterface* m_interface = nullptr;
    bool m_loadPending = false;
    bool m_painted = false;
};

} // namespace tessaly
