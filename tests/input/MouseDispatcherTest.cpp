#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "gui/Input.h"
#include "input/KeyboardDispatcher.h"
#include "input/MouseDispatcher.h"
#include "object/Pointer.h"

using namespace korvane;
using input::KeyboardDispatcher;
using input::KeyboardListener;
using input::MouseDispatcher;
using input::MouseListener;

namespace {

// Writes "<name>:<event>" for every call into a shared log and runs an optional action on each call.
class Probe : public MouseListener {
public:
    Probe(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}

    void onResize(const gui::Rectangle& r) override {
        record("resize " + std::to_string(int(r.width)) + "x" + std::to_string(int(r.height)));
    }
    void onMouseMove(const gui::Point& p, uint32_t state) override {
        record("move " + std::to_string(int(p.x)) + "," + std::to_string(int(p.y)) + " " +
               std::to_string(state));
    }
    void onMouseButton(const gui::Point&, uint32_t code) override {
        record("button " + std::to_string(code));
    }
    void onMouseWheel(float delta) override { record("wheel " + std::to_string(int(delta))); }

    std::function<void()> action;

private:
    void record(const std::string& event) {
        log.push_back(name + ":" + event);
        if (action)
            action();
    }

    std::string name;
    std::vector<std::string>& log;
};

using Log = std::vector<std::string>;

object::Pointer<MouseDispatcher> newDispatcher() {
    return object::Pointer<MouseDispatcher>::adopt(new MouseDispatcher);
}

} // namespace

TEST(MouseDispatcherTest, DeliversEveryEventToEachListenerInRegistrationOrder) {
    Log log;
    Probe a("a", log), b("b", log);
    auto dispatcher = newDispatcher();
    dispatcher->dispatchResize({0, 0, 10, 10}); // no listeners: nothing happens
    EXPECT_TRUE(dispatcher->addListener(&b));
    EXPECT_TRUE(dispatcher->addListener(&a));
    EXPECT_FALSE(dispatcher->addListener(&b));
    EXPECT_FALSE(dispatcher->addListener(nullptr));

    dispatcher->dispatchResize({0, 0, 600, 500});
    dispatcher->dispatchMouseMove({3, 4}, gui::ButtonLeftDown | gui::ModifierShift);
    dispatcher->dispatchMouseButton({3, 4}, gui::ButtonRightUp);
    dispatcher->dispatchMouseWheel(-120);
    EXPECT_EQ(log, (Log{"b:resize 600x500", "a:resize 600x500", "b:move 3,4 4099", "a:move 3,4 4099",
                        "b:button 262144", "a:button 262144", "b:wheel -120", "a:wheel -120"}));
    EXPECT_EQ(b.getDispatchers().getCount(), 1u);
    EXPECT_EQ(dispatcher->getListenerCount(), 2u);
}

TEST(MouseDispatcherTest, ListenerDestroyedFirstLeavesEveryDispatcher) {
    Log log;
    auto first = newDispatcher(), second = newDispatcher();
    auto keep = std::make_unique<Probe>("keep", log);
    {
        Probe gone("gone", log);
        first->addListener(keep.get());
        first->addListener(&gone);
        second->addListener(&gone);
        EXPECT_EQ(gone.getDispatchers().getCount(), 2u);
    }
    EXPECT_EQ(first->getListenerCount(), 1u);
    EXPECT_EQ(second->getListenerCount(), 0u);
    first->dispatchMouseWheel(1);
    second->dispatchMouseWheel(2);
    EXPECT_EQ(log, (Log{"keep:wheel 1"}));
}

TEST(MouseDispatcherTest, DispatcherDestroyedFirstLeavesEveryListener) {
    Log log;
    Probe a("a", log), b("b", log);
    auto kept = newDispatcher();
    {
        auto gone = newDispatcher();
        gone->addListener(&a);
        gone->addListener(&b);
        kept->addListener(&a);
    }
    EXPECT_EQ(a.getDispatchers().getCount(), 1u);
    EXPECT_EQ(a.getDispatchers().getFirst()->value, kept.get());
    EXPECT_TRUE(b.getDispatchers().isEmpty());
    // a leaves kept when it goes out of scope after it; b has nothing left to leave.
}

TEST(MouseDispatcherTest, RemovalIsTwoSidedAndRegistrationCanBeRepeated) {
    Log log;
    Probe a("a", log);
    auto dispatcher = newDispatcher();
    EXPECT_FALSE(dispatcher->removeListener(&a));
    dispatcher->addListener(&a);
    EXPECT_TRUE(dispatcher->removeListener(&a));
    EXPECT_TRUE(a.getDispatchers().isEmpty());
    EXPECT_FALSE(dispatcher->hasListener(&a));
    EXPECT_TRUE(dispatcher->addListener(&a));
    dispatcher->dispatchMouseWheel(5);
    EXPECT_EQ(log, (Log{"a:wheel 5"}));
}

