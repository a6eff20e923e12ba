// The player page: hosts the player control with its movie, hands it the file to play, pauses it
// when the page is hidden and answers the movie's requests for a file dialog and the file list.
// A child page of the main window; UI thread only.
#pragma once

#include "player/CShockwaveflash1.h"
#include "player/PlayerMessages.h"
#include "res/DialogTemplates.h"
#include "ui/PostedMessage.h"

#include <QString>
#include <QWidget>

namespace tessaly {

class AppSettings;

class VideoPlayDlg : public QWidget {
    Q_OBJECT
public:
    // Template 132 in dialog units, font "MS Shell Dlg" 8 pt: the page and its one control.
    static constexpr res::DuRect kTemplateSize{0, 0, 371, 282};
    static constexpr res::DuRect kFlashRect{20, 35, 330, 236};
    static constexpr int IDC_FLASH = 1008;
    // What it takes as posted messages: WM_PLAYER_OPEN.
    using Messages = PlayerMessages;

    // Created hidden, as its template says; loads the movie from the start-up directory that
    // settings holds. The page reads settings for as long as it lives.
    explicit VideoPlayDlg(AppSettings& settings, QWidget* parent = nullptr);

    CShockwaveflash1& flash() { return m_wndFlash; }

    // Calls the movie; its answer is not looked at, and a failed call is quietly dropped.
    void CallMovie(const QString& request);
    void PauseMovie();

protected:
    // Takes WM_PLAYER_OPEN: the file to play goes to the movie as soon as it can be seen playing,
    // which being shown or enabled again may make it.
    bool event(QEvent* event) override;
    // Labels and buttons without an id get no background: the page shows through them.
    void childEvent(QChildEvent* event) override;
    // Draws the heading and the panel under the control; the main window's skin shows around them.
    void paintEvent(QPaintEvent* event) override;
    // Hidden as a page (not with its window minimised), it pauses the movie.
    void hideEvent(QHideEvent* event) override;

private:
    void OnPlayerOpen();
    void OnFlashCall(const QString& request);
    void OnReadyStateChange(int newState);
    void OnOpenRequest();
    void OnListRequest();
    void DeliverPendingCall();

    AppSettings& m_settings;
    CShockwaveflash1 m_wndFlash;
    // The "openFlv" request for the file to play, kept until the movie has been read whole and
    // the page can be seen playing; a newer one replaces one not yet delivered.
    QString m_strPendingCall;
};

} // namespace tessaly
