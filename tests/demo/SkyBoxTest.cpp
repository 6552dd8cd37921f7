#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "graphics/Image.h"
#include "io/SystemFile.h"
#include "io/TranslatorDDS.h"
#include "object/Pointer.h"
#include "tools/skybox/SkyBox.h"

using korvane::graphics::Image;
using korvane::graphics::PixelFormat;
using korvane::io::File;
using korvane::io::SystemFile;
using korvane::io::TranslatorDDS;
using korvane::object::Pointer;

namespace {

struct Texel {
    int red = 0, green = 0, blue = 0;
};

// One face of the cube map as the reader delivers it (BGR bytes, rows top down).
struct Face {
    int size = 0;
    std::vector<unsigned char> bytes;

    Texel at(int column, int row) const {
        const unsigned char* p = &bytes[(size_t(row) * size + column) * 3];
        return {p[2], p[1], p[0]};
    }
    Texel mean() const {
        long sum[3] = {};
        for (size_t i = 0; i < bytes.size(); i += 3)
            for (int c = 0; c < 3; ++c)
                sum[c] += bytes[i + c];
        long n = long(bytes.size() / 3);
        return {int(sum[2] / n), int(sum[1] / n), int(sum[0] / n)};
    }
};

int difference(Texel a, Texel b) {
    return std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
}

// The face and texel GL's cube-map lookup samples for a direction (faces +X, -X, +Y, -Y, +Z, -Z).
void lookUp(double x, double y, double z, int size, int& face, int& column, int& row) {
    double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z), sc, tc, ma;
    if (ax >= ay && ax >= az) {
        face = x > 0 ? 0 : 1;
        sc = x > 0 ? -z : z;
        tc = -y;
        ma = ax;
    } else if (ay >= az) {
        face = y > 0 ? 2 : 3;
        sc = x;
        tc = y > 0 ? z : -z;
        ma = ay;
    } else {
        face = z > 0 ? 4 : 5;
        sc = z > 0 ? x : -x;
        tc = -y;
        ma = az;
    }
    double s = (sc / ma + 1) / 2, t = (tc / ma + 1) / 2;
    column = std::clamp(int(s * size), 0, size - 1);
    row = std::clamp(int(t * size), 0, size - 1);
}

class SkyBoxFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        auto file = Pointer<SystemFile>::adopt(
            SystemFile::open(KORVANE_RUN_DIR "/data/stpeters_cross.dds", File::Read));
        TranslatorDDS translator;
        auto& stream = file->getInputStream();
        auto images = Pointer<Image>::adopt(translator.read(stream, uint32_t(stream.available())));
        format = translator.getFormat();
        for (Image* image = images.get(); image; image = image->getNext()) {
            Face face;
            face.size = image->getWidth();
            heights.push_back(image->getHeight());
            auto* pixels = static_cast<unsigned char*>(image->lock());
            for (int row = 0; row < image->getHeight(); ++row)
                face.bytes.insert(face.bytes.end(), pixels + size_t(row) * image->getPitch(),
                                  pixels + size_t(row) * image->getPitch() + size_t(image->getWidth()) * 3);
            image->unlock();
            faces.push_back(std::move(face));
        }
    }

    static inline PixelFormat format = PixelFormat::Unknown;
    static inline std::vector<Face> faces;
    static inline std::vector<int> heights;
};

} // namespace

TEST_F(SkyBoxFile, IsACubeMapOfSixEqualPowerOfTwoFaces) {
    ASSERT_EQ(faces.size(), 6u);
    EXPECT_EQ(format, PixelFormat::BGR8);
    for (size_t i = 0; i < faces.size(); ++i) {
        EXPECT_EQ(faces[i].size, faces[0].size);
        EXPECT_EQ(heights[i], faces[i].size);
    }
    const int size = faces[0].size;
    EXPECT_GE(size, 256);
    EXPECT_EQ(size & (size - 1), 0);
}

