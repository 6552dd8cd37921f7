#include "bench/demo/Baseline.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "graphics/Image.h"
#include "graphics3d/TextureFormat.h"
#include "io/SystemFile.h"
#include "io/TranslatorDDS.h"
#include "object/Pointer.h"

namespace korvane::bench {

namespace {

// Row-major 4x4 matrices, as the demonstration keeps them; GL takes them transposed.
void identity(float* m) {
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1;
}

void multiply(const float* a, const float* b, float* out) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[4 * r + k] * b[4 * k + c];
            out[4 * r + c] = sum;
        }
}

// The inverse of a rotation followed by a translation.
void invertRigid(const float* m, float* out) {
    identity(out);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[4 * r + c] = m[4 * c + r];
    for (int r = 0; r < 3; ++r)
        out[4 * r + 3] = -(out[4 * r] * m[3] + out[4 * r + 1] * m[7] + out[4 * r + 2] * m[11]);
}

// Turns `m` about `axis` through the origin: m = R * m.
void rotate(float* m, float angle, const float* axis) {
    const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    if (length == 0)
        return;
    const float x = axis[0] / length, y = axis[1] / length, z = axis[2] / length;
    const float c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    const float r[16] = {c + t * x * x,
                         t * x * y - s * z,
                         t * x * z + s * y,
                         0,
                         t * x * y + s * z,
                         c + t * y * y,
                         t * y * z - s * x,
                         0,
                         t * x * z - s * y,
                         t * y * z + s * x,
                         c + t * z * z,
                         0,
                         0,
                         0,
                         0,
                         1};
    float turned[16];
    multiply(r, m, turned);
    std::memcpy(m, turned, sizeof turned);
    m[12] = m[13] = m[14] = 0;
    m[15] = 1;
}

const float FaceMatrices[6][16] = {
    {0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1}, {0, 0, 1, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1},   {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1},
    {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1},  {-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

void loadProjection(float near, float far, float focal, float left, float bottom, float width, float height) {
    const float p[16] = {2 * focal / width,
                         0,
                         (2 * left + width) / width,
                         0,
                         0,
                         2 * focal / height,
                         (2 * bottom + height) / height,
                         0,
                         0,
                         0,
                         -(far + near) / (far - near),
                         -2 * far * near / (far - near),
                         0,
                         0,
                         -1,
                         0};
    glMatrixMode(GL_PROJECTION);
    glLoadTransposeMatrixf(p);
    glMatrixMode(GL_MODELVIEW);
}

std::string readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(std::string("cannot read ") + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

GLuint compile(GLenum kind, const char* path) {
    const std::string source = readFile(path);
    const char* text = source.c_str();
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
        throw std::runtime_error(std::string("cannot compile ") + path);
    return shader;
}

// The sphere of the demonstration's geometry model: rings of n + 1 vertices from pole to pole, one
// triangle strip joined by repeated indices.
void buildSphere(float radius, int segments, GLuint& vertexBuffer, GLuint& indexBuffer, GLsizei& count) {
    const uint32_t n = uint32_t(segments), rings = n / 2 + 1;
    const float pi = std::numbers::pi_v<float>;
    std::vector<float> vertices;
    auto add = [&](float x, float y, float z, float nx, float ny, float nz, float s, float t) {
        vertices.insert(vertices.end(), {x, y, z, nx, ny, nz, s, t});
    };
    for (uint32_t i = 0; i <= n; ++i)
        add(0, -radius, 0, 0, -1, 0, float(i) / float(n), 0);
    for (uint32_t k = 1; k + 1 < rings; ++k) {
        const uint32_t c = 2 * k;
        const float latitude = float(c) * pi / float(n) - pi / 2;
        for (uint32_t i = 0; i <= n; ++i) {
            const float longitude = 2.0f * float(i) * pi / float(n);
            const float x = std::cos(latitude) * std::cos(longitude), y = std::sin(latitude),
                        z = std::cos(latitude) * std::sin(longitude);
            add(radius * x, radius * y, radius * z, x, y, z, float(i) / float(n), float(c + 2) / float(n));
        }
    }
    for (uint32_t i = 0; i <= n; ++i)
        add(0, radius, 0, 0, 1, 0, float(i) / float(n), 1);
    std::vector<uint32_t> indices;
    for (uint32_t r = 0; r + 1 < rings; ++r) {
        for (uint32_t j = 0; j <= n; ++j) {
            indices.push_back(r * (n + 1) + j);
            indices.push_back((r + 1) * (n + 1) + j);
        }
        const uint32_t join = (r + 1) * (n + 1) + n;
        indices.push_back(join);
        indices.push_back(join);
    }
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(float)), vertices.data(),
                 GL_STATIC_DRAW);
    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(),
                 GL_STATIC_DRAW);
    count = GLsizei(indices.size());
}

} // namespace

