#pragma once

#include <cstdint>

#include "container/Chain.h"
#include "graphics/Image.h"
#include "io/File.h"
#include "io/Stream.h"
#include "object/PropertyList.h"

namespace korvane::io {

/// Turns the bytes of a stream into images. Translators can be members of a chain.
/// Not locked: a translator reads one stream at a time.
class Translator : public object::Object, public container::Chainable<Translator> {
public:
    /// The first image of a chain (count 1, owned by the caller).
    virtual graphics::Image* read(InputStream& stream, uint32_t length) = 0;
    /// Writes the image chain to the stream; false when the translator cannot write.
    virtual bool write(OutputStream& stream, graphics::Image* image) = 0;
    /// Whether the file looks like something this translator reads; the file position is kept and
    /// nothing is thrown.
    virtual bool canRead(File& file) = 0;
    /// A new, empty property list (count 1, owned by the caller).
    virtual object::PropertyList* createProperties() { return new object::PropertyList; }
    virtual void setProperties(object::PropertyList*) {}

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":Translator");
    }
};

} // namespace korvane::io
