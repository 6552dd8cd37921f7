#include "graphics3d/Light.h"

#include "graphics3d/Context.h"
#include "graphics3d/GL.h"

namespace korvane::graphics3d {

Light::~Light() {
    Context* context = Context::getThreadContext();
    if (!context)
        return;
    for (int slot = 0; slot < LightStack::Slots; ++slot) {
        if (context->lightStack.lights[slot] == this) {
            context->lightStack.lights[slot] = nullptr;
            glDisable(GL_LIGHT0 + slot);
        }
    }
}

types::String Light::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Light");
}

types::String PointLight::getClassPath() const {
    return types::String::concat(Light::getClassPath(), ":PointLight");
}

void PointLight::apply(int index) {
    if (index < 0 || index >= LightStack::Slots)
        return;
    const GLenum light = GL_LIGHT0 + index;
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
    const float positional[4] = {position[0], position[1], position[2], 1.0f};
    glLightfv(light, GL_POSITION, positional);
    glLightf(light, GL_CONSTANT_ATTENUATION, constantAttenuation);
    glLightf(light, GL_LINEAR_ATTENUATION, linearAttenuation);
    glLightf(light, GL_QUADRATIC_ATTENUATION, quadraticAttenuation);
    glLightf(light, GL_SPOT_CUTOFF, 180.0f);
    glLightf(light, GL_SPOT_EXPONENT, 0.0f);
}

void PointLight::applyPlacement(int index) {
    if (index < 0 || index >= LightStack::Slots)
        return;
    const float positional[4] = {position[0], position[1], position[2], 1.0f};
    glLightfv(GL_LIGHT0 + GLenum(index), GL_POSITION, positional);
}

} // namespace korvane::graphics3d
