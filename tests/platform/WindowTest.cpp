#include "platform/Window.h"

// GoogleTest goes before the X headers, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "WindowTesting.h"

using namespace korvane::platform;
using namespace korvane::platform::testing;

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { Recorder::instance().clear(); }
    void TearDown() override {
        // Every test leaves the thread without windows, and so without a display connection.
        pumpFor(0);
        EXPECT_FALSE(threadHoldsDisplay());
    }
    Recorder& recorder() { return Recorder::instance(); }
};

} // namespace

TEST_F(WindowTest, CreationDeliversTheParameterAndTheFirstGeometry) {
    void* seenParam = nullptr;
    WindowClass windowClass;
    windowClass.name = "korvane.test.create";
    windowClass.procedure = [](WindowHandle window, uint32_t message, WParam wParam,
                               LParam lParam) -> Result {
        if (message == WM_CREATE) {
            auto* create = reinterpret_cast<CreateStruct*>(lParam);
            *static_cast<void**>(create->createParams) = &create->createParams;
            setWindowLongPtr(window, GWLP_USERDATA, reinterpret_cast<intptr_t>(create->createParams));
        }
        return recordingProcedure(window, message, wParam, lParam);
    };
    ASSERT_TRUE(registerClass(windowClass));
    EXPECT_FALSE(registerClass(windowClass));

    void* param = &seenParam;
    WindowHandle window = createWindow(0, "korvane.test.create", "Title", WS_OVERLAPPEDWINDOW, 10, 20, 300,
                                       200, nullptr, param);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(seenParam, nullptr);
    EXPECT_EQ(getWindowLongPtr(window, GWLP_USERDATA), reinterpret_cast<intptr_t>(param));
    // A top-level window reports its geometry when it is first shown; before, it only had WM_CREATE.
    auto messages = recorder().messages(window);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), WM_CREATE), 1);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), WM_SIZE), 0);
    showWindow(window, SW_SHOW);
    // The size is the frame's; the messages give the client area's size and its origin on the screen.
    const Rect frame = frameOf(WS_OVERLAPPEDWINDOW);
    auto sizes = recorder().of(window, WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].lParam,
              makeLParam(300 - (frame.right - frame.left), 200 - (frame.bottom - frame.top)));
    auto moves = recorder().of(window, WM_MOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].lParam, makeLParam(10 - frame.left, 20 - frame.top));

    // A child reports size and position right after WM_CREATE (Win32 sends non-client messages too).
    WindowHandle child = createChild(window, 5, 6, 70, 80);
    ASSERT_NE(child, nullptr);
    std::vector<uint32_t> childMessages;
    for (uint32_t message : recorder().messages(child)) {
        if (message == WM_CREATE || message == WM_SIZE || message == WM_MOVE) {
            childMessages.push_back(message);
        }
    }
    ASSERT_GE(childMessages.size(), 3u);
    EXPECT_EQ(childMessages[0], WM_CREATE);
    EXPECT_EQ(childMessages[1], WM_SIZE);
    EXPECT_EQ(childMessages[2], WM_MOVE);
    EXPECT_EQ(recorder().of(child, WM_MOVE)[0].lParam, makeLParam(5, 6));
    EXPECT_EQ(getParent(child), window);

    char title[16];
    EXPECT_EQ(getWindowText(window, title, sizeof title), 5);
    EXPECT_STREQ(title, "Title");
    EXPECT_TRUE(setWindowText(window, "Another title"));
    EXPECT_EQ(getWindowText(window, title, 8), 7);
    EXPECT_STREQ(title, "Another");

    // Destroying the parent destroys the child: WM_DESTROY reaches the parent first.
    EXPECT_TRUE(destroyWindow(window));
    EXPECT_FALSE(isWindow(window));
    EXPECT_FALSE(isWindow(child));
    EXPECT_EQ(recorder().of(window, WM_DESTROY).size(), 1u);
    EXPECT_EQ(recorder().of(child, WM_DESTROY).size(), 1u);
    EXPECT_FALSE(destroyWindow(window));
    EXPECT_EQ(createWindow(0, "no.such.class", "", 0, 0, 0, 10, 10, nullptr, nullptr), nullptr);
    EXPECT_TRUE(unregisterClass("korvane.test.create"));
}

