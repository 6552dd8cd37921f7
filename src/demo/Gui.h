#pragma once

#include <memory>

#include "demo/FrameRate.h"
#include "freetype/Font.h"
#include "gui3d/Root.h"
#include "input/KeyboardDispatcher.h"
#include "input/MouseDispatcher.h"
#include "input3d/FixedController.h"
#include "input3d/FlightController.h"
#include "input3d/Navigator.h"
#include "input3d/TrackballController.h"
#include "input3d/TransformConstraint.h"
#include "object/Pointer.h"

namespace korvane::gui3d {
class StringView;
} // namespace korvane::gui3d

namespace korvane::demo {

// The scene view's overlay root: it holds the label font and the camera navigation. Mouse input that no
// overlay view takes drives a trackball (left drag turns, right drag pans, middle drag and the wheel move
// in and out) whose parent, a fixed controller, places the camera 400 units out on +Z. The F key shows or
// hides a frame-rate readout in the top-left corner (hidden at first).
class Gui : public gui3d::Root {
public:
    // The family the label font is looked up by among the working directory's font files; with no file of
    // that family the last font found is used.
    static constexpr const char* FontFamily = "Accidental Presidency";
    // The key that shows and hides the frame-rate readout.
    static constexpr uint32_t FrameRateKey = 'F';

    // Builds on the rendering context current on the calling thread (the view's). Throws NoMatchException,
    // naming the font, when the working directory holds no font file at all.
    explicit Gui(graphics3d::Context* context);
    ~Gui() override;

    freetype::Font* getFont() const { return font.get(); }
    // The camera's placement in the world: the navigator's combined transform.
    const math::Matrix& getCameraTransform() const { return navigator->getMatrix(); }
    input3d::TrackballController* getTrackball() const { return trackball.get(); }

    // Counts a frame that reached the window (the view calls it after every swap): the readout and the
    // frame log follow it.
    void framePresented();
    // The readout while shown, else null.
    const gui3d::StringView* getFrameRateReadout() const;

    bool onResize(const gui::Size& size) override;
    bool onKeyDown(uint32_t key) override;
    bool onMouseMove(const gui::Point& position, uint32_t state) override;
    bool onMouseButton(const gui::Point& position, uint32_t code) override;
    bool onMouseWheel(float delta, uint32_t state) override;

    types::String getClassPath() const override;

private:
    object::Pointer<input3d::Navigator> navigator;
    object::Pointer<input3d::TrackballController> trackball;
    object::Pointer<input3d::FlightController> flight;
    object::Pointer<input3d::FixedController> fixed;
    object::Pointer<input::MouseDispatcher> mouseDispatcher;
    object::Pointer<input::KeyboardDispatcher> keyboardDispatcher;
    object::Pointer<input3d::TransformConstraint> constraint;
    object::Pointer<freetype::Font> font;
    FrameRate frameRate;
    FrameRate::Clock::time_point readoutShown;
    object::Pointer<gui3d::StringView> readout;
    std::unique_ptr<FrameLog> frameLog;
};

} // namespace korvane::demo
