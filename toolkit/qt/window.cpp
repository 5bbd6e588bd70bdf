#include "toolkit/qt/window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "toolkit/win_api.h"

namespace toolkit::qt {
namespace {

struct PendingSend {
    HWND handle;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

class SendDispatcher;

// Never destroyed: threads that outlive main may still look handles up while static objects are
// being torn down, and must find a working lock and the "stopped" flag, not freed memory.
// `windows` changes on the UI thread alone, and under the lock.
struct HandleTable {
    std::mutex mutex;
    std::condition_variable answered;
    std::unordered_map<HWND, Window*> windows;
    std::uintptr_t nextHandle = 0x10000;
    std::deque<std::shared_ptr<PendingSend>> pending;
    bool stopped = false;
    SendDispatcher* dispatcher = nullptr;
    // Set once; read without the lock, since every message sent asks for it.
    std::atomic<std::thread::id> uiThread{};
};

HandleTable& Table() {
    static auto* table = new HandleTable;
    return *table;
}

// Lives on the UI thread; each posted event asks it to run the sends waiting in the table.
class SendDispatcher : public QObject {
  public:
    static constexpr QEvent::Type kRunSends = QEvent::User;

    bool event(QEvent* event) override {
        if (event->type() != kRunSends) return QObject::event(event);
        HandleTable& table = Table();
        std::unique_lock lock(table.mutex);
        while (!table.pending.empty()) {
            std::shared_ptr<PendingSend> send = table.pending.front();
            table.pending.pop_front();
            lock.unlock();
            const LRESULT result =
                DeliverMessage(send->handle, send->message, send->wParam, send->lParam);
            lock.lock();
            send->result = result;
            send->done = true;
            table.answered.notify_all();
        }
        return true;
    }
};

void EnsureDispatcher(HandleTable& table) {
    if (table.dispatcher == nullptr) table.dispatcher = new SendDispatcher;
}

}  // namespace

Window::~Window() { unregisterHandle(); }

void Window::registerHandle() {
    HandleTable& table = Table();
    MarkUiThread();
    std::lock_guard lock(table.mutex);
    EnsureDispatcher(table);
    handle_ = reinterpret_cast<HWND>(table.nextHandle);
    table.nextHandle += 4;
    table.windows[handle_] = this;
}

void Window::unregisterHandle() {
    if (handle_ == nullptr) return;
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.windows.erase(handle_);
    handle_ = nullptr;
}

Window* WindowFromHandle(HWND handle) {
    HandleTable& table = Table();
    const auto find = [&] {
        auto found = table.windows.find(handle);
        return found == table.windows.end() ? nullptr : found->second;
    };
    // The table changes on the UI thread alone, so there it holds still without the lock; every
    // message and control call asks this, a hundred times a lamp refresh.
    if (OnUiThread()) return find();
    std::lock_guard lock(table.mutex);
    return find();
}

LRESULT DeliverMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = WindowFromHandle(handle);
    return window == nullptr ? 0 : window->receive(message, wParam, lParam);
}

void MarkUiThread() {
    std::thread::id unset;
    Table().uiThread.compare_exchange_strong(unset, std::this_thread::get_id());
}

bool OnUiThread() { return Table().uiThread.load() == std::this_thread::get_id(); }

void StopCrossThreadSends() {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.stopped = true;
    table.pending.clear();
    table.answered.notify_all();
}

}  // namespace toolkit::qt

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    using namespace toolkit::qt;
    if (OnUiThread()) return DeliverMessage(window, message, wParam, lParam);
    HandleTable& table = Table();
    std::unique_lock lock(table.mutex);
    if (table.stopped || table.windows.count(window) == 0) return 0;
    auto send = std::make_shared<PendingSend>(PendingSend{window, message, wParam, lParam});
    table.pending.push_back(send);
    // Posted under the lock, so the windowing system cannot be closed down in between.
    QCoreApplication::postEvent(table.dispatcher, new QEvent(SendDispatcher::kRunSends));
    table.answered.wait(lock, [&] { return send->done || table.stopped; });
    return send->done ? send->result : 0;
}