TEST_F(WindowTest, CreationFailsWhenTheProcedureRefusesIt) {
    WindowClass windowClass;
    windowClass.name = "korvane.test.refuse";
    windowClass.procedure = [](WindowHandle window, uint32_t message, WParam wParam,
                               LParam lParam) -> Result {
        recordingProcedure(window, message, wParam, lParam);
        return message == WM_CREATE ? -1 : 0;
    };
    ASSERT_TRUE(registerClass(windowClass));
    WindowHandle window = createWindow(0, "korvane.test.refuse", "", 0, 0, 0, 50, 50, nullptr, nullptr);
    EXPECT_EQ(window, nullptr);
    unregisterClass("korvane.test.refuse");
}

TEST_F(WindowTest, ProceduresMayDestroyWindowsWhileTheirTreeIsDestroyed) {
    WindowClass windowClass;
    windowClass.name = "korvane.test.destroy";
    windowClass.procedure = [](WindowHandle window, uint32_t message, WParam wParam,
                               LParam lParam) -> Result {
        if (message == WM_DESTROY) {
            // The parent tears down its child itself, and the child tries its own window again.
            auto other = reinterpret_cast<WindowHandle>(getWindowLongPtr(window, GWLP_USERDATA));
            EXPECT_FALSE(destroyWindow(other ? other : window));
        }
        return recordingProcedure(window, message, wParam, lParam);
    };
    ASSERT_TRUE(registerClass(windowClass));
    WindowHandle parent = createWindow(0, "korvane.test.destroy", "", 0, 0, 0, 50, 50, nullptr, nullptr);
    WindowHandle child =
        createWindow(0, "korvane.test.destroy", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr);
    setWindowLongPtr(parent, GWLP_USERDATA, reinterpret_cast<intptr_t>(child));
    EXPECT_TRUE(destroyWindow(parent));
    EXPECT_FALSE(isWindow(child));
    EXPECT_EQ(recorder().of(child, WM_DESTROY).size(), 1u);
    EXPECT_EQ(recorder().of(parent, WM_DESTROY).size(), 1u);
    unregisterClass("korvane.test.destroy");
}

TEST_F(WindowTest, UserDataAndExtraWordsAreKeptPerWindow) {
    WindowHandle first = createTopLevel();
    WindowHandle second = createTopLevel();
    EXPECT_EQ(setWindowLongPtr(first, 0, 11), 0);
    EXPECT_EQ(setWindowLongPtr(first, sizeof(void*), 12), 0);
    EXPECT_EQ(setWindowLongPtr(second, 0, 21), 0);
    EXPECT_EQ(setWindowLongPtr(first, 0, 13), 11);
    EXPECT_EQ(getWindowLongPtr(first, 0), 13);
    EXPECT_EQ(getWindowLongPtr(first, sizeof(void*)), 12);
    EXPECT_EQ(getWindowLongPtr(second, 0), 21);
    // An offset past the extra memory changes nothing.
    EXPECT_EQ(setWindowLongPtr(first, 2 * sizeof(void*), 99), 0);
    EXPECT_EQ(getWindowLongPtr(first, 2 * sizeof(void*)), 0);
    EXPECT_EQ(setWindowLongPtr(first, sizeof(void*) + 1, 99), 0);
    EXPECT_EQ(getWindowLongPtr(first, -100), 0);
    destroyWindow(first);
    destroyWindow(second);
    EXPECT_EQ(getWindowLongPtr(first, 0), 0);
}

namespace {

WindowProcedure previousProcedure = nullptr;
int subclassCalls = 0;

Result subclassProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    if (message == WM_USER + 1) {
        ++subclassCalls;
        return 42;
    }
    if (message == WM_USER + 2) {
        ++subclassCalls;
        return callWindowProc(previousProcedure, window, message, wParam + 1, lParam) + 1000;
    }
    return callWindowProc(previousProcedure, window, message, wParam, lParam);
}

} // namespace

