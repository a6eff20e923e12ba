// Builds the About box from template 100; everything else is the dialog's default behaviour
// (OK, Esc and the close box end it).
#include "app/CAboutDlg.h"

#include "app/RemarkText.h"
#include "controls/CaptionFont.h"
#include "res/DialogTemplates.h"
#include "res/Resources.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

namespace tessaly {

namespace {

// The remark in a sunken edge: lines broken at carriage returns only, a fixed step so four lines
// fit the frame. The style's own panel keeps all four sides visible on a light dialog face, where
// a bare white lower edge is lost.
class RemarkFrame : public QFrame {
public:
    explicit RemarkFrame(QWidget* parent) : QFrame(parent) {
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        DrawCrText(painter, contentsRect().adjusted(kSidePadding, kTopPadding, -kSidePadding, -kTopPadding),
                   AboutRemarkText(), kLineStep);
    }

private:
    static constexpr int kLineStep = 14;
    // Room between the edge and the text.
    static constexpr int kSidePadding = 4;
    static constexpr int kTopPadding = 2;
};

QLabel* AddStatic(QWidget* parent, const QString& text, res::DuRect du) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The fallback font for "宋体" needs a little more height than the template's eight units.
    QRect r = res::ToPixels(du, res::kSongTi9);
    r.setHeight(std::max(r.height(), label->fontMetrics().lineSpacing() + 3));
    label->setGeometry(r);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    using namespace res::about;
    setWindowTitle(QStringLiteral("关于 Tessaly"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(QFont(kSongTi, 9));
    setFixedSize(res::ToPixels(kSize, res::kSongTi9).size());

    auto* icon = new QLabel(this);
    const QRect iconRect = res::ToPixels(kIcon, res::kSongTi9);
    icon->setGeometry(iconRect.x(), iconRect.y(), 32, 32);
    icon->setPixmap(res::LoadIcon(res::IDR_MAINFRAME).pixmap(32));

    // Tab order follows template order: the statics take no focus, so OK is the one stop.
    AddStatic(this, QStringLiteral("Tessaly V" TESSALY_VERSION), kName)
        ->setObjectName(QStringLiteral("name"));
    AddStatic(this, QStringLiteral("(C) 2008 Tessaly 工作室"), kCopyright);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setGeometry(res::ToPixels(kOk, res::kSongTi9));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* remark = new RemarkFrame(this);
    remark->setObjectName(QStringLiteral("remark"));
    remark->setGeometry(res::ToPixels(kRemark, res::kSongTi9));
    AddStatic(this, QStringLiteral("www.tessaly.cn"), kWeb);
    AddStatic(this, QStringLiteral("Email: help@tessaly.cn"), kEmail);
    ok->setFocus();
}

} // namespace tessaly
