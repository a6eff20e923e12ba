// tessaly-fetch ADDRESS FOLDER [--receive-timeout-ms N]: runs one download worker without a window,
// with FOLDER as the download folder, and prints every message the worker posts as one line (a file
// name with its control characters escaped). Exit status 0 after DONE, 1 after FAILED, 2 on bad
// arguments. SIGINT or SIGTERM stops the worker as deleting its task would (the file keeps what
// arrived) and ends the tool with status 1, as closing the program does.
#include "base/Overloaded.h"
#include "base/TextCodec.h"
#include "download/core/ControlCharacters.h"
#include "download/core/DownloadService.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <signal.h>
#include <string>

namespace {

// Prints the worker's messages as they are posted and remembers how the task ended.
// Called on the worker's thread.
class PrintingSink : public tessaly::WorkerMessageSink {
public:
    void PostWorkerMessage(tessaly::WorkerMessage message) override {
        using namespace tessaly;
        std::visit(Overloaded{
                       [](const WM_TASK_ANALYSING&) { std::printf("ANALYSING\n"); },
                       [](const WM_TASK_NAMED& m) {
                           std::printf("NAMED %s\n", EscapeControlCharacters(m.fileName).c_str());
                       },
                       [](const WM_TASK_CONNECTED&) { std::printf("CONNECTED\n"); },
                       [](const WM_TASK_SPEED& m) {
                           std::printf("SPEED %lld\n", static_cast<long long>(m.bytesPerMs));
                       },
                       [](const WM_TASK_LENGTH& m) {
                           std::printf("LENGTH %lld\n", static_cast<long long>(m.bytes));
                       },
                       [](const WM_TASK_RECEIVED& m) {
                           std::printf("RECEIVED %lld\n", static_cast<long long>(m.kibibytes));
                       },
                       [this](const WM_TASK_DONE&) {
                           std::printf("DONE\n");
                           m_exitCode = 0;
                       },
                       [this](const WM_TASK_FAILED& m) {
                           std::printf("FAILED %d\n", static_cast<int>(m.code));
                           m_exitCode = 1;
                       },
                       [](const WM_WORKER_ENDED&) {},
                   },
                   message.body);
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

    // The stop signals are taken here, on the main thread, not by a handler; the worker thread
    // inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PrintingSink sink;
    tessaly::DownloadService service(sink);
    auto control = service.CreateWorker(tessaly::FromUtf8(argv[1]), std::move(settings));
    if (!control)
        return 1;
    control->Resume();
    const timespec poll{0, 20 * 1000 * 1000};
    while (!service.WaitUntilIdle(std::chrono::milliseconds(0))) {
        if (sigtimedwait(&stopSignals, nullptr, &poll) > 0) {
            service.Shutdown(tessaly::DownloadService::kShutdownDeadline);
            return 1;
        }
    }
    return sink.exitCode();
}
