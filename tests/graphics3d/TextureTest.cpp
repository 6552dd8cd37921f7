#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/Bitmap.h"
#include "graphics3d/Context.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/Graphics3dException.h"
#include "graphics3d/Texture2D.h"
#include "graphics3d/TextureFormat.h"
#include "object/Pointer.h"
#include "support/graphics3d/GLTestWindow.h"

namespace korvane::graphics3d {
namespace {

using graphics::Bitmap;
using graphics::Image;
using graphics::PixelFormat;
using object::Pointer;
using test::getInteger;

struct Colour {
    uint8_t r, g, b;
};

const Colour faceColours[6] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                               {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};

// A bitmap that counts the live ones, to tell whether a chain was let go of.
class LiveBitmap : public Bitmap {
public:
    LiveBitmap(PixelFormat format, int width, int height) : Bitmap(format, width, height) { ++live; }
    ~LiveBitmap() override { --live; }
    static inline int live = 0;
};

// A bitmap of one colour; RGBA8 and RGB8 only.
Bitmap* makeBitmap(PixelFormat format, int size, Colour colour, int height = 0) {
    auto* bitmap = new LiveBitmap(format, size, height > 0 ? height : size);
    const int channels = format == PixelFormat::RGBA8 ? 4 : 3;
    auto* pixels = static_cast<uint8_t*>(bitmap->lock());
    for (int i = 0; i < bitmap->getWidth() * bitmap->getHeight(); ++i) {
        pixels[i * channels] = colour.r;
        pixels[i * channels + 1] = colour.g;
        pixels[i * channels + 2] = colour.b;
        if (channels == 4)
            pixels[i * channels + 3] = 255;
    }
    return bitmap;
}

// `count` images in cube order: image i has face colour i % 6; the size halves every six images.
Pointer<Image> makeChain(int count, int size, PixelFormat format = PixelFormat::RGBA8) {
    Pointer<Image> first;
    Image* last = nullptr;
    for (int i = 0; i < count; ++i) {
        const int levelSize = size >> (i / 6) > 0 ? size >> (i / 6) : 1;
        auto image = Pointer<Image>::adopt(makeBitmap(format, levelSize, faceColours[i % 6]));
        if (last)
            last->setNext(image);
        else
            first = image;
        last = image;
    }
    return first;
}

// A further reference to a chain, for a creator to take over while the test keeps looking at the chain.
Image* share(Image* chain) {
    chain->addReference();
    return chain;
}

// Names 1 to 1000 that are texture objects: a leaked name shows up as one more.
int countTextureNames() {
    int count = 0;
    for (GLuint name = 1; name <= 1000; ++name)
        count += glIsTexture(name) ? 1 : 0;
    return count;
}

// Whether every pixel of a width x height image of a texture (a level, or a cube face's level) has the
// colour.
bool imageIs(GLenum target, GLenum binding, GLuint name, GLenum image, int level, int width, int height,
             Colour colour) {
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    const GLint saved = getInteger(binding);
    glBindTexture(target, name);
    glGetTexImage(image, level, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(target, GLuint(saved));
    for (size_t i = 0; i < pixels.size(); i += 4) {
        if (pixels[i] != colour.r || pixels[i + 1] != colour.g || pixels[i + 2] != colour.b)
            return false;
    }
    return width > 0 && height > 0;
}

bool faceIs(const Texture& cube, GLenum face, int level, Colour colour) {
    const int size = cube.getWidth() >> level;
    return imageIs(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_BINDING_CUBE_MAP, cube.getGLName(), face, level, size,
                   size, colour);
}

GLint parameter(GLenum target, GLuint name, GLenum query) {
    const GLint saved = getInteger(Texture::bindingQueryOf(target));
    glBindTexture(target, name);
    GLint value = 0;
    glGetTexParameteriv(target, query, &value);
    glBindTexture(target, GLuint(saved));
    return value;
}

class TextureTest : public test::GLTest {};

TEST_F(TextureTest, FreshCubeMapsClampAndFreshTwoDimensionalTexturesRepeat) {
    glActiveTexture(GL_TEXTURE2);
    auto cube = Pointer<CubeTexture>::adopt(createCubeTexture(PixelFormat::RGB8, 5, 5, -1));
    EXPECT_EQ(cube->getClassPath(), "Object:Resource:Texture:CubeTexture");
    EXPECT_EQ(cube->getWidth(), 8) << "sizes round up to powers of two";
    EXPECT_EQ(cube->getHeight(), 8);
    EXPECT_EQ(cube->getFormat(), PixelFormat::RGB8);
    EXPECT_EQ(cube->getLevelCount(), 1001u);
    const GLuint name = cube->getGLName();
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_CUBE_MAP), GLint(name)) << "left bound on the active unit";
    EXPECT_EQ(context->boundTextures[2], cube.get());
    EXPECT_EQ(context->textureTargets[2], GLenum(GL_TEXTURE_CUBE_MAP));
    for (GLenum query : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        EXPECT_EQ(parameter(GL_TEXTURE_CUBE_MAP, name, query), GL_NEAREST);
    for (GLenum query : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        EXPECT_EQ(parameter(GL_TEXTURE_CUBE_MAP, name, query), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(GL_TEXTURE_CUBE_MAP, name, GL_GENERATE_MIPMAP), GL_FALSE);

    auto flat = Pointer<Texture2D>::adopt(createTexture2D(PixelFormat::A8, {0, 4}, -2));
    EXPECT_EQ(flat->getClassPath(), "Object:Resource:Texture:Texture2D");
    EXPECT_EQ(flat->getWidth(), 1);
    EXPECT_EQ(flat->getHeight(), 4);
    EXPECT_EQ(flat->getFormat(), PixelFormat::A8);
    EXPECT_EQ(context->boundTextures[2], flat.get());
    const GLuint flatName = flat->getGLName();
    for (GLenum query : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        EXPECT_EQ(parameter(GL_TEXTURE_2D, flatName, query), GL_REPEAT);
    // Mode -2 asks for generated levels, which the texture makes itself when they are sampled.
    EXPECT_TRUE(flat->hasGeneratedLevels());
    EXPECT_EQ(parameter(GL_TEXTURE_2D, flatName, GL_GENERATE_MIPMAP), GL_FALSE);
    GLfloat lod[2] = {};
    glBindTexture(GL_TEXTURE_2D, flatName);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MIN_LOD, &lod[0]);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LOD, &lod[1]);
    EXPECT_EQ(lod[0], -1000.0f);
    EXPECT_EQ(lod[1], 1000.0f);

    flat = nullptr;
    EXPECT_EQ(context->boundTextures[2], nullptr) << "destruction clears the unit's record";
    EXPECT_FALSE(glIsTexture(flatName));
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(TextureTest, SetFilterKeepsTheTextureBoundBefore) {
    auto cube = Pointer<CubeTexture>::adopt(createCubeTexture(PixelFormat::RGBA8, {16, 16}, -2));
    auto other = Pointer<CubeTexture>::adopt(createCubeTexture(PixelFormat::RGBA8, {16, 16}, -2));
    ASSERT_EQ(getInteger(GL_TEXTURE_BINDING_CUBE_MAP), GLint(other->getGLName()));
    cube->setFilter(GL_NEAREST, GL_LINEAR);
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_CUBE_MAP), GLint(other->getGLName()));
    EXPECT_EQ(cube->getMinFilter(), GLenum(GL_NEAREST));
    EXPECT_EQ(cube->getMagFilter(), GLenum(GL_LINEAR));
    EXPECT_EQ(parameter(GL_TEXTURE_CUBE_MAP, cube->getGLName(), GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_CUBE_MAP, other->getGLName(), GL_TEXTURE_MAG_FILTER), GL_NEAREST);
}

TEST_F(TextureTest, ChainsLoadLevelByLevelInFaceOrder) {
    Pointer<Image> six = makeChain(6, 256);
    auto cube = Pointer<CubeTexture>::adopt(createCubeTexture(share(six), -1));
    EXPECT_EQ(cube->getWidth(), 256);
    for (int face = 0; face < 6; ++face)
        EXPECT_TRUE(faceIs(*cube, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, faceColours[face])) << face;
    GLint secondLevel = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 1, GL_TEXTURE_WIDTH, &secondLevel);
    EXPECT_EQ(secondLevel, 0) << "six images make one level";
    EXPECT_FALSE(six->isLocked());

