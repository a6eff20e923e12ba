// The texts of --help and --version; the version is the build's.
#include "app/CommandLine.h"

#include <string_view>

namespace tessaly {

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out << "用法：tessaly [选项]\n"
                   "Tessaly " TESSALY_VERSION "：从视频页面下载视频并播放。\n"
                   "\n"
                   "选项：\n"
                   "  -h, --help       显示本帮助并退出\n"
                   "  -v, --version    显示版本并退出\n"
                   "\n"
                   "另可使用 Qt 的通用选项，例如 -platform wayland。\n"
                   "安装后的程序把配置保存在 ~/.config/tessaly/config.ini，视频默认下载到“视频”文件夹中的\n"
                   "VDOWNLOAD；从构建目录运行时，二者都在启动目录中。\n";
            return 0;
        }
        if (arg == "--version" || arg == "-v") {
            out << "Tessaly " TESSALY_VERSION "\n";
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace tessaly