TEST_F(WindowTest, ReplacedProcedureHandlesAndChainsToThePreviousOne) {
    WindowHandle window = createTopLevel();
    intptr_t old = setWindowLongPtr(window, GWLP_WNDPROC, reinterpret_cast<intptr_t>(subclassProcedure));
    previousProcedure = reinterpret_cast<WindowProcedure>(old);
    EXPECT_EQ(previousProcedure, &recordingProcedure);
    EXPECT_EQ(getWindowLongPtr(window, GWLP_WNDPROC), reinterpret_cast<intptr_t>(subclassProcedure));

    subclassCalls = 0;
    EXPECT_EQ(sendMessage(window, WM_USER + 1, 0, 0), 42);
    EXPECT_TRUE(recorder().of(window, WM_USER + 1).empty());
    EXPECT_EQ(sendMessage(window, WM_USER + 2, 5, 0), 1000);
    ASSERT_EQ(recorder().of(window, WM_USER + 2).size(), 1u);
    EXPECT_EQ(recorder().of(window, WM_USER + 2)[0].wParam, 6u);
    EXPECT_EQ(subclassCalls, 2);

    // Posted messages reach the replaced procedure through dispatch as well.
    ASSERT_TRUE(postMessage(window, WM_USER + 1, 0, 0));
    EXPECT_TRUE(pumpUntil([] { return subclassCalls == 3; }));
    destroyWindow(window);
    EXPECT_EQ(recorder().of(window, WM_DESTROY).size(), 1u);
}

