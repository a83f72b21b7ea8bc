#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace ov {

class MessageLoop;

/// Something that receives the program's window messages. It belongs to the thread of its
/// MessageLoop: every message it gets is handled on that thread.
class MessageWindow {
public:
    explicit MessageWindow(MessageLoop& loop) : m_loop(loop) {}
    virtual ~MessageWindow() = default;
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    virtual std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) = 0;

    MessageLoop& Loop() const { return m_loop; }

private:
    MessageLoop& m_loop;
};

/// The message queue of one thread (the window thread). Other threads send to its windows
/// synchronously (the sender waits until the message was handled) or post to them. While the
/// owner waits for something with WaitUntil it goes on handling sent messages, so a thread it
/// waits for can never be stuck inside a send to it.
class MessageLoop {
public:
    /// The calling thread becomes the owner.
    MessageLoop();
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    bool IsOwnerThread() const { return std::this_thread::get_id() == m_owner; }

    /// Delivers the message and returns the handler's result. On the owner thread it is a
    /// direct call; from any other thread the caller waits until the owner has handled it.
    std::intptr_t Send(MessageWindow& window, std::uint32_t message, std::uintptr_t wParam = 0,
                       std::intptr_t lParam = 0);

    /// Queues the message for the owner thread and returns at once.
    void Post(MessageWindow& window, std::uint32_t message, std::uintptr_t wParam = 0,
              std::intptr_t lParam = 0);

    /// Makes Run return `code` once the messages queued before it are handled.
    void PostQuit(int code);

    /// Handles messages until PostQuit; returns its code. Owner thread only.
    int Run();

    /// Handles everything queued now, sent and posted, without waiting. Owner thread only.
    /// Returns false when a quit was asked for.
    bool ProcessPending();

    /// Waits until `done` is true, handling sent (not posted) messages meanwhile. The
    /// predicate is checked whenever a message arrives and whenever Wake is called, so
    /// whoever changes what it reads must call Wake afterwards. Owner thread only.
    void WaitUntil(const std::function<bool()>& done);

    /// Wakes a WaitUntil to look at its predicate again. Any thread.
    void Wake();

    /// Called (on the posting or sending thread) whenever a message is queued from another
    /// thread: lets a foreign event loop (Qt's) schedule a ProcessPending on the owner thread.
    void SetWakeHook(std::function<void()> hook);

private:
    struct Item {
        MessageWindow* window = nullptr;
        std::uint32_t message = 0;
        std::uintptr_t wParam = 0;
        std::intptr_t lParam = 0;
        // For a sent message: where the sender waits for the result.
        std::intptr_t* result = nullptr;
        bool* handled = nullptr;
        bool quit = false;
        int quitCode = 0;
    };

    // Handles the first sent message, if any; the lock is released while the handler runs.
    bool DeliverOneSent(std::unique_lock<std::mutex>& lock);
    void Enqueue(Item item, std::deque<Item>& queue);

    std::thread::id m_owner;
    std::mutex m_mutex;
    std::condition_variable m_ownerWake;   // something for the owner to do or look at
    std::condition_variable m_senderWake;  // a sent message was handled
    std::deque<Item> m_sent;
    std::deque<Item> m_posted;
    std::uint64_t m_wakeCount = 0;
    std::function<void()> m_wakeHook;
};

}  // namespace ov
