// tessaly-fetch ADDRESS FOLDER [--receive-timeout-ms N]: runs one download worker without a window,
// with FOLDER as the download folder, and prints every message the worker posts as one line.
// Exit status 0 after DONE, 1 after FAILED, 2 on bad arguments.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/TextCodec.h"
#include "download/core/DownloadWorker.h"
#include "download/core/WorkerThread.h"

namespace {

// Prints the worker's messages as they are posted and remembers how the task ended.
// Called on the worker's thread, here the main thread.
class PrintingSink : public tessaly::WorkerMessageSink {
public:
    void PostWorkerMessage(tessaly::WorkerMessage message) override {
        using namespace tessaly;
        switch (message.message) {
        case WM_TASK_ANALYSING: std::printf("ANALYSING\n"); break;
        case WM_TASK_NAMED: std::printf("NAMED %s\n", ToUtf8(message.fileName).c_str()); break;
        case WM_TASK_CONNECTED: std::printf("CONNECTED\n"); break;
        case WM_TASK_SPEED: std::printf("SPEED %lld\n", static_cast<long long>(message.lParam)); break;
        case WM_TASK_RECEIVED: std::printf("RECEIVED %lld\n", static_cast<long long>(message.lParam)); break;
        case WM_TASK_DONE:
            std::printf("DONE\n");
            m_exitCode = 0;
            break;
        case WM_TASK_FAILED:
            std::printf("FAILED %lld\n", static_cast<long long>(message.lParam));
            m_exitCode = 1;
            break;
        default: break;
        }
        std::fflush(stdout);
    }

    int exitCode() const { return m_exitCode; }

private:
    int m_exitCode = 1;
};

int Usage() {
    std::fprintf(stderr, "usage: tessaly-fetch ADDRESS FOLDER [--receive-timeout-ms N]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (argc != 3 && argc != 5)
        return Usage();
    tessaly::WorkerSettings settings;
    if (argc == 5) {
        if (std::strcmp(argv[3], "--receive-timeout-ms") != 0)
            return Usage();
        char* end = nullptr;
        const long timeout = std::strtol(argv[4], &end, 10);
        if (*end != '\0' || timeout <= 0)
            return Usage();
        settings.receiveTimeout = std::chrono::milliseconds(timeout);
    }
    // The download page makes a missing download folder before it adds a task; so does the tool.
    std::error_code error;
    std::filesystem::create_directories(argv[2], error);
    const std::u16string folder = tessaly::FromUtf8(argv[2]);
    settings.downloadFolder = [folder] { return folder; };

    // The worker runs on the main thread: nothing else is going on, and nothing outlives main.
    PrintingSink sink;
    auto control = std::make_shared<tessaly::TaskControl>(tessaly::NextWorkerId(), &sink);
    control->Resume();
    tessaly::DownloadWorker(tessaly::FromUtf8(argv[1]), control, std::move(settings));
    return sink.exitCode();
}