    // Two levels with mode -1; mode 1 stops after the first level; -2 uploads one and lets GL generate.
    Pointer<Image> twelve = makeChain(12, 8, PixelFormat::RGB8);
    cube = Pointer<CubeTexture>::adopt(createCubeTexture(share(twelve), -1));
    EXPECT_EQ(cube->getFormat(), PixelFormat::RGB8);
    for (int face = 0; face < 6; ++face)
        EXPECT_TRUE(faceIs(*cube, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 1, faceColours[face])) << face;
    cube = Pointer<CubeTexture>::adopt(createCubeTexture(share(twelve), 1));
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 1, GL_TEXTURE_WIDTH, &secondLevel);
    EXPECT_EQ(secondLevel, 0);
    cube = Pointer<CubeTexture>::adopt(createCubeTexture(share(twelve), -2));
    glGetTexLevelParameteriv(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 1, GL_TEXTURE_WIDTH, &secondLevel);
    EXPECT_EQ(secondLevel, 0) << "no levels made while nothing samples them";
    cube->setFilter(GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR);
    EXPECT_TRUE(faceIs(*cube, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, 1, faceColours[5])) << "generated from level 0";
}

TEST_F(TextureTest, FailedCreatorsLeaveNoTextureNameAndTheBindingAsItWas) {
    auto bound = Pointer<CubeTexture>::adopt(createCubeTexture(PixelFormat::RGBA8, 4, 4, -1));
    auto boundFlat = Pointer<Texture2D>::adopt(createTexture2D(PixelFormat::RGBA8, {4, 4}, -1));
    const int names = countTextureNames();
    auto expectNothingLeft = [&](const char* what) {
        EXPECT_EQ(countTextureNames(), names) << what;
        EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_CUBE_MAP), GLint(bound->getGLName())) << what;
        EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), GLint(boundFlat->getGLName())) << what;
        EXPECT_EQ(context->boundTextures[0], boundFlat.get()) << what;
    };

    // The chain runs out at the second level's second face.
    Pointer<Image> seven = makeChain(7, 256);
    EXPECT_THROW(createCubeTexture(share(seven), -1), TextureException);
    expectNothingLeft("seven images");
    for (Image* image = seven; image; image = image->getNext())
        EXPECT_FALSE(image->isLocked());

    // A face that is not a power of two is resized on its own, which leaves one face.
    Pointer<Image> odd = makeChain(6, 300);
    EXPECT_THROW(createCubeTexture(share(odd), -1), TextureException);
    expectNothingLeft("300 x 300 faces");

    // Six faces of one level that differ in size would make an incomplete cube; also when the odd face
    // is a smaller power of two, or sits in the second level.
    for (int odd : {3, 11}) {
        Pointer<Image> mixed = makeChain(12, 16);
        Image* previous = mixed;
        for (int i = 1; i < odd; ++i)
            previous = previous->getNext();
        auto smaller = Pointer<Image>::adopt(makeBitmap(PixelFormat::RGBA8, 4, faceColours[0]));
        Pointer<Image> rest = Pointer<Image>::adopt(previous->detachNext());
        if (rest && rest->getNext())
            smaller->setNext(Pointer<Image>::adopt(rest->detachNext()));
        previous->setNext(smaller);
        EXPECT_THROW(createCubeTexture(share(mixed), -1), TextureException) << odd;
        expectNothingLeft("faces of different sizes");
    }

    // GL rejects faces that are not square and sizes beyond its limits.
    auto wide = Pointer<Image>::adopt(new Bitmap(PixelFormat::RGBA8, 8, 4));
    EXPECT_THROW(createCubeTexture(share(wide), -1), TextureException);
    expectNothingLeft("8 x 4 faces");
    EXPECT_THROW(createCubeTexture(PixelFormat::RGBA8, 1 << 20, 1 << 20, -1), TextureException);
    expectNothingLeft("huge cube map");
    EXPECT_THROW(createTexture2D(PixelFormat::RGBA8, {1 << 20, 1}, -1), TextureException);
    expectNothingLeft("huge 2D texture");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, UnreadableFormatsAreRejectedBeforeAnyGLCall) {
    auto dxt = Pointer<Image>::adopt(new Bitmap(PixelFormat::DXT1, 256, 256));
    // A pending error and a changed unpack alignment show that GL was not called at all.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glEnable(0xFFFF);
    EXPECT_THROW(createCubeTexture(share(dxt), -1), TypeException);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    EXPECT_EQ(getInteger(GL_UNPACK_ALIGNMENT), 4);

    const int names = countTextureNames();
    EXPECT_THROW(createCubeTexture(PixelFormat::A16F, 4, 4, -1), TypeException);
    EXPECT_THROW(createTexture2D(PixelFormat::DXT5, {4, 4}, -1), TypeException);
    // Depth images carry no pixels for GL to read; a chain of mixed layouts would be read with the wrong
    // pixel size.
    auto depth = Pointer<Image>::adopt(new Bitmap(PixelFormat::Depth16, 4, 4));
    EXPECT_THROW(createCubeTexture(share(depth), -1), TypeException);
    Pointer<Image> mixed = makeChain(6, 4);
    mixed->getNext()->setNext(Pointer<Image>::adopt(new Bitmap(PixelFormat::RGBA16, 4, 4)));
    EXPECT_THROW(createCubeTexture(share(mixed), -1), TypeException);
    EXPECT_EQ(countTextureNames(), names);
}

