#include "platform/message_loop.h"

namespace ov {

MessageLoop::MessageLoop() : m_owner(std::this_thread::get_id()) {}

MessageLoop::~MessageLoop() = default;

void MessageLoop::SetWakeHook(std::function<void()> hook) {
    std::lock_guard lock(m_mutex);
    m_wakeHook = std::move(hook);
}

void MessageLoop::Enqueue(Item item, std::deque<Item>& queue) {
    std::function<void()> hook;
    {
        std::lock_guard lock(m_mutex);
        queue.push_back(item);
        hook = m_wakeHook;
    }
    m_ownerWake.notify_all();
    if (hook && !IsOwnerThread()) {
        hook();
    }
}

std::intptr_t MessageLoop::Send(MessageWindow& window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    if (IsOwnerThread()) {
        return window.HandleMessage(message, wParam, lParam);
    }
    std::intptr_t result = 0;
    bool handled = false;
    Enqueue(Item{&window, message, wParam, lParam, &result, &handled}, m_sent);
    std::unique_lock lock(m_mutex);
    m_senderWake.wait(lock, [&] { return handled; });
    return result;
}

void MessageLoop::Post(MessageWindow& window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
    Enqueue(Item{&window, message, wParam, lParam}, m_posted);
}

void MessageLoop::PostQuit(int code) {
    Item item;
    item.quit = true;
    item.quitCode = code;
    Enqueue(item, m_posted);
}

bool MessageLoop::DeliverOneSent(std::unique_lock<std::mutex>& lock) {
    if (m_sent.empty()) {
        return false;
    }
    Item item = m_sent.front();
    m_sent.pop_front();
    lock.unlock();
    const std::intptr_t result = item.window->HandleMessage(item.message, item.wParam, item.lParam);
    lock.lock();
    *item.result = result;
    *item.handled = true;
    m_senderWake.notify_all();
    return true;
}

bool MessageLoop::ProcessPending() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Sent messages go first: their senders are blocked until they are handled.
        if (DeliverOneSent(lock)) {
            continue;
        }
        if (m_posted.empty()) {
            return true;
        }
        Item item = m_posted.front();
        m_posted.pop_front();
        if (item.quit) {
            return false;
        }
        lock.unlock();
        item.window->HandleMessage(item.message, item.wParam, item.lParam);
        lock.lock();
    }
}

int MessageLoop::Run() {
    for (;;) {
        std::unique_lock lock(m_mutex);
        while (DeliverOneSent(lock)) {
        }
        m_ownerWake.wait(lock, [this] { return !m_sent.empty() || !m_posted.empty(); });
        if (!m_sent.empty()) {
            continue;
        }
        Item item = m_posted.front();
        m_posted.pop_front();
        if (item.quit) {
            return item.quitCode;
        }
        lock.unlock();
        item.window->HandleMessage(item.message, item.wParam, item.lParam);
    }
}

void MessageLoop::WaitUntil(const std::function<bool()>& done) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        while (DeliverOneSent(lock)) {
        }
        if (done()) {
            return;
        }
        const std::uint64_t seen = m_wakeCount;
        m_ownerWake.wait(lock, [&] { return !m_sent.empty() || m_wakeCount != seen; });
    }
}

void MessageLoop::Wake() {
    {
        std::lock_guard lock(m_mutex);
        ++m_wakeCount;
    }
    m_ownerWake.notify_all();
}

}  // namespace ov
