// The player movie, shipped next to the program as "plsys.dll". The page calls its functions
// openFlv(path), pauseMv() and getList(list) through ExternalInterface; the movie asks the page
// for a file dialog and for the list of downloaded files. Both sides know these calls by the names
// MovieCalls gives.
pragma ComponentBehavior: Bound
import QtQuick
import QtMultimedia
import Tessaly.Movie

Rectangle {
    id: movie

    // What is playing, for the host to read.
    readonly property int position: film.position
    readonly property int duration: film.duration
    readonly property bool playing: player.playbackState === MediaPlayer.PlayingState
    readonly property string message: messageBox.visible ? messageText.text : ""
    property string currentFile: ""
    property var playlist: []

    width: 495
    height: 383
    color: "black"
    // The keys of a player: Space plays and pauses, the arrows seek by 5 seconds (left, right)
    // and set the volume (up, down), M mutes; Tab walks the controls.
    focus: true
    Accessible.role: Accessible.Pane
    Accessible.name: "视频播放器"
    Keys.onPressed: event => {
        event.accepted = true
        switch (event.key) {
        case Qt.Key_Space:
            togglePlaying()
            break
        case Qt.Key_Left:
            seekBy(-5000)
            break
        case Qt.Key_Right:
            seekBy(5000)
            break
        case Qt.Key_Up:
            setVolume(audio.volume + 0.1)
            break
        case Qt.Key_Down:
            setVolume(audio.volume - 0.1)
            break
        case Qt.Key_M:
            audio.muted = !audio.muted
            break
        default:
            event.accepted = false
        }
    }

    // The film's times in milliseconds, as the player reports them.
    QtObject {
        id: film
        property int position: 0
        property int duration: 0
    }

    // A local path as a file URL; every segment is encoded so "#", "?", "%" and spaces survive.
    // A relative path is taken from the movie's own folder, the program's start-up directory.
    function fileUrl(path) {
        const encoded = path.split("/").map(encodeURIComponent).join("/")
        return path.startsWith("/") ? "file://" + encoded : Qt.resolvedUrl(encoded)
    }

    function baseName(path) {
        return path.substring(path.lastIndexOf("/") + 1)
    }

    function timeText(ms) {
        let s = Math.max(0, Math.floor(ms / 1000))
        const h = Math.floor(s / 3600)
        const m = Math.floor(s % 3600 / 60)
        s = s % 60
        const two = n => (n < 10 ? "0" : "") + n
        return (h > 0 ? h + ":" + two(m) : two(m)) + ":" + two(s)
    }

    function showMessage(text) {
        messageText.text = text
        messageBox.visible = true
    }

    // A missing or unreadable file: say so in the picture area and stay ready for the next one.
    function cannotPlay() {
        player.stop()
        showMessage("无法播放该文件：" + baseName(currentFile))
    }

    function openFlv(path) {
        path = String(path)
        messageBox.visible = false
        listPanel.visible = false
        if (path.length === 0) {
            player.stop()
            showMessage("没有指定要播放的文件")
            return
        }
        currentFile = path
        parkedFile = ""
        resumePosition = -1
        // A fresh source even for the same path, so a file written again is read again.
        player.source = ""
        player.source = fileUrl(path)
        player.play()
    }

    function hasFilm() {
        return String(player.source) !== ""
    }

    function togglePlaying() {
        if (movie.playing)
            player.pause()
        else if (hasFilm())
            player.play()
    }

    function seekBy(ms) {
        if (player.seekable && film.duration > 0)
            player.setPosition(Math.max(0, Math.min(film.duration, film.position + ms)))
    }

    function setVolume(v) {
        audio.volume = Math.max(0, Math.min(1, Math.round(v * 10) / 10))
        audio.muted = false
    }

    function pauseMv() {
        if (player.playbackState === MediaPlayer.PlayingState)
            player.pause()
    }

    // A hidden movie holds no media pipeline and no decoded frames: a program that sits open for
    // hours on its download page should not keep a paused video's decoders. The file is let go
    // when the page is hidden and opened again, paused where it stood, when the page shows (the
    // control calls park and unpark).
    property string parkedFile: ""
    property int parkedPosition: 0
    property int resumePosition: -1

    function park() {
        if (!hasFilm())
            return
        parkedFile = currentFile
        // A film that has run to its end comes back at its start, ready to play again.
        parkedPosition = player.mediaStatus === MediaPlayer.EndOfMedia ? 0 : film.position
        resumePosition = -1
        player.source = ""
        video.clear()
    }

    function unpark() {
        if (parkedFile === "")
            return
        const path = parkedFile
        parkedFile = ""
        resumePosition = parkedPosition
        player.source = fileUrl(path)
        player.pause()
    }

    // The page's list: absolute paths joined by "|"; a lone "|" means no files.
    function getList(list) {
        playlist = String(list).split("|").filter(p => p.length > 0)
        listPanel.visible = true
    }

    Component.onCompleted: {
        ExternalInterface.addCallback(MovieCalls.openFlv, path => openFlv(path))
        ExternalInterface.addCallback(MovieCalls.pauseMv, () => pauseMv())
        ExternalInterface.addCallback(MovieCalls.getList, list => getList(list))
    }

    MediaPlayer {
        id: player
        videoOutput: video
        audioOutput: AudioOutput {
            id: audio
            volume: 0.8
        }
        onErrorOccurred: (error, errorString) => movie.cannotPlay()
        onMediaStatusChanged: {
            if (mediaStatus === MediaPlayer.InvalidMedia)
                movie.cannotPlay()
        }
        onSeekableChanged: {
            if (player.seekable && movie.resumePosition >= 0) {
                player.setPosition(movie.resumePosition)
                movie.resumePosition = -1
            }
        }
        onPositionChanged: position => film.position = position
        onDurationChanged: duration => film.duration = duration
    }

    // The picture, fitted with its aspect kept.
    VideoPicture {
        id: video
        anchors.left: movie.left
        anchors.right: movie.right
        anchors.top: movie.top
        anchors.bottom: controls.top
    }

    Text {
        anchors.centerIn: video
        visible: !movie.hasFilm() && !messageBox.visible && !listPanel.visible
        text: "请打开视频文件"
        color: "#8a9bb0"
        font.pixelSize: 16
    }

    Rectangle {
        id: messageBox
        visible: false
        anchors.centerIn: video
        width: Math.min(video.width - 40, messageText.implicitWidth + 32)
        height: messageText.implicitHeight + 20
        radius: 4
        color: "#cc202830"
        border.color: "#5a7896"
        Text {
            id: messageText
            anchors.fill: parent
            anchors.margins: 10
            color: "white"
            font.pixelSize: 13
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideMiddle
        }
        MouseArea {
            anchors.fill: parent
            onClicked: messageBox.visible = false
        }
    }

    // A light frame marks the control that has the keyboard: it reads on the dark bar.
    component FocusMark: Rectangle {
        anchors.fill: parent
        anchors.margins: -2
        radius: 4
        color: "transparent"
        border.color: "#ffd54f"
        border.width: 1
    }

    component Button: Rectangle {
        id: button
        property alias text: label.text
        property bool checked: false
        signal clicked
        width: label.implicitWidth + 14
        height: 22
        radius: 3
        color: area.pressed ? "#174a7c" : (area.containsMouse || checked) ? "#2f78c4" : "#1f5c99"
        activeFocusOnTab: true
        Accessible.role: Accessible.Button
        Accessible.name: text
        Accessible.onPressAction: clicked()
        Keys.onSpacePressed: clicked()
        Keys.onReturnPressed: clicked()
        Keys.onEnterPressed: clicked()
        FocusMark {
            visible: button.activeFocus
        }
        Text {
            id: label
            anchors.centerIn: parent
            color: "white"
            font.pixelSize: 12
        }
        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            onClicked: button.clicked()
        }
    }

    // A horizontal bar with a value from 0 to 1 that the user drags or clicks.
    // From the keyboard, left and right move it by step.
    component Bar: Item {
        id: bar
        property real value: 0
        property bool enabledBar: true
        property real step: 0.05
        // Its range, as a screen reader reads it.
        readonly property real minimumValue: 0
        readonly property real maximumValue: 1
        signal moved(real value)
        function stepBy(steps) {
            moved(Math.max(0, Math.min(1, value + steps * step)))
        }
        height: 16
        activeFocusOnTab: true
        Accessible.role: Accessible.Slider
        Accessible.focusable: true
        Accessible.onIncreaseAction: stepBy(1)
        Accessible.onDecreaseAction: stepBy(-1)
        Keys.onLeftPressed: stepBy(-1)
        Keys.onRightPressed: stepBy(1)
        FocusMark {
            visible: bar.activeFocus
        }
        Rectangle {
            id: track
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width
            height: 4
            radius: 2
            color: "#4b5866"
            Rectangle {
                width: track.width * Math.max(0, Math.min(1, bar.value))
                height: parent.height
                radius: 2
                color: "#4aa3ef"
            }
        }
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            x: track.width * Math.max(0, Math.min(1, bar.value)) - width / 2
            width: 10
            height: 10
            radius: 5
            color: bar.enabledBar ? "white" : "#8a9bb0"
        }
        MouseArea {
            anchors.fill: parent
            enabled: bar.enabledBar
            function report(x) { bar.moved(Math.max(0, Math.min(1, x / width))) }
            onPressed: mouse => report(mouse.x)
            onPositionChanged: mouse => report(mouse.x)
        }
    }

    Rectangle {
        id: controls
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 32
        color: "#18212b"

        Row {
            id: leftGroup
            anchors.left: parent.left
            anchors.leftMargin: 5
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6
            Button {
                objectName: "playButton"
                text: movie.playing ? "暂停" : "播放"
                onClicked: movie.togglePlaying()
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                text: movie.timeText(film.position) + " / " + movie.timeText(film.duration)
                color: "white"
                font.pixelSize: 12
            }
        }

        Bar {
            id: seekBar
            anchors.left: leftGroup.right
            anchors.right: rightGroup.left
            anchors.leftMargin: 10
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            enabledBar: player.seekable && film.duration > 0
            value: film.duration > 0 ? film.position / film.duration : 0
            step: film.duration > 0 ? Math.min(1, 5000 / film.duration) : 0
            Accessible.name: "播放进度"
            onMoved: v => {
                if (enabledBar)
                    player.setPosition(Math.round(v * film.duration))
            }
        }

        Row {
            id: rightGroup
            anchors.right: parent.right
            anchors.rightMargin: 5
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6
            Button {
                objectName: "muteButton"
                text: "静音"
                checked: audio.muted
                onClicked: audio.muted = !audio.muted
            }
            Bar {
                anchors.verticalCenter: parent.verticalCenter
                objectName: "volumeBar"
                width: 56
                value: audio.volume
                step: 0.1
                Accessible.name: "音量"
                onMoved: v => movie.setVolume(v)
            }
            Button {
                objectName: "openButton"
                text: "打开"
                onClicked: ExternalInterface.call(MovieCalls.chooseFile)
            }
            Button {
                objectName: "listButton"
                text: "列表"
                checked: listPanel.visible
                onClicked: {
                    if (listPanel.visible)
                        listPanel.visible = false
                    else
                        ExternalInterface.call(MovieCalls.listFiles)
                }
            }
        }
    }

    Rectangle {
        id: listPanel
        visible: false
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: controls.top
        width: Math.min(220, parent.width / 2)
        // Opaque: a message behind the list must not show through its rows.
        color: "#141c24"

        Accessible.role: Accessible.Pane
        Accessible.name: listTitle.text
        Text {
            id: listTitle
            x: 8
            y: 6
            text: "播放列表"
            Accessible.role: Accessible.Heading
            Accessible.name: text
            color: "white"
            font.pixelSize: 13
        }
        Text {
            anchors.centerIn: parent
            visible: movie.playlist.length === 0
            text: "没有找到视频文件"
            color: "#8a9bb0"
            font.pixelSize: 12
        }
        // From the keyboard: up and down pick an entry, Enter plays it.
        ListView {
            id: entries
            anchors.fill: parent
            anchors.topMargin: 28
            clip: true
            model: movie.playlist
            activeFocusOnTab: true
            keyNavigationEnabled: true
            Accessible.role: Accessible.List
            Accessible.name: listTitle.text
            function playCurrent() {
                if (currentIndex >= 0)
                    movie.openFlv(movie.playlist[currentIndex])
            }
            Keys.onReturnPressed: playCurrent()
            Keys.onEnterPressed: playCurrent()
            delegate: Rectangle {
                id: entry
                required property string modelData
                required property int index
                objectName: "entry" + index
                width: ListView.view.width
                height: 22
                color: entryArea.containsMouse ? "#2f78c4" : modelData === movie.currentFile ? "#1f5c99" : "transparent"
                Accessible.role: Accessible.ListItem
                Accessible.name: movie.baseName(modelData)
                Accessible.selected: ListView.isCurrentItem
                FocusMark {
                    anchors.margins: 1
                    visible: entries.activeFocus && entry.index === entries.currentIndex
                }
                Text {
                    anchors.fill: parent
                    anchors.leftMargin: 8
                    anchors.rightMargin: 8
                    verticalAlignment: Text.AlignVCenter
                    text: movie.baseName(entry.modelData)
                    color: "white"
                    font.pixelSize: 12
                    elide: Text.ElideMiddle
                }
                MouseArea {
                    id: entryArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: movie.openFlv(entry.modelData)
                }
            }
        }
    }
}