std::vector<BaselineSphere> demonstrationSpheres(int count) {
    // The demonstration's spheres, from its own scene generator.
    std::vector<BaselineSphere> placements;
    for (const demo::SphereLook& look : demo::Scene::generateSpheres(count)) {
        BaselineSphere sphere;
        sphere.radius = look.radius;
        const float diffuse[4] = {std::min(look.colour[0], 1.0f), std::min(look.colour[1], 1.0f),
                                  std::min(look.colour[2], 1.0f), 0};
        std::memcpy(sphere.diffuse, diffuse, sizeof diffuse);
        identity(sphere.transform);
        sphere.transform[3] = look.position.x;
        sphere.transform[7] = look.position.y;
        sphere.transform[11] = look.position.z;
        std::memcpy(sphere.axis, look.axis, sizeof sphere.axis);
        placements.push_back(sphere);
    }
    return placements;
}

BaselineView::BaselineView(const gui::Rectangle& frame, bool copying, std::vector<BaselineSphere> placements)
    : OpenGL(frame), copying(copying), width(int(frame.width)), height(int(frame.height)),
      faceSize(demo::Scene::cubeSizeFor(int(placements.size()))) {
    for (const BaselineSphere& placement : placements) {
        Sphere sphere;
        static_cast<BaselineSphere&>(sphere) = placement;
        spheres.push_back(sphere);
    }
    pixelFormat.colorBits = 24;
    pixelFormat.alphaBits = 8;
    pixelFormat.stencilBits = 8;
    pixelFormat.depthBits = 24;
}

BaselineView::~BaselineView() = default;

bool BaselineView::attach() {
    if (!OpenGL::attach())
        return false;
    build();
    return true;
}

bool BaselineView::detach() {
    if (getGraphicsContext())
        getGraphicsContext()->makeCurrent();
    release();
    return OpenGL::detach();
}