TEST_F(TextureTest, UploadReplacesARegionOfALevel) {
    auto texture = Pointer<Texture2D>::adopt(createTexture2D(PixelFormat::RGBA8, {4, 4}, -1));
    auto other = Pointer<Texture2D>::adopt(createTexture2D(PixelFormat::RGBA8, {4, 4}, -1));
    std::vector<uint8_t> zero(4 * 4 * 4, 0);
    glBindTexture(GL_TEXTURE_2D, texture->getGLName());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
    glBindTexture(GL_TEXTURE_2D, other->getGLName());

    // A 3 x 2 BGR image with a different colour per pixel; rows are not padded.
    auto image = Pointer<Image>::adopt(new Bitmap(PixelFormat::BGR8, 3, 2));
    auto* bytes = static_cast<uint8_t*>(image->lock());
    for (int i = 0; i < 6; ++i) {
        bytes[i * 3] = uint8_t(i);           // blue
        bytes[i * 3 + 1] = uint8_t(10 + i);  // green
        bytes[i * 3 + 2] = uint8_t(100 + i); // red
    }
    EXPECT_TRUE(texture->upload(*image, 0));
    EXPECT_EQ(getInteger(GL_TEXTURE_BINDING_2D), GLint(other->getGLName()));
    EXPECT_EQ(getInteger(GL_UNPACK_ROW_LENGTH), 0);

    std::vector<uint8_t> read(4 * 4 * 4);
    glBindTexture(GL_TEXTURE_2D, texture->getGLName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, read.data());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const uint8_t* pixel = &read[(y * 4 + x) * 4];
            EXPECT_EQ(pixel[0], 100 + y * 3 + x);
            EXPECT_EQ(pixel[1], 10 + y * 3 + x);
            EXPECT_EQ(pixel[2], y * 3 + x);
        }
    }
    EXPECT_EQ(read[3 * 4], 0) << "the rest of the level is untouched";

    auto large = Pointer<Image>::adopt(new Bitmap(PixelFormat::RGBA8, 8, 8));
    EXPECT_FALSE(texture->upload(*large, 0)) << "larger than the level";
    auto dxt = Pointer<Image>::adopt(new Bitmap(PixelFormat::DXT3, 4, 4));
    EXPECT_THROW(texture->upload(*dxt, 0), TypeException);
}

