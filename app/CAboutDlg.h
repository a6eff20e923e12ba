// The About box: product name and version, copyright, contact lines and the trademark remark.
// Built on template 100; modal, opened from the main window's system menu item. UI thread.
#pragma once

#include <QDialog>

namespace tessaly {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace tessaly
