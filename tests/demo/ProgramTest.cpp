#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "support/demo/Program.h"
#include "support/io/DdsFile.h"

using korvane::demo::test::countDifferences;
using korvane::demo::test::Program;
using korvane::demo::test::runDirectory;
using korvane::demo::test::RunDirectoryCopy;
using korvane::tools::capture;
using korvane::tools::Picture;

namespace {

void sleepFor(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool isWhite(const uint8_t* p) {
    return p[0] > 215 && p[1] > 215 && p[2] > 215;
}

// White pixels of the label: white in both pictures and the same in both (the scene behind moves).
long steadyWhite(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1) {
    long count = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, a.height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, a.width); ++x)
            if (isWhite(a.at(x, y)) && isWhite(b.at(x, y)) &&
                countDifferences(a, b, 8, x, y, x + 1, y + 1) == 0)
                ++count;
    return count;
}

bool isLand(const uint8_t* p) {
    return p[1] > p[2] + 10 && p[0] < 200;
}

// Blue-grey rock, darker than the sky around it.
bool isMountain(const uint8_t* p) {
    const int sum = p[0] + p[1] + p[2];
    return sum < 540 && p[2] > p[1] && p[2] - p[0] >= 10 && p[2] - p[0] <= 60;
}

// The first row from the top of column x that is not sky (mountain or land), -1 when there is none.
int skyline(const Picture& picture, int x) {
    for (int y = 0; y < picture.height; ++y)
        if (isMountain(picture.at(x, y)) || isLand(picture.at(x, y)))
            return y;
    return -1;
}

// The row where the sky meets the land, averaged over the columns where two pictures agree (no sphere
// moves there).
double horizonRow(const Picture& a, const Picture& b) {
    double sum = 0;
    int columns = 0;
    for (int x = 2; x < a.width; x += 4)
        for (int y = 0; y < a.height; ++y)
            if (isLand(a.at(x, y))) {
                if (countDifferences(a, b, 10, x, 0, x + 1, y + 1) == 0) {
                    sum += y;
                    ++columns;
                }
                break;
            }
    return columns >= 20 ? sum / columns : -1.0;
}

// Waits until the window has shown `frames` new pictures (each differing from the one before; the spheres
// never stand still) and returns the last one. Frames can be slow on a loaded machine.
Picture nextFrames(Display* display, ::Window window, int frames) {
    Picture last = capture(display, window);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int seen = 0; seen < frames && std::chrono::steady_clock::now() < deadline;) {
        sleepFor(20);
        Picture next = capture(display, window);
        if (next.width != last.width || next.height != last.height || countDifferences(last, next, 6) > 300) {
            ++seen;
            last = std::move(next);
        }
    }
    return last;
}

// Moves the pointer to a point of the window and drags with a button held, in small steps.
void drag(Display* display, ::Window window, int button, int x0, int y0, int x1, int y1) {
    int rootX = 0, rootY = 0;
    ::Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &rootX, &rootY, &child);
    XTestFakeMotionEvent(display, -1, rootX + x0, rootY + y0, CurrentTime);
    XSync(display, False);
    sleepFor(50);
    XTestFakeButtonEvent(display, unsigned(button), True, CurrentTime);
    XSync(display, False);
    const int steps = 20;
    for (int i = 1; i <= steps; ++i) {
        XTestFakeMotionEvent(display, -1, rootX + x0 + (x1 - x0) * i / steps,
                             rootY + y0 + (y1 - y0) * i / steps, CurrentTime);
        XSync(display, False);
        sleepFor(15);
    }
    XTestFakeButtonEvent(display, unsigned(button), False, CurrentTime);
    XSync(display, False);
}

class ProgramTest : public ::testing::Test {
protected:
    // Starts the program and waits for its window and its first frames.
    ::Window start(Program& program) {
        ::Window window = program.waitForWindow();
        EXPECT_NE(window, 0u) << program.output();
        // The first frame waits for the driver to compile its shaders: wait until the picture is there.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (window && std::chrono::steady_clock::now() < deadline) {
            const Picture picture = capture(program.display(), window);
            if (countDifferences(
                    picture,
                    Picture{picture.width, picture.height, std::vector<uint8_t>(picture.rgb.size(), 0)},
                    0) > picture.width * picture.height / 2)
                break;
            sleepFor(100);
        }
        // Then until the spheres move: the first frames after that may still wait for the driver.
        Picture previous = capture(program.display(), window);
        while (window && std::chrono::steady_clock::now() < deadline) {
            sleepFor(200);
            Picture next = capture(program.display(), window);
            if (countDifferences(previous, next, 6) > 1000)
                break;
            previous = std::move(next);
        }
        return window;
    }

    // Closes the program as a user would and checks that it ended normally and quietly.
    void close(Program& program, ::Window window) {
        ASSERT_TRUE(korvane::tools::requestClose(program.display(), window));
        EXPECT_EQ(program.wait(15000), 1) << program.output();
        EXPECT_EQ(program.output().find("Sanitizer"), std::string::npos) << program.output();
    }
};

} // namespace