// Whether every pixel of a level of a 2D texture has the colour.
bool levelIs(const Texture2D& texture, int level, Colour colour) {
    const int width = std::max(texture.getWidth() >> level, 1);
    const int height = std::max(texture.getHeight() >> level, 1);
    return imageIs(GL_TEXTURE_2D, GL_TEXTURE_BINDING_2D, texture.getGLName(), GL_TEXTURE_2D, level, width,
                   height, colour);
}

// The levels of a mipmapped 2D file as the DDS reader chains them: width x height halving down to 1 x 1,
// level i in colour i.
Pointer<Image> makeLevels(int width, int height) {
    Pointer<Image> first;
    Image* last = nullptr;
    for (int level = 0; level == 0 || (width >> level) > 0 || (height >> level) > 0; ++level) {
        auto image = Pointer<Image>::adopt(makeBitmap(PixelFormat::RGBA8, std::max(width >> level, 1),
                                                      faceColours[level % 6], std::max(height >> level, 1)));
        if (last)
            last->setNext(image);
        else
            first = image;
        last = image;
    }
    return first;
}

TEST_F(TextureTest, TwoDimensionalChainsKeepTheirOwnLevelsAndEveryLevelCanBeFilled) {
    auto texture = Pointer<Texture2D>::adopt(createTexture2D(makeLevels(16, 4).detach(), -1));
    EXPECT_EQ(texture->getLevelCount(), 5u);
    EXPECT_EQ(texture->getLastLevel(), 4);
    for (int level = 0; level <= 4; ++level)
        EXPECT_TRUE(levelIs(*texture, level, faceColours[level])) << level;
    EXPECT_FALSE(texture->hasGeneratedLevels());

    // Any level the texture has takes new pixels; one it has not is refused by name.
    auto blue = Pointer<Image>::adopt(makeBitmap(PixelFormat::RGBA8, 4, faceColours[2], 1));
    EXPECT_TRUE(texture->upload(*blue, 2));
    EXPECT_TRUE(levelIs(*texture, 2, faceColours[2]));
    try {
        texture->upload(*blue, 5);
        ADD_FAILURE() << "level 5 of a texture of five levels was taken";
    } catch (const TextureException& exception) {
        EXPECT_NE(std::string(exception.getMessage().view()).find("level 5"), std::string::npos)
            << exception.getMessage().view();
    }
    EXPECT_THROW(texture->upload(*blue, -1), TextureException);

    // A chain that stops short samples only the levels it brought.
    Pointer<Image> shortChain = makeLevels(8, 8);
    Pointer<Image>::adopt(shortChain->getNext()->detachNext()); // as if the file ended after two levels
    auto partial = Pointer<Texture2D>::adopt(createTexture2D(shortChain.detach(), -1));
    EXPECT_EQ(partial->getLastLevel(), 1);
    EXPECT_TRUE(levelIs(*partial, 1, faceColours[1]));
    EXPECT_THROW(partial->upload(*blue, 2), TextureException);

    // An empty texture's levels below 0 get their storage when first filled.
    auto empty = Pointer<Texture2D>::adopt(createTexture2D(PixelFormat::RGBA8, {8, 2}, -1));
    auto small = Pointer<Image>::adopt(makeBitmap(PixelFormat::RGBA8, 4, faceColours[4], 1));
    EXPECT_TRUE(empty->upload(*small, 1));
    EXPECT_TRUE(levelIs(*empty, 1, faceColours[4]));
    EXPECT_THROW(empty->upload(*small, 4), TextureException) << "8 x 2 has levels 0 to 3";

    // Mode -2 keeps level 0 alone and makes the others from it when they are sampled.
    auto generated = Pointer<Texture2D>::adopt(createTexture2D(makeLevels(4, 4).detach(), -2));
    generated->setFilter(GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR);
    EXPECT_TRUE(levelIs(*generated, 1, faceColours[0]));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(TextureTest, ChainCreatorsReleaseTheirChainWhetherTheySucceedOrFail) {
    const int live = LiveBitmap::live;
    // What handing the chain over gives: "" for a texture, else the exception's class.
    auto hand = [](Pointer<Image> chain, bool cube, int32_t levels) -> std::string {
        try {
            if (cube)
                Pointer<Texture>::adopt(createCubeTexture(chain.detach(), levels));
            else
                Pointer<Texture>::adopt(createTexture2D(chain.detach(), levels));
        } catch (const object::Exception& exception) {
            return std::string(exception.getName().view());
        }
        return "";
    };
    auto withOddFormat = [](Pointer<Image> chain) {
        chain->getNext()->setNext(Pointer<Image>::adopt(new LiveBitmap(PixelFormat::RGBA16, 4, 4)));
        return chain;
    };
    auto withOddLevel = [](Pointer<Image> chain) {
        chain->setNext(Pointer<Image>::adopt(makeBitmap(PixelFormat::RGBA8, 2, faceColours[0])));
        return chain;
    };
    const struct {
        const char* what;
        std::string outcome;
        std::string result;
    } cases[] = {
        {"cube of two levels", "", hand(makeChain(12, 8), true, -1)},
        {"cube, generated levels", "", hand(makeChain(12, 8), true, -2)},
        {"2D of four levels", "", hand(makeLevels(8, 8), false, -1)},
        {"cube chain ending inside a level", "TextureException", hand(makeChain(7, 8), true, -1)},
        {"cube of 300 x 300 faces", "TextureException", hand(makeChain(6, 300), true, -1)},
        {"2D of 300 x 300", "", hand(makeLevels(300, 300), false, -2)},
        {"2D level of the wrong size", "TextureException", hand(withOddLevel(makeLevels(8, 8)), false, -1)},
        {"cube of mixed formats", "TypeException", hand(withOddFormat(makeChain(6, 4)), true, -1)},
        {"2D of mixed formats", "TypeException", hand(withOddFormat(makeLevels(4, 4)), false, -1)},
        {"compressed cube", "TypeException",
         hand(Pointer<Image>::adopt(new LiveBitmap(PixelFormat::DXT1, 8, 8)), true, -1)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.result, c.outcome) << c.what;
    EXPECT_EQ(LiveBitmap::live, live) << "images left behind";
    EXPECT_THROW(createTexture2D(static_cast<Image*>(nullptr), -1), TextureException);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Bytes that every channel of the format stores exactly: unsigned patterns for integer channels, small
// values for signed ones, and 0.25 steps for floating point.
std::vector<uint8_t> exactPixels(PixelFormat format, size_t bytes) {
    std::vector<uint8_t> pixels(bytes);
    if (format == PixelFormat::RGBA16F || format == PixelFormat::RGB16F) {
        const uint16_t halves[] = {0x3C00, 0x3800, 0x3400, 0x0000};
        for (size_t i = 0; i < bytes / 2; ++i)
            std::memcpy(&pixels[i * 2], &halves[i % 4], 2);
    } else if (format == PixelFormat::RGBA32F || format == PixelFormat::RGB32F) {
        for (size_t i = 0; i < bytes / 4; ++i) {
            const float value = float(i % 5) / 4.0f;
            std::memcpy(&pixels[i * 4], &value, 4);
        }
    } else if (format == PixelFormat::DU8DV8) {
        for (size_t i = 0; i < bytes; ++i)
            pixels[i] = uint8_t(int8_t(i % 2 ? -int(i) : int(i)));
    } else {
        for (size_t i = 0; i < bytes; ++i)
            pixels[i] = uint8_t(37 * i + 11);
    }
    return pixels;
}

TEST_F(TextureTest, EveryUploadableFormatReadsBackTheBytesItWasGiven) {
    const PixelFormat formats[] = {
        PixelFormat::RGBA8,  PixelFormat::RGB5A1,  PixelFormat::R5G6B5, PixelFormat::RGB8,
        PixelFormat::BGR8,   PixelFormat::BGRA8,   PixelFormat::RGB16,  PixelFormat::RGBA16,
        PixelFormat::BGR16,  PixelFormat::BGRA16,  PixelFormat::A8,     PixelFormat::A16,
        PixelFormat::DU8DV8, PixelFormat::RGBA16F, PixelFormat::RGB16F, PixelFormat::RGBA32F,
        PixelFormat::RGB32F,
    };
    for (PixelFormat format : formats) {
        SCOPED_TRACE(testing::Message() << std::hex << uint32_t(format));
        if (format == PixelFormat::DU8DV8 && !GLEW_ATI_envmap_bumpmap)
            continue; // the driver has no such textures
        const UploadFormat upload = getUploadFormat(format);
        auto image = Pointer<Image>::adopt(new Bitmap(format, 4, 2));
        const size_t bytes = size_t(graphics::getBytesPerPixel(format)) * 8;
        const std::vector<uint8_t> pixels = exactPixels(format, bytes);
        std::memcpy(image->lock(), pixels.data(), bytes);
        image->unlock();

        Pointer<Texture2D> texture;
        ASSERT_NO_THROW(texture = Pointer<Texture2D>::adopt(createTexture2D(format, {4, 2}, -1)));
        ASSERT_TRUE(texture->upload(*image, 0));
        std::vector<uint8_t> read(bytes + 16, 0xEE);
        glBindTexture(GL_TEXTURE_2D, texture->getGLName());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, upload.format, upload.type, read.data());
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.begin() + bytes), pixels);
        EXPECT_EQ(read[bytes], 0xEE) << "GL wrote past the image's size";
    }
}

