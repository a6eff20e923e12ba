// Helpers for the application's widget tests: a scratch start-up directory, answering the next
// message box, and a receiver that records the posted messages a window sends.
#pragma once

#include "download/page/PageMessages.h"
#include "ui/PostedMessage.h"

#include <QDir>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <functional>

namespace tessaly::test {

// Makes a fresh temporary folder the current directory and loads the settings there, so
// config.ini and VDOWNLOAD/ land in it. Restores the previous directory when it goes.
class ScratchStartDir {
public:
    ScratchStartDir();
    ~ScratchStartDir();
    QString path() const { return m_dir.path(); }
    QString downloadFolder() const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// What a message box showed before it was answered.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Hands the next modal widget to take() until take() accepts one (returns true), for up to 30 s.
void WhenModalShows(std::function<bool(QWidget*)> take);
// Answers the next modal message box with button (as soon as it shows) and records it into seen.
// Returns at once; the box is answered from the event loop of whatever runs it.
void AnswerNextBox(QMessageBox::StandardButton button, SeenBox* seen);
// Closes the next modal dialog of type T (via reject) once it shows; records its title.
void RejectNextDialog(const char* className, QString* title);

// The font files mapped into this process whose names say they hold a bold face.
QStringList MappedBoldFaces();

// A stand-in main window: records every message posted to it, in arrival order.
class MessageLog : public QObject {
public:
    using Messages = MainWindowMessages;
    QVector<Messages> entries;

    // How many messages of type M arrived.
    template <typename M> int Count() const {
        int n = 0;
        for (const Messages& e : entries)
            n += std::holds_alternative<M>(e);
        return n;
    }
    // The sum of the deltas of the messages of type M.
    template <typename M> qint64 SumDelta() const {
        qint64 sum = 0;
        for (const Messages& e : entries)
            if (const auto* m = std::get_if<M>(&e))
                sum += m->delta;
        return sum;
    }

protected:
    bool event(QEvent* event) override;
};

} // namespace tessaly::test