void BaselineView::build() {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, width, height);

    // The sky box: eight corners, inward-facing triangles, the corner directions as texture coordinates.
    static const uint16_t inwards[36] = {2, 3, 1, 1, 0, 2, 4, 5, 7, 7, 6, 4, 0, 1, 5, 5, 4, 0,
                                         6, 7, 3, 3, 2, 6, 4, 6, 2, 2, 0, 4, 1, 3, 7, 7, 5, 1};
    float corners[8 * 9];
    for (int k = 0; k < 8; ++k) {
        const float x = (k & 4) ? 1.0f : -1.0f, y = (k & 2) ? 1.0f : -1.0f, z = (k & 1) ? 1.0f : -1.0f;
        const float n = 1.0f / std::sqrt(3.0f);
        const float vertex[9] = {x * 1000, y * 1000, z * 1000, -x * n, -y * n, -z * n, x, y, -z};
        std::memcpy(corners + 9 * k, vertex, sizeof vertex);
    }
    glGenBuffers(1, &skyVertices);
    glBindBuffer(GL_ARRAY_BUFFER, skyVertices);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glGenBuffers(1, &skyIndices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, skyIndices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof inwards, inwards, GL_STATIC_DRAW);

    // The sky's cube map from the data file, GL generating its mipmaps.
    {
        auto file = object::Pointer<io::SystemFile>::adopt(
            io::SystemFile::open(types::String("data/stpeters_cross.dds"), io::File::Read));
        io::TranslatorDDS translator;
        io::InputStream& stream = file->getInputStream();
        auto images =
            object::Pointer<graphics::Image>::adopt(translator.read(stream, uint32_t(stream.available())));
        glGenTextures(1, &skyTexture);
        glBindTexture(GL_TEXTURE_CUBE_MAP, skyTexture);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_GENERATE_MIPMAP, GL_TRUE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        // The pixel layout of the file is looked up once; uploading it is ours.
        const graphics3d::UploadFormat upload = graphics3d::getUploadFormat(images->getFormat());
        graphics::Image* image = images.get();
        for (int face = 0; face < 6 && image; ++face, image = image->getNext()) {
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GLint(upload.internalFormat),
                         image->getWidth(), image->getHeight(), 0, upload.format, upload.type, image->lock());
            image->unlock();
        }
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    }

    program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, "data/cubeshader.vp"));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, "data/cubeshader.pp"));
    glLinkProgram(program);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "environment"), 0);
    glUseProgram(0);

    if (!copying) {
        glGenRenderbuffersEXT(1, &depthBuffer);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, faceSize, faceSize);
    }
    for (Sphere& sphere : spheres) {
        glGenTextures(1, &sphere.texture);
        glBindTexture(GL_TEXTURE_CUBE_MAP, sphere.texture);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_GENERATE_MIPMAP, GL_TRUE);
        for (int face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGB8, faceSize, faceSize, 0, GL_RGB,
                         GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
        if (!copying) {
            glGenFramebuffersEXT(6, sphere.frameBuffers);
            for (int face = 0; face < 6; ++face) {
                glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, sphere.frameBuffers[face]);
                glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                          GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, sphere.texture, 0);
                glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                             depthBuffer);
            }
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        }
    }
    for (Sphere& sphere : spheres)
        buildSphere(sphere.radius, 75, sphere.vertices, sphere.indices, sphere.indexCount);

    // A glyph atlas and the label's quads stand in for the overlay's text.
    std::vector<uint8_t> atlas(512 * 512, 128);
    glGenTextures(1, &glyphs);
    glBindTexture(GL_TEXTURE_2D, glyphs);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, 512, 512, 0, GL_ALPHA, GL_UNSIGNED_BYTE, atlas.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);

    // Light 0 is the scene's point light; only its position changes with the modelview matrix.
    const float ambient[4] = {0.3f, 0.3f, 0.3f, 0}, diffuse[4] = {0.7f, 0.7f, 0.7f, 0},
                specular[4] = {1, 1, 1, 0};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    built = true;
}

void BaselineView::release() {
    if (!built)
        return;
    for (Sphere& sphere : spheres) {
        glDeleteBuffers(1, &sphere.vertices);
        glDeleteBuffers(1, &sphere.indices);
        glDeleteTextures(1, &sphere.texture);
        if (!copying)
            glDeleteFramebuffersEXT(6, sphere.frameBuffers);
    }
    if (!copying)
        glDeleteRenderbuffersEXT(1, &depthBuffer);
    glDeleteBuffers(1, &skyVertices);
    glDeleteBuffers(1, &skyIndices);
    glDeleteTextures(1, &skyTexture);
    glDeleteTextures(1, &glyphs);
    glDeleteProgram(program);
    built = false;
}

void BaselineView::drawSky(const float* view) {
    float modelView[16];
    std::memcpy(modelView, view, sizeof modelView);
    modelView[3] = modelView[7] = modelView[11] = 0;
    glLoadTransposeMatrixf(modelView);
    glUseProgram(0);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, skyTexture);
    glBindBuffer(GL_ARRAY_BUFFER, skyVertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, skyIndices);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 36, nullptr);
    glTexCoordPointer(3, GL_FLOAT, 36, reinterpret_cast<const void*>(24));
    glDrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_SHORT, nullptr);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void BaselineView::drawSphere(int index, const float* modelView) {
    const Sphere& sphere = spheres[index];
    static const float ambient[4] = {0.1f, 0.1f, 0.1f, 0}, white[4] = {1, 1, 1, 0}, black[4] = {0, 0, 0, 0};
    glLoadTransposeMatrixf(modelView);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, sphere.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 30);
    glBindTexture(GL_TEXTURE_CUBE_MAP, sphere.texture);
    glBindBuffer(GL_ARRAY_BUFFER, sphere.vertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, sphere.indices);
    glVertexPointer(3, GL_FLOAT, 32, nullptr);
    glNormalPointer(GL_FLOAT, 32, reinterpret_cast<const void*>(12));
    glDrawElements(GL_TRIANGLE_STRIP, sphere.indexCount, GL_UNSIGNED_INT, nullptr);
}