TEST_F(TextureTest, PackedSixteenBitPixelsKeepTheirChannels) {
    // 1-5-5-5 puts alpha in the top bit, then red, green, blue; 5-6-5 puts red on top.
    struct Case {
        PixelFormat format;
        uint16_t pixel;
        uint8_t rgba[4];
    } cases[] = {
        {PixelFormat::RGB5A1, 0x8000 | 31 << 10, {255, 0, 0, 255}},
        {PixelFormat::RGB5A1, 31 << 5, {0, 255, 0, 0}},
        {PixelFormat::RGB5A1, 0x8000 | 31, {0, 0, 255, 255}},
        {PixelFormat::R5G6B5, 31 << 11, {255, 0, 0, 255}},
        {PixelFormat::R5G6B5, 63 << 5, {0, 255, 0, 255}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pixel);
        auto image = Pointer<Image>::adopt(new Bitmap(c.format, 1, 1));
        std::memcpy(image->lock(), &c.pixel, 2);
        image->unlock();
        auto texture = Pointer<Texture2D>::adopt(createTexture2D(c.format, {1, 1}, -1));
        ASSERT_TRUE(texture->upload(*image, 0));
        uint8_t read[4] = {};
        glBindTexture(GL_TEXTURE_2D, texture->getGLName());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, read);
        EXPECT_EQ(std::vector<uint8_t>(read, read + 4), std::vector<uint8_t>(c.rgba, c.rgba + 4));
    }
}

