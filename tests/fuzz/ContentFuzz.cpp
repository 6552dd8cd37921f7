// Loads arbitrary bytes the way the demonstration loads its data files: the input becomes a file on disk,
// which is read whole into a Content (as a shader source is), looked at and read by the DDS translator
// through the file's stream (as the sky is) and, when it holds six square faces, made into a cube texture
// on a real GL context. Besides the sanitizers' checks: the Content holds exactly the file's bytes and a
// terminating zero, the translator's look leaves the file position alone, every image is well formed, and
// no texture name outlives its input.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/FuzzContext.h"
#include "graphics/Image.h"
#include "graphics3d/CubeTexture.h"
#include "graphics3d/GL.h"
#include "graphics3d/Graphics3dException.h"
#include "io/Content.h"
#include "io/IOException.h"
#include "io/SystemFile.h"
#include "io/TranslatorDDS.h"
#include "object/Pointer.h"

namespace {

using namespace korvane;
using object::Pointer;

std::string directory;
std::string path;
// The name of a texture made and deleted at once. The driver hands out texture names in increasing order:
// the names between two probes are those made in between.
GLuint probeTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glDeleteTextures(1, &name);
    return name;
}

void removeFiles() {
    std::remove(path.c_str());
    rmdir(directory.c_str());
}

void writeInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || (size && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
}

void checkContent(const uint8_t* data, size_t size) {
    auto file = Pointer<io::SystemFile>::adopt(io::SystemFile::open(path.c_str(), io::File::Read));
    io::Content content;
    content.load(file->getInputStream());
    if (!content.getData() || content.getSize() != size || content.getData()[size] != '\0' ||
        std::memcmp(content.getData(), data, size) != 0) {
        std::fprintf(stderr, "content of %zu bytes read as %u\n", size, content.getSize());
        std::abort();
    }
}

void checkTranslator() {
    auto file = Pointer<io::SystemFile>::adopt(io::SystemFile::open(path.c_str(), io::File::Read));
    io::TranslatorDDS translator;
    (void)translator.canRead(*file);
    if (file->getPosition() != 0)
        std::abort();
    io::InputStream& stream = file->getInputStream();
    Pointer<graphics::Image> images;
    try {
        images = Pointer<graphics::Image>::adopt(translator.read(stream, uint32_t(stream.available())));
    } catch (const io::TranslatorException&) {
        return;
    }
    int faces = 0;
    for (graphics::Image* image = images.get(); image; image = image->getNext()) {
        if (image->getWidth() <= 0 || image->getHeight() <= 0 || image->isLocked())
            std::abort();
        if (faces < 6 && image->getWidth() == images->getWidth() && image->getHeight() == images->getWidth())
            ++faces;
    }
    if (faces < 6)
        return;
    try {
        auto texture =
            Pointer<graphics3d::CubeTexture>::adopt(graphics3d::createCubeTexture(images.detach(), -2));
        texture->setFilter(GL_NEAREST, GL_LINEAR);
    } catch (const graphics3d::Graphics3dException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* temporary = std::getenv("TMPDIR");
    std::string pattern = std::string(temporary && *temporary ? temporary : "/tmp") + "/korvane-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    directory = pattern;
    path = directory + "/input.dds";
    std::atexit(removeFiles);
    fuzz::fuzzContext();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const GLuint first = probeTexture();
    writeInput(data, size);
    checkContent(data, size);
    checkTranslator();
    const GLuint last = probeTexture();
    for (GLuint name = first + 1; name < last; ++name) {
        if (glIsTexture(name)) {
            std::fprintf(stderr, "texture %u left behind\n", name);
            std::abort();
        }
    }
    return 0;
}