TEST_F(WindowTest, MovesAndSizesReportWhatChangedAndMapToTheScreen) {
    WindowHandle window = createTopLevel(200, 150);
    showWindow(window, SW_SHOW);
    WindowHandle child = createChild(window, 10, 20, 50, 40);
    recorder().clear();

    EXPECT_TRUE(setWindowPos(window, nullptr, 100, 80, 320, 240, SWP_NOZORDER));
    auto moves = recorder().of(window, WM_MOVE);
    auto sizes = recorder().of(window, WM_SIZE);
    ASSERT_EQ(moves.size(), 1u);
    ASSERT_EQ(sizes.size(), 1u);
    // The client area lies inside the frame that was placed.
    const Rect frame = frameOf(WS_OVERLAPPEDWINDOW);
    const int32_t left = 100 - frame.left, top = 80 - frame.top;
    const int32_t fw = frameWidth(WS_OVERLAPPEDWINDOW), fh = frameHeight(WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(getXLParam(moves[0].lParam), left);
    EXPECT_EQ(getYLParam(moves[0].lParam), top);
    EXPECT_EQ(sizes[0].lParam, makeLParam(320 - fw, 240 - fh));

    // Setting the same geometry again, or only a size with SWP_NOMOVE, reports only what changed.
    EXPECT_TRUE(setWindowPos(window, nullptr, 100, 80, 320, 240, SWP_NOZORDER));
    EXPECT_TRUE(setWindowPos(window, nullptr, 0, 0, 330, 240, SWP_NOZORDER | SWP_NOMOVE));
    EXPECT_EQ(recorder().of(window, WM_MOVE).size(), 1u);
    EXPECT_EQ(recorder().of(window, WM_SIZE).size(), 2u);

    Rect client;
    EXPECT_TRUE(getClientRect(window, client));
    EXPECT_EQ(client.right, 330 - fw);
    EXPECT_EQ(client.bottom, 240 - fh);
    Point point{3, 4};
    EXPECT_TRUE(clientToScreen(child, point));
    EXPECT_EQ(point.x, left + 10 + 3);
    EXPECT_EQ(point.y, top + 20 + 4);
    EXPECT_TRUE(screenToClient(child, point));
    EXPECT_EQ(point.x, 3);
    Rect rect;
    EXPECT_TRUE(getWindowRect(child, rect));
    EXPECT_EQ(rect.left, left + 10);
    EXPECT_EQ(rect.bottom, top + 20 + 40);

    // The server agrees, and the stale notifications of the earlier requests produce no messages.
    pumpFor(100);
    EXPECT_EQ(recorder().of(window, WM_SIZE).size(), 2u);
    EXPECT_EQ(recorder().of(window, WM_MOVE).size(), 1u);
    OtherClient display;
    Point origin = display.screenOrigin(child);
    EXPECT_EQ(origin.x, left + 10);
    EXPECT_EQ(origin.y, top + 20);
    destroyWindow(window);
}

namespace {

Result minMaxProcedure(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    if (message == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MinMaxInfo*>(lParam);
        info->minTrackSize = {256, 256};
        info->maxTrackSize = {800, 700};
        return 0;
    }
    return recordingProcedure(window, message, wParam, lParam);
}

} // namespace

TEST_F(WindowTest, TrackingSizesAreEnforcedOnEverySizeChange) {
    WindowClass windowClass;
    windowClass.name = "korvane.test.minmax";
    windowClass.procedure = minMaxProcedure;
    ASSERT_TRUE(registerClass(windowClass));
    WindowHandle window = createWindow(0, "korvane.test.minmax", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                       100, 100, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    // The limits hold the frame; the client area is that less the frame.
    const int32_t fw = frameWidth(WS_OVERLAPPEDWINDOW), fh = frameHeight(WS_OVERLAPPEDWINDOW);
    Rect client;
    getClientRect(window, client);
    EXPECT_EQ(client.right, 256 - fw);
    EXPECT_EQ(client.bottom, 256 - fh);

    setWindowPos(window, nullptr, 0, 0, 100, 1000, SWP_NOMOVE);
    getClientRect(window, client);
    EXPECT_EQ(client.right, 256 - fw);
    EXPECT_EQ(client.bottom, 700 - fh);

    // A resize from outside (as a window manager would do it) is held to the limits as well.
    OtherClient display;
    display.resize(window, 50, 300);
    EXPECT_TRUE(pumpUntil([&] { return recorder().of(window, WM_SIZE).size() >= 3; }));
    auto sizes = recorder().of(window, WM_SIZE);
    EXPECT_EQ(sizes.back().lParam, makeLParam(256 - fw, 300));
    getClientRect(window, client);
    EXPECT_EQ(client.right, 256 - fw);
    pumpFor(100);
    Point shown = display.clientSize(window);
    EXPECT_EQ(shown.x, 256 - fw);
    EXPECT_EQ(shown.y, 300);

    // SWP_NOSENDCHANGING skips the limits, as on Win32.
    setWindowPos(window, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOSENDCHANGING);
    getClientRect(window, client);
    EXPECT_EQ(client.right, 100 - fw);
    destroyWindow(window);
    unregisterClass("korvane.test.minmax");
}

TEST_F(WindowTest, CallsFromAnotherThreadRunOnTheOwningThread) {
    WindowHandle window = createTopLevel();
    showWindow(window, SW_SHOW);
    recorder().clear();
    std::atomic<bool> done{false};
    WindowHandle child = nullptr;
    std::thread other([&] {
        EXPECT_TRUE(setWindowPos(window, nullptr, 5, 5, 260, 210, SWP_NOZORDER));
        child = createChild(window, 1, 2, 30, 40);
        Rect client;
        EXPECT_TRUE(getClientRect(window, client));
        EXPECT_EQ(client.right, 260 - frameWidth(WS_OVERLAPPEDWINDOW));
        done = true;
    });
    // The owner keeps serving its queue; the foreign calls run inside it.
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }));
    other.join();
    ThreadId self = currentThreadId();
    auto sizes = recorder().of(window, WM_SIZE);
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].thread, self);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(getWindowThreadId(child), self);
    ASSERT_EQ(recorder().of(child, WM_CREATE).size(), 1u);
    EXPECT_EQ(recorder().of(child, WM_CREATE)[0].thread, self);
    destroyWindow(window);
}

