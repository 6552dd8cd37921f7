// Two loopers, each a thread with its own message loop, play a rally: a player's handler receives the
// ball on its looper's thread and posts it back to the other player, until the rally is over. No window.
#include <atomic>
#include <cstdio>
#include <thread>

#include "application/Handler.h"
#include "application/Looper.h"
#include "application/Message.h"
#include "object/Pointer.h"
#include "system/Signal.h"

using namespace korvane;

namespace {

// Our own message code; the framework's codes lie at 0x70000000 and above.
constexpr uint32_t MessageBall = 1;
constexpr int RallyLength = 20;

class Player : public application::Handler {
public:
    Player(const char* name, std::atomic<int>& strokes, system::Signal& over)
        : name(name), strokes(strokes), over(over) {}

    // Called on the thread of the looper the player is attached to.
    bool handleMessage(application::Message* message) override {
        if (message->what != MessageBall)
            return Handler::handleMessage(message);
        thread = std::this_thread::get_id();
        ++received;
        if (++strokes == RallyLength)
            over.set();
        else if (!application::Messenger::post(partner, MessageBall))
            std::printf("%s could not post the ball back\n", name);
        return true;
    }

    const char* name;
    Player* partner = nullptr;
    std::atomic<int> received{0};
    std::thread::id thread;

private:
    std::atomic<int>& strokes;
    system::Signal& over;
};

} // namespace

int main() {
    std::atomic<int> strokes{0};
    system::Signal over;

    auto left = object::Pointer<application::Looper>::adopt(new application::Looper);
    auto right = object::Pointer<application::Looper>::adopt(new application::Looper);
    auto ping = object::Pointer<Player>::adopt(new Player("ping", strokes, over));
    auto pong = object::Pointer<Player>::adopt(new Player("pong", strokes, over));
    ping->partner = pong.get();
    pong->partner = ping.get();
    left->addHandler(ping.get());
    right->addHandler(pong.get());
    left->start();
    right->start();

    // The main thread serves; from here on every message travels between the two looper threads.
    if (!application::Messenger::post(ping.get(), MessageBall)) {
        std::printf("the first post failed\n");
        return 1;
    }
    over.wait();
    left->quit();
    right->quit();
    // Collected once both loops have ended: nothing runs on their threads any more.
    left->removeHandler(ping.get());
    right->removeHandler(pong.get());

    const bool apart = ping->thread != pong->thread && ping->thread != std::this_thread::get_id() &&
                       pong->thread != std::this_thread::get_id();
    std::printf("rally of %d: ping received %d, pong received %d, on %s\n", strokes.load(),
                ping->received.load(), pong->received.load(),
                apart ? "two looper threads" : "the wrong threads");
    return strokes == RallyLength && ping->received + pong->received == RallyLength && apart ? 0 : 1;
}