void BaselineView::drawFace(int index, const float* view, int face) {
    glClear(GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadTransposeMatrixf(FaceMatrices[face]);
    const float light[4] = {300, 200, 400, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    drawSky(view);

    float rotation[16];
    invertRigid(view, rotation);
    rotation[3] = rotation[7] = rotation[11] = 0;
    glMatrixMode(GL_TEXTURE);
    glLoadTransposeMatrixf(rotation);
    glMatrixMode(GL_MODELVIEW);

    glUseProgram(program);
    glEnableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    for (int j = 0; j < int(spheres.size()); ++j) {
        if (j == index)
            continue;
        float modelView[16];
        multiply(view, spheres[j].transform, modelView);
        drawSphere(j, modelView);
    }
}

void BaselineView::drawLabel() {
    glUseProgram(0);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, glyphs);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    for (int glyph = 0; glyph < 24; ++glyph) {
        const float x = 10.0f + float(glyph) * 11, y = float(height - 20), s = float(glyph) / 32;
        glTexCoord2f(s, 0.2f);
        glVertex2f(x, y - 19);
        glTexCoord2f(s + 0.02f, 0.2f);
        glVertex2f(x + 11, y - 19);
        glTexCoord2f(s + 0.02f, 0.25f);
        glVertex2f(x + 11, y);
        glTexCoord2f(s, 0.25f);
        glVertex2f(x, y);
    }
    glEnd();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void BaselineView::render() {
    if (!built)
        return;
    const float angle = elapsed * 0.00025f;
    for (Sphere& sphere : spheres)
        rotate(sphere.transform, angle, sphere.axis);
    float camera[16], view[16];
    identity(camera);
    camera[11] = 400;
    invertRigid(camera, view);

    glActiveTexture(GL_TEXTURE0);
    loadProjection(5, 5000, 5, -5, -5, 10, 10);
    for (int i = 0; i < int(spheres.size()); ++i) {
        float translation[16];
        identity(translation);
        translation[3] = -spheres[i].transform[3];
        translation[7] = -spheres[i].transform[7];
        translation[11] = -spheres[i].transform[11];
        if (copying)
            glViewport(0, height - faceSize, faceSize, faceSize);
        for (int face = 0; face < 6; ++face) {
            if (!copying) {
                glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, spheres[i].frameBuffers[face]);
                glViewport(0, 0, faceSize, faceSize);
            }
            float faceView[16];
            multiply(FaceMatrices[face], translation, faceView);
            drawFace(i, faceView, face);
            if (copying) {
                glBindTexture(GL_TEXTURE_CUBE_MAP, spheres[i].texture);
                glCopyTexSubImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, 0, 0, 0, height - faceSize,
                                    faceSize, faceSize);
            }
        }
    }
    if (!copying) {
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        // Drawing into a frame buffer leaves the levels above 0 behind.
        for (const Sphere& sphere : spheres) {
            glBindTexture(GL_TEXTURE_CUBE_MAP, sphere.texture);
            glGenerateMipmapEXT(GL_TEXTURE_CUBE_MAP);
        }
    }
    glViewport(0, 0, width, height);
    glClear(GL_DEPTH_BUFFER_BIT);

    // The larger side spans 10 units at distance 10, as in the demonstration.
    const float w = float(width), h = float(height), f = 1.0f / std::max(w, h);
    loadProjection(15, 2500, 10, -w * f * 5, -h * f * 5, w * f * 10, h * f * 10);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float light[4] = {300, 200, 400, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    drawSky(view);

    glMatrixMode(GL_TEXTURE);
    float rotation[16];
    std::memcpy(rotation, camera, sizeof rotation);
    rotation[3] = rotation[7] = rotation[11] = 0;
    glLoadTransposeMatrixf(rotation);
    glMatrixMode(GL_MODELVIEW);
    glUseProgram(program);
    glEnableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    for (int j = 0; j < int(spheres.size()); ++j) {
        float modelView[16];
        multiply(view, spheres[j].transform, modelView);
        drawSphere(j, modelView);
    }
    drawLabel();
}

} // namespace korvane::bench
