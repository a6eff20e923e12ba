// The texts and icon numbers a task's row shows (DownloadTask.h makes them from a task's state).
#pragma once

namespace tessaly {

inline constexpr char16_t kTextWaiting[] = u"等待中...";
inline constexpr char16_t kTextAnalysing[] = u"正在分析网页...";
inline constexpr char16_t kTextReady[] = u"准备下载";
inline constexpr char16_t kTextFailed[] = u"连接超时";
inline constexpr char16_t kTextDone[] = u"完成";
inline constexpr char16_t kTextZeroKb[] = u"0KB";
inline constexpr char16_t kTextKb[] = u"KB";

// Column titles and widths in pixels of the task list.
inline constexpr const char16_t* kColumnTitles[5] = {u"-", u"视频文件名", u"已经下载", u"速度", u"下载地址"};
inline constexpr int kColumnWidths[5] = {20, 240, 80, 50, 125};

// Image indexes of the row icons (resources 140 to 144 in that order).
enum TaskIcon : int {
    kIconAnalysing = 0, // analysing or named
    kIconFailed = 1,
    kIconDone = 2,
    kIconWaiting = 3,
    kIconReceiving = 4, // connected or receiving
};

} // namespace tessaly