TEST_F(WindowTest, PaintComesAfterPostedMessagesAndCoalesces) {
    WindowHandle window = createTopLevel();
    showWindow(window, SW_SHOW);
    settle();
    recorder().clear();
    Rect a{10, 10, 20, 20}, b{30, 5, 40, 15};
    invalidateRect(window, &a, false);
    invalidateRect(window, &b, false);
    postMessage(window, WM_USER + 7, 0, 0);
    postThreadMessage(currentThreadId(), WM_USER + 8, 0, 0);

    Msg msg;
    ASSERT_TRUE(getMessage(msg));
    EXPECT_EQ(msg.message, WM_USER + 7u);
    ASSERT_TRUE(getMessage(msg));
    EXPECT_EQ(msg.message, WM_USER + 8u);
    ASSERT_TRUE(getMessage(msg));
    EXPECT_EQ(msg.message, WM_PAINT);
    EXPECT_EQ(msg.window, window);
    // Not painted yet: the message stays, once.
    ASSERT_TRUE(peekMessage(msg, false));
    EXPECT_EQ(msg.message, WM_PAINT);
    PaintStruct paint;
    EXPECT_NE(beginPaint(window, paint), nullptr);
    EXPECT_EQ(paint.paint.left, 10);
    EXPECT_EQ(paint.paint.top, 5);
    EXPECT_EQ(paint.paint.right, 40);
    EXPECT_EQ(paint.paint.bottom, 20);
    endPaint(window, paint);
    EXPECT_FALSE(peekMessage(msg, true));

    // A hidden window is not painted; shown again, it is to be painted whole.
    showWindow(window, SW_HIDE);
    invalidateRect(window, nullptr, true);
    // Hiding may report the loss of activation, but no paint.
    while (peekMessage(msg, true)) {
        EXPECT_NE(msg.message, WM_PAINT);
    }
    showWindow(window, SW_SHOW);
    Rect client, update;
    getClientRect(window, client);
    EXPECT_TRUE(getUpdateRect(window, &update));
    EXPECT_EQ(update.right, client.right);
    EXPECT_EQ(update.bottom, client.bottom);
    EXPECT_TRUE(validateRect(window, nullptr));
    EXPECT_FALSE(getUpdateRect(window, nullptr));
    destroyWindow(window);
}

TEST_F(WindowTest, InvalidationFromAnotherThreadWakesTheOwner) {
    std::atomic<WindowHandle> window{nullptr};
    std::atomic<int> paints{0};
    WindowClass windowClass;
    windowClass.name = "korvane.test.paint";
    windowClass.procedure = [](WindowHandle w, uint32_t message, WParam wParam, LParam lParam) -> Result {
        if (message == WM_PAINT) {
            PaintStruct paint;
            beginPaint(w, paint);
            endPaint(w, paint);
            if (getWindowLongPtr(w, GWLP_USERDATA)) {
                postQuitMessage(0);
            }
            return 0;
        }
        return defWindowProc(w, message, wParam, lParam);
    };
    ASSERT_TRUE(registerClass(windowClass));
    std::thread owner([&] {
        WindowHandle created =
            createWindow(0, "korvane.test.paint", "", WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr);
        // Let the first paint go by, then wait in the blocking get.
        pumpFor(100);
        window = created;
        Msg msg;
        while (getMessage(msg)) {
            if (msg.message == WM_PAINT) {
                ++paints;
            }
            dispatchMessage(msg);
        }
        destroyWindow(created);
    });
    while (!window) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    setWindowLongPtr(window, GWLP_USERDATA, 1);
    EXPECT_TRUE(invalidateRect(window, nullptr, false));
    owner.join();
    EXPECT_EQ(paints, 1);
    EXPECT_FALSE(invalidateRect(window, nullptr, false));
    unregisterClass("korvane.test.paint");
}

TEST_F(WindowTest, CloseRequestBecomesWmClose) {
    WindowHandle window = createTopLevel();
    showWindow(window, SW_SHOW);
    OtherClient display;
    display.requestClose(window);
    // The default handling of WM_CLOSE destroys the window.
    EXPECT_TRUE(pumpUntil([&] { return !isWindow(window); }));
    EXPECT_EQ(recorder().of(window, WM_CLOSE).size(), 1u);
    EXPECT_EQ(recorder().of(window, WM_DESTROY).size(), 1u);
}

