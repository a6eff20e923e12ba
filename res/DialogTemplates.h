// Dialog templates 100 (About box), 102 (main window) and 131 (download page): control ids,
// texts and rectangles in dialog units, turned into pixels by the template font's base units.
#pragma once

#include <QRect>

namespace tessaly::res {

// Dialog base units of a template font, in pixels at 96 dpi.
struct BaseUnits {
    int bx;
    int by;
};
constexpr BaseUnits kSongTi9{6, 12};   // "宋体" 9 pt: main window, About box
constexpr BaseUnits kShellDlg8{6, 13}; // "MS Shell Dlg" 8 pt: download and player pages

// A rectangle in dialog units: x, y, width, height.
struct DuRect {
    int x;
    int y;
    int w;
    int h;
};

// The platform's rounding of a dialog-unit value (multiply, divide, round half up).
constexpr int DuToPixels(int value, int base, int divisor) {
    return (value * base * 2 + divisor) / (2 * divisor);
}

// The edges are converted, not the sizes: a control's size is what lies between its rounded
// edges, so neighbouring controls meet as they do in dialog units.
constexpr QRect ToPixels(DuRect r, BaseUnits u) {
    const int left = DuToPixels(r.x, u.bx, 4);
    const int top = DuToPixels(r.y, u.by, 8);
    return QRect(left, top, DuToPixels(r.x + r.w, u.bx, 4) - left, DuToPixels(r.y + r.h, u.by, 8) - top);
}

namespace about { // template 100
constexpr DuRect kSize{0, 0, 236, 123};
constexpr DuRect kIcon{11, 17, 20, 20};
constexpr DuRect kName{40, 10, 119, 8};
constexpr DuRect kCopyright{43, 24, 119, 8};
constexpr DuRect kOk{179, 7, 50, 16};
constexpr DuRect kRemark{18, 65, 199, 43};
constexpr DuRect kWeb{43, 51, 101, 8};
constexpr DuRect kEmail{43, 38, 104, 8};
} // namespace about

namespace mainwnd { // template 102
constexpr DuRect kSize{0, 0, 519, 367};
constexpr int IDC_BROWSER = 1000;
constexpr int IDC_PAGE_AREA = 1001;
constexpr int IDC_DOWNLOAD_PAGE = 1009;
constexpr int IDC_PLAY_PAGE = 1010;
constexpr int IDC_BANNER = 1018;
constexpr DuRect kDownloadPageButton{18, 93, 115, 18};
constexpr DuRect kPlayPageButton{18, 118, 115, 18};
constexpr DuRect kBrowser{160, 7, 341, 45};
constexpr DuRect kPageArea{141, 61, 371, 299};
constexpr DuRect kBanner{159, 7, 343, 45};
} // namespace mainwnd

namespace downloader { // template 131
constexpr DuRect kSize{0, 0, 360, 271};
constexpr int IDC_URL = 1002;
constexpr int IDC_DOWNLOAD = 1003;
constexpr int IDC_FOLDER = 1004;
constexpr int IDC_CHOOSE_FOLDER = 1005;
constexpr int IDC_TASKS = 1006;
constexpr int IDC_DELETE = 1012;
constexpr int IDC_PLAY = 1014;
constexpr int IDC_DELETE_FILE = 1015;
constexpr int IDC_HINT = 1016;
constexpr int IDC_REDOWNLOAD = 1017;
constexpr DuRect kUrl{7, 46, 295, 14};
constexpr DuRect kDownload{312, 46, 41, 14};
constexpr DuRect kFolder{7, 81, 295, 14};
constexpr DuRect kChooseFolder{312, 81, 41, 14};
constexpr DuRect kTasks{7, 111, 346, 118};
constexpr DuRect kRedownload{7, 241, 50, 14};
constexpr DuRect kDelete{63, 241, 50, 14};
constexpr DuRect kDeleteFile{119, 244, 80, 10};
constexpr DuRect kPlay{303, 241, 50, 14};
constexpr DuRect kUrlLabel{7, 34, 57, 8};
constexpr DuRect kFolderLabel{7, 68, 57, 8};
constexpr DuRect kHint{7, 100, 113, 8};
} // namespace downloader

} // namespace tessaly::res
