// The texts and icon numbers a task's row shows (DownloadTask.h makes them from a task's state):
// its state texts, why it failed (a short text for the row, a sentence for its tooltip), and its
// progress. "%1", "%2"... stand for the values DownloadTask.cpp puts in.
#pragma once

#include "download/core/WorkerMessages.h"

#include <cerrno>
#include <curl/curl.h>

namespace tessaly {

inline constexpr char16_t kTextWaiting[] = u"等待中...";
inline constexpr char16_t kTextAnalysing[] = u"正在分析网页...";
inline constexpr char16_t kTextReady[] = u"准备下载";
inline constexpr char16_t kTextFailed[] = u"连接超时";
inline constexpr char16_t kTextDone[] = u"完成";
inline constexpr char16_t kTextZeroKb[] = u"0KB";
inline constexpr char16_t kTextKb[] = u"KB";

// Why a task failed: the row's text, and the tooltip's sentence (%1 the server or the file, %2 the
// status, the network's or the system's reason). Network and answer causes are told with the phase
// they happened in before them.
struct FailureTexts {
    FailureCause cause;
    const char16_t* row;
    const char16_t* detail;
};
inline constexpr FailureTexts kFailureTexts[] = {
    {FailureCause::kNoVideo, u"未找到视频", u"网页中没有找到视频（没有视频的标题或参数）。"},
    {FailureCause::kNoHost, u"未找到视频", u"网页地址中没有服务器名，无法找到视频。"},
    {FailureCause::kTimedOut, kTextFailed, u"服务器 %1 长时间没有回应。"},
    {FailureCause::kCannotResolve, kTextFailed, u"找不到服务器 %1。"},
    {FailureCause::kCannotConnect, kTextFailed, u"无法连接服务器 %1（%2）。"},
    {FailureCause::kHttpError, u"服务器错误", u"服务器 %1 返回错误 HTTP %2。"},
    {FailureCause::kBadAnswer, u"应答错误", u"服务器 %1 的应答给出了两个不同的文件长度。"},
    {FailureCause::kNoData, u"未找到视频", u"服务器 %1 没有发送任何视频数据。"},
    {FailureCause::kNoResume, u"无法续传", u"连接中断后，服务器 %1 无法从中断处继续传送。"},
    {FailureCause::kBroken, u"连接中断", u"与服务器 %1 的连接中断（%2）。"},
    {FailureCause::kFileError, u"无法保存文件", u"无法保存文件 %1：%2。"},
    {FailureCause::kNameTooLong, u"文件名过长", u"文件名过长，系统不接受：%1"},
    {FailureCause::kNoInternet, u"网络错误", u"无法启动网络连接。"},
};
// A full disk has a row text of its own: the user can do something about it.
inline constexpr char16_t kTextDiskFull[] = u"磁盘已满";
inline constexpr char16_t kTextInPage[] = u"打开视频网页时，";
inline constexpr char16_t kTextInStream[] = u"下载视频时，";

// A number's words, in the tables below.
template <typename Code> struct CodeText {
    Code code;
    const char16_t* text;
};

// The server's status, in words, after its number.
inline constexpr CodeText<long> kHttpStatusTexts[] = {
    {400, u"（请求无效）"},       {401, u"（需要登录）"}, {403, u"（禁止访问）"},
    {404, u"（找不到）"},         {410, u"（已被删除）"}, {429, u"（请求过于频繁）"},
    {500, u"（服务器内部错误）"}, {502, u"（网关错误）"}, {503, u"（服务暂时不可用）"},
    {504, u"（网关超时）"},
};
// libcurl's result codes, in words.
inline constexpr CodeText<int> kNetworkErrorTexts[] = {
    {CURLE_UNSUPPORTED_PROTOCOL, u"不支持的网址协议"},
    {CURLE_COULDNT_CONNECT, u"连接被拒绝"},
    {CURLE_WEIRD_SERVER_REPLY, u"无法识别服务器的应答"},
    {CURLE_PARTIAL_FILE, u"数据不完整"},
    {CURLE_OPERATION_TIMEDOUT, u"超时"},
    {CURLE_SSL_CONNECT_ERROR, u"安全连接失败"},
    {CURLE_TOO_MANY_REDIRECTS, u"重定向次数过多"},
    {CURLE_GOT_NOTHING, u"服务器没有返回数据"},
    {CURLE_SEND_ERROR, u"发送数据失败"},
    {CURLE_RECV_ERROR, u"接收数据失败"},
    {CURLE_PEER_FAILED_VERIFICATION, u"服务器证书无效"},
};
inline constexpr char16_t kTextNetworkError[] = u"网络错误 %1";
// The system's error numbers (errno), in words.
inline constexpr CodeText<int> kSystemErrorTexts[] = {
    {ENOSPC, u"磁盘空间不足"}, {EDQUOT, u"超出磁盘配额"},   {EACCES, u"没有写入权限"},
    {EPERM, u"没有写入权限"},  {ENOENT, u"保存目录不存在"}, {ENOTDIR, u"保存目录不是文件夹"},
    {EROFS, u"磁盘只读"},      {EIO, u"磁盘读写错误"},      {EFBIG, u"文件过大"},
};
inline constexpr char16_t kTextSystemError[] = u"系统错误 %1";

// A row whose stream has a known length: received / total with the share, then the time left.
inline constexpr char16_t kTextProgress[] = u"已下载 %1KB / %2KB（%3%）";
inline constexpr char16_t kTextTimeLeft[] = u"剩余时间：约 %1";
inline constexpr char16_t kTextTimeUnknown[] = u"剩余时间：正在估算...";
inline constexpr char16_t kTextSeconds[] = u"%1 秒";
inline constexpr char16_t kTextMinutes[] = u"%1 分 %2 秒";
inline constexpr char16_t kTextHours[] = u"%1 小时 %2 分";

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