TEST_F(WindowTest, WindowsOfAnEndingThreadAreReleased) {
    std::atomic<WindowHandle> window{nullptr};
    std::thread([&] { window = createTopLevel(); }).join();
    EXPECT_FALSE(isWindow(window));
    EXPECT_FALSE(invalidateRect(window, nullptr, false));
}

class InputTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(user.connected());
        ASSERT_TRUE(user.canFakeInput());
        window = createTopLevel(200, 150);
        child = createChild(window, 100, 0, 100, 150);
        showWindow(window, SW_SHOW);
        pumpFor(50);
        recorder().clear();
    }
    void TearDown() override {
        destroyWindow(window);
        WindowTest::TearDown();
    }
    // Synthetic input at a point of the window's client area.
    void moveTo(int x, int y) {
        Point point{x, y};
        clientToScreen(window, point);
        user.moveTo(point.x, point.y);
    }
    void button(UserButton which, bool press) { user.button(which, press); }
    void key(UserKey which, bool press) { user.key(which, press); }
    bool waitFor(WindowHandle target, uint32_t message, size_t count = 1) {
        return pumpUntil([&] { return recorder().of(target, message).size() >= count; }, 3000);
    }

    OtherClient user;
    WindowHandle window = nullptr;
    WindowHandle child = nullptr;
};

