#include "demo/Gui.h"

#include <cstdio>

#include "demo/DataFiles.h"
#include "demo/OpenGLTicker.h"
#include "freetype/Descriptor.h"
#include "freetype/FontFactory.h"
#include "freetype/FreetypeException.h"
#include "gui3d/StringView.h"

namespace korvane::demo {

namespace {

template <typename T> object::Pointer<T> make() {
    return object::Pointer<T>::adopt(new T);
}

// The readout's text changes at most this often, so that it can be read.
constexpr FrameRate::Clock::duration ReadoutInterval = std::chrono::milliseconds(250);

types::String rateText(const FrameRate& rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f fps", rate.perSecond());
    return types::String(text);
}

} // namespace

Gui::Gui(graphics3d::Context* context)
    : Root(context, true), navigator(make<input3d::Navigator>()),
      trackball(make<input3d::TrackballController>()), flight(make<input3d::FlightController>()),
      fixed(make<input3d::FixedController>()), mouseDispatcher(make<input::MouseDispatcher>()),
      keyboardDispatcher(make<input::KeyboardDispatcher>()),
      constraint(make<input3d::TransformConstraint>()) {
    // Built as the demo has always built it, though no controller is given the constraint.
    constraint->setReference({0.0f, 0.0f, 1.0f});
    constraint->setUp({0.0f, 1.0f, 0.0f});
    constraint->setLimits(0.8f, 0.2f, 0.4f);

    math::Matrix start;
    start.setTranslation({0.0f, 0.0f, 400.0f});
    fixed->setStored(start);
    trackball->setParent(fixed.get());
    navigator->setController(trackball.get());

    mouseDispatcher->addListener(trackball.get());
    const gui::Size area = getSize();
    mouseDispatcher->dispatchResize({0.0f, 0.0f, area.width, area.height});
    navigator->update(1.0f);
    frameLog.reset(FrameLog::fromEnvironment());

    freetype::Descriptor descriptor(types::String(FontFamily), 24.0f, 24.0f);
    auto factory = createFontFactory();
    try {
        font = object::Pointer<freetype::Font>::adopt(factory->createFont(descriptor));
    } catch (const freetype::NoMatchException&) {
        throw freetype::NoMatchException(types::String("No font file for \"Accidental Presidency\" in the "
                                                       "working directory (any TrueType font will do)"));
    }
}

Gui::~Gui() = default;

void Gui::framePresented() {
    const FrameRate::Clock::time_point now = FrameRate::Clock::now();
    frameRate.frame(now);
    if (frameLog)
        frameLog->presented(now, OpenGLTicker::getTickCount());
    if (getFrameRateReadout() && now - readoutShown >= ReadoutInterval) {
        readout->setText(rateText(frameRate));
        readoutShown = now;
    }
}

const gui3d::StringView* Gui::getFrameRateReadout() const {
    // The scene's release takes every view out of the root, the readout with them.
    return readout && readout->getRoot() == this ? readout.get() : nullptr;
}

bool Gui::onKeyDown(uint32_t key) {
    if (key != FrameRateKey)
        return Root::onKeyDown(key);
    if (getFrameRateReadout()) {
        removeView(readout.get());
        return true;
    }
    if (!readout) {
        readout = object::Pointer<gui3d::StringView>::adopt(
            new gui3d::StringView({10.0f, 30.0f, 100.0f, 30.0f}, types::String()));
        readout->setFont(font.get());
    }
    // Shown at once with the rate so far; refreshed every ReadoutInterval after that.
    readout->setText(rateText(frameRate));
    readoutShown = FrameRate::Clock::now();
    addView(readout.get());
    return true;
}

bool Gui::onResize(const gui::Size& size) {
    Root::onResize(size);
    mouseDispatcher->dispatchResize({0.0f, 0.0f, size.width, size.height});
    return true;
}

bool Gui::onMouseMove(const gui::Point& position, uint32_t state) {
    if (Root::onMouseMove(position, state))
        return true;
    mouseDispatcher->dispatchMouseMove(position, state);
    navigator->update(1.0f);
    return true;
}

bool Gui::onMouseButton(const gui::Point& position, uint32_t code) {
    if (Root::onMouseButton(position, code))
        return true;
    mouseDispatcher->dispatchMouseButton(position, code);
    navigator->update(1.0f);
    return true;
}

bool Gui::onMouseWheel(float delta, uint32_t state) {
    if (Root::onMouseWheel(delta, state))
        return true;
    mouseDispatcher->dispatchMouseWheel(delta);
    navigator->update(1.0f);
    return true;
}

types::String Gui::getClassPath() const {
    return types::String::concat(Root::getClassPath(), ":Gui");
}

} // namespace korvane::demo