TEST_F(SkyBoxFile, ShowsSkyAboveGroundBelowAndFacesThatDiffer) {
    ASSERT_EQ(faces.size(), 6u);
    const Texel up = faces[2].mean(), down = faces[3].mean();
    EXPECT_GT(up.blue, up.red + 40) << "the sky overhead is blue";
    EXPECT_GT(down.green, down.blue + 30) << "the ground below is green and brown";
    for (int side : {0, 1, 4, 5}) {
        const Face& face = faces[side];
        const Texel top = face.at(face.size / 2, face.size / 8),
                    bottom = face.at(face.size / 2, face.size * 7 / 8);
        EXPECT_GT(top.blue, bottom.blue + 40) << "side face " << side << " has sky above, ground below";
    }

    for (int a = 0; a < 6; ++a)
        for (int b = a + 1; b < 6; ++b) {
            long total = 0;
            for (int row = 0; row < faces[a].size; row += 4)
                for (int column = 0; column < faces[a].size; column += 4)
                    total += difference(faces[a].at(column, row), faces[b].at(column, row));
            const long samples = long(faces[a].size / 4) * (faces[a].size / 4);
            EXPECT_GT(total / samples, 20) << "faces " << a << " and " << b << " look alike";
        }

    int brightest = 0;
    for (const Face& face : faces)
        for (int row = 0; row < face.size; ++row)
            for (int column = 0; column < face.size; ++column) {
                Texel t = face.at(column, row);
                brightest = std::max(brightest, std::min({t.red, t.green, t.blue}));
            }
    EXPECT_GE(brightest, 235) << "somewhere the sun shines white";
}

TEST_F(SkyBoxFile, NeighbouringFacesMeetWithoutSeams) {
    ASSERT_EQ(faces.size(), 6u);
    const int size = faces[0].size;
    // Inside a face: how much neighbouring texels differ on average.
    long inside = 0, insideCount = 0;
    for (const Face& face : faces)
        for (int row = 1; row < size - 1; row += 3)
            for (int column = 0; column < size - 1; column += 3) {
                inside += difference(face.at(column, row), face.at(column + 1, row));
                ++insideCount;
            }
    // Across every edge: each border texel against the texel GL samples just beyond the edge.
    long across = 0, acrossCount = 0;
    int worstFace = -1;
    double worst = 0;
    for (int f = 0; f < 6; ++f) {
        long faceTotal = 0, faceCount = 0;
        for (int i = 0; i < size; ++i) {
            const int edges[4][2] = {{i, 0}, {i, size - 1}, {0, i}, {size - 1, i}};
            for (const auto& edge : edges) {
                const int column = edge[0], row = edge[1];
                double s = (column + 0.5) / size, t = (row + 0.5) / size;
                // One texel further outwards, off the face.
                if (row == 0)
                    t -= 1.0 / size;
                else if (row == size - 1)
                    t += 1.0 / size;
                else if (column == 0)
                    s -= 1.0 / size;
                else
                    s += 1.0 / size;
                auto d = korvane::tools::SkyBox::faceDirection(f, s, t);
                int otherFace, otherColumn, otherRow;
                lookUp(d.x, d.y, d.z, size, otherFace, otherColumn, otherRow);
                EXPECT_NE(otherFace, f);
                faceTotal += difference(faces[f].at(column, row), faces[otherFace].at(otherColumn, otherRow));
                ++faceCount;
            }
        }
        across += faceTotal;
        acrossCount += faceCount;
        if (double(faceTotal) / faceCount > worst) {
            worst = double(faceTotal) / faceCount;
            worstFace = f;
        }
    }
    const double insideMean = double(inside) / insideCount, acrossMean = double(across) / acrossCount;
    EXPECT_LT(acrossMean, 2.0 * insideMean + 3.0) << "inside " << insideMean;
    EXPECT_LT(worst, 3.0 * insideMean + 4.0) << "at the edges of face " << worstFace;
}

TEST(SkyBoxTool, RefusesSizesThatAreNotPowersOfTwoAndLeavesNoFile) {
    const auto path =
        std::filesystem::temp_directory_path() / ("korvane-sky-" + std::to_string(::getpid()) + ".dds");
    std::string error;
    korvane::tools::SkyBox sky;
    for (int size : {0, -4, 300, 8192}) {
        EXPECT_FALSE(sky.write(path.string(), size, error)) << size;
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_FALSE(std::filesystem::exists(path.string() + ".part"));
    }
    EXPECT_FALSE(sky.write("/nonexistent-directory/sky.dds", 4, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos);
}