TEST_F(InputTest, MouseMessagesCarryPositionAndButtonBits) {
    moveTo(10, 20);
    ASSERT_TRUE(waitFor(window, WM_MOUSEMOVE));
    Recorded move = recorder().of(window, WM_MOUSEMOVE).back();
    EXPECT_EQ(getXLParam(move.lParam), 10);
    EXPECT_EQ(getYLParam(move.lParam), 20);
    EXPECT_EQ(move.wParam, 0u);

    button(UserButton::Left, true);
    ASSERT_TRUE(waitFor(window, WM_LBUTTONDOWN));
    EXPECT_EQ(recorder().of(window, WM_LBUTTONDOWN)[0].wParam, MK_LBUTTON);
    key(UserKey::LeftShift, true);
    moveTo(12, 22);
    ASSERT_TRUE(waitFor(window, WM_MOUSEMOVE, 2));
    EXPECT_EQ(recorder().of(window, WM_MOUSEMOVE).back().wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_LT(getKeyState(VK_SHIFT), 0);
    EXPECT_LT(getKeyState(VK_LSHIFT), 0);
    EXPECT_EQ(getKeyState(VK_RSHIFT), 0);
    EXPECT_LT(getKeyState(VK_LBUTTON), 0);
    key(UserKey::LeftShift, false);
    button(UserButton::Left, false);
    ASSERT_TRUE(waitFor(window, WM_LBUTTONUP));
    Recorded up = recorder().of(window, WM_LBUTTONUP)[0];
    EXPECT_EQ(up.wParam, 0u);
    EXPECT_EQ(up.lParam, makeLParam(12, 22));
    EXPECT_GE(getKeyState(VK_SHIFT), 0);

    button(UserButton::Right, true);
    button(UserButton::Right, false);
    button(UserButton::Middle, true);
    button(UserButton::Middle, false);
    ASSERT_TRUE(waitFor(window, WM_MBUTTONUP));
    EXPECT_EQ(recorder().of(window, WM_RBUTTONDOWN)[0].wParam, MK_RBUTTON);
    EXPECT_EQ(recorder().of(window, WM_RBUTTONUP).size(), 1u);
    EXPECT_EQ(recorder().of(window, WM_MBUTTONDOWN)[0].wParam, MK_MBUTTON);

    // Wheel notches: away from the user +120, towards -120; the position is on the screen.
    button(UserButton::WheelUp, true);
    button(UserButton::WheelUp, false);
    button(UserButton::WheelDown, true);
    button(UserButton::WheelDown, false);
    ASSERT_TRUE(waitFor(window, WM_MOUSEWHEEL, 2));
    auto wheel = recorder().of(window, WM_MOUSEWHEEL);
    ASSERT_EQ(wheel.size(), 2u);
    EXPECT_EQ(getWheelDelta(wheel[0].wParam), 120);
    EXPECT_EQ(getWheelDelta(wheel[1].wParam), -120);
    EXPECT_EQ(lowWord(wheel[0].wParam), 0);
    Point screen{12, 22};
    clientToScreen(window, screen);
    EXPECT_EQ(getXLParam(wheel[0].lParam), screen.x);

    // Over the child, the child gets the input in its own coordinates.
    moveTo(130, 40);
    ASSERT_TRUE(waitFor(child, WM_MOUSEMOVE));
    EXPECT_EQ(recorder().of(child, WM_MOUSEMOVE).back().lParam, makeLParam(30, 40));
}

TEST_F(InputTest, MouseLeaveOnlyAfterTrackingWasAsked) {
    moveTo(10, 10);
    ASSERT_TRUE(waitFor(window, WM_MOUSEMOVE));
    moveTo(-20, 10); // outside, untracked
    moveTo(10, 10);
    ASSERT_TRUE(waitFor(window, WM_MOUSEMOVE, 2));
    pumpFor(50);
    EXPECT_TRUE(recorder().of(window, WM_MOUSELEAVE).empty());

    TrackMouseEvent track;
    track.flags = TME_LEAVE;
    track.window = window;
    EXPECT_TRUE(trackMouseEvent(track));
    moveTo(-20, 10);
    ASSERT_TRUE(waitFor(window, WM_MOUSELEAVE));
    // One leave per request.
    moveTo(10, 10);
    moveTo(-20, 10);
    pumpFor(100);
    EXPECT_EQ(recorder().of(window, WM_MOUSELEAVE).size(), 1u);

    // Asking while the pointer is outside reports the leave at once.
    EXPECT_TRUE(trackMouseEvent(track));
    ASSERT_TRUE(waitFor(window, WM_MOUSELEAVE, 2));

    // Moving onto the child leaves the parent, as on Win32; a cancelled request reports nothing.
    moveTo(10, 10);
    pumpFor(50);
    EXPECT_TRUE(trackMouseEvent(track));
    moveTo(150, 10);
    ASSERT_TRUE(waitFor(window, WM_MOUSELEAVE, 3));
    track.window = child;
    EXPECT_TRUE(trackMouseEvent(track));
    track.flags = TME_LEAVE | TME_CANCEL;
    EXPECT_TRUE(trackMouseEvent(track));
    moveTo(10, 10);
    pumpFor(100);
    EXPECT_TRUE(recorder().of(child, WM_MOUSELEAVE).empty());
}

TEST_F(InputTest, KeysMapToVirtualKeysWithRepeatAndCharacters) {
    moveTo(10, 10);
    pumpFor(50);
    key(UserKey::A, true);
    ASSERT_TRUE(waitFor(window, WM_KEYDOWN));
    ASSERT_TRUE(waitFor(window, WM_CHAR));
    Recorded down = recorder().of(window, WM_KEYDOWN)[0];
    EXPECT_EQ(down.wParam, static_cast<WParam>('A'));
    EXPECT_EQ(down.lParam & 0xFFFF, 1);
    EXPECT_EQ(down.lParam & KF_REPEAT, 0);
    EXPECT_EQ(recorder().of(window, WM_CHAR)[0].wParam, static_cast<WParam>('a'));
    EXPECT_LT(getKeyState('A'), 0);

    // A second press without a release is an auto-repeat.
    key(UserKey::A, true);
    ASSERT_TRUE(waitFor(window, WM_KEYDOWN, 2));
    EXPECT_NE(recorder().of(window, WM_KEYDOWN)[1].lParam & KF_REPEAT, 0);
    key(UserKey::A, false);
    ASSERT_TRUE(waitFor(window, WM_KEYUP));
    Recorded up = recorder().of(window, WM_KEYUP)[0];
    EXPECT_EQ(up.wParam, static_cast<WParam>('A'));
    EXPECT_NE(up.lParam & KF_REPEAT, 0);
    EXPECT_NE(up.lParam & KF_UP, 0);
    EXPECT_GE(getKeyState('A'), 0);

    // Navigation and modifier keys.
    key(UserKey::Left, true);
    key(UserKey::Left, false);
    key(UserKey::RightControl, true);
    key(UserKey::RightControl, false);
    key(UserKey::F5, true);
    key(UserKey::F5, false);
    key(UserKey::Escape, true);
    key(UserKey::Escape, false);
    ASSERT_TRUE(waitFor(window, WM_KEYUP, 5));
    auto downs = recorder().of(window, WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 6u);
    EXPECT_EQ(downs[2].wParam, static_cast<WParam>(VK_LEFT));
    EXPECT_NE(downs[2].lParam & KF_EXTENDED, 0);
    EXPECT_EQ(downs[3].wParam, static_cast<WParam>(VK_CONTROL));
    EXPECT_EQ(downs[4].wParam, static_cast<WParam>(VK_F1 + 4));
    EXPECT_EQ(downs[5].wParam, static_cast<WParam>(VK_ESCAPE));
    auto chars = recorder().of(window, WM_CHAR);
    ASSERT_EQ(chars.size(), 3u); // 'a', its repeat, Escape
    EXPECT_EQ(chars[2].wParam, 27u);
}

TEST_F(InputTest, ShowingActivatesTheWindow) {
    WindowHandle other = createTopLevel(50, 50);
    showWindow(other, SW_SHOW);
    ASSERT_TRUE(waitFor(other, WM_ACTIVATE));
    EXPECT_EQ(lowWord(recorder().of(other, WM_ACTIVATE).back().wParam), WA_ACTIVE);
    ASSERT_TRUE(pumpUntil([&] {
        auto activations = recorder().of(window, WM_ACTIVATE);
        return !activations.empty() && lowWord(activations.back().wParam) == WA_INACTIVE;
    }));
    destroyWindow(other);
}

TEST_F(InputTest, DeleteHasNoCharacter) {
    moveTo(10, 10);
    pumpFor(50);
    key(UserKey::Delete, true);
    key(UserKey::Delete, false);
    key(UserKey::Backspace, true);
    key(UserKey::Backspace, false);
    ASSERT_TRUE(waitFor(window, WM_KEYUP, 2));
    auto downs = recorder().of(window, WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].wParam, static_cast<WParam>(VK_DELETE));
    auto chars = recorder().of(window, WM_CHAR);
    ASSERT_EQ(chars.size(), 1u) << "only Backspace types a character";
    EXPECT_EQ(chars[0].wParam, static_cast<WParam>(VK_BACK));
}