TEST(MouseDispatcherTest, ListenersMayLeaveOrDieWhileADispatchRuns) {
    Log log;
    auto dispatcher = newDispatcher();
    auto a = std::make_unique<Probe>("a", log);
    auto b = std::make_unique<Probe>("b", log);
    auto c = std::make_unique<Probe>("c", log);
    dispatcher->addListener(a.get());
    dispatcher->addListener(b.get());
    dispatcher->addListener(c.get());
    // a destroys the listener after it, b removes itself: the dispatch goes on with c.
    a->action = [&] { b.reset(); };
    dispatcher->dispatchMouseWheel(1);
    EXPECT_EQ(log, (Log{"a:wheel 1", "c:wheel 1"}));

    log.clear();
    a->action = [&] { dispatcher->removeListener(a.get()); };
    dispatcher->dispatchMouseWheel(2);
    dispatcher->dispatchMouseWheel(3);
    EXPECT_EQ(log, (Log{"a:wheel 2", "c:wheel 2", "c:wheel 3"}));

    // A nested dispatch from inside a call, with the outer cursor's next listener removed inside it.
    log.clear();
    auto d = std::make_unique<Probe>("d", log);
    dispatcher->addListener(d.get());
    bool nested = false;
    c->action = [&] {
        if (std::exchange(nested, true))
            return;
        dispatcher->dispatchMouseWheel(5);
        d.reset();
    };
    dispatcher->dispatchMouseWheel(4);
    EXPECT_EQ(log, (Log{"c:wheel 4", "c:wheel 5", "d:wheel 5"}));
}

// Listeners that leave and register again inside their call land behind the cursor: each is called once
// per dispatch, and the dispatch ends. Listeners registered during a dispatch wait for the next one, but
// a dispatch nested after their registration reaches them.
TEST(MouseDispatcherTest, EachListenerIsCalledAtMostOncePerDispatch) {
    Log log;
    auto dispatcher = newDispatcher();
    Probe a("a", log), b("b", log), c("c", log);
    int calls = 0;
    const auto reregister = [&](Probe& probe) {
        return [&] {
            // Bounded so that a dispatch that never ends shows as a failure, not a hang.
            if (++calls > 100)
                return;
            dispatcher->removeListener(&probe);
            dispatcher->addListener(&probe);
        };
    };
    dispatcher->addListener(&a);
    dispatcher->addListener(&b);
    a.action = reregister(a);
    b.action = reregister(b);
    dispatcher->dispatchMouseWheel(1);
    EXPECT_EQ(log, (Log{"a:wheel 1", "b:wheel 1"}));

    log.clear();
    a.action = nullptr;
    b.action = [&] { dispatcher->addListener(&c); };
    dispatcher->dispatchMouseWheel(2);
    dispatcher->dispatchMouseWheel(3);
    EXPECT_EQ(log, (Log{"a:wheel 2", "b:wheel 2", "a:wheel 3", "b:wheel 3", "c:wheel 3"}));

    log.clear();
    dispatcher->removeListener(&c);
    bool nested = false;
    b.action = [&] {
        dispatcher->addListener(&c);
        if (!std::exchange(nested, true))
            dispatcher->dispatchMouseWheel(5);
    };
    dispatcher->dispatchMouseWheel(4);
    EXPECT_EQ(log, (Log{"a:wheel 4", "b:wheel 4", "a:wheel 5", "b:wheel 5", "c:wheel 5"}));
}

TEST(MouseDispatcherTest, ListenerMayReleaseTheLastReferenceToItsDispatcher) {
    Log log;
    Probe a("a", log), b("b", log);
    MouseDispatcher* dispatcher = new MouseDispatcher;
    dispatcher->addListener(&a);
    dispatcher->addListener(&b);
    a.action = [&] { dispatcher->release(); };
    dispatcher->dispatchMouseWheel(1);
    EXPECT_EQ(log, (Log{"a:wheel 1", "b:wheel 1"}));
    EXPECT_TRUE(a.getDispatchers().isEmpty());
    EXPECT_TRUE(b.getDispatchers().isEmpty());
}

TEST(MouseDispatcherTest, KeyboardListenersRegisterAndReceiveLikeMouseListeners) {
    struct Keys : KeyboardListener {
        explicit Keys(Log& log) : log(log) {}
        void onKeyDown(uint32_t key) override { log.push_back("down " + std::to_string(key)); }
        void onKeyUp(uint32_t key) override { log.push_back("up " + std::to_string(key)); }
        void onChar(uint32_t code, uint32_t modifiers) override {
            log.push_back("char " + std::to_string(code) + " " + std::to_string(modifiers));
        }
        Log& log;
    };
    Log log;
    auto dispatcher = object::Pointer<KeyboardDispatcher>::adopt(new KeyboardDispatcher);
    {
        Keys keys(log);
        dispatcher->addListener(&keys);
        dispatcher->addListener(&keys);
        EXPECT_EQ(dispatcher->getListenerCount(), 1u);
        EXPECT_EQ(keys.getDispatchers().getCount(), 1u);
        dispatcher->dispatchKeyDown(0x41);
        dispatcher->dispatchChar('a', gui::CharacterLeftShift);
        dispatcher->dispatchKeyUp(0x41);
    }
    EXPECT_EQ(dispatcher->getListenerCount(), 0u);
    dispatcher->dispatchKeyDown(0x42);
    EXPECT_EQ(log, (Log{"down 65", "char 97 1", "up 65"}));
}
