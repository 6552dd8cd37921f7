#pragma once

#include "io/Stream.h"

namespace korvane::io {

/// Something that hands out an input and an output stream onto itself.
class StreamFactory : public object::Object {
public:
    virtual InputStream& getInputStream() = 0;
    virtual OutputStream& getOutputStream() = 0;

    types::String getClassPath() const override {
        return types::String::concat(Object::getClassPath(), ":StreamFactory");
    }
};

} // namespace korvane::io
