// A task list wired as the download page wires it, against the test server: queued worker messages
// taken on the test's thread, figure messages recorded, row changes counted.
#pragma once

#include "base/TextCodec.h"
#include "download/core/DownloadService.h"
#include "download/core/TaskList.h"
#include "tests/download/ServerFixture.h"
#include "tests/support/MessageQueue.h"

namespace tessaly::test {

// The download folder as the workers ask for it; Get may be held shut to keep a started worker
// where it is (it asks first thing after its start).
class FolderSetting {
public:
    void Set(std::u16string folder) {
        std::lock_guard lock(m_lock);
        m_folder = std::move(folder);
    }
    void Hold(bool held) {
        {
            std::lock_guard lock(m_lock);
            m_held = held;
        }
        m_released.notify_all();
    }
    std::u16string Get() {
        std::unique_lock lock(m_lock);
        ++m_asked;
        m_released.notify_all();
        m_released.wait(lock, [this] { return !m_held; });
        return m_folder;
    }
    // How many workers have asked so far: how many have got past their start gate.
    int asked() {
        std::lock_guard lock(m_lock);
        return m_asked;
    }
    // Waits until more than `count` workers have asked; false at the timeout.
    bool WaitAskedMoreThan(int count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_lock);
        return m_released.wait_for(lock, timeout, [&] { return m_asked > count; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_released;
    bool m_held = false;
    int m_asked = 0;
    std::u16string m_folder;
};

struct RowEvents : TaskListObserver {
    void RowAboutToBeInserted(int) override {}
    void RowInserted(int row) override { inserted.push_back(row); }
    void RowChanged(int) override { ++changed; }
    void RowAboutToBeRemoved(int) override {}
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
        downloadFolder.Set(FromUtf8(folder.string()));
        settings.downloadFolder = [this] { return downloadFolder.Get(); };
        settings.receiveTimeout = std::chrono::milliseconds(2000);
        settings.connectRetries = 1;
        service = std::make_unique<DownloadService>(queue);
        list = std::make_unique<TaskList>(*service, figures, settings);
        list->SetObserver(&rows);
    }
    void TearDown() override {
        downloadFolder.Hold(false);
        list.reset();
        EXPECT_TRUE(service->WaitUntilIdle(std::chrono::seconds(20)));
        EXPECT_EQ(service->running(), 0);
        service.reset();
        ServerTest::TearDown();
    }

    std::u16string Watch(const std::string& spec, const std::string& more = "") const {
        return FromUtf8(server->WatchUrl("v=" + spec + (more.empty() ? "" : "&" + more)));
    }
    std::u16string Text(int row, int column) const { return list->Text(row, column); }
    int Icon(int row) const { return TaskIconOf(list->row(row)); }
    std::vector<std::u16string> Texts(int row) const {
        std::vector<std::u16string> texts;
        for (int column = 0; column < 5; ++column)
            texts.push_back(Text(row, column));
        return texts;
    }
    bool Pump(const std::function<bool()>& until) { return queue.PumpUntil(*list, until); }
    // Pumps until the row's column 3 reads "done".
    bool PumpUntilDone(int row) {
        return Pump([&] { return list->rowCount() > row && Text(row, 3) == kTextDone; });
    }

    FolderSetting downloadFolder;
    MessageQueue queue;
    FigureLog figures;
    RowEvents rows;
    std::unique_ptr<DownloadService> service;
    std::unique_ptr<TaskList> list;
};

} // namespace tessaly::test