TEST_F(ProgramTest, ShowsTheSkyFourReflectingSpheresAndTheLabelAndClosesWithExitCodeOne) {
    Program program(runDirectory());
    const ::Window window = start(program);
    ASSERT_NE(window, 0u);

    int width = 0, height = 0;
    ASSERT_TRUE(korvane::tools::windowSize(program.display(), window, width, height));
    EXPECT_EQ(width, 600);
    EXPECT_EQ(height, 500);

    const Picture a = nextFrames(program.display(), window, 1);
    const Picture b = nextFrames(program.display(), window, 3);
    const Picture c = nextFrames(program.display(), window, 3);
    ASSERT_EQ(a.width, 600);
    ASSERT_EQ(c.width, 600);

    // The sky: blue above, land below the horizon near the middle.
    long blueTop = 0, landBottom = 0;
    for (int x = 0; x < 600; x += 4) {
        const uint8_t *top = a.at(x, 10), *bottom = a.at(x, 440);
        blueTop += top[2] > top[0] + 30;
        landBottom += bottom[1] > bottom[2];
    }
    EXPECT_GT(blueTop, 120);
    EXPECT_GT(landBottom, 100);
    const double horizon = horizonRow(a, b);
    EXPECT_GT(horizon, 200);
    EXPECT_LT(horizon, 300);

    // The spheres move, and what keeps changing inside them are reflections: sky and land tinted by the
    // sphere's colour, not the one hue a plainly lit sphere would show.
    long moving = 0, skyLike = 0, landLike = 0;
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 600; ++x)
            if (countDifferences(a, b, 6, x, y, x + 1, y + 1) &&
                countDifferences(b, c, 6, x, y, x + 1, y + 1) &&
                countDifferences(a, c, 6, x, y, x + 1, y + 1)) {
                ++moving;
                const uint8_t* p = b.at(x, y);
                skyLike += p[2] > p[1] + 8 && p[2] > p[0] + 8;
                landLike += p[1] > p[2] + 8 || (p[0] > p[2] + 8 && p[1] > p[2]);
            }
    EXPECT_GT(moving, 3000) << "the spheres turn and orbit";
    EXPECT_LT(moving, 600 * 500 / 2);
    EXPECT_GT(skyLike, moving / 20) << moving;
    EXPECT_GT(landLike, moving / 20) << moving;

    // The label sits near the bottom-left corner and nowhere else.
    EXPECT_GT(steadyWhite(b, c, 0, 440, 260, 500), 60);
    EXPECT_LT(steadyWhite(b, c, 340, 440, 600, 500), 10);

    close(program, window);
}

TEST_F(ProgramTest, DraggingTurnsTheCameraAndResizingKeepsTheLabelDownAndThePictureUnstretched) {
    Program program(runDirectory());
    const ::Window window = start(program);
    ASSERT_NE(window, 0u);
    Display* display = program.display();
    // Two pictures of consecutive frames, after the frames that may still show the previous state.
    auto twoPictures = [&](Picture& first, Picture& second) {
        first = nextFrames(display, window, 2);
        second = nextFrames(display, window, 1);
    };

    Picture before, before2;
    twoPictures(before, before2);
    const double horizonBefore = horizonRow(before, before2);
    ASSERT_GT(horizonBefore, 0);

    // Sideways: the view turns about the vertical, the sky moves past and the horizon stays.
    drag(display, window, 1, 300, 250, 420, 250);
    Picture sideways, sideways2;
    twoPictures(sideways, sideways2);
    EXPECT_GT(countDifferences(before, sideways, 12, 0, 0, 600, 200), 600 * 200 / 3);
    EXPECT_NEAR(horizonRow(sideways, sideways2), horizonBefore, 20.0);

    // Up and down: the horizon moves.
    drag(display, window, 1, 300, 250, 300, 280);
    Picture tilted, tilted2;
    twoPictures(tilted, tilted2);
    const double horizonTilted = horizonRow(tilted, tilted2);
    EXPECT_GT(std::fabs(horizonTilted - horizonBefore), 45.0) << horizonTilted;
    EXPECT_TRUE(program.isRunning()) << program.output();
    close(program, window);

    // A fresh program for the resize, with the camera where it starts.
    Program resized(runDirectory());
    const ::Window second = start(resized);
    ASSERT_NE(second, 0u);
    display = resized.display();
    const Picture small = nextFrames(display, second, 1);
    const Picture small2 = nextFrames(display, second, 1);
    XResizeWindow(display, second, 800, 400);
    XSync(display, False);
    nextFrames(display, second, 3);
    int width = 0, height = 0;
    ASSERT_TRUE(korvane::tools::windowSize(display, second, width, height));
    ASSERT_EQ(width, 800);
    ASSERT_EQ(height, 400);
    const Picture wide = nextFrames(display, second, 1);
    const Picture wide2 = nextFrames(display, second, 1);
    EXPECT_GT(steadyWhite(wide, wide2, 0, 340, 260, 400), 60) << "the label follows the bottom edge";

    // Unstretched: the larger side always spans the same angle, so the mountains' outline scales by
    // 800 / 600 about the centre in both directions.
    std::vector<double> errors;
    for (int x = 0; x < 600; x += 3) {
        const int y = skyline(small, x);
        const int wideX = int(std::lround(400.0 + (x - 300) * 4.0 / 3.0));
        if (y < 0 || y != skyline(small2, x) || wideX < 0 || wideX >= 800)
            continue;
        const int wideY = skyline(wide, wideX);
        if (wideY < 0 || wideY != skyline(wide2, wideX))
            continue;
        errors.push_back(std::fabs((wideY - 200.0) - (y - 250.0) * 4.0 / 3.0));
    }
    ASSERT_GE(errors.size(), 40u);
    std::sort(errors.begin(), errors.end());
    EXPECT_LE(errors[errors.size() / 2], 3.0);
    close(resized, second);
}

