#include "graphics3d/Material.h"

#include "graphics3d/CommandList.h"
#include "graphics3d/Context.h"
#include "graphics3d/GL.h"

namespace korvane::graphics3d {

Material::~Material() {
    Context* context = Context::getThreadContext();
    if (context && context->currentMaterial == this)
        context->currentMaterial = nullptr;
}

types::String Material::getClassPath() const {
    return types::String::concat(Resource::getClassPath(), ":Material");
}

bool Material::record(CommandList&) const {
    return false;
}

types::String ColourMaterial::getClassPath() const {
    return types::String::concat(Material::getClassPath(), ":ColourMaterial");
}

void ColourMaterial::apply() {
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, shininess);
    glColor4fv(diffuse);
}

bool ColourMaterial::record(CommandList& list) const {
    const GLenum faces = GL_FRONT_AND_BACK;
    list.record(&glMaterialfv, faces, GLenum(GL_AMBIENT), ambient);
    list.record(&glMaterialfv, faces, GLenum(GL_DIFFUSE), diffuse);
    list.record(&glMaterialfv, faces, GLenum(GL_SPECULAR), specular);
    list.record(&glMaterialfv, faces, GLenum(GL_EMISSION), emission);
    list.record(&glMaterialf, faces, GLenum(GL_SHININESS), shininess);
    list.record(&glColor4fv, static_cast<const float*>(diffuse));
    return true;
}

} // namespace korvane::graphics3d
