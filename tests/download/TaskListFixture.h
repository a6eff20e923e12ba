// A task list wired as the download page wires it, against the test server: queued worker messages
// taken on the test's thread, figure messages recorded, row changes counted.
#pragma once

#include "base/TextCodec.h"
#include "download/core/TaskList.h"
#include "download/core/WorkerThread.h"
#include "tests/download/ServerFixture.h"
#include "tests/support/MessageQueue.h"

namespace tessaly::test {

struct RowEvents : TaskListObserver {
    void RowInserted(int row) override { inserted.push_back(row); }
    void RowChanged(int) override { ++changed; }
    void RowRemoved(int row) override { removed.push_back(row); }
    std::vector<int> inserted;
    std::vector<int> removed;
    int changed = 0;
};

class TaskListTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        WorkerSettings settings;
        const std::u16string copy = FromUtf8(folder.string());
        settings.downloadFolder = [copy] { return copy; };
        settings.receiveTimeout = std::chrono::milliseconds(2000);
        settings.connectRetries = 1;
        list = std::make_unique<TaskList>(queue, figures, &rows, settings);
    }
    void TearDown() override {
        list.reset();
        EXPECT_TRUE(WaitForWorkerThreads(std::chrono::seconds(20)));
        EXPECT_EQ(g_runningWorkers.load(), 0);
        ServerTest::TearDown();
    }

    std::u16string Watch(const std::string& spec, const std::string& more = "") const {
        return FromUtf8(server->WatchUrl("v=" + spec + (more.empty() ? "" : "&" + more)));
    }
    const std::u16string& Text(int row, int column) const {
        return list->row(row).columns[static_cast<std::size_t>(column)];
    }
    bool Pump(const std::function<bool()>& until) { return queue.PumpUntil(*list, until); }
    // Pumps until the row's column 3 reads "done".
    bool PumpUntilDone(int row) {
        return Pump([&] { return list->rowCount() > row && Text(row, 3) == kTextDone; });
    }

    MessageQueue queue;
    FigureLog figures;
    RowEvents rows;
    std::unique_ptr<TaskList> list;
};

} // namespace tessaly::test