TEST_F(ProgramTest, WithoutFrameBufferObjectsCopiesTheFacesAndShowsTheSamePicture) {
    Program fast(runDirectory());
    const ::Window fastWindow = start(fast);
    ASSERT_NE(fastWindow, 0u);
    const Picture fastA = nextFrames(fast.display(), fastWindow, 1);
    const Picture fastB = nextFrames(fast.display(), fastWindow, 2);
    close(fast, fastWindow);

    Program slow(runDirectory(), {{"MESA_EXTENSION_OVERRIDE", "-GL_EXT_framebuffer_object"}});
    const ::Window slowWindow = start(slow);
    ASSERT_NE(slowWindow, 0u);
    const Picture slowA = nextFrames(slow.display(), slowWindow, 1);
    const Picture slowB = nextFrames(slow.display(), slowWindow, 2);
    ASSERT_TRUE(slow.isRunning()) << slow.output();
    ASSERT_EQ(slowA.width, 600);
    ASSERT_EQ(slowB.width, 600);
    ASSERT_EQ(fastA.width, 600);
    ASSERT_EQ(fastB.width, 600);

    // Where neither run's spheres move and no label is, the two modes show the same sky.
    long compared = 0, differ = 0;
    for (int y = 0; y < 430; ++y)
        for (int x = 0; x < 600; ++x)
            if (!countDifferences(fastA, fastB, 4, x, y, x + 1, y + 1) &&
                !countDifferences(slowA, slowB, 4, x, y, x + 1, y + 1)) {
                ++compared;
                differ += countDifferences(fastA, slowA, 6, x, y, x + 1, y + 1);
            }
    EXPECT_GT(compared, 600 * 430 / 2);
    EXPECT_LT(differ, compared / 50);

    // The labels differ (other text), and the slow run still shows moving, reflecting spheres.
    EXPECT_GT(countDifferences(fastB, slowB, 40, 0, 450, 260, 500), 30);
    EXPECT_GT(countDifferences(slowA, slowB, 6), 3000);
    close(slow, slowWindow);
}

TEST_F(ProgramTest, MissingOrBrokenFilesEndTheProgramWithAMessageAndExitCodeMinusOne) {
    {
        RunDirectoryCopy directory;
        directory.remove("data/cubeshader.vp");
        Program program(directory.path());
        EXPECT_EQ(program.wait(20000), 255);
        EXPECT_NE(program.output().find("The system cannot find the file specified."), std::string::npos)
            << program.output();
    }
    {
        RunDirectoryCopy directory;
        directory.write("data/cubeshader.pp",
                        std::string("#version 110\nvoid main() { gl_FragColor = vec4(1.0) }\n"));
        Program program(directory.path());
        EXPECT_EQ(program.wait(20000), 255);
        // The compiler's log: it names the error and its line.
        EXPECT_NE(program.output().find("error"), std::string::npos) << program.output();
    }
    {
        RunDirectoryCopy directory;
        for (const std::string& font : directory.fonts())
            directory.remove(font);
        Program program(directory.path());
        EXPECT_EQ(program.wait(20000), 255);
        EXPECT_NE(program.output().find("Accidental Presidency"), std::string::npos) << program.output();
    }
    {
        // A plain 4 x 4 image where the six faces should be.
        RunDirectoryCopy directory;
        korvane::test::DdsHeader header;
        header.width = header.height = 4;
        header.bitCount = 24;
        header.masks[3] = 0;
        directory.write("data/stpeters_cross.dds",
                        korvane::test::ddsFile(header, std::vector<unsigned char>(48, 0x80)));
        Program program(directory.path());
        EXPECT_EQ(program.wait(20000), 255);
        EXPECT_NE(program.output().find("cube map"), std::string::npos) << program.output();
    }
}

TEST_F(ProgramTest, WithoutADisplayTheProgramSaysSoAndEnds) {
    Program program(runDirectory(), {{"DISPLAY", ":4093"}});
    const int code = program.wait(20000);
    EXPECT_NE(code, -1) << "still running without a display";
    EXPECT_NE(code, 0);
    EXPECT_NE(code, 1);
    EXPECT_NE(program.output().find("cannot be opened"), std::string::npos) << program.output();
}