TEST_F(InputTest, KeysReleasedWhileAnotherClientHadTheFocusAreUpWhenItComesBack) {
    moveTo(10, 10);
    pumpFor(50);
    key(UserKey::LeftShift, true);
    ASSERT_TRUE(waitFor(window, WM_KEYDOWN));
    EXPECT_LT(getKeyState(VK_LSHIFT), 0);
    // Shift goes up while another client's window has the focus: this thread never sees the release.
    user.beginForeignFocus();
    ASSERT_TRUE(waitFor(window, WM_ACTIVATE));
    key(UserKey::LeftShift, false);
    recorder().clear();
    user.endForeignFocus();
    user.focus(window);
    ASSERT_TRUE(pumpUntil([&] {
        auto activations = recorder().of(window, WM_ACTIVATE);
        return !activations.empty() && lowWord(activations.back().wParam) == WA_ACTIVE;
    }));
    EXPECT_GE(getKeyState(VK_SHIFT), 0);
    EXPECT_GE(getKeyState(VK_LSHIFT), 0);

    // The next press is a first press again, not an auto-repeat.
    key(UserKey::LeftShift, true);
    key(UserKey::LeftShift, false);
    ASSERT_TRUE(waitFor(window, WM_KEYUP));
    auto downs = recorder().of(window, WM_KEYDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].lParam & KF_REPEAT, 0);
}
