// Builds the About box from template 100; everything else is the dialog's default behaviour
// (OK, Esc and the close box end it).
#include "app/CAboutDlg.h"

#include "app/RemarkText.h"
#include "res/DialogTemplates.h"
#include "res/Resources.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace tessaly {

namespace {

QLabel* AddStatic(QWidget* parent, const QString& text, res::DuRect du) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(res::ToPixels(du, res::kSongTi9));
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    using namespace res::about;
    setWindowTitle(QStringLiteral("关于 Tessaly"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFixedSize(res::ToPixels(kSize, res::kSongTi9).size());

    auto* icon = new QLabel(this);
    const QRect iconRect = res::ToPixels(kIcon, res::kSongTi9);
    icon->setGeometry(iconRect.x(), iconRect.y(), 32, 32);
    icon->setPixmap(res::LoadIcon(res::IDR_MAINFRAME).pixmap(32));

    // Tab order follows template order: the statics take no focus, so OK is the one stop.
    AddStatic(this, QStringLiteral("Tessaly V1.3"), kName)->setObjectName(QStringLiteral("name"));
    AddStatic(this, QStringLiteral("Copyright (C) 2008 Tessaly 工作室"), kCopyright);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setGeometry(res::ToPixels(kOk, res::kSongTi9));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    QLabel* remark = AddStatic(this, AboutRemarkText().replace(QLatin1Char('\r'), QLatin1Char('\n')), kRemark);
    remark->setObjectName(QStringLiteral("remark"));
    remark->setWordWrap(true);
    remark->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    AddStatic(this, QStringLiteral("http://www.tessaly.net"), kWeb);
    AddStatic(this, QStringLiteral("Email: support@tessaly.net"), kEmail);
    ok->setFocus();
}

} // namespace tessaly
