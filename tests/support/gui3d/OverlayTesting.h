#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "freetype/FontFactory.h"
#include "io/SystemFileFactory.h"
#include "object/Pointer.h"
#include "platform/Window.h"
#include "support/freetype/Fonts.h"
#include "support/graphics3d/GLTestWindow.h"
#include "support/io/TemporaryDirectory.h"

namespace korvane::gui3d::test {

// A GL test window with DejaVu Sans at 24 pixels, built once for the suite.
class OverlayTest : public graphics3d::test::GLTest {
protected:
    static void SetUpTestSuite() {
        korvane::test::TemporaryDirectory directory;
        korvane::test::copyFont(directory.path(), "DejaVuSans.ttf", "sans.ttf");
        auto files = object::Pointer<io::SystemFileFactory>::adopt(
            new io::SystemFileFactory(directory.path().c_str()));
        auto factory = object::Pointer<freetype::FontFactory>::adopt(new freetype::FontFactory(files.get()));
        font() = object::Pointer<freetype::Font>::adopt(
            factory->createFont(freetype::Descriptor("DejaVu Sans", 24, 24)));
    }
    static void TearDownTestSuite() { font() = nullptr; }
    static object::Pointer<freetype::Font>& font() {
        static object::Pointer<freetype::Font> shared;
        return shared;
    }

    // Delivers a window message to the test window's procedure (whichever is installed).
    platform::Result send(uint32_t message, platform::WParam wParam = 0, platform::LParam lParam = 0) {
        return platform::sendMessage(context->getWindow(), message, wParam, lParam);
    }
    static platform::LParam at(int x, int y) {
        return platform::LParam((uint32_t(uint16_t(y)) << 16) | uint16_t(x));
    }

    // The window's pixels as 0xRRGGBB, rows top to bottom.
    std::vector<uint32_t> readFrame(int& width, int& height) {
        width = context->size.width;
        height = context->size.height;
        std::vector<unsigned char> rgba(size_t(width) * size_t(height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<uint32_t> pixels(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const unsigned char* p = &rgba[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4];
                pixels[size_t(y) * size_t(width) + size_t(x)] =
                    uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            }
        }
        return pixels;
    }
};

} // namespace korvane::gui3d::test