TEST_F(TextureTest, PaletteAndHalfFloatImagesUploadTheirOwnPixels) {
    auto texture = Pointer<Texture2D>::adopt(createTexture2D(PixelFormat::RGBA8, {2, 1}, -1));
    auto indexed = Pointer<Image>::adopt(new Bitmap(PixelFormat::P8, 2, 1));
    graphics::Palette<unsigned char> palette;
    palette[7][0] = 255;
    palette[9][1] = 51;
    palette[9][2] = 102;
    indexed->setPalette(palette);
    auto* indices = static_cast<uint8_t*>(indexed->lock());
    indices[0] = 7;
    indices[1] = 9;
    EXPECT_TRUE(texture->upload(*indexed, 0));
    EXPECT_EQ(getInteger(GL_MAP_COLOR), GL_FALSE) << "later transfers must not be mapped";
    uint8_t read[8] = {};
    glBindTexture(GL_TEXTURE_2D, texture->getGLName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, read);
    EXPECT_EQ(read[0], 255);
    EXPECT_EQ(read[1], 0);
    EXPECT_EQ(read[4], 0);
    EXPECT_EQ(read[5], 51);
    EXPECT_EQ(read[6], 102);

    // Half floats: 1.0 is 0x3C00 and 0.5 is 0x3800; GL must read two bytes per channel.
    auto half = Pointer<Image>::adopt(new Bitmap(PixelFormat::RGBA16F, 2, 1));
    const uint16_t halves[8] = {0x3C00, 0x3800, 0, 0x3C00, 0, 0x3C00, 0x3800, 0x3C00};
    std::memcpy(half->lock(), halves, sizeof halves);
    EXPECT_TRUE(texture->upload(*half, 0));
    glBindTexture(GL_TEXTURE_2D, texture->getGLName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, read);
    EXPECT_EQ(read[0], 255);
    EXPECT_NEAR(read[1], 128, 1);
    EXPECT_EQ(read[5], 255);
    EXPECT_NEAR(read[6], 128, 1);
}

} // namespace
} // namespace korvane::graphics3d
